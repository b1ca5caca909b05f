// Instances created and destroyed on several threads while others process and the GUI side
// changes parameters: nothing may crash, hang or race (the sanitizer builds check the races).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "effect_host.h"

namespace {

TEST(EffectThreads, InstancesComeAndGoWhileOthersProcess) {
    resetProcessDefaults();
    EffectHost steady;
    steady.set(0, 1.0f);
    steady.set(8, 1.0f);
    steady.start();
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        std::vector<float> in(256, 0.25f), outL(256), outR(256);
        while (!stop.load()) steady.process(in, in, outL, outR);
    });
    std::thread gui([&] {
        for (int i = 0; !stop.load(); ++i) {
            steady.set(i % 17, static_cast<float>(i % 5) / 4.0f);
            steady.set(72 + i % 29, static_cast<float>(i % 3) / 2.0f);
            steady.display(i % 17);
            void* chunk = nullptr;
            steady.dispatch(effGetChunk, 0, 0, &chunk);
            steady.object().selectedMeter()->displayValue(MeterModel::kNeedle, 0, 0.5);
        }
    });
    std::vector<std::thread> makers;
    for (int t = 0; t < 3; ++t) {
        makers.emplace_back([] {
            for (int i = 0; i < 20; ++i) {
                AEffect* e = createEffect(testHostCallback);
                ASSERT_NE(e, nullptr);
                e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
                e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
                std::vector<float> in(128, 0.5f), out(128);
                float* ins[2] = {in.data(), in.data()};
                float* outs[2] = {out.data(), out.data()};
                e->processReplacing(e, ins, outs, 128);
                e->setParameter(e, 3, static_cast<float>(i % 3) / 2.0f);
                e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
            }
        });
    }
    for (auto& m : makers) m.join();
    stop = true;
    audio.join();
    gui.join();
    EXPECT_TRUE(std::isfinite(steady.object().rmsMeter()->current(MeterModel::kNeedle, 0)));
}

}  // namespace
