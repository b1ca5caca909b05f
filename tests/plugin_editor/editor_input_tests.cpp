// The editor off-screen, driven like a user and a host would: meter selection, the hint
// line, gestures reaching the host as begin/automate/end, typed trim with host keys.
#include <gtest/gtest.h>

#include "controls/hint_control.h"
#include "controls/selectors.h"
#include "controls/text_edits.h"
#include "controls/zeb_slider.h"
#include "tests/plugin_editor/editor_host.h"
#include "views/meter_panels.h"

using namespace editortest;
using Events = std::vector<std::string>;

namespace {

struct EditorInput : OpenEditorFixture {
    CZEBMeterFULLPANEL* shown() const { return editor->panel(editor->currentMeter()); }
    // A point of `view` in frame coordinates, `dx` pixels right of its left edge and
    // vertically centred.
    static CPoint at(CView* view, double dx) {
        CPoint p(view->getViewSize().left + dx, view->getViewSize().getCenter().y);
        return view->localToFrame(p);
    }
    VstIntPtr hostKey(char character, unsigned char virtualKey = 0) {
        return host.dispatch(effEditKeyDown, character, virtualKey);
    }
};

}  // namespace

TEST_F(EditorInput, MeterParameterSelectsThePanel) {
    struct Case {
        float value;
        int meter;
    };
    for (const Case c : {Case{0.24f, 0}, Case{0.25f, 1}, Case{0.74f, 1}, Case{0.75f, 2}, Case{0.0f, 0}, Case{1.0f, 2},
                         Case{0.5f, 1}}) {
        host.set(3, c.value);
        editor->idleStep();
        EXPECT_EQ(editor->currentMeter(), c.meter) << c.value;
        for (int m = 0; m < 3; ++m) EXPECT_EQ(editor->panel(m)->isShown(), m == c.meter) << c.value << " panel " << m;
    }
}

TEST_F(EditorInput, ParameterChangesWaitForTheIdleStep) {
    host.set(3, 1.0f);
    EXPECT_EQ(editor->currentMeter(), 0) << "recorded only";
    editor->idleStep();
    EXPECT_EQ(editor->currentMeter(), 2);
}

TEST_F(EditorInput, MeterSelectorZonesShowTheirHintsAndSwitchTheMeter) {
    struct Case {
        float meter;
        double dx;          // from the selector's left edge
        const char* hint;
        float selected;     // the meter a click there selects
    };
    const Case cases[] = {
        {0.0f, 5, "Changes current meter to RAD3", 1.0f}, {0.0f, 144, "Changes current meter to RMS3", 0.5f},
        {0.5f, 5, "Changes current meter to VU3", 0.0f},  {0.5f, 144, "Changes current meter to RAD3", 1.0f},
        {1.0f, 5, "Changes current meter to RMS3", 0.5f}, {1.0f, 144, "Changes current meter to VU3", 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.meter) + " at " + std::to_string(c.dx));
        host.set(3, c.meter);
        editor->idleStep();
        host.events();
        CZEBMeterSelectorControl* selector = shown()->meterSelector();
        const CPoint where = at(selector, c.dx);
        frame()->platformOnMouseMoved(where, CButtonState(0));
        EXPECT_EQ(shown()->getHintLabel()->getText(), c.hint);
        click(where);
        char value[16];
        std::snprintf(value, sizeof value, "%.4f", static_cast<double>(c.selected));
        EXPECT_EQ(host.events(), (Events{"begin 3", std::string("automate 3 ") + value, "end 3"}));
        editor->idleStep();
        EXPECT_EQ(editor->currentMeter(), static_cast<int>(c.selected * 2 + 0.5f));
    }
    // The middle of the selector clears the line and switches nothing for the host.
    CPoint middle = at(shown()->meterSelector(), 70);
    frame()->platformOnMouseMoved(middle, CButtonState(0));
    EXPECT_EQ(shown()->getHintLabel()->getText(), "");
    click(middle);
    EXPECT_TRUE(host.events().empty());
}

