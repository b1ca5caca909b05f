// Text edits: the frame's editor opens on a click and ends by Enter, Tab, Escape, a click
// elsewhere or a loss of focus.
#include <gtest/gtest.h>

#include "tests/support/key_input.h"
#include "tests/toolkit/test_support.h"

using namespace testsupport;

namespace {

using testkeys::press;
using testkeys::type;

struct TextEditFixture : ::testing::Test {
    OffscreenFrame f{200, 60};
    RecordingListener listener;
    CTextEdit* edit = new CTextEdit(CRect(10, 10, 110, 30), &listener, 70, "100");

    void SetUp() override { f.frame->addView(edit); }
    void open() { ASSERT_EQ(f.frame->platformOnMouseDown(CPoint(20, 20), kLeftClick), kMouseEventHandled); }
};

}  // namespace

TEST_F(TextEditFixture, EnterTakesTheTypedText) {
    open();
    ASSERT_NE(f.frame->getTextEditBox(), nullptr);
    EXPECT_EQ(f.frame->getTextEditBox()->rect(), CRect(10, 10, 110, 30));
    EXPECT_TRUE(f.window().hasKeyboardFocus());
    press(f.frame, VirtualKey::Back);
    type(f.frame, "5k");
    EXPECT_EQ(edit->getText(), "100") << "the label keeps its text until the edit ends";
    press(f.frame, VirtualKey::Return);
    EXPECT_EQ(edit->getText(), "105k");
    EXPECT_EQ(f.frame->getTextEditBox(), nullptr);
    EXPECT_FALSE(f.window().hasKeyboardFocus());
    EXPECT_EQ(listener.events, (std::vector<std::string>{"begin", "change", "end"}));
}

TEST_F(TextEditFixture, TabTakesAndEscapeDrops) {
    open();
    type(f.frame, "0");
    press(f.frame, VirtualKey::Tab);
    EXPECT_EQ(edit->getText(), "1000");
    open();
    type(f.frame, "junk");
    press(f.frame, VirtualKey::Escape);
    EXPECT_EQ(edit->getText(), "1000");
    EXPECT_EQ(listener.values.size(), 1u) << "Escape tells nobody";
}

TEST_F(TextEditFixture, FocusLossAndClicksElsewhereTakeTheText) {
    open();
    type(f.frame, "1");
    f.frame->platformOnFocusLost();
    EXPECT_EQ(edit->getText(), "1001");
    open();
    type(f.frame, "2");
    f.frame->platformOnMouseDown(CPoint(150, 50), kLeftClick);
    EXPECT_EQ(edit->getText(), "10012");
    EXPECT_EQ(f.frame->getCurrentTextEdit(), nullptr);
}

TEST_F(TextEditFixture, CaretMovesByCharactersAndTheEditorTakesEveryKey) {
    open();
    press(f.frame, VirtualKey::Home);
    type(f.frame, "\xC3");  // not a character on its own: swallowed as U+00C3
    press(f.frame, VirtualKey::Right);
    press(f.frame, VirtualKey::Delete);  // removes the first '0'
    CKeyEvent controlS;
    controlS.character = 's';
    controlS.modifiers = kControl;
    EXPECT_TRUE(f.frame->platformOnKeyDown(controlS)) << "shortcuts do not reach the host while editing";
    press(f.frame, VirtualKey::End);
    press(f.frame, VirtualKey::Back);
    press(f.frame, VirtualKey::Return);
    EXPECT_EQ(edit->getText(), "\xC3\x83" "1");
    EXPECT_FALSE(f.frame->platformOnKeyDown(controlS)) << "no editor open, no focus view";
}

TEST_F(TextEditFixture, RemovingTheEditWhileOpenClosesTheEditorSilently) {
    open();
    type(f.frame, "9");
    f.frame->removeView(edit);
    EXPECT_EQ(f.frame->getTextEditBox(), nullptr);
    press(f.frame, VirtualKey::Return);  // must not reach the freed view
    EXPECT_TRUE(listener.values.empty());
}

TEST_F(TextEditFixture, TheOpenEditorIsDrawnOverTheLabel) {
#ifdef _WIN32
    GTEST_SKIP() << "the Windows edit box is a native child window, not part of the off-screen image";
#endif
    // The editor takes the label's colours; only it draws a frame line here.
    edit->setStyle(kNoFrame);
    edit->setFrameColor(kRedCColor);
    edit->setBackColor(kBlackCColor);
    f.frame->idle();
    EXPECT_LT(f.pixel(10, 20).red, 10);
    open();
    f.frame->idle();
    EXPECT_GT(f.pixel(10, 20).red, 60) << describe(f.pixel(10, 20));
    press(f.frame, VirtualKey::Escape);
    f.frame->idle();
    EXPECT_LT(f.pixel(10, 20).red, 10) << "closed: the label alone again";
}

namespace {

// A window whose "native" editor the test drives by hand, as a Windows EDIT box would.
struct FakeNativeEdit : toolkit::INativeTextEdit {
    std::string current;
    std::vector<CKeyEvent> typed;  // keys the frame typed into it
    std::string text() const override { return current; }
    void typeKey(const CKeyEvent& key) override { typed.push_back(key); }
};

struct FakeWindow : toolkit::IPlatformWindow {
    toolkit::NativeTextEditRequest request;
    std::string specText, specFont;
    FakeNativeEdit* edit = nullptr;
    std::function<void(bool)> finish;
    int paints = 0;

