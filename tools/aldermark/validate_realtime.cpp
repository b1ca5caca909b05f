// Real-time safety at the strictest level: processReplacing must not touch the heap, at any
// rate or block size, with any parameters, with good input or broken.
#include "tools/aldermark/allocation_counter.h"
#include "tools/aldermark/plugin_instance.h"
#include "tools/aldermark/validation.h"
#include "tools/aldermark/validation_audio.h"

namespace aldermark {
namespace {

constexpr int kStrictest = 10;

void checkNoAllocation(ValidationContext& context, TestOutcome& outcome) {
    if (context.strictness() < kStrictest) return outcome.skip("only at strictness 10");
    if (!allocation_counter::available()) return outcome.skip("allocations cannot be counted on this platform");
    PluginInstance plugin;
    if (!context.open(plugin, outcome)) return;
    AEffect& effect = *plugin.effect();
    const VstInt32 process = findParameter(plugin, "Process");
    HostBuffers buffers(effect, 4096);
    const TestSignal signals[] = {TestSignal::kNoise, TestSignal::kSquare, TestSignal::kNaN, TestSignal::kSubnormal,
                                  TestSignal::kSilence};
    for (float rate : {44100.0f, 96000.0f, 384000.0f})
        for (int block : {1, 64, 512, 4096}) {
            startProcessing(plugin, rate, block);
            for (int round = 0; round < 8; ++round) {
                // Parameters change between blocks, as automation does; the setter may allocate.
                setEveryParameterRandomly(plugin, context);
                if (process >= 0) plugin.setParameter(process, round % 2 ? 1.0f : 0.0f);
                for (TestSignal signal : signals) {
                    buffers.fill(signal, block, context.random());
                    allocation_counter::begin();
                    buffers.process(effect, block);
                    const long allocations = allocation_counter::end();
                    outcome.expect(allocations == 0, [&] {
                        return std::to_string(allocations) + " heap allocations in processReplacing (" +
                               std::to_string(static_cast<int>(rate)) + " Hz, " + std::to_string(block) + " frames, " +
                               signalName(signal) + ")";
                    });
                }
            }
            stopProcessing(plugin);
        }
}

}  // namespace

void validateRealTimeSafety(ValidationContext& context) {
    context.run("real-time", "no heap allocation in processReplacing",
                [&](TestOutcome& outcome) { checkNoAllocation(context, outcome); });
}

}  // namespace aldermark
