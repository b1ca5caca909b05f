// State as a host keeps it with a project: saved and restored exactly, stable when nothing
// changed, and safe against whatever a damaged or foreign project file hands back.
#include <vector>

#include "tools/aldermark/plugin_instance.h"
#include "tools/aldermark/validation.h"
#include "tools/aldermark/validation_audio.h"

namespace aldermark {
namespace {

void restoreChunk(PluginInstance& plugin, const std::string& chunk) {
    // A copy of its own: the plug-in must not rely on the host keeping the block.
    std::vector<char> copy(chunk.begin(), chunk.end());
    plugin.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(copy.size()), copy.empty() ? nullptr : copy.data());
}

std::string firstDifference(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return "first difference at byte " + std::to_string(i);
    return "none";
}

bool needsChunks(PluginInstance& plugin, TestOutcome& outcome) {
    if (plugin.effect()->flags & effFlagsProgramChunks) return true;
    outcome.skip("the plug-in keeps no state chunk");
    return false;
}

void checkRoundTrip(PluginInstance& plugin, ValidationContext& context, TestOutcome& outcome) {
    if (!needsChunks(plugin, outcome)) return;
    setEveryParameterRandomly(plugin, context);
    const std::string saved = saveChunk(plugin);
    if (!outcome.expect(!saved.empty(), [] { return "getChunk gives no data"; })) return;
    setEveryParameterRandomly(plugin, context);
    restoreChunk(plugin, saved);
    const std::string restored = saveChunk(plugin);
    outcome.expect(restored == saved, [&] {
        return "the state saved after restoring differs from the one restored (" + firstDifference(saved, restored) +
               ")";
    });
}

void checkStable(PluginInstance& plugin, ValidationContext& context, TestOutcome& outcome) {
    if (!needsChunks(plugin, outcome)) return;
    setEveryParameterRandomly(plugin, context);
    const std::string first = saveChunk(plugin), second = saveChunk(plugin);
    outcome.expect(first == second,
                   [&] { return "saving twice gives different states (" + firstDifference(first, second) + ")"; });
}

// After hostile data the effect must still hold sane values, save a state that restores
// exactly, and process audio.
void checkHostileChunks(PluginInstance& plugin, ValidationContext& context, TestOutcome& outcome) {
    if (!needsChunks(plugin, outcome)) return;
    const std::size_t sizes[] = {0, 1, 595, 596, 597, 65536};
    HostBuffers buffers(*plugin.effect(), 512);
    startProcessing(plugin, 44100.0f, 512);
    for (std::size_t size : sizes) {
        std::vector<char> bytes(size);
        for (char& byte : bytes) byte = static_cast<char>(context.randomBelow(256));
        // Exactly the size given, so that a sanitizer build sees a read past the end.
        plugin.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(size), size ? bytes.data() : nullptr);
        const std::string what = std::to_string(size) + " random bytes";
        for (VstInt32 index = 0; index < plugin.effect()->numParams; ++index) {
            const float value = plugin.getParameter(index);
            outcome.expect(value >= 0.0f && value <= 1.0f, [&] {
                return "after " + what + ", parameter " + std::to_string(index) + " reads " + std::to_string(value);
            });
            parameterDisplay(plugin, index);
        }
        const std::string saved = saveChunk(plugin);
        restoreChunk(plugin, saved);
        outcome.expect(saveChunk(plugin) == saved,
                       [&] { return "after " + what + ", the state no longer restores exactly"; });
        buffers.fill(TestSignal::kNoise, 512, context.random());
        buffers.process(*plugin.effect(), 512);
        outcome.expect(buffers.outputsFinite(512), [&] { return "after " + what + ", the output is not finite"; });
    }
    stopProcessing(plugin);
}

}  // namespace

void validateState(ValidationContext& context) {
    const auto test = [&](const char* name, void (*check)(PluginInstance&, ValidationContext&, TestOutcome&)) {
        context.run("state", name, [&](TestOutcome& outcome) {
            PluginInstance plugin;
            if (context.open(plugin, outcome)) check(plugin, context, outcome);
        });
    };
    test("save, change everything, restore, save gives the same bytes", checkRoundTrip);
    test("saving twice without a change gives the same bytes", checkStable);
    test("chunks of 0, 1, 595, 596, 597 and 65536 random bytes", checkHostileChunks);
}

}  // namespace aldermark
