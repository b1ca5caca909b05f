#pragma once
// Keeps settings-store tests away from the user's real settings.
// Linux: every sandbox points XDG_CONFIG_HOME, XDG_CONFIG_DIRS (the system's defaults) and HOME
// into a fresh temporary folder and removes it afterwards. Windows: tests use the real registry key, but only value names with
// the test prefix, and the sandbox deletes every such value before and after (and the key
// itself when it did not exist before).
#include <string>

namespace platform_test {

// Every value name a store test uses starts with this.
inline constexpr char kTestPrefix[] = "AldermarkPlatformTest.";
inline std::string testName(const std::string& base) { return kTestPrefix + base; }

class StoreSandbox {
public:
    StoreSandbox();
    ~StoreSandbox();
    StoreSandbox(const StoreSandbox&) = delete;
    StoreSandbox& operator=(const StoreSandbox&) = delete;

#ifndef _WIN32
    const std::string& root() const { return root_; }          // temporary folder
    std::string configHome() const { return root_ + "/config"; }  // XDG_CONFIG_HOME
    std::string storeFile() const { return configHome() + "/Kestrune/ZEBDIALS300"; }
    std::string systemConfig() const { return root_ + "/system"; }  // XDG_CONFIG_DIRS
#endif

private:
#ifdef _WIN32
    bool keyExisted_ = false;
    bool parentExisted_ = false;
#else
    std::string root_;
    std::string savedXdg_, savedDirs_, savedHome_;
    bool hadXdg_ = false, hadDirs_ = false, hadHome_ = false;
#endif
};

}  // namespace platform_test
