// The message box drawn inside the editor window: on top and modal while it shows, dismissed by
// OK, Enter or Escape, and drawn to match the editor (pictures kept beside the test program).
#include "controls/message_box_view.h"

#include "controls/zeb_buttons.h"
#include "tests/editor/editor_test_support.h"
#include "tests/support/key_input.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using editortest::kLeftClick;

namespace {

constexpr CColor kButtonOff{40, 160, 60, 255};
constexpr CColor kButtonOn{200, 40, 40, 255};
constexpr CColor kPanelFill{36, 38, 42, 255};
constexpr CColor kOkFill{60, 63, 68, 255};
constexpr CColor kOkFillHover{78, 81, 87, 255};

// The editor's window at open, its background and one button at the top left that records what
// it hears, and a second one where an expanded strip would be (beyond the window at first).
class MessageBoxViewTest : public ::testing::Test {
public:
    void SetUp() override {
        background_ = SharedPointer<CBitmap>::adopt(new CBitmap(10000));
        if (background_->isLoaded()) window.frame->setBackground(background_.get());
        for (CRect place : {CRect(20, 20, 60, 40), CRect(20, 230, 60, 250)}) {
            CBitmap* faces = editortest::bandBitmap(40, 40, {kButtonOff, kButtonOn});
            auto* button = new CZEBOnOffButton(place, &heard, 6, faces);
            faces->forget();
            window.frame->addView(button);
        }
    }
    SharedPointer<CMessageBoxView> show(const char* caption = "Could not open manual file",
                                        const char* text = "Make sure Acrobat Reader is installed") {
        return CMessageBoxView::show(window.frame, caption, text);
    }
    void click(CPoint where) {
        window.frame->platformOnMouseDown(where, kLeftClick);
        window.frame->platformOnMouseUp(where, kLeftClick);
    }
    static CPoint centreOf(const CRect& rect) { return rect.getCenter(); }

    editortest::OffscreenFrame window{586, 195};
    editortest::RecordingListener heard;
    SharedPointer<CBitmap> background_;
};

TEST_F(MessageBoxViewTest, ShowsOnTopOfEverythingWithTheKeyboardFocus) {
    const int before = window.frame->getNbViews();
    auto box = show();
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->isShowing());
    EXPECT_EQ(window.frame->getNbViews(), before + 1);
    EXPECT_EQ(window.frame->getView(before), box.get());
    EXPECT_EQ(window.frame->getFocusView(), box.get());
    EXPECT_EQ(box->caption(), "Could not open manual file");
    EXPECT_EQ(box->text(), "Make sure Acrobat Reader is installed");
    EXPECT_FALSE(CMessageBoxView::show(nullptr, "a", "b"));
}

TEST_F(MessageBoxViewTest, NothingUnderItReactsWhileItShows) {
    auto box = show();
    click(CPoint(30, 30));                                      // on the button under the dimming
    click(CPoint(box->panelRect().left + 5, box->panelRect().top + 5));  // on the panel beside OK
    window.frame->platformOnMouseWheel(CPoint(30, 30), 1, CButtonState());
    testkeys::type(window.frame, "a ");
    testkeys::press(window.frame, VirtualKey::Tab);
    EXPECT_TRUE(window.frame->platformOnKeyDown(CKeyEvent{U'x', VirtualKey::NoKey, 0}));
    EXPECT_TRUE(heard.events.empty());
    EXPECT_TRUE(box->isShowing());
    EXPECT_EQ(window.frame->getMouseOverView(), box.get());

    // The editor grows while it shows (a strip opens): the new part is covered too.
    ASSERT_TRUE(window.frame->setSize(586, 261));
    click(CPoint(30, 240));
    EXPECT_TRUE(heard.events.empty());
    EXPECT_NEAR(box->panelRect().getCenter().y, 261 / 2.0, 1);
}

