// Hosts set parameters from their audio thread while the GUI thread draws: texts and values
// written from another thread reach the views without races.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "controls/selectors.h"
#include "controls/text_edits.h"
#include "controls/zeb_knobs.h"
#include "tests/editor/editor_test_support.h"

using namespace editortest;

TEST(EditorThreads, ValuesAndTextsSetFromAnotherThreadWhileDrawing) {
    OffscreenFrame f{300, 60};
    RecordingListener listener;
    auto* trimText = new CZEBTextEditTM(CRect(0, 0, 60, 15), &listener, 68, "0");
    trimText->setValueToTextFunction(
        [](float value, char* text, void*) { std::snprintf(text, 256, "%+.1f dB", static_cast<double>(value * 24 - 12)); },
        nullptr);
    auto* reference = new CFrontReferenceControl(CRect(0, 20, 200, 34), &listener, 83, nullptr);
    auto* knob = new CAnimKnob4(CRect(210, 0, 230, 20), &listener, 85, 3, 20, nullptr);
    f.frame->addView(trimText);
    f.frame->addView(reference);
    f.frame->addView(knob);

    std::atomic<bool> stop{false};
    std::atomic<int> rounds{0};
    std::thread host([&] {
        for (int i = 0; !stop.load(); ++i, ++rounds) {
            const float value = static_cast<float>(i % 100) / 99.f;
            trimText->setValue(value);
            knob->setValue(value);
            reference->setCaption(i % 2 ? "-18 dBFS" : "-20 dBFS");
        }
    });
    for (int frame = 0; frame < 50 || rounds.load() < 1000; ++frame) f.frame->idle();
    stop = true;
    host.join();
    f.frame->idle();
    const std::string text = trimText->getText();
    EXPECT_EQ(text.back(), 'B') << text;
    const std::string caption = reference->getCaption();
    EXPECT_TRUE(caption == "-18 dBFS" || caption == "-20 dBFS") << caption;
}
