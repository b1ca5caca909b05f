// The editor opcodes reach the effect's editor when it has one; the effect owns the editor
// and announces it through the record's flags.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/vst/recording_effect.h"

namespace {

class RecordingEditor : public AEffEditor {
public:
    RecordingEditor(AudioEffect* fx, CallLog& log) : AEffEditor(fx), log_(log) {
        rect_ = {0, 0, 195, 586};
    }
    ~RecordingEditor() override { log_.lines.push_back("editor destroyed"); }

    bool getRect(ERect** rect) override {
        *rect = &rect_;
        return true;
    }
    bool open(void* parent) override {
        AEffEditor::open(parent);
        log_.lines.push_back("editor open");
        return parent != nullptr;
    }
    void close() override {
        AEffEditor::close();
        log_.lines.push_back("editor close");
    }
    void idle() override { log_.lines.push_back("editor idle"); }
    bool onKeyDown(VstKeyCode& key) override {
        log_.lines.push_back("keyDown " + std::to_string(key.character) + " " + std::to_string(key.virt) + " " +
                             std::to_string(key.modifier));
        return true;
    }
    bool onKeyUp(VstKeyCode& key) override {
        log_.lines.push_back("keyUp " + std::to_string(key.character));
        return false;
    }
    bool setKnobMode(VstInt32 mode) override {
        log_.lines.push_back("knobMode " + std::to_string(mode));
        return true;
    }

private:
    CallLog& log_;
    ERect rect_;
};

TEST(EditorForwarding, OpcodesReachTheEditor) {
    CallLog log;
    RecordingEffect fx(nullptr, log);
    fx.setEditor(new RecordingEditor(&fx, log));
    EXPECT_EQ(fx.getAeffect()->flags & effFlagsHasEditor, effFlagsHasEditor);

    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(fx, effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 586);
    EXPECT_EQ(rect->bottom - rect->top, 195);

    int window = 0;
    EXPECT_EQ(dispatch(fx, effEditOpen, 0, 0, &window), 1);
    EXPECT_TRUE(fx.getEditor()->isOpen());
    EXPECT_EQ(fx.getEditor()->getSystemWindow(), &window);
    dispatch(fx, effEditIdle);
    EXPECT_TRUE(log.contains("editor idle"));

    // Character in index, virtual key in value, modifiers in opt.
    EXPECT_EQ(dispatch(fx, effEditKeyDown, 'a', 12, nullptr, 3.0f), 1);
    EXPECT_TRUE(log.contains("keyDown 97 12 3"));
    dispatch(fx, effEditKeyDown, 'b', 13, nullptr, std::nanf(""));
    EXPECT_TRUE(log.contains("keyDown 98 13 0")) << "a NaN modifier value means no modifiers";
    EXPECT_EQ(dispatch(fx, effEditKeyUp, 'a', 12), 0);
    EXPECT_TRUE(log.contains("keyUp 97"));
    EXPECT_EQ(dispatch(fx, effSetEditKnobMode, 0, 2), 1);
    EXPECT_TRUE(log.contains("knobMode 2"));

    dispatch(fx, effEditClose);
    EXPECT_FALSE(fx.getEditor()->isOpen());
}

TEST(EditorForwarding, WithoutEditorTheOpcodesAnswerZero) {
    CallLog log;
    RecordingEffect fx(nullptr, log);
    EXPECT_EQ(fx.getAeffect()->flags & effFlagsHasEditor, 0);
    ERect* rect = nullptr;
    int window = 0;
    EXPECT_EQ(dispatch(fx, effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(dispatch(fx, effEditOpen, 0, 0, &window), 0);
    EXPECT_EQ(dispatch(fx, effEditIdle), 0);
    EXPECT_EQ(dispatch(fx, effEditKeyDown, 'a'), 0);
    EXPECT_EQ(dispatch(fx, effSetEditKnobMode, 0, 2), 0);
    EXPECT_EQ(dispatch(fx, effEditClose), 0);
    EXPECT_TRUE(log.lines.empty());
}

TEST(EditorForwarding, EffectDestroysItsEditor) {
    CallLog log;
    auto* fx = new RecordingEffect(nullptr, log);
    fx->setEditor(new RecordingEditor(fx, log));
    dispatch(*fx, effClose);
    EXPECT_TRUE(log.contains("editor destroyed"));
    EXPECT_EQ(log.destroyed, 1);
}

TEST(EditorForwarding, ClearingTheEditorWithdrawsTheFlag) {
    CallLog log;
    RecordingEffect fx(nullptr, log);
    RecordingEditor editor(&fx, log);
    fx.setEditor(&editor);
    fx.setEditor(nullptr);
    EXPECT_EQ(fx.getAeffect()->flags & effFlagsHasEditor, 0);
    EXPECT_EQ(dispatch(fx, effEditIdle), 0);
    EXPECT_FALSE(log.contains("editor idle"));
}

}  // namespace
