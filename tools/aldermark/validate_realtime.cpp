// Real-time safety at the strictest level: processReplacing must neither touch the heap nor
// wait without a limit, at any rate or block size, with any parameters, with good input or
// broken.
#include "tools/aldermark/allocation_counter.h"
#include "tools/aldermark/plugin_instance.h"
#include "tools/aldermark/validation.h"
#include "tools/aldermark/validation_audio.h"
#include "tools/aldermark/wait_counter.h"

namespace aldermark {
namespace {

constexpr int kStrictest = 10;

// One thing counted on the audio thread while processReplacing runs.
struct Probe {
    const char* test;   // the test's name in the report
    const char* what;   // what was counted, in a failure
    bool (*available)();
    void (*begin)();
    long (*end)();
};

const Probe kProbes[] = {
    {"no heap allocation in processReplacing", "heap allocations", allocation_counter::available,
     allocation_counter::begin, allocation_counter::end},
    {"no wait without a time limit in processReplacing", "waits without a time limit (locks, condition waits)",
     wait_counter::available, wait_counter::begin, wait_counter::end},
};

void checkProcessing(ValidationContext& context, const Probe& probe, TestOutcome& outcome) {
    if (context.strictness() < kStrictest) return outcome.skip("only at strictness 10");
    if (!probe.available()) return outcome.skip("cannot be counted in this build");
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
                    probe.begin();
                    buffers.process(effect, block);
                    const long counted = probe.end();
                    outcome.expect(counted == 0, [&] {
                        return std::to_string(counted) + " " + probe.what + " in processReplacing (" +
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
    for (const Probe& probe : kProbes)
        context.run("real-time", probe.test, [&](TestOutcome& outcome) { checkProcessing(context, probe, outcome); });
}

}  // namespace aldermark
