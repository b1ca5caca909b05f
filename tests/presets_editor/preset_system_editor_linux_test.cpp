// The editor base on Linux: messages appear as the box drawn in the window, late answers of
// xdg-open are shown from the idle step, and closing the editor takes both down.
#include "tests/presets_editor/editor_fixture.h"

#include "tests/support/fake_xdg_open.h"

#include <gtest/gtest.h>

#include <fstream>

using presettest::TestEditor;
using presettest::TestEffect;

namespace {

class LinuxEditorMessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        editor_ = new TestEditor(&effect_);
        editor_->showMessagesForReal = true;
        ASSERT_TRUE(editor_->openOffscreen());
    }
    void TearDown() override { editor_->close(); }
    void pressManualButton() {
        editor_->valueChanged(presettest::controlWith(CPresetSystemEditor::kManualButtonTag).get());
    }

    presettest::SettingsScope scope_;
    faketest::FakeXdgOpen xdg_;
    TestEffect effect_;
    TestEditor* editor_ = nullptr;  // owned by the effect
};

TEST_F(LinuxEditorMessagesTest, AFailureIsShownAsTheBoxDrawnInTheWindow) {
    pressManualButton();  // no "ManualPath": answered at once
    CMessageBoxView* box = editor_->shownMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->caption(), "");
    EXPECT_EQ(box->text(), "Could not open user manual");
    EXPECT_EQ(editor_->getFrame()->getView(editor_->getFrame()->getNbViews() - 1), box);

    // Keys the host routes to the editor reach the box.
    VstKeyCode escape{0, VKEY_ESCAPE, 0};
    EXPECT_TRUE(editor_->onKeyDown(escape));
    EXPECT_EQ(editor_->shownMessageBox(), nullptr);
}

TEST_F(LinuxEditorMessagesTest, ALateAnswerIsShownFromTheIdleStep) {
    ASSERT_TRUE(presettest::writeManualPath("/opt/zeb/manual.aldermark"));
    xdg_.hold();
    xdg_.setExitCode(3);
    pressManualButton();
    EXPECT_TRUE(editor_->isOpeningManual());
    EXPECT_EQ(editor_->shownMessageBox(), nullptr);  // the host was not kept waiting
    xdg_.release();
    ASSERT_TRUE(editor_->settle());
    SharedPointer<CMessageBoxView> box(editor_->shownMessageBox());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption(), "Could not open manual file");
    EXPECT_EQ(box->text(), "Make sure Acrobat Reader is installed");

    // A second message replaces the first rather than stacking on it.
    const int views = editor_->getFrame()->getNbViews();
    ASSERT_TRUE(presettest::writeManualPath(""));
    pressManualButton();
    EXPECT_EQ(editor_->getFrame()->getNbViews(), views);
    ASSERT_NE(editor_->shownMessageBox(), nullptr);
    EXPECT_EQ(editor_->shownMessageBox()->text(), "Could not open user manual");
    EXPECT_FALSE(box->isShowing());
}

TEST_F(LinuxEditorMessagesTest, ClosingTakesTheBoxDownAndForgetsAPendingOpening) {
    pressManualButton();
    SharedPointer<CMessageBoxView> box(editor_->shownMessageBox());
    ASSERT_TRUE(box);
    editor_->close();
    EXPECT_FALSE(box->isShowing());
    ASSERT_TRUE(editor_->openOffscreen());
    EXPECT_EQ(editor_->getFrame()->getNbViews(), 0);  // reopened: nothing left over

    ASSERT_TRUE(presettest::writeManualPath("/opt/zeb/missing.pdf"));
    xdg_.hold();
    xdg_.setExitCode(2);
    pressManualButton();
    ASSERT_TRUE(xdg_.waitForRun(presettest::kPatience));
    ASSERT_TRUE(editor_->isOpeningManual());
    editor_->close();
    EXPECT_FALSE(editor_->isOpeningManual());
    xdg_.release();
    ASSERT_TRUE(xdg_.waitForFinish(presettest::kPatience));
    ASSERT_TRUE(editor_->openOffscreen());
    EXPECT_TRUE(editor_->settle());
    EXPECT_EQ(editor_->shownMessageBox(), nullptr);  // its failure is not shown in the new window
    EXPECT_EQ(editor_->messages.size(), 1u);          // the first message only
}

}  // namespace
