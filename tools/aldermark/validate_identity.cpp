// Identity, record fields, capabilities, pins and programs: what a host asks right after
// loading a plug-in, and what it shows in its menus.
#include <cstring>

#include "tools/aldermark/plugin_instance.h"
#include "tools/aldermark/validation.h"

namespace aldermark {
namespace {

// Asks for a text with a buffer of `limit` bytes followed by a marked zone: the text must
// be terminated within the limit and the zone untouched.
bool boundedText(PluginInstance& plugin, VstInt32 opcode, VstInt32 index, int limit, std::string& text) {
    char buffer[512];
    std::memset(buffer, 0, static_cast<std::size_t>(limit));
    std::memset(buffer + limit, 0x5a, sizeof buffer - static_cast<std::size_t>(limit));
    plugin.dispatch(opcode, index, 0, buffer);
    for (std::size_t i = static_cast<std::size_t>(limit); i < sizeof buffer; ++i)
        if (buffer[i] != 0x5a) return false;
    const void* end = std::memchr(buffer, 0, static_cast<std::size_t>(limit));
    if (!end) return false;
    text = buffer;
    return true;
}

void checkNames(PluginInstance& plugin, TestOutcome& outcome) {
    struct Query {
        VstInt32 opcode;
        const char* what;
        int limit;
    };
    const Query queries[] = {{effGetEffectName, "effect name", kVstMaxEffectNameLen},
                             {effGetProductString, "product string", kVstMaxProductStrLen},
                             {effGetVendorString, "vendor string", kVstMaxVendorStrLen}};
    for (const Query& query : queries) {
        std::string text;
        if (outcome.expect(boundedText(plugin, query.opcode, 0, query.limit, text), [&] {
                return std::string("the ") + query.what + " overruns its " + std::to_string(query.limit) + "-byte buffer";
            }))
            outcome.expect(!text.empty(), [&] { return std::string("the ") + query.what + " is empty"; });
    }
}

void checkRecord(PluginInstance& plugin, TestOutcome& outcome) {
    const AEffect& record = *plugin.effect();
    outcome.expect(record.uniqueID != 0, [] { return "the unique ID is 0"; });
    outcome.expect(record.numInputs >= 1 && record.numOutputs >= 1, [] { return "an effect needs inputs and outputs"; });
    outcome.expect(record.initialDelay >= 0, [] { return "the initial delay is negative"; });
    outcome.expect((record.flags & effFlagsCanReplacing) && record.processReplacing,
                   [] { return "processReplacing is not offered"; });
    outcome.expect(!(record.flags & effFlagsCanDoubleReplacing) || record.processDoubleReplacing,
                   [] { return "double processing is announced but missing"; });
    outcome.expect(record.setParameter && record.getParameter, [] { return "setParameter or getParameter is missing"; });
    const VstIntPtr vstVersion = plugin.dispatch(effGetVstVersion);
    outcome.expect(vstVersion >= 2400, [&] { return "VST version " + std::to_string(vstVersion) + ", not 2.4"; });
    const VstIntPtr category = plugin.dispatch(effGetPlugCategory);
    outcome.expect(category >= kPlugCategUnknown && category <= kPlugCategGenerator,
                   [&] { return "unknown category " + std::to_string(category); });
    outcome.expect(plugin.dispatch(effGetVendorVersion) >= 0, [] { return "negative vendor version"; });
    outcome.expect(plugin.dispatch(effGetTailSize) >= 0, [] { return "negative tail size"; });
    if (record.flags & effFlagsHasEditor) {
        ERect* rect = nullptr;
        plugin.dispatch(effEditGetRect, 0, 0, &rect);
        outcome.expect(rect && rect->right > rect->left && rect->bottom > rect->top,
                       [] { return "an editor is announced but effEditGetRect gives no size"; });
    }
}

void checkCapabilities(PluginInstance& plugin, TestOutcome& outcome) {
    const char* const questions[] = {"offline", "plugAsChannelInsert", "1in1out", "1in2out", "2in2out",
                                     "sendVstEvents", "receiveVstMidiEvent", "bypass", "", "x"};
    for (const char* question : questions) {
        char text[64] = {};
        std::strncpy(text, question, sizeof text - 1);
        const VstIntPtr answer = plugin.dispatch(effCanDo, 0, 0, text);
        outcome.expect(answer >= -1 && answer <= 1,
                       [&] { return "canDo \"" + std::string(question) + "\" answers " + std::to_string(answer); });
    }
    // A question the plug-in cannot know, and one that only begins like a known one.
    char unknown[] = "aldermarkValidatorUnknownCapability";
    outcome.expect(plugin.dispatch(effCanDo, 0, 0, unknown) != 1, [] { return "canDo says yes to anything"; });
    char prefix[] = "offlin";
    outcome.expect(plugin.dispatch(effCanDo, 0, 0, prefix) != 1, [] { return "canDo matches a prefix"; });
}

void checkPins(PluginInstance& plugin, TestOutcome& outcome) {
    const AEffect& record = *plugin.effect();
    for (VstInt32 opcode : {effGetInputProperties, effGetOutputProperties}) {
        const VstInt32 pins = opcode == effGetInputProperties ? record.numInputs : record.numOutputs;
        for (VstInt32 index = 0; index <= pins + 1; ++index) {
            VstPinProperties pin;
            std::memset(&pin, 0x5a, sizeof pin);
            const bool answered = plugin.dispatch(opcode, index, 0, &pin) != 0;
            if (index >= pins) {
                outcome.expect(!answered, [&] { return "pin " + std::to_string(index) + " past the last is described"; });
                continue;
            }
            if (!answered) continue;  // describing pins is optional
            outcome.expect(std::memchr(pin.label, 0, sizeof pin.label) != nullptr,
                           [&] { return "pin " + std::to_string(index) + "'s label is not terminated"; });
            outcome.expect(std::memchr(pin.shortLabel, 0, sizeof pin.shortLabel) != nullptr,
                           [&] { return "pin " + std::to_string(index) + "'s short label is not terminated"; });
        }
    }
    // Hosts ask with null when they only want to know whether pins are described.
    plugin.dispatch(effGetInputProperties, 0, 0, nullptr);
    plugin.dispatch(effGetOutputProperties, 0, 0, nullptr);
}

void checkProgramNames(PluginInstance& plugin, TestOutcome& outcome) {
    const VstInt32 programs = plugin.effect()->numPrograms;
    for (VstInt32 index = -1; index <= programs; ++index) {
        std::string name;
        const bool bounded = boundedText(plugin, effGetProgramNameIndexed, index, kVstMaxProgNameLen, name);
        outcome.expect(bounded, [&] { return "program " + std::to_string(index) + "'s name overruns 24 bytes"; });
    }
    std::string current;
    outcome.expect(boundedText(plugin, effGetProgramName, 0, kVstMaxProgNameLen, current),
                   [] { return "the current program's name overruns 24 bytes"; });
}

void checkProgramChanges(PluginInstance& plugin, ValidationContext& context, TestOutcome& outcome) {
    const VstInt32 programs = plugin.effect()->numPrograms;
    const VstIntPtr original = plugin.dispatch(effGetProgram);
    if (!outcome.expect(original >= 0 && (programs == 0 || original < programs),
                        [&] { return "current program " + std::to_string(original) + " is out of range"; }))
        return;
    for (int change = 0; change < 5 && programs > 0; ++change) {
        const VstInt32 program = context.randomBelow(programs);
        plugin.dispatch(effBeginSetProgram);
        plugin.dispatch(effSetProgram, 0, program);
        plugin.dispatch(effEndSetProgram);
        const VstIntPtr now = plugin.dispatch(effGetProgram);
        outcome.expect(now >= 0 && now < programs, [&] { return "after a change the program is " + std::to_string(now); });
    }
    plugin.dispatch(effSetProgram, 0, original);
    outcome.expect(plugin.dispatch(effGetProgram) == original, [] { return "the first program does not come back"; });
    // A name set on the current program is read back, unless the plug-in keeps fixed names.
    char old[kVstMaxProgNameLen + 1] = {};
    plugin.dispatch(effGetProgramName, 0, 0, old);
    char name[] = "Validator";
    plugin.dispatch(effSetProgramName, 0, 0, name);
    const std::string now = plugin.text(effGetProgramName);
    outcome.expect(now == name || now == old, [&] { return "a program name set reads back as \"" + now + "\""; });
    plugin.dispatch(effSetProgramName, 0, 0, old);
}

}  // namespace

void validateIdentity(ValidationContext& context) {
    const struct {
        const char* name;
        void (*check)(PluginInstance&, TestOutcome&);
    } tests[] = {{"names within their buffers", checkNames},
                 {"record fields, version and category", checkRecord},
                 {"canDo answers", checkCapabilities},
                 {"pin properties", checkPins}};
    for (const auto& test : tests)
        context.run("identity", test.name, [&](TestOutcome& outcome) {
            PluginInstance plugin;
            if (context.open(plugin, outcome)) test.check(plugin, outcome);
        });
}

void validatePrograms(ValidationContext& context) {
    context.run("programs", "names within 24 bytes", [&](TestOutcome& outcome) {
        PluginInstance plugin;
        if (context.open(plugin, outcome)) checkProgramNames(plugin, outcome);
    });
    context.run("programs", "five random changes, then back", [&](TestOutcome& outcome) {
        PluginInstance plugin;
        if (context.open(plugin, outcome)) checkProgramChanges(plugin, context, outcome);
    });
}

}  // namespace aldermark
