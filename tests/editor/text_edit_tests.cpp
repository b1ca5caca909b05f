// Text edits: opening the edit box, the Enter/Tab/Escape/focus-loss rules, the commit and
// value-to-text functions, the active flag and the tape label.
#include <gtest/gtest.h>

#include <functional>

#include "controls/custom_font.h"
#include "controls/editor_fonts.h"
#include "controls/text_edits.h"
#include "tests/editor/editor_test_support.h"
#include "tests/support/key_input.h"

using namespace editortest;

namespace {

using testkeys::press;
using testkeys::type;

struct Commits {
    std::vector<std::string> texts;
    std::vector<std::string>* order = nullptr;  // shared with the listener's events
    static void record(void* userData, const char* text) {
        auto* self = static_cast<Commits*>(userData);
        self->texts.push_back(text);
        if (self->order) self->order->push_back("commit");
    }
};

struct TextEditFixture : ::testing::Test {
    OffscreenFrame f{200, 80};
    RecordingListener listener;
    Commits commits;
    CViewContainer* box = new CViewContainer(CRect(20, 30, 180, 60));
    CZEBTextEditTM* edit = new CZEBTextEditTM(CRect(10, 5, 110, 25), &listener, 68, "+0.0 dB");

    TextEditFixture() {
        f.frame->addView(box);
        box->addView(edit);
        commits.order = &listener.events;
        edit->setCommitFunction(&Commits::record, &commits);
    }
    bool open() {
        CPoint where(50, 15);
        return edit->onMouseDown(where, kLeftClick) == kMouseEventHandled;
    }
};

}  // namespace

TEST_F(TextEditFixture, EnterTakesTheTextCommitsAndTellsTheListener) {
    ASSERT_TRUE(open());
    EXPECT_TRUE(edit->isTextEditing());
    ASSERT_NE(f.frame->getTextEditBox(), nullptr);
    EXPECT_EQ(f.frame->getTextEditBox()->rect(), CRect(30, 35, 130, 55)) << "over the label, in window coordinates";
    EXPECT_EQ(f.frame->getTextEditBox()->text(), "+0.0 dB");
    for (int i = 0; i < 7; ++i) press(f.frame, VirtualKey::Back);
    type(f.frame, "-3");
    press(f.frame, VirtualKey::Return);
    EXPECT_EQ(edit->getText(), "-3");
    EXPECT_FALSE(edit->isTextEditing());
    EXPECT_EQ(f.frame->getTextEditBox(), nullptr);
    EXPECT_FALSE(f.frame->getOffscreenWindow()->hasKeyboardFocus()) << "focus goes back to the parent";
    EXPECT_EQ(commits.texts, (std::vector<std::string>{"-3"}));
    EXPECT_EQ(listener.events, (std::vector<std::string>{"begin", "commit", "change", "end"}));
}

TEST_F(TextEditFixture, TabTakesEscapeDropsFocusLossTakes) {
    open();
    type(f.frame, "1");
    press(f.frame, VirtualKey::Tab);
    EXPECT_EQ(edit->getText(), "+0.0 dB1");
    open();
    type(f.frame, "junk");
    press(f.frame, VirtualKey::Escape);
    EXPECT_EQ(edit->getText(), "+0.0 dB1");
    EXPECT_FALSE(edit->isTextEditing());
    EXPECT_EQ(commits.texts.size(), 1u) << "Escape commits nothing";
    open();
    type(f.frame, "2");
    f.frame->platformOnFocusLost();
    EXPECT_EQ(edit->getText(), "+0.0 dB12");
    EXPECT_EQ(listener.values.size(), 2u);
}

TEST_F(TextEditFixture, ASecondClickWhileEditingOpensNothingNew) {
    open();
    type(f.frame, "x");
    open();
    EXPECT_EQ(f.frame->getTextEditBox()->text(), "+0.0 dBx") << "the open box keeps what was typed";
    edit->setListener(nullptr);
    press(f.frame, VirtualKey::Escape);
    CPoint where(50, 15);
    EXPECT_EQ(edit->onMouseDown(where, kLeftClick), kMouseEventNotHandled) << "no listener, no edit";
}

TEST_F(TextEditFixture, RemovingTheLabelWhileEditingDropsTheBox) {
    open();
    edit->remember();
    box->removeView(edit);
    EXPECT_FALSE(edit->isTextEditing());
    EXPECT_FALSE(f.frame->isTextEditOpen());
    box->addView(edit);
    EXPECT_TRUE(open()) << "it can be edited again";
    EXPECT_TRUE(edit->isTextEditing());
}