TEST_F(EditorInput, ButtonsReachTheHostAsOneGestureEach) {
    CZEBMeterFULLPANEL* panel = shown();
    const CRect process(531, 1, 571, 15), strips(574, 1, 585, 12);
    click(process.getCenter());
    EXPECT_EQ(host.events(), (Events{"begin 0", "automate 0 1.0000", "end 0"}));
    EXPECT_EQ(host.get(0), 1.0f);
    click(strips.getCenter());
    EXPECT_EQ(host.events(), (Events{"begin 6", "automate 6 0.0000", "end 6"}));
    // Scope selector: three positions across its left part.
    click(CPoint(5, 6));
    EXPECT_EQ(host.events(), (Events{"begin 2", "automate 2 0.0000", "end 2"}));
    // With process on, a double click on the trim slider resets it to 0 dB.
    editor->idleStep();
    host.set(1, 0.8f);
    editor->idleStep();
    host.events();
    click(panel->trimSlider()->getViewSize().getCenter(), kLButton | kDoubleClick);
    EXPECT_EQ(host.events(), (Events{"begin 1", "automate 1 0.5000", "end 1"}));
}

TEST_F(EditorInput, InactiveTrimExplainsHowToActivateIt) {
    CZEBMeterFULLPANEL* panel = shown();
    frame()->platformOnMouseMoved(panel->trimSlider()->getViewSize().getCenter(), CButtonState(0));
    EXPECT_EQ(panel->getHintLabel()->getText(), "Click PROCESS to activate the Trim");
    click(panel->trimSlider()->getViewSize().getCenter(), kLButton | kDoubleClick);
    click(panel->trimText()->getViewSize().getCenter());
    EXPECT_TRUE(host.events().empty()) << "Process is off: trim takes no input";
    EXPECT_FALSE(frame()->isTextEditOpen());
    frame()->platformOnMouseMoved(CPoint(517, 7), CButtonState(0));
    EXPECT_EQ(panel->getHintLabel()->getText(), "Click to open the manual");
    frame()->platformOnMouseMoved(CPoint(550, 7), CButtonState(0));
    EXPECT_EQ(panel->getHintLabel()->getText(), "Activates the Trim and FILTERS");
    frame()->platformOnMouseMoved(CPoint(579, 6), CButtonState(0));
    EXPECT_EQ(panel->getHintLabel()->getText(), "Hides Strips");
    frame()->platformOnMouseMoved(CPoint(150, 7), CButtonState(0));
    EXPECT_EQ(panel->getHintLabel()->getText(), "Click and drag to adjust VU reference level");
}

TEST_F(EditorInput, TypedTrimFromHostKeysIsOneEdit) {
    host.set(0, 1.0f);
    editor->idleStep();
    host.events();
    EXPECT_EQ(hostKey('6'), 0) << "no edit open: the host may use the key";
    click(shown()->trimText()->getViewSize().getCenter());
    ASSERT_TRUE(frame()->isTextEditOpen());
    // Whatever the box showed is replaced by what is typed.
    for (int i = 0; i < 8; ++i) EXPECT_EQ(hostKey(0, VKEY_BACK), 1);
    EXPECT_EQ(hostKey('-'), 1);
    EXPECT_EQ(hostKey(0, VKEY_NUMPAD6), 1);
    EXPECT_EQ(host.dispatch(effEditKeyUp, '6'), 1);
    EXPECT_EQ(hostKey(0, VKEY_RETURN), 1);
    EXPECT_FALSE(frame()->isTextEditOpen());
    EXPECT_EQ(host.events(), (Events{"begin 1", "automate 1 0.3500", "end 1"}));
    EXPECT_FLOAT_EQ(host.get(1), 0.35f);
    editor->idleStep();
    EXPECT_EQ(shown()->trimText()->getText(), "-6.0dB");
    EXPECT_EQ(host.dispatch(effEditKeyUp, '6'), 0);
}

TEST_F(EditorInput, TextThatIsNoNumberLeavesTheTrim) {
    host.set(0, 1.0f);
    host.set(1, 0.6f);
    editor->idleStep();
    host.events();
    click(shown()->trimText()->getViewSize().getCenter());
    for (int i = 0; i < 8; ++i) hostKey(0, VKEY_BACK);
    hostKey('x');
    hostKey(0, VKEY_RETURN);
    EXPECT_EQ(host.get(1), 0.6f);
    EXPECT_EQ(shown()->trimText()->getText(), "4.0dB");
    for (const std::string& e : host.events()) EXPECT_EQ(e.rfind("automate", 0), std::string::npos) << e;
}

