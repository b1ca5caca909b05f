#pragma once
// A settings store of the run's own in place of the user's, for the whole process: the
// effect built into this program and every plug-in loaded while it is in use read and write
// it, and the user's store is neither read nor written. It starts empty, so the plug-in
// starts from its factory settings.
// Linux: a private folder for $XDG_CONFIG_HOME and $XDG_CONFIG_DIRS. Windows: a private
// registry key, HKEY_CURRENT_USER\SOFTWARE\Kestrune\aldermark-private-<process id>, in place
// of HKEY_CURRENT_USER (RegOverridePredefKey); keys that runs killed before their end left
// behind are removed by the next run.
// Called on the command's thread only, before the first plug-in loads and after the last
// has been unloaded (the store's place is process-wide state that plug-ins read anywhere).
#include <memory>
#include <string>

namespace aldermark {

class PrivateSettingsStore {
public:
    PrivateSettingsStore();
    // Puts the user's store back in place and deletes the private one with what it holds.
    ~PrivateSettingsStore();
    PrivateSettingsStore(const PrivateSettingsStore&) = delete;
    PrivateSettingsStore& operator=(const PrivateSettingsStore&) = delete;

    // From now on the process uses the private store. False with a one-line reason when it
    // cannot be made; nothing has changed then.
    bool begin(std::string& error);
    bool active() const { return active_; }
    // Where the private store is ("/tmp/aldermark-settings-…", "HKEY_CURRENT_USER\…").
    const std::string& location() const { return location_; }

private:
    struct Saved;  // what the platform had in place before, to put back
    std::unique_ptr<Saved> saved_;
    bool active_ = false;
    std::string location_;
};

}  // namespace aldermark