TEST(TextEditValue, ValueToTextFunctionWritesTheLabel) {
    SharedPointer<CZEBTextEditTM> edit =
        SharedPointer<CZEBTextEditTM>::adopt(new CZEBTextEditTM(CRect(0, 0, 40, 12), nullptr, 68, "x"));
    edit->setValue(0.25f);
    EXPECT_EQ(edit->getText(), "x") << "no function: the text stays";
    int calls = 0;
    edit->setValueToTextFunction(
        [](float value, char* text, void* user) {
            ++*static_cast<int*>(user);
            std::snprintf(text, 256, "%+.1f dB", static_cast<double>(value * 24 - 12));
        },
        &calls);
    edit->setValue(0.75f);
    EXPECT_EQ(edit->getText(), "+6.0 dB");
    edit->setValue(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(calls, 1) << "NaN is no value";
}

// ---- The native edit box path: what the window is asked to show, and its outcomes.

namespace {

struct FakeNativeEdit : toolkit::INativeTextEdit {
    std::string content;
    std::string text() const override { return content; }
    void typeKey(const CKeyEvent&) override {}
};

struct FakeWindow : toolkit::IPlatformWindow {
    toolkit::NativeTextEditRequest request;
    std::string family;
    FakeNativeEdit* edit = nullptr;
    std::function<void(bool)> finish;
    void invalidRect(const CRect&) override {}
    void processEvents() override {}
    void update() override {}
    bool setSize(int, int) override { return true; }
    void takeKeyboardFocus() override {}
    void releaseKeyboardFocus() override {}
    void* nativeHandle() const override { return nullptr; }
    std::unique_ptr<toolkit::INativeTextEdit> createNativeTextEdit(const toolkit::NativeTextEditRequest& s,
                                                                   std::function<void(bool)> done) override {
        request = s;
        family = s.fontFamily;
        auto created = std::make_unique<FakeNativeEdit>();
        created->content = s.text;
        edit = created.get();
        finish = std::move(done);
        return created;
    }
};

struct NativeFixture : ::testing::Test {
    CFrame* frame = new CFrame(CRect(0, 0, 200, 60));
    FakeWindow* window = new FakeWindow;
    RecordingListener listener;
    NativeFixture() { frame->attachWindow(std::unique_ptr<toolkit::IPlatformWindow>(window)); }
    ~NativeFixture() override { frame->forget(); }
};

}  // namespace

TEST_F(NativeFixture, BoxUsesTheLabelsFaceSizeAndAlignmentInNormalWeight) {
    auto* edit = new CMyTextEdit(CRect(10, 10, 60, 25), &listener, 70, "1.2k");
    edit->setFont(resourceFont());
    edit->setHoriAlign(kRightText);
    frame->addView(edit);
    edit->setViewSize(CRect(40, 10, 90, 25));  // the edit follows the label
    CPoint where(50, 15);
    edit->onMouseDown(where, kLeftClick);
    ASSERT_NE(window->edit, nullptr);
    EXPECT_EQ(window->request.rect, CRect(40, 10, 90, 25));
    EXPECT_EQ(window->family, "ZEBAldermark");
    EXPECT_EQ(window->request.fontSize, 38);
    EXPECT_EQ(window->request.align, 2);

    window->edit->content = "4.7k";
    window->finish(true);  // Enter, reported from inside the box's own handling
    EXPECT_EQ(edit->getText(), "1.2k") << "taken only at the frame's next idle";
    frame->idle();
    EXPECT_EQ(edit->getText(), "4.7k");
    EXPECT_EQ(listener.values.size(), 1u);
}

TEST_F(NativeFixture, BoldLabelFontOpensANormalWeightBox) {
    SharedPointer<CFontDesc> bold = SharedPointer<CFontDesc>::adopt(new CFontDesc("Arial Narrow", 11, toolkit::kBoldFace));
    auto* edit = new CZEBTextEditTM(CRect(10, 10, 60, 25), &listener, 68, "0");
    edit->setFont(bold.get());
    edit->setHoriAlign(kCenterText);
    frame->addView(edit);
    CPoint where(20, 15);
    edit->onMouseDown(where, kLeftClick);
    EXPECT_EQ(window->family, "Arial Narrow");
    EXPECT_EQ(window->request.fontSize, 11);
    EXPECT_EQ(window->request.align, 1);
    window->edit->content = "9";
    window->finish(false);  // Escape
    frame->idle();
    EXPECT_EQ(edit->getText(), "0");
    EXPECT_TRUE(listener.values.empty());
}

TEST_F(NativeFixture, EditBoxColoursOverrideTheLabelsOwn) {
    auto* edit = new CZEBTextEditTM(CRect(10, 10, 60, 25), &listener, 68, "0");
    edit->setFontColor(kWhite);
    edit->setBackColor(kBlack);
    CZEBTextEditTM::EditBoxColors colors;
    colors.hasBackground = true;
    colors.background = kBlue;
    edit->setEditBoxColors(colors);
    frame->addView(edit);
    CPoint where(20, 15);
    edit->onMouseDown(where, kLeftClick);
    EXPECT_EQ(window->request.backColor, kBlue);
    EXPECT_EQ(window->request.fontColor, kWhite) << "unset colours come from the label";
}

TEST(TextEditDrawing, WhileEditingOnlyTheBackgroundIsDrawn) {
    CFrame* frame = new CFrame(CRect(0, 0, 120, 40));
    auto* window = new FakeWindow;
    frame->attachWindow(std::unique_ptr<toolkit::IPlatformWindow>(window));
    RecordingListener listener;
    auto* edit = new CZEBTextEditTM(CRect(0, 0, 120, 40), &listener, 68, "WWWWWWWW");
    edit->setFont(smallTextFont());
    edit->setBackColor(kBlue);
    edit->setFontColor(kWhite);
    edit->setStyle(kNoFrame);
    frame->addView(edit);
    auto whitePixels = [&] {
        auto image = toolkit::renderFrame(*frame);
        if (!image) return -1;
        int count = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x)
                if (image->pixel(x, y).red > 128) ++count;
        return count;
    };
    EXPECT_GT(whitePixels(), 0);
    CPoint where(20, 15);
    edit->onMouseDown(where, kLeftClick);
    EXPECT_EQ(whitePixels(), 0);
    frame->forget();
}