TEST_F(EditorInput, ClosedEditorIgnoresIdleKeysAndParameters) {
    editor->close();
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_EQ(host.dispatch(effEditIdle), 0);
    EXPECT_EQ(hostKey('a'), 0);
    EXPECT_EQ(host.dispatch(effEditKeyUp, 'a'), 0);
    host.set(3, 1.0f);
    editor->idleStep();
    EXPECT_EQ(editor->currentMeter(), -1);
    ASSERT_TRUE(editor->openOffscreen());
    EXPECT_EQ(editor->currentMeter(), 2) << "a reopened editor shows what the parameters say";
}

TEST_F(EditorInput, AfterAReleaseTheViewUnderTheMouseShowsItsHint) {
    // Pressed on the process button, released over the strips button: the strips button's
    // hint shows at once, without waiting for the next mouse move.
    const CPoint process(550, 7), strips(579, 6);
    frame()->platformOnMouseMoved(process, CButtonState(0));
    frame()->platformOnMouseDown(process, CButtonState(kLButton));
    frame()->platformOnMouseMoved(strips, CButtonState(kLButton));
    EXPECT_NE(shown()->getHintLabel()->getText(), "Hides Strips") << "not while the button is held";
    frame()->platformOnMouseUp(strips, CButtonState(kLButton | kShift));
    EXPECT_EQ(shown()->getHintLabel()->getText(), "Hides Strips");
}

TEST_F(EditorInput, HostKeysAndKnobModeThroughTheRecord) {
    struct KeyCase {
        VstInt32 character;
        unsigned char virtualKey;
        unsigned char modifiers;
        bool known;
        char32_t expectedCharacter;
        VirtualKey expectedKey;
        std::int32_t expectedModifiers;
    };
    const KeyCase keys[] = {
        {'a', 0, 0, true, U'a', VirtualKey::NoKey, 0},
        {'A', 0, MODIFIER_SHIFT, true, U'A', VirtualKey::NoKey, kShift},
        {0, VKEY_RETURN, 0, true, 0, VirtualKey::Return, 0},
        {0, VKEY_ENTER, 0, true, 0, VirtualKey::Return, 0},
        {0, VKEY_ESCAPE, MODIFIER_CONTROL, true, 0, VirtualKey::Escape, kControl},
        {0, VKEY_NUMPAD7, 0, true, U'7', VirtualKey::NoKey, 0},
        {0, VKEY_DECIMAL, 0, true, U'.', VirtualKey::NoKey, 0},
        {0, VKEY_SPACE, MODIFIER_ALTERNATE, true, U' ', VirtualKey::NoKey, kAlt},
        {0, VKEY_F5, 0, false, 0, VirtualKey::NoKey, 0},
        {0x1B, 0, 0, false, 0, VirtualKey::NoKey, 0},
        {0xD800, 0, 0, false, 0, VirtualKey::NoKey, 0},
        {-5, 0, 0, false, 0, VirtualKey::NoKey, 0},
    };
    for (const KeyCase& k : keys) {
        CKeyEvent event;
        const VstKeyCode code{k.character, k.virtualKey, k.modifiers};
        EXPECT_EQ(AEffGUIEditor::translateKey(code, event), k.known) << k.character << " " << int(k.virtualKey);
        if (!k.known) continue;
        EXPECT_EQ(event.character, k.expectedCharacter);
        EXPECT_EQ(event.virtualKey, k.expectedKey);
        EXPECT_EQ(event.modifiers, k.expectedModifiers);
    }
    for (const auto& [mode, accepted] : {std::pair{0, true}, std::pair{2, true}, std::pair{3, false}, std::pair{-1, false}}) {
        EXPECT_EQ(host.dispatch(effSetEditKnobMode, 0, mode), accepted ? 1 : 0) << mode;
        if (accepted) {
            EXPECT_EQ(CKnob::getKnobMode(), mode);
        }
    }
    host.dispatch(effSetEditKnobMode, 0, kLinearMode);
}
