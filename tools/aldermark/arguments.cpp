#include "tools/aldermark/arguments.h"

#include <charconv>
#include <cmath>

namespace aldermark {

const std::string* ParsedOptions::value(const std::string& name) const {
    const auto found = values_.find(name);
    return found == values_.end() || found->second.empty() ? nullptr : &found->second.front();
}

std::vector<std::string> ParsedOptions::all(const std::string& name) const {
    const auto found = values_.find(name);
    return found == values_.end() ? std::vector<std::string>{} : found->second;
}

bool parseOptions(const std::vector<std::string>& args, std::span<const OptionSpec> specs, ParsedOptions& options,
                  std::string& error, int maxPositionals) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0 || arg.size() == 2) {
            if (static_cast<int>(options.positionals().size()) >= maxPositionals || arg == "--") {
                error = "unexpected argument '" + arg + "'";
                return false;
            }
            options.addPositional(arg);
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionSpec* known = nullptr;
        for (const OptionSpec& candidate : specs)
            if (name == candidate.name) known = &candidate;
        if (!known) {
            error = "unknown option '" + name + "'";
            return false;
        }
        if (options.has(name) && !known->repeatable) {
            error = "option " + name + " given more than once";
            return false;
        }
        if (!known->takesValue) {
            if (equals != std::string::npos) {
                error = "option " + name + " takes no value";
                return false;
            }
            options.add(name, {});
        } else if (equals != std::string::npos) {
            options.add(name, arg.substr(equals + 1));
        } else if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) {
            // A following option means the value was left out ("--input --output x");
            // a value that really starts with dashes can be written "--input=--x".
            options.add(name, args[++i]);
        } else {
            error = "option " + name + " needs a value";
            return false;
        }
    }
    return true;
}

bool parseInteger(const std::string& text, long long& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc{} && result.ptr == end;
}

bool parseScaleOption(const ParsedOptions& options, double& scale, std::string& error) {
    scale = 1;
    const std::string* text = options.value("--scale");
    if (!text) return true;
    float value = 0;
    if (!parseFloat(*text, value) || value < 1 || value > 3) {
        error = "--scale must be a number from 1 to 3, got '" + *text + "'";
        return false;
    }
    scale = value;
    return true;
}

bool parseFloat(const std::string& text, float& value) {
    const char* end = text.data() + text.size();
    float parsed = 0.0f;
    const auto result = std::from_chars(text.data(), end, parsed, std::chars_format::general);
    if (text.empty() || result.ec != std::errc{} || result.ptr != end || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

namespace {
bool isMeterSettingIndex(long long index) { return index >= 72 && index <= 100 && index != 82 && index != 92; }
}  // namespace

bool parseAssignment(const std::string& text, ParameterAssignment& assignment, std::string& error,
                     AssignmentRange range) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) {
        error = "--set expects INDEX=VALUE, got '" + text + "'";
        return false;
    }
    const std::string indexText = text.substr(0, equals);
    const std::string valueText = text.substr(equals + 1);
    long long index = 0;
    if (!parseInteger(indexText, index)) {
        error = "--set: parameter index '" + indexText + "' is not a whole number";
        return false;
    }
    const bool hostIndex = index >= 0 && index < kHostParameterCount;
    if (!hostIndex && !(range == AssignmentRange::kWithMeterSettings && isMeterSettingIndex(index))) {
        error = "--set: parameter index " + indexText + " is outside 0.." + std::to_string(kHostParameterCount - 1) +
                (range == AssignmentRange::kWithMeterSettings ? " and the meter settings 72..100" : "");
        return false;
    }
    float value = 0.0f;
    if (!parseFloat(valueText, value)) {
        error = "--set: value '" + valueText + "' is not a number";
        return false;
    }
    assignment = {static_cast<int>(index), value};
    return true;
}

bool parseAssignments(const std::vector<std::string>& texts, std::vector<ParameterAssignment>& assignments,
                      std::string& error, AssignmentRange range) {
    for (const std::string& text : texts) {
        ParameterAssignment assignment{};
        if (!parseAssignment(text, assignment, error, range)) return false;
        assignments.push_back(assignment);
    }
    return true;
}

}  // namespace aldermark
