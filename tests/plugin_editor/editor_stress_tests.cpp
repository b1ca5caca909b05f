// Opening and closing the editor over and over while the audio thread processes and
// another thread automates parameters, as a busy session does. Meant for the sanitizer
// builds: any race or leak in the editor's lifecycle shows up here.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/plugin_editor/editor_host.h"
#include "tests/support/host_window.h"

using namespace editortest;

TEST(EditorStress, ThousandOpenCloseCyclesWhileAudioAndAutomationRun) {
    VstEditorHost host;
    testsupport::TestHostWindow window;
    ASSERT_TRUE(window.valid());
    host.start(48000.0f, 256);
    AEffect* effect = host.effect();
    std::atomic<bool> stop{false};

    std::thread audio([&] {
        std::vector<float> in(256), out1(256), out2(256);
        for (std::size_t i = 0; i < in.size(); ++i) in[i] = (i % 32 < 16) ? 0.5f : -0.5f;
        float* inputs[2] = {in.data(), in.data() + 0};
        float* outputs[2] = {out1.data(), out2.data()};
        while (!stop.load()) effect->processReplacing(effect, inputs, outputs, 256);
    });
    std::thread automation([&] {
        // Every parameter the editor shows, the meter and the strip switches among them.
        const int indices[] = {0, 1, 2, 3, 4, 5, 6, 7, 15, 16, 67, 72, 83, 88, 93};
        unsigned step = 0;
        while (!stop.load()) {
            const int index = indices[step % (sizeof indices / sizeof indices[0])];
            effect->setParameter(effect, index, static_cast<float>(step % 11) / 10.0f);
            ++step;
            std::this_thread::yield();
        }
    });

    // A thousand on Linux, where the sanitizers watch; under Wine each window costs a
    // tenth of a second of Wine's own work, so fewer cycles there.
#ifdef _WIN32
    constexpr int kCycles = 100;
#else
    constexpr int kCycles = 1000;
#endif
    int opened = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        opened += host.dispatch(effEditOpen, 0, 0, window.handle()) == 1;
        host.dispatch(effEditIdle);
        if (cycle % 50 == 0) window.pump(20);  // now and then let the timer tick for real
        host.dispatch(effEditClose);
    }
    stop.store(true);
    audio.join();
    automation.join();
    EXPECT_EQ(opened, kCycles);
    EXPECT_EQ(host.editor()->getFrame(), nullptr);
}
