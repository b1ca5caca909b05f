// Threads as hosts use them: parameters set from the user-interface thread while the audio
// thread processes, instances made and closed on several threads at once.
#include <atomic>
#include <thread>
#include <vector>

#include "tools/aldermark/plugin_instance.h"
#include "tools/aldermark/validation.h"
#include "tools/aldermark/validation_audio.h"

namespace aldermark {
namespace {

void checkParametersWhileProcessing(ValidationContext& context, TestOutcome& outcome) {
    PluginInstance plugin;
    if (!context.open(plugin, outcome)) return;
    const VstInt32 count = plugin.effect()->numParams;
    if (count == 0) return outcome.skip("no parameters");
    startProcessing(plugin, 48000.0f, 256);
    const int sets = context.scaled(100, 500);
    std::vector<std::pair<VstInt32, float>> changes;
    for (int i = 0; i < sets; ++i) changes.emplace_back(context.randomBelow(count), context.randomUnit());
    {
        BackgroundAudio audio(*plugin.effect(), 256, context.options().seed);
        audio.waitForBlocks(1);
        std::atomic<bool> changing{true};
        std::thread editor([&] {
            for (const auto& [index, value] : changes) {
                plugin.setParameter(index, value);
                parameterDisplay(plugin, index);  // a generic editor shows what it set
            }
            changing.store(false);
        });
        // Blocks during the changes and after the last one.
        while (changing.load()) std::this_thread::yield();
        editor.join();
        audio.waitForBlocks(2);
        audio.stop();
        outcome.expect(!audio.sawNonFiniteOutput(), [] { return "non-finite output while parameters changed"; });
    }
    stopProcessing(plugin);
}

void checkInstancesOnThreads(ValidationContext& context, TestOutcome& outcome) {
    constexpr int kThreads = 4;
    const int perThread = context.scaled(2, 6);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            std::mt19937_64 random(context.options().seed + static_cast<std::uint64_t>(t));
            for (int i = 0; i < perThread; ++i) {
                PluginInstance plugin;
                std::string error;
                if (!plugin.load(context.options().pluginPath, error)) {
                    failures.fetch_add(1);
                    continue;
                }
                HostBuffers buffers(*plugin.effect(), 512);
                startProcessing(plugin, 44100.0f, 512);
                for (int block = 0; block < 4; ++block) {
                    buffers.fill(TestSignal::kNoise, 512, random);
                    buffers.process(*plugin.effect(), 512);
                    if (!buffers.outputsFinite(512)) failures.fetch_add(1);
                }
                stopProcessing(plugin);
            }
        });
    for (std::thread& thread : threads) thread.join();
    outcome.expect(failures.load() == 0, [&] {
        return "loading or processing failed " + std::to_string(failures.load()) + " times on several threads";
    });
}

}  // namespace

void validateThreads(ValidationContext& context) {
    context.run("threads", "parameters set from another thread while processing",
                [&](TestOutcome& outcome) { checkParametersWhileProcessing(context, outcome); });
    context.run("threads", "instances created and closed on four threads",
                [&](TestOutcome& outcome) { checkInstancesOnThreads(context, outcome); });
}

}  // namespace aldermark
