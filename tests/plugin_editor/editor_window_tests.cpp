// The editor in a real window inside a stand-in for the host's window, driven only through
// the effect's record: rectangle, open, reopen, close, bad parents, the user's zoom, the
// editor's own timer and the pause while the host hides the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "editor/zoom_choice.h"
#include "tests/plugin_editor/editor_host.h"
#include "tests/support/host_window.h"
#if !defined(_WIN32)
#include "tests/support/x11_test_server.h"
#endif
#include "views/meter_display.h"
#include "views/meter_panels.h"

using namespace editortest;
using testsupport::TestHostWindow;

namespace {

ERect rectOf(VstEditorHost& host) {
    ERect* rect = nullptr;
    if (host.dispatch(effEditGetRect, 0, 0, &rect) != 1 || !rect) return ERect{-1, -1, -1, -1};
    return *rect;
}

// Lets the window system and the editor's timer run until `done` or a few seconds passed.
template <class Done>
bool pumpUntil(TestHostWindow& window, Done done) {
    for (int i = 0; i < 300; ++i) {
        if (done()) return true;
        window.pump(10);
    }
    return done();
}

struct EditorWindow : ::testing::Test {
    VstEditorHost host;
    TestHostWindow window;
    void SetUp() override {
        ASSERT_TRUE(window.valid()) << "no window system to open the editor in";
        ASSERT_TRUE(zoom_choice::store(0)) << "the editors open at the host's scale";
        host.start();
    }
    void TearDown() override { zoom_choice::store(0); }
};

}  // namespace

TEST_F(EditorWindow, RectangleIsAnsweredBeforeAndAfterOpening) {
    // At 100 %, and at 200 % as a host states it before opening.
    const struct { float scale; int width, height; } sizes[] = {{1, 586, 195}, {1, 586, 195}, {2, 1172, 390}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size.scale);
        host.dispatch(effVendorSpecific, kVendorScaleIndex, kVendorScaleValue, nullptr, size.scale);
        const ERect before = rectOf(host);
        EXPECT_EQ(before.right - before.left, size.width);
        EXPECT_EQ(before.bottom - before.top, size.height);
        ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, window.handle()), 1);
        const ERect open = rectOf(host);
        EXPECT_EQ(open.right, size.width);
        EXPECT_EQ(open.bottom, size.height);
        host.dispatch(effEditClose);
    }
    EXPECT_EQ(host.dispatch(effEditGetRect, 0, 0, nullptr), 0) << "no place to put the answer";
}

#if !defined(_WIN32)
TEST_F(EditorWindow, AnOpenEditorFollowsTheDesktopsScaleUnlessTheUserZoomed) {
    Display* display = XOpenDisplay(nullptr);  // the tests' private server
    ASSERT_NE(display, nullptr);
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, window.handle()), 1);
    host.events();
    auto widthBecomes = [&](int width) { return pumpUntil(window, [&] { return rectOf(host).right == width; }); };
    // The user changes the system's scale while the editor is open (as xrdb does).
    for (const auto& [resources, width, height] : {std::tuple{"Xft.dpi:\t192\n", 1172, 390},
                                                   std::tuple{"Xft.dpi:\t144\n", 879, 293},
                                                   std::tuple{"", 586, 195}}) {
        SCOPED_TRACE(resources);
        testsupport::setRootResources(display, resources);
        EXPECT_TRUE(widthBecomes(width)) << "still " << rectOf(host).right;
        EXPECT_EQ(rectOf(host).bottom, height);
        std::string size = "size ";
        size += std::to_string(width) + " " + std::to_string(height);
        const std::vector<std::string> events = host.events();
        EXPECT_NE(std::find(events.begin(), events.end(), size), events.end()) << "the host was not asked";
    }
    host.editor()->meterEditor()->chooseZoom(1);
    testsupport::setRootResources(display, "Xft.dpi:\t192\n");
    window.pump(1500);  // three looks
    EXPECT_EQ(rectOf(host).right, 586) << "the user's zoom holds";
    host.dispatch(effEditClose);
    testsupport::setRootResources(display, "");
    XCloseDisplay(display);
}
#endif

TEST_F(EditorWindow, OpensClosesAndReopensAnyNumberOfTimes) {
    TemepleteEditor* editor = host.editor();
    for (int round = 0; round < 25; ++round) {
        ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, window.handle()), 1) << round;
        ASSERT_NE(editor->getFrame(), nullptr);
        EXPECT_TRUE(editor->isTimerRunning());
        EXPECT_NE(editor->getFrame()->getPlatformWindow()->nativeHandle(), nullptr);
        host.dispatch(effEditIdle);
        host.dispatch(effEditClose);
        EXPECT_EQ(editor->getFrame(), nullptr);
        EXPECT_FALSE(editor->isTimerRunning());
    }
    host.dispatch(effEditClose);  // once more: nothing to close
}