TEST_F(MessageBoxViewTest, OkEnterAndEscapeDismissIt) {
    struct Case {
        const char* what;
        std::function<void(MessageBoxViewTest&, CMessageBoxView&)> act;
    };
    const Case cases[] = {
        {"OK clicked", [](MessageBoxViewTest& t, CMessageBoxView& b) { t.click(centreOf(b.okButtonRect())); }},
        {"Enter", [](MessageBoxViewTest& t, CMessageBoxView&) { testkeys::press(t.window.frame, VirtualKey::Return); }},
        {"Escape", [](MessageBoxViewTest& t, CMessageBoxView&) { testkeys::press(t.window.frame, VirtualKey::Escape); }},
        {"dismissed by its owner", [](MessageBoxViewTest&, CMessageBoxView& b) { b.dismiss(); }},
    };
    const int before = window.frame->getNbViews();
    for (const Case& c : cases) {
        auto box = show();
        ASSERT_TRUE(box);
        c.act(*this, *box.get());
        EXPECT_FALSE(box->isShowing()) << c.what;
        EXPECT_EQ(window.frame->getNbViews(), before) << c.what;
        EXPECT_EQ(window.frame->getFocusView(), nullptr) << c.what;
        box->dismiss();  // a second time does nothing
    }
    click(CPoint(30, 30));  // the window works again
    EXPECT_EQ(heard.events, (std::vector<std::string>{"begin", "change", "end"}));
}

struct EditClient : ITextEditClient {
    std::string text;
    bool accepted = false;
    int calls = 0;
    void textEditDone(const char* t, bool a) override {
        text = t;
        accepted = a;
        ++calls;
    }
};

TEST_F(MessageBoxViewTest, AnOpenTextEditIsEndedFirst) {
    EditClient client;
    ASSERT_TRUE(window.frame->openTextEdit(&client, CRect(100, 20, 200, 36), "-12.0", TextEditBoxStyle{}));
    auto box = show();
    EXPECT_FALSE(window.frame->isTextEditOpen());
    EXPECT_EQ(client.calls, 1);
    EXPECT_TRUE(client.accepted);
    EXPECT_EQ(client.text, "-12.0");
    testkeys::press(window.frame, VirtualKey::Return);  // the box's key now, not the edit's
    EXPECT_FALSE(box->isShowing());
    EXPECT_EQ(client.calls, 1);
}

int countPixels(editortest::OffscreenFrame& window, const CRect& area, const std::function<bool(CColor)>& test) {
    int count = 0;
    for (int y = static_cast<int>(area.top); y < static_cast<int>(area.bottom); ++y)
        for (int x = static_cast<int>(area.left); x < static_cast<int>(area.right); ++x)
            if (test(window.pixel(x, y))) ++count;
    return count;
}

bool amber(CColor c) { return c.red > 170 && c.green > 100 && c.blue < 110; }
bool bright(CColor c) { return c.red > 170 && c.green > 170 && c.blue > 170; }
int luminance(CColor c) { return c.red * 3 + c.green * 6 + c.blue; }

TEST_F(MessageBoxViewTest, LooksLikeTheEditor) {
    const CColor undimmed = window.renderedPixel(300, 10);
    auto box = show();
    window.renderedPixel(0, 0);
    if (auto* image = window.frame->getOffscreenWindow()->image()) image->savePng("message_box_caption.png");

    const CRect panel = box->panelRect();
    const CRect ok = box->okButtonRect();
    EXPECT_LT(luminance(window.pixel(300, 10)), luminance(undimmed) * 2 / 3 + 1) << "the window is dimmed";
    EXPECT_TRUE(editortest::near(window.pixel(static_cast<int>(panel.left) + 4, static_cast<int>(panel.bottom) - 4),
                                 kPanelFill, 4));
    EXPECT_TRUE(editortest::near(window.pixel(static_cast<int>(ok.left) + 3, static_cast<int>(ok.top) + 3), kOkFill, 4));
    const CRect captionRow(panel.left, panel.top, panel.right, panel.top + 24);
    const CRect textRows(panel.left, panel.top + 26, panel.right, ok.top - 2);
    EXPECT_GT(countPixels(window, captionRow, amber), 30) << "an amber caption";
    EXPECT_GT(countPixels(window, textRows, bright), 30) << "light text";
    EXPECT_GT(countPixels(window, ok, bright), 5) << "OK on the button";
    // Hovering lightens the button.
    window.frame->platformOnMouseMoved(centreOf(ok), CButtonState());
    window.frame->idle();
    EXPECT_TRUE(editortest::near(window.pixel(static_cast<int>(ok.left) + 3, static_cast<int>(ok.top) + 3),
                                 kOkFillHover, 4));
    box->dismiss();

    auto plain = show("", "Could not open user manual");
    window.renderedPixel(0, 0);
    if (auto* image = window.frame->getOffscreenWindow()->image()) image->savePng("message_box_plain.png");
    EXPECT_EQ(countPixels(window, plain->panelRect(), amber), 0) << "no caption, no amber";
    EXPECT_LT(plain->panelRect().getHeight(), panel.getHeight());
    EXPECT_GT(countPixels(window, plain->panelRect(), bright), 60);
}

}  // namespace
