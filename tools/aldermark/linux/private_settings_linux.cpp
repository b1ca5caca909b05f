// The private settings store on Linux: a fresh folder under $TMPDIR (default /tmp) stands in
// for $XDG_CONFIG_HOME, where the store file lives, and for $XDG_CONFIG_DIRS, where the
// system's defaults would be read.
#include "tools/aldermark/private_settings.h"

#include <cstdlib>
#include <filesystem>

namespace aldermark {

struct PrivateSettingsStore::Saved {
    struct Variable {
        const char* name;
        bool set;
        std::string value;
    };
    Variable variables[2] = {{"XDG_CONFIG_HOME", false, {}}, {"XDG_CONFIG_DIRS", false, {}}};
};

PrivateSettingsStore::PrivateSettingsStore() = default;

PrivateSettingsStore::~PrivateSettingsStore() {
    if (!active_) return;
    for (const Saved::Variable& v : saved_->variables) {
        if (v.set)
            setenv(v.name, v.value.c_str(), 1);
        else
            unsetenv(v.name);
    }
    std::error_code ignored;
    std::filesystem::remove_all(location_, ignored);
}

bool PrivateSettingsStore::begin(std::string& error) {
    if (active_) return true;
    const char* temporary = std::getenv("TMPDIR");
    std::string pattern = (temporary && temporary[0] == '/' ? std::string(temporary) : std::string("/tmp")) +
                          "/aldermark-settings-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        error = "cannot make a private settings folder like " + pattern;
        return false;
    }
    saved_ = std::make_unique<Saved>();
    for (Saved::Variable& v : saved_->variables) {
        const char* value = std::getenv(v.name);
        v.set = value != nullptr;
        v.value = value ? value : "";
        setenv(v.name, pattern.c_str(), 1);
    }
    location_ = pattern;
    active_ = true;
    return true;
}

}  // namespace aldermark
