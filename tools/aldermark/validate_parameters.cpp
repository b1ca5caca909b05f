// Parameters as a host's generic editor and its automation see them: texts, values and
// their round trips, hostile values, and properties that must agree with the values.
#include <cmath>
#include <cstring>
#include <limits>
#include <set>

#include "tools/aldermark/plugin_instance.h"
#include "tools/aldermark/validation.h"

namespace aldermark {
namespace {

// Indices a host asks about: every announced one, and a few past the end.
constexpr VstInt32 kPastTheEnd = 4;
constexpr int kRangeSamples = 201;     // values over 0 … 1 at which texts are read
constexpr int kMostDiscreteTexts = 32;  // more distinct texts than this: a continuous parameter

std::string at(VstInt32 index) { return "parameter " + std::to_string(index); }

bool isUnit(float value) { return std::isfinite(value) && value >= 0.0f && value <= 1.0f; }

void checkTexts(PluginInstance& plugin, TestOutcome& outcome) {
    const VstInt32 count = plugin.effect()->numParams;
    for (VstInt32 index = -1; index < count + kPastTheEnd; ++index)
        for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
            const std::string text = plugin.text(opcode, index);
            const char* what = opcode == effGetParamName ? "name" : opcode == effGetParamLabel ? "label" : "display";
            outcome.expect(text.size() <= static_cast<std::size_t>(kVstMaxParamStrLen), [&] {
                return at(index) + "'s " + what + " \"" + text + "\" is longer than " +
                       std::to_string(kVstMaxParamStrLen) + " characters";
            });
        }
}

std::set<std::string> textsOverRange(PluginInstance& plugin, VstInt32 index) {
    std::set<std::string> texts;
    for (int i = 0; i < kRangeSamples; ++i) {
        plugin.setParameter(index, static_cast<float>(i) / (kRangeSamples - 1));
        texts.insert(parameterDisplay(plugin, index));
    }
    return texts;
}

void checkRoundTrips(PluginInstance& plugin, ValidationContext& context, TestOutcome& outcome) {
    const VstInt32 count = plugin.effect()->numParams;
    for (VstInt32 index = 0; index < count; ++index) {
        const float original = plugin.getParameter(index);
        const float values[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f, context.randomUnit(), context.randomUnit()};
        for (float value : values) {
            plugin.setParameter(index, value);
            const float stored = plugin.getParameter(index);
            if (!outcome.expect(isUnit(stored), [&] {
                    return at(index) + " set to " + std::to_string(value) + " reads " + std::to_string(stored);
                }))
                continue;
            const std::string text = parameterDisplay(plugin, index);
            // Setting what was read back changes neither the value nor its text.
            plugin.setParameter(index, stored);
            outcome.expect(plugin.getParameter(index) == stored && parameterDisplay(plugin, index) == text, [&] {
                return at(index) + ": setting the value read back (" + std::to_string(stored) +
                       ") changes the value or its text \"" + text + "\"";
            });
        }
        plugin.setParameter(index, original);
    }
}

void checkHostileValues(PluginInstance& plugin, TestOutcome& outcome) {
    const float hostile[] = {-1.0f, 1.7f, 1e30f, -1e30f, std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(), -0.0f};
    const VstInt32 count = plugin.effect()->numParams;
    for (VstInt32 index = -1; index < count + kPastTheEnd; ++index) {
        const float original = plugin.getParameter(index);
        for (float value : hostile) {
            plugin.setParameter(index, value);
            const float stored = plugin.getParameter(index);
            outcome.expect(index < 0 || index >= count || isUnit(stored), [&] {
                return at(index) + " given " + std::to_string(value) + " reads " + std::to_string(stored) +
                       ", outside 0 ... 1";
            });
            parameterDisplay(plugin, index);
        }
        plugin.setParameter(index, original);
    }
}

void checkAutomatable(PluginInstance& plugin, TestOutcome& outcome) {
    const VstInt32 count = plugin.effect()->numParams;
    for (VstInt32 index = -1; index < count + kPastTheEnd; ++index) {
        const VstIntPtr answer = plugin.dispatch(effCanBeAutomated, index);
        const bool inRange = index >= 0 && index < count;
        outcome.expect(answer == 0 || (inRange && answer == 1), [&] {
            return "canBeAutomated for " + at(index) + " answers " + std::to_string(answer);
        });
    }
}

void checkProperties(PluginInstance& plugin, TestOutcome& outcome) {
    const VstInt32 count = plugin.effect()->numParams;
    for (VstInt32 index = -1; index < count + kPastTheEnd; ++index) {
        VstParameterProperties properties;
        std::memset(&properties, 0, sizeof properties);
        const bool answered = plugin.dispatch(effGetParameterProperties, index, 0, &properties) != 0;
        if (index < 0 || index >= count) {
            outcome.expect(!answered, [&] { return "properties of " + at(index) + " past the end are answered"; });
            continue;
        }
        if (!answered) continue;
        std::string name(1, '"');
        name.append(parameterName(plugin, index)).push_back('"');
        outcome.expect(std::memchr(properties.label, 0, sizeof properties.label) &&
                           std::memchr(properties.shortLabel, 0, sizeof properties.shortLabel),
                       [&] { return at(index) + "'s property labels are not terminated"; });
        const float original = plugin.getParameter(index);
        const std::size_t texts = textsOverRange(plugin, index).size();
        plugin.setParameter(index, original);
        const bool isSwitch = properties.flags & kVstParameterIsSwitch;
        outcome.expect(!isSwitch || texts == 2, [&] {
            return at(index) + " " + name + " is announced as a switch but shows " + std::to_string(texts) +
                   " texts over its range";
        });
        if (!(properties.flags & kVstParameterUsesFloatStep)) continue;
        const float step = properties.stepFloat, small = properties.smallStepFloat, large = properties.largeStepFloat;
        outcome.expect(step > 0.0f && step <= 1.0f && small > 0.0f && small <= step && step <= large && large <= 1.0f,
                       [&] { return at(index) + " " + name + " has implausible float steps"; });
        // A stepped parameter: one step from one text to the next.
        if (!isSwitch && texts >= 2 && texts <= kMostDiscreteTexts) {
            const float expected = 1.0f / static_cast<float>(texts - 1);
            outcome.expect(std::fabs(step - expected) <= 1e-4f * expected, [&] {
                return at(index) + " " + name + " shows " + std::to_string(texts) + " texts but steps by " +
                       std::to_string(step);
            });
        }
    }
}

}  // namespace

void validateParameters(ValidationContext& context) {
    const auto test = [&](const char* name, auto check) {
        context.run("parameters", name, [&](TestOutcome& outcome) {
            PluginInstance plugin;
            if (context.open(plugin, outcome)) check(plugin, outcome);
        });
    };
    test("names, labels and displays within 8 characters", checkTexts);
    test("value, text, value round trips",
         [&](PluginInstance& plugin, TestOutcome& outcome) { checkRoundTrips(plugin, context, outcome); });
    test("values outside 0 ... 1, NaN and infinities", checkHostileValues);
    test("canBeAutomated answers", checkAutomatable);
    test("properties agree with the values", checkProperties);
}

}  // namespace aldermark
