// aldermark info: loads the plug-in, applies --set, and prints what a host learns about it
// as JSON: identity, record fields, pins, capabilities and every host-visible parameter.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <ostream>

#include "tools/aldermark/commands.h"
#include "tools/aldermark/json_writer.h"
#include "tools/aldermark/named_settings.h"
#include "tools/aldermark/plugin_instance.h"
#include "vst2/templete.h"

namespace aldermark {
namespace {

const char* const kCategoryNames[] = {"Unknown",     "Effect",      "Synth",   "Analysis",
                                      "Mastering",   "Spacializer", "RoomFx",  "SurroundFx",
                                      "Restoration", "OfflineProcess", "Shell", "Generator"};

const char* const kCapabilities[] = {"offline", "plugAsChannelInsert", "1in1out", "1in2out", "2in2out"};

std::string fourCharText(VstInt32 code) {
    const auto bits = static_cast<std::uint32_t>(code);
    return {static_cast<char>(bits >> 24), static_cast<char>(bits >> 16), static_cast<char>(bits >> 8),
            static_cast<char>(bits)};
}

void writeFlags(JsonWriter& json, VstInt32 flags) {
    json.beginObject(true);
    json.member("value", flags);
    json.member("hasEditor", (flags & effFlagsHasEditor) != 0);
    json.member("canReplacing", (flags & effFlagsCanReplacing) != 0);
    json.member("programChunks", (flags & effFlagsProgramChunks) != 0);
    json.member("isSynth", (flags & effFlagsIsSynth) != 0);
    json.member("noSoundInStop", (flags & effFlagsNoSoundInStop) != 0);
    json.member("canDoubleReplacing", (flags & effFlagsCanDoubleReplacing) != 0);
    json.endObject();
}

void writePins(JsonWriter& json, PluginInstance& plugin, VstInt32 opcode) {
    json.beginArray();
    for (VstInt32 index = 0; index < 2; ++index) {
        VstPinProperties pin{};
        const bool answered = plugin.dispatch(opcode, index, 0, &pin) != 0;
        pin.label[sizeof pin.label - 1] = 0;
        pin.shortLabel[sizeof pin.shortLabel - 1] = 0;
        json.beginObject(true);
        json.member("index", index);
        json.member("answered", answered);
        json.member("label", pin.label);
        json.member("shortLabel", pin.shortLabel);
        json.member("flags", pin.flags);
        json.endObject();
    }
    json.endArray();
}

void writeParameters(JsonWriter& json, PluginInstance& plugin) {
    const VstInt32 count = std::min(plugin.effect()->numParams, static_cast<VstInt32>(kHostParameterCount));
    json.beginArray();
    for (VstInt32 index = 0; index < count; ++index) {
        json.beginObject(true);
        json.member("index", index);
        json.member("name", plugin.text(effGetParamName, index));
        json.member("label", plugin.text(effGetParamLabel, index));
        json.member("display", plugin.text(effGetParamDisplay, index));
        json.member("value", plugin.getParameter(index));
        json.member("automatable", plugin.dispatch(effCanBeAutomated, index) != 0);
        json.endObject();
    }
    json.endArray();
}

std::string describe(PluginInstance& plugin, const std::string& path) {
    const AEffect& record = *plugin.effect();
    const auto category = static_cast<VstInt32>(plugin.dispatch(effGetPlugCategory));
    JsonWriter json;
    json.beginObject();
    json.member("plugin", path);
    json.member("effectName", plugin.text(effGetEffectName));
    json.member("product", plugin.text(effGetProductString));
    json.member("vendor", plugin.text(effGetVendorString));
    json.member("vendorVersion", static_cast<std::int64_t>(plugin.dispatch(effGetVendorVersion)));
    json.member("vstVersion", static_cast<std::int64_t>(plugin.dispatch(effGetVstVersion)));
    json.member("category", category);
    json.key("categoryName");
    if (category >= 0 && category < static_cast<VstInt32>(std::size(kCategoryNames)))
        json.value(kCategoryNames[category]);
    else
        json.nullValue();
    json.member("uniqueId", record.uniqueID);
    json.member("uniqueIdText", fourCharText(record.uniqueID));
    json.member("version", record.version);
    json.key("flags");
    writeFlags(json, record.flags);
    json.member("numPrograms", record.numPrograms);
    json.member("numParams", record.numParams);
    json.member("numInputs", record.numInputs);
    json.member("numOutputs", record.numOutputs);
    json.member("initialDelay", record.initialDelay);
    json.key("inputs");
    writePins(json, plugin, effGetInputProperties);
    json.key("outputs");
    writePins(json, plugin, effGetOutputProperties);
    json.key("canDo");
    json.beginObject(true);
    for (const char* capability : kCapabilities) {
        char text[64] = {};
        std::snprintf(text, sizeof text, "%s", capability);  // the plug-in gets a writable copy
        json.member(capability, static_cast<std::int64_t>(plugin.dispatch(effCanDo, 0, 0, text)));
    }
    json.endObject();
    json.key("parameters");
    writeParameters(json, plugin);
    json.endObject();
    return json.text();
}

// --settings: every setting a name addresses, with its value now (the meter settings as
// the effect keeps them), the values it takes and its unit.
std::string settingsTable(PluginInstance& plugin) {
    std::string table;
    const auto addRow = [&table](const std::string& index, const std::string& name, const std::string& current,
                                 const std::string& range, const std::string& unit) {
        char line[160];
        std::snprintf(line, sizeof line, "%5s  %-18s  %-9s  %-23s  %s", index.c_str(), name.c_str(), current.c_str(),
                      range.c_str(), unit.c_str());
        std::string row = line;
        row.erase(row.find_last_not_of(' ') + 1);
        table += row + "\n";
    };
    addRow("index", "name", "current", "range", "unit");
    for (const int index : named_settings::indices())
        addRow(std::to_string(index), named_settings::name(index),
               named_settings::valueText(index, plugin.getParameter(index)), named_settings::range(index),
               named_settings::unit(index));
    return table;
}

}  // namespace

int runInfo(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    static constexpr auto specs = withSettingOptions<false>({kPluginOption, {"--settings", false, false}});
    ParsedOptions options;
    PluginOptions pluginOptions;
    std::string error;
    if (!parseOptions(args, specs, options, error) || !readPluginOptions(options, pluginOptions, error, false))
        return reportError(err, "info", error, kExitUsage);

    // The plug-in starts as it would in a session, from the user's settings, but in a store
    // of the run's own: what it writes when it closes stays there.
    pluginOptions.settings.useUserSettingsQuietly();
    if (!pluginOptions.settings.begin("info", err, error)) return reportError(err, "info", error);
    PluginInstance plugin;
    if (!openPlugin(pluginOptions, plugin, error)) return reportError(err, "info", error);
    if (options.has("--settings")) {
        if (plugin.effect()->uniqueID != Templete::kUniqueId)
            return reportError(err, "info", "--settings lists ZEB Aldermark's settings; '" +
                                                plugin.text(effGetEffectName) + "' is another plug-in");
        out << settingsTable(plugin);
    } else {
        out << describe(plugin, pluginOptions.path);
    }
    return out.good() ? kExitOk : reportError(err, "info", "cannot write the report");
}

}  // namespace aldermark
