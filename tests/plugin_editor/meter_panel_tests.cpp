// The meter panels' timer update and controls, in an editor built off-screen on the real
// effect: interpolation between blocks, infinite hold, silence, the controls that follow
// parameters, the hold switch's place, and the typed trim value.
#include <gtest/gtest.h>

#include <cmath>

#include "metering/meter_model.h"
#include "model/meter_scale.h"
#include "tests/plugin_editor/editor_host.h"
#include "views/meter_display.h"
#include "views/meter_panels.h"

using namespace editortest;

namespace {

constexpr float kVU = 0.0f, kRMS = 0.5f, kPPM = 1.0f;

struct PanelFixture : OpenEditorFixture {
    // Selects a meter the way the host would, and lets the editor apply it.
    CZEBMeterFULLPANEL* show(float meter) {
        host.set(3, meter);
        editor->idleStep();
        return editor->panel(editor->currentMeter());
    }
    static float needleAt(CZEBMeterFULLPANEL* panel, double f) {
        panel->idle(f);
        return panel->meter(0)->getNeedleValue();
    }
};

}  // namespace

TEST_F(PanelFixture, FallingNeedleIsInterpolatedBetweenBlocksRisingOneShownAtOnce) {
    for (float meter : {kVU, kRMS, kPPM}) {
        SCOPED_TRACE(meter);
        CZEBMeterFULLPANEL* panel = show(meter);
        ASSERT_NE(panel, nullptr);
        MeterModel* model = host.object().meterModel(panel->face().meterType);
        host.play(0.5f, 44100 / 4);
        host.play(0.0f, 44100 / 4);  // long enough for the VU's inertia to turn the needle round
        host.play(0.0f, 512);        // falling: the block started higher than it ended
        const float atStart = needleAt(panel, 0.0), halfway = needleAt(panel, 0.5), atEnd = needleAt(panel, 1.0);
        EXPECT_GT(atStart, atEnd * 1.01f);
        EXPECT_NEAR(halfway, 0.5f * (atStart + atEnd), 1e-4f * atStart);
        EXPECT_NEAR(atEnd, static_cast<float>(model->current(MeterModel::kNeedle, 0)), 1e-5f * atStart);

        host.play(0.0f, 44100);
        host.play(0.5f, 512);  // rising: the current value whatever the factor
        const float risingStart = needleAt(panel, 0.0);
        EXPECT_EQ(risingStart, needleAt(panel, 1.0));
        EXPECT_NEAR(risingStart, static_cast<float>(model->current(MeterModel::kNeedle, 0)), 1e-6f);
    }
}

TEST_F(PanelFixture, InfiniteHoldKeepsTheHighestValueUntilAMeterIsClicked) {
    host.set(5, 0.5f);  // hold mode 1
    CZEBMeterFULLPANEL* panel = show(kPPM);
    host.play(0.9f, 4410);
    panel->idle(1.0);
    const float peak = panel->meter(0)->getHoldValue();
    EXPECT_TRUE(panel->meter(0)->isHoldShown());
    host.play(0.05f, 44100 * 4);  // long after the model's own hold has fallen back
    panel->idle(1.0);
    EXPECT_EQ(panel->meter(0)->getHoldValue(), peak);
    MeterModel* model = host.object().ppmMeter();
    EXPECT_LT(model->current(MeterModel::kHold, 0), peak * 0.5);

    CPoint onMeter = panel->meter(1)->getViewSize().getCenter();
    click(panel->meter(1)->localToFrame(onMeter));
    host.play(0.05f, 512);
    panel->idle(1.0);
    EXPECT_LT(panel->meter(0)->getHoldValue(), peak * 0.5f) << "the click cleared the held maximum";
    EXPECT_TRUE(host.events().empty()) << "clearing the overs is nothing the host records";
}

TEST_F(PanelFixture, SilenceRestsEveryNeedleOnTheScaleFloor) {
    for (float meter : {kVU, kRMS, kPPM}) {
        SCOPED_TRACE(meter);
        CZEBMeterFULLPANEL* panel = show(meter);
        host.play(0.0f, 4410);
        panel->idle(1.0);
        for (int channel = 0; channel < 2; ++channel) {
            EXPECT_EQ(panel->meter(channel)->getNeedleValue(), 0.0001f);
            EXPECT_EQ(panel->meter(channel)->getHoldValue(), 0.0001f);
            if (auto* rms = dynamic_cast<CZEBRMSMeter2*>(panel->meter(channel))) {
                EXPECT_EQ(rms->getRmsValue(), 0.0001f);
            }
            EXPECT_EQ(panel->meter(channel)->getLedState(), -1);
        }
    }
}

