#pragma once
// Option parsing shared by the subcommands. Options are known in advance, written as
// "--name value" or "--name=value"; numbers must fill their whole text.
#include <map>
#include <span>
#include <string>
#include <vector>

namespace aldermark {

struct OptionSpec {
    const char* name;     // with the leading dashes, e.g. "--block"
    bool takesValue;      // false: a switch such as "--json"
    bool repeatable;      // true: may be given more than once, values kept in order
};

class ParsedOptions {
public:
    bool has(const std::string& name) const { return values_.count(name) != 0; }
    // The value of a single-use option; null when it was not given.
    const std::string* value(const std::string& name) const;
    // Every value of a repeatable option, in command-line order.
    std::vector<std::string> all(const std::string& name) const;
    void add(const std::string& name, const std::string& value) { values_[name].push_back(value); }
    // Arguments that are no option (input files; "-" for standard input), in order.
    const std::vector<std::string>& positionals() const { return positionals_; }
    void addPositional(const std::string& value) { positionals_.push_back(value); }

private:
    std::map<std::string, std::vector<std::string>> values_;
    std::vector<std::string> positionals_;
};

// Parses `args` against `specs`; false with a one-line reason for an unknown option, a
// missing value, an option given twice, or more than `maxPositionals` other arguments.
bool parseOptions(const std::vector<std::string>& args, std::span<const OptionSpec> specs, ParsedOptions& options,
                  std::string& error, int maxPositionals = 0);

// Strict number parsing: no spaces, no trailing characters, no NaN or infinity.
bool parseInteger(const std::string& text, long long& value);
bool parseFloat(const std::string& text, float& value);

// "--scale S": the editor's display scale, 1 to 3 (1 when the option is absent); false with
// a one-line reason for anything else.
constexpr OptionSpec kScaleOption{"--scale", true, false};
bool parseScaleOption(const ParsedOptions& options, double& scale, std::string& error);

// One "--set INDEX=VALUE": a host-visible parameter index and a normalised value.
struct ParameterAssignment {
    int index;
    float value;
};
constexpr int kHostParameterCount = 64;  // indices 0..63 are what a host may address

// Which indices --set accepts: the host's 0..63, or also the meter settings 72..100 (the
// meter command drives the effect's own code, which takes them).
enum class AssignmentRange { kHostParameters, kWithMeterSettings };

bool parseAssignment(const std::string& text, ParameterAssignment& assignment, std::string& error,
                     AssignmentRange range = AssignmentRange::kHostParameters);
bool parseAssignments(const std::vector<std::string>& texts, std::vector<ParameterAssignment>& assignments,
                      std::string& error, AssignmentRange range = AssignmentRange::kHostParameters);

}  // namespace aldermark