TEST_F(EditorWindow, OpenWhileOpenMovesIntoTheNewParent) {
    TestHostWindow second;
    TemepleteEditor* editor = host.editor();
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, window.handle()), 1);
    EXPECT_EQ(window.childCount(), 1);
    host.set(3, 1.0f);
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, second.handle()), 1);
    EXPECT_EQ(editor->getSystemWindow(), second.handle());
    EXPECT_EQ(window.childCount(), 0) << "nothing left behind in the old parent";
    EXPECT_EQ(second.childCount(), 1);
    EXPECT_EQ(editor->currentMeter(), 2);
    host.dispatch(effEditClose);
    EXPECT_EQ(second.childCount(), 0);
}

TEST_F(EditorWindow, BadParentsOpenNothing) {
    TemepleteEditor* editor = host.editor();
    for (void* parent : {static_cast<void*>(nullptr), TestHostWindow::bogusHandle()}) {
        EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, parent), 0);
        EXPECT_EQ(editor->getFrame(), nullptr);
        EXPECT_FALSE(editor->isTimerRunning());
        EXPECT_EQ(host.dispatch(effEditIdle), 0);
    }
    // The failed attempts leave the editor fit for a good parent.
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, window.handle()), 1);
    host.dispatch(effEditClose);
}

TEST_F(EditorWindow, TimerMovesTheNeedlesWithoutHostIdleAndRestsWhileHidden) {
    host.set(3, 1.0f);  // PPM: a quick needle
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, window.handle()), 1);
    TemepleteEditor* editor = host.editor();
    // The timer thread writes the needles under the editor's lock; read them under it too.
    auto shown = [&] {
        AEffGUIEditor::GuiLock lock(*editor);
        return editor->panel(2)->meter(0)->getNeedleValue();
    };
    auto needle = [&] {
        editor->idleStep();
        return shown();
    };
    host.play(0.5f, 4410);
    EXPECT_TRUE(pumpUntil(window, [&] { return shown() > 0.1f; })) << "the timer updated the needle";

    window.setShown(false);
    window.pump(600);  // long enough for the editor to notice
    const float hidden = needle();
    host.play(0.05f, 44100);
    window.pump(200);
    EXPECT_EQ(needle(), hidden) << "nothing moves while nobody can see it";

    window.setShown(true);
    EXPECT_TRUE(pumpUntil(window, [&] { return shown() < hidden * 0.5f; })) << "moving again";
    host.dispatch(effEditClose);
}

TEST_F(EditorWindow, InfiniteHoldShowsABurstThatPlayedWhileHiddenOrClosed) {
    host.set(3, 1.0f);  // PPM
    host.set(5, 0.5f);  // hold mode 1: infinite
    host.set(95, 0.0f); // hold 0.1 s and return 0.1 s: only the infinite hold keeps a burst
    host.set(96, 0.0f);
    auto heldShown = [&](TemepleteEditor* editor) {
        AEffGUIEditor::GuiLock lock(*editor);
        return editor->panel(2)->meter(0)->getHoldValue();
    };
    // Each way the burst can go unwatched: the window hidden, the editor closed.
    for (bool closeEditor : {false, true}) {
        SCOPED_TRACE(closeEditor ? "closed" : "hidden");
        ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, window.handle()), 1);
        host.set(67, 0.0f);  // the reset parameter clears the held maximum
        host.play(0.05f, 4410);
        TemepleteEditor* editor = host.editor();
        ASSERT_TRUE(pumpUntil(window, [&] { return heldShown(editor) < 0.5f; }));
        const float quiet = heldShown(editor);
        if (closeEditor) {
            host.dispatch(effEditClose);
        } else {
            window.setShown(false);
            window.pump(600);
        }
        host.play(0.9f, 2205);       // 50 ms burst
        host.play(0.05f, 44100 * 2); // long after the model's hold has fallen back
        ASSERT_LT(host.object().ppmMeter()->current(MeterModel::kHold, 0), 0.5);
        if (closeEditor)
            ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, window.handle()), 1);
        else
            window.setShown(true);
        editor = host.editor();
        EXPECT_TRUE(pumpUntil(window, [&] { return heldShown(editor) > quiet * 4.0f; }))
            << "held " << heldShown(editor) << " after the burst, " << quiet << " before";
        host.dispatch(effEditClose);
    }
}