TEST_F(PanelFixture, AnOverLightsTheLedUntilTheOversAreCleared) {
    CZEBMeterFULLPANEL* panel = show(kPPM);
    host.set(93, 0.0f);  // reference -24 dBFS
    host.set(99, 0.0f);  // over: 8.15 dB above the reference
    host.play(0.5f, 4410);
    panel->idle(1.0);
    EXPECT_NEAR(panel->meter(0)->getNeedleValue(), 0.5f * 15.848932f, 0.03f * 8.0f) << "above the scale: not limited";
    EXPECT_EQ(panel->meter(0)->getLedState(), 1);
    panel->idle(1.0);
    EXPECT_EQ(panel->meter(0)->getLedState(), 0) << "over since the last clear";
    host.set(67, 0.0f);
    panel->idle(1.0);
    EXPECT_EQ(panel->meter(0)->getLedState(), -1) << "cleared";
}

TEST_F(PanelFixture, ControlsFollowTheirParameters) {
    CZEBMeterFULLPANEL* vu = show(kVU);
    for (float hold : {0.0f, 0.5f, 1.0f, 0.2f}) {
        host.set(5, hold);
        editor->idleStep();
        for (int m = 0; m < 3; ++m)
            EXPECT_EQ(editor->panel(m)->meter(0)->isHoldShown(), hold > 0.25f) << "meter " << m << " hold " << hold;
    }
    for (int level = 0; level <= 4; ++level) {
        host.set(88, static_cast<float>(level) / 4.0f);
        editor->idleStep();
        EXPECT_EQ(static_cast<CZEBVUMeter2*>(vu->meter(1))->getBacklightLevel(), level);
    }
    struct Reference {
        int tag;
        float value;
        const char* caption;
    };
    for (const Reference r : {Reference{72, 0.0f, "-20.0dBFS"}, Reference{72, 1.0f, "10.0dBFS"},
                              Reference{83, 0.5f, "-12.0dBFS"}, Reference{93, 1.0f, "0.0dBFS"}}) {
        host.set(r.tag, r.value);
        editor->idleStep();
        CZEBMeterFULLPANEL* owner = editor->panel(r.tag == 72 ? 1 : r.tag == 83 ? 0 : 2);
        EXPECT_EQ(owner->referenceControl()->getCaption(), r.caption);
        EXPECT_EQ(owner->referenceControl()->getValue(), r.value);
    }
    host.set(1, 0.65f);
    editor->idleStep();
    EXPECT_EQ(vu->trimText()->getText(), "6.0dB");
}

TEST_F(PanelFixture, HoldSwitchClearsTheBezelsAndEveryOtherControl) {
    for (float meter : {kVU, kRMS, kPPM}) {
        CZEBMeterFULLPANEL* panel = show(meter);
        CViewContainer* face = panel->container();
        CView* hold = nullptr;
        for (int i = 0; i < face->getNbViews(); ++i)
            if (auto* control = dynamic_cast<CControl*>(face->getView(i)); control && control->getTag() == 5) hold = control;
        ASSERT_NE(hold, nullptr);
        const CRect place = hold->getViewSize();
        for (int channel = 0; channel < 2; ++channel) {
            CRect bezel = panel->meter(channel)->getViewSize();
            EXPECT_FALSE(place.rectOverlap(bezel.inset(-meter_scale::bezelWidth, -meter_scale::bezelWidth)))
                << "meter " << meter << ": the bezel ends at " << bezel.bottom;
        }
        for (int i = 0; i < face->getNbViews(); ++i)
            EXPECT_TRUE(face->getView(i) == hold || !place.rectOverlap(face->getView(i)->getViewSize()))
                << "meter " << meter << ", view " << i;
    }
}

TEST(TypedTrim, TextBecomesTheTrimValue) {
    struct Case {
        const char* text;
        bool accepted;
        float value;
    };
    const Case cases[] = {
        {"0", true, 0.5f},      {"6", true, 0.65f},   {"-20", true, 0.0f}, {"20", true, 1.0f},
        {"25", true, 1.0f},     {"-40", true, 0.0f},  {" 3.5dB", true, 0.5875f}, {"+2,5", true, 0.5625f},
        {"-.5", true, 0.4875f}, {"abc", false, 0.f},  {"", false, 0.f},    {"dB", false, 0.f},
        {"nan", false, 0.f},    {"1e400", false, 0.f},
    };
    for (const Case& c : cases) {
        float value = -1;
        EXPECT_EQ(trimValueFromText(c.text, value), c.accepted) << c.text;
        if (c.accepted) {
            EXPECT_NEAR(value, c.value, 1e-6f) << c.text;
        }
    }
    float untouched = -1;
    EXPECT_FALSE(trimValueFromText(nullptr, untouched));
}