    void invalidRect(const CRect&) override {}
    void processEvents() override {}
    void update() override { ++paints; }
    bool setSize(int, int) override { return true; }
    void takeKeyboardFocus() override {}
    void releaseKeyboardFocus() override {}
    void* nativeHandle() const override { return nullptr; }
    bool focused = false;  // the window system would hand the keys to the edit itself
    bool keysArriveNatively() const override { return focused; }
    std::unique_ptr<toolkit::INativeTextEdit> createNativeTextEdit(const toolkit::NativeTextEditRequest& s,
                                                                   std::function<void(bool)> done) override {
        request = s;
        specText = s.text;
        specFont = s.fontFamily;
        auto box = std::make_unique<FakeNativeEdit>();
        box->current = s.text;
        edit = box.get();
        finish = std::move(done);
        return box;
    }
};

}  // namespace

TEST(NativeTextEdit, TheWindowsEditorIsUsedAndFinishedFromIdle) {
    auto* frame = new CFrame(CRect(0, 0, 200, 60));
    auto window = std::make_unique<FakeWindow>();
    FakeWindow* fake = window.get();
    ASSERT_TRUE(frame->attachWindow(std::move(window)));
    RecordingListener listener;
    auto* panel = new CViewContainer(CRect(20, 10, 200, 60));
    auto* edit = new CTextEdit(CRect(10, 5, 90, 25), &listener, 71, "300");
    edit->setHoriAlign(kRightText);
    panel->addView(edit);
    frame->addView(panel);

    frame->platformOnMouseDown(CPoint(40, 20), kLeftClick);
    ASSERT_NE(fake->edit, nullptr);
    EXPECT_EQ(frame->getTextEditBox(), nullptr) << "no drawn editor besides the native one";
    EXPECT_EQ(fake->request.rect, CRect(30, 15, 110, 35)) << "window coordinates";
    EXPECT_EQ(fake->specText, "300");
    EXPECT_EQ(fake->request.align, 2);
    EXPECT_EQ(fake->specFont, "Arial Narrow");

    fake->edit->current = "10k";
    fake->finish(true);  // Enter, from inside the editor's own handling
    EXPECT_EQ(edit->getText(), "300") << "nothing happens inside the editor's callback";
    EXPECT_TRUE(frame->isTextEditOpen());
    frame->idle();
    EXPECT_FALSE(frame->isTextEditOpen());
    EXPECT_EQ(edit->getText(), "10k");
    EXPECT_EQ(listener.values.size(), 1u);

    // Escape drops.
    frame->platformOnMouseDown(CPoint(40, 20), kLeftClick);
    fake->edit->current = "junk";
    fake->finish(false);
    frame->idle();
    EXPECT_EQ(edit->getText(), "10k");
    EXPECT_EQ(listener.values.size(), 1u);
    frame->close();
}

TEST(HostKeys, ReachAnOpenTextEditOnceAndOnlyThen) {
    auto* frame = new CFrame(CRect(0, 0, 200, 60));
    auto window = std::make_unique<FakeWindow>();
    FakeWindow* fake = window.get();
    ASSERT_TRUE(frame->attachWindow(std::move(window)));
    RecordingListener listener;
    frame->addView(new CTextEdit(CRect(10, 5, 90, 25), &listener, 71, "300"));
    CKeyEvent key;
    key.character = U'7';
    EXPECT_FALSE(frame->onHostKeyDown(key)) << "no edit open: the key is the host's";

    frame->platformOnMouseDown(CPoint(40, 15), kLeftClick);
    ASSERT_NE(fake->edit, nullptr);
    EXPECT_TRUE(frame->onHostKeyDown(key));
    ASSERT_EQ(fake->edit->typed.size(), 1u) << "typed into the native edit";
    EXPECT_EQ(fake->edit->typed[0].character, U'7');
    fake->focused = true;  // now the window system delivers keys to it as well
    EXPECT_TRUE(frame->onHostKeyDown(key)) << "still used";
    EXPECT_EQ(fake->edit->typed.size(), 1u) << "but not typed a second time";
    frame->close();
}

TEST(HostKeys, TypeIntoTheDrawnEditor) {
    OffscreenFrame f(120, 40);
    RecordingListener listener;
    auto* edit = new CTextEdit(CRect(10, 5, 90, 25), &listener, 71, "30");
    f.frame->addView(edit);
    f.frame->platformOnMouseDown(CPoint(40, 15), kLeftClick);
    ASSERT_NE(f.frame->getTextEditBox(), nullptr);
    CKeyEvent zero;
    zero.character = U'0';
    CKeyEvent enter;
    enter.virtualKey = VirtualKey::Return;
    EXPECT_TRUE(f.frame->onHostKeyDown(zero));
    EXPECT_TRUE(f.frame->onHostKeyDown(enter));
    EXPECT_FALSE(f.frame->isTextEditOpen());
    EXPECT_EQ(edit->getText(), "300");
    EXPECT_EQ(listener.values.size(), 1u);
}