// ---- Active flag and the tape label

TEST(TextEditActive, InactiveEditDoesNotOpenAndExplains) {
    OffscreenFrame f{100, 40};
    RecordingListener listener;
    auto* edit = new CMyTextEditAH(CRect(0, 0, 42, 15), &listener, 70, "120");
    f.frame->addView(edit);
    CHelpHintLabel* hints = new CHelpHintLabel(CRect(0, 0, 10, 10));
    edit->setHintLabel(hints);
    hints->forget();
    edit->setActive(false);
    CPoint where(10, 5);
    EXPECT_EQ(edit->onMouseDown(where, kLeftClick), kMouseEventHandled);
    EXPECT_FALSE(f.frame->isTextEditOpen());
    edit->onMouseEntered(where, 0);
    EXPECT_EQ(edit->getHintLabel()->getText(), "Click PROCESS to activate FILTERS");
    edit->setActive(true);
    edit->onMouseEntered(where, 0);
    EXPECT_EQ(edit->getHintLabel()->getText(), "");
    edit->onMouseDown(where, kLeftClick);
    EXPECT_TRUE(f.frame->isTextEditOpen());
}

TEST(TapeLabel, TextInInkWhileIdleTapeWhileEditing) {
    // A window with a native edit box, so nothing of the toolkit's own box covers the label.
    CFrame* frame = new CFrame(CRect(0, 0, 560, 80));
    auto* window = new FakeWindow;
    frame->attachWindow(std::unique_ptr<toolkit::IPlatformWindow>(window));
    RecordingListener listener;
    auto* label = new CZEBTapeLabel(CRect(17, 31, 523, 65), &listener, "Master Track");
    frame->addView(label);
    EXPECT_EQ(label->getTag(), 69);
    EXPECT_EQ(label->getText(), "Master Track");
    EXPECT_EQ(label->getFontColor(), CZEBTapeLabel::kTextColor);
    EXPECT_EQ(label->getAnimationRect(), CRect(17, 11, 64, 44)) << "47 x 33, 20 pixels above the label";

    // The tape on its own at the place it is moved to, inside the label.
    const CRect tapeRect(100, 32, 147, 65);
    CFrame* reference = new CFrame(CRect(0, 0, 560, 80));
    auto* tape = new CView(tapeRect);
    CBitmap* tapeBitmap = new CBitmap(CZEBTapeLabel::kTapeBitmapId);
    ASSERT_TRUE(tapeBitmap->isLoaded());
    EXPECT_EQ(tapeBitmap->getWidth(), 47);
    EXPECT_EQ(tapeBitmap->getHeight(), 33);
    tape->setBackground(tapeBitmap);
    tapeBitmap->forget();
    reference->addView(tape);
    auto referenceImage = toolkit::renderFrame(*reference);
    reference->forget();
    ASSERT_TRUE(referenceImage) << "no off-screen image";

    auto matchingTapePixels = [&] {
        auto image = toolkit::renderFrame(*frame);
        if (!image) return -1;
        int count = 0;
        for (int y = 32; y < 65; ++y)
            for (int x = 100; x < 147; ++x)
                if (near(image->pixel(x, y), referenceImage->pixel(x, y))) ++count;
        return count;
    };
    label->setAnimationRect(tapeRect);
    EXPECT_LT(matchingTapePixels(), 47 * 33) << "idle: no tape";
    CPoint where(300, 40);
    label->onMouseDown(where, kLeftClick);
    ASSERT_TRUE(label->isTextEditing());
    EXPECT_EQ(matchingTapePixels(), 47 * 33) << "editing: the tape";
    window->finish(false);
    frame->idle();
    EXPECT_FALSE(label->isTextEditing());
    EXPECT_LT(matchingTapePixels(), 47 * 33);
    label->resetAnimationRect();
    EXPECT_EQ(label->getAnimationRect(), CRect(17, 11, 64, 44));
    frame->forget();
}
