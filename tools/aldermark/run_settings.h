#pragma once
// The settings of one run of the effect: the options that choose them, shared by every
// command that runs it,
//   --set INDEX=VALUE    a parameter index with its normalised value 0..1
//   --set NAME=VALUE     a setting by name, the value in its unit (named_settings.h)
//   --meter vu|rms|ppm, --reference DBFS (the selected meter's), --precise (the selected
//   meter's), --hold off|inf|on, --trim DB (and Process on), --ms
//   --settings user      start from the user's stored settings instead of the defaults
// and the settings store the run uses: a private one, so that a run never writes the
// user's. It starts empty (the factory settings) or, with --settings user, with a copy of the
// user's meter settings, which the run then names.
#include <array>
#include <cstddef>
#include <iosfwd>
#include <iterator>
#include <string>
#include <vector>

#include "tools/aldermark/arguments.h"
#include "tools/aldermark/private_settings.h"

namespace aldermark {

inline constexpr OptionSpec kSettingOptions[] = {
    {"--set", true, true},  {"--meter", true, false}, {"--reference", true, false}, {"--precise", false, false},
    {"--hold", true, false}, {"--trim", true, false},  {"--ms", false, false}};
inline constexpr OptionSpec kSettingsStoreOption{"--settings", true, false};

// A command's own options, then the setting options and (with kStore) --settings.
template <bool kStore = true, std::size_t N>
constexpr auto withSettingOptions(const OptionSpec (&own)[N]) {
    std::array<OptionSpec, N + std::size(kSettingOptions) + (kStore ? 1 : 0)> all{};
    std::size_t at = 0;
    for (const OptionSpec& option : own) all[at++] = option;
    for (const OptionSpec& option : kSettingOptions) all[at++] = option;
    if constexpr (kStore) all[at] = kSettingsStoreOption;
    return all;
}

// Where the effect of a run comes from: built into this program (meter, render, demo),
// where every index is known to be ZEB Aldermark's, or a binary loaded by path, which may
// be another plug-in.
enum class EffectSource { kBuiltIn, kLoaded };

// One assignment and where it came from.
struct GivenSetting {
    ParameterAssignment assignment;
    std::string option;  // as written, for messages: "--set Trim=3", "--reference -18"
    bool named;          // by a name or a shortcut, so a ZEB Aldermark setting
};

class RunSettings {
public:
    // Reads --set, the shortcuts and (unless the command has a --settings of its own)
    // --settings; false with a one-line reason for a name, index or value that is not a
    // setting's or lies outside its range.
    bool read(const ParsedOptions& options, EffectSource source, std::string& error, bool storeOption = true);
    // Starts from the user's stored settings, without saying so (info shows them anyway).
    void useUserSettingsQuietly() { user_ = true; }

    // In the order they apply: the meter first, then --set in command-line order, then the
    // other shortcuts.
    const std::vector<GivenSetting>& given() const { return given_; }
    std::vector<ParameterAssignment> assignments() const;
    // For a loaded binary: false with a reason when an assignment does not suit it (names
    // and meter settings for another plug-in than ZEB Aldermark, spares for ZEB Aldermark,
    // indices beyond its parameters).
    bool checkPlugin(bool zebAldermark, const std::string& pluginName, int parameterCount, std::string& error) const;

    // Puts the private store in place and brings the stores of the effect built into this
    // program to the run's start (defaults or the user's), then prints the notes. False with
    // a reason when the private store cannot be made.
    bool begin(const char* command, std::ostream& err, std::string& error);
    // "aldermark <command>: " lines on `err`: the values taken to the nearest step and, with
    // --settings user, which values came from the user's store.
    void printNotes(const char* command, std::ostream& err) const;
    const PrivateSettingsStore& store() const { return store_; }

private:
    bool add(int index, const std::string& value, const std::string& option, std::string& error);

    std::vector<GivenSetting> given_;
    std::vector<std::string> notes_;
    bool user_ = false;
    bool announceUser_ = false;
    PrivateSettingsStore store_;
};

}  // namespace aldermark
