// The parameter table: names, display texts, clamping, side effects and process defaults.
#include <gtest/gtest.h>

#include <cmath>

#include "effect_host.h"

namespace {

class Parameters : public ::testing::Test {
protected:
    void SetUp() override { resetProcessDefaults(); }
};

struct RecordingEditor : EditorParameterSink {
    std::vector<std::pair<int, float>> seen;
    void setParameter(int index, float value) override { seen.emplace_back(index, value); }
};

TEST_F(Parameters, NamesAndLabels) {
    EffectHost host;
    EXPECT_EQ(host.name(0), "Process");
    EXPECT_EQ(host.name(2), "GSIcal");
    EXPECT_EQ(host.name(4), "LR/MS");
    EXPECT_EQ(host.name(16), "LagTime");
    EXPECT_EQ(host.name(17), "");
    EXPECT_EQ(host.name(80), "");
    char label[16] = "junk";
    host.dispatch(effGetParamLabel, 3, 0, label);
    EXPECT_STREQ(label, "  ");
    host.dispatch(effGetParamName, 0, 0, nullptr);  // no buffer: nothing happens
}

TEST_F(Parameters, DefaultsOfANewInstance) {
    EffectHost host;
    EXPECT_EQ(host.get(0), 0.0f);
    EXPECT_EQ(host.get(1), 0.5f);
    EXPECT_EQ(host.get(2), 0.5f);  // Session
    EXPECT_EQ(host.get(3), 0.0f);  // VU
    EXPECT_EQ(host.get(6), 1.0f);
    EXPECT_EQ(host.get(14), 1.0f);
    EXPECT_EQ(host.get(17), 0.5f);
    EXPECT_EQ(host.get(63), 0.5f);
    EXPECT_EQ(host.get(70), 0.0f);
    EXPECT_EQ(host.get(72), 0.667f);  // read from the RMS model
    EXPECT_EQ(host.get(82), 0.0f);
}

TEST_F(Parameters, DisplayTexts) {
    // In order: a step may set a parameter first (index -1: none), then reads one display.
    const struct {
        int setIndex;
        float value;
        int index;
        const char* text;
    } steps[] = {
        {-1, 0, 0, "Off"},      {-1, 0, 1, "0.0dB"},       {1, 0.0f, 1, "-20.0dB"},  {1, 1.0f, 1, "20.0dB"},
        {-1, 0, 2, "Session"},  {-1, 0, 3, "VU3"},         {-1, 0, 4, "LR"},
        {-1, 0, 5, "1.00s"},  // the VU hold time
        {-1, 0, 6, "Show"},     {-1, 0, 7, "Hide"},        {-1, 0, 8, "Out"},        {-1, 0, 9, "In"},
        {-1, 0, 10, "12"},      {-1, 0, 11, "20.0"},       {-1, 0, 13, "6"},         {-1, 0, 14, "30k"},
        {-1, 0, 16, "0 ms"},    {11, 0.5f, 11, "200"},     {14, 0.5f, 14, "3k"},     {10, 1.0f, 10, "24"},
        {13, 1.0f, 13, "18"},   {4, 1.0f, 4, "MS"},        {16, 1.0f, 16, "999 ms"}, {3, 0.5f, 3, "RMS3"},
        {-1, 0, 5, "999 ms"},  // RMS selected: the lag time
        {2, 1.0f, 2, "Instance"}, {-1, 0, 20, ""},         {-1, 0, -3, ""},
    };
    EffectHost host;
    for (const auto& step : steps) {
        if (step.setIndex >= 0) host.set(step.setIndex, step.value);
        EXPECT_EQ(host.display(step.index), step.text) << "parameter " << step.index;
    }
}

TEST_F(Parameters, ValuesAreClampedAndNanIsIgnored) {
    EffectHost host;
    host.set(1, 1.7f);
    EXPECT_EQ(host.get(1), 1.0f);
    host.set(1, -0.2f);
    EXPECT_EQ(host.get(1), 0.0f);
    host.set(1, 0.25f);
    host.set(1, std::nanf(""));
    EXPECT_EQ(host.get(1), 0.25f);
    host.set(500, 0.5f);  // out of range: ignored
    host.set(-1, 0.5f);
    EXPECT_EQ(host.get(500), 0.0f);
}

TEST_F(Parameters, MeterChoiceAndProcessDefaults) {
    {
        EffectHost host;
        host.set(3, 0.74f);
        EXPECT_EQ(host.object().meterType(), 1);
        host.set(3, 0.76f);
        EXPECT_EQ(host.object().meterType(), 2);
        EXPECT_EQ(host.display(3), "RAD3");
        host.set(2, 0.0f);
    }
    EffectHost next;  // starts with the last meter and scope chosen anywhere
    EXPECT_EQ(next.get(3), 1.0f);
    EXPECT_EQ(next.display(3), "RAD3");
    EXPECT_EQ(next.get(2), 0.0f);
    EXPECT_EQ(next.display(2), "Global");
}

TEST_F(Parameters, MeterSettingsReachTheirModels) {
    EffectHost host;
    host.set(93, 0.0f);
    EXPECT_EQ(host.get(93), 0.0f);
    char text[32] = {};
    host.object().ppmMeter()->getSettingText(93, text);
    EXPECT_STREQ(text, "-24.0dBFS");
    host.set(84, 0.0f);
    host.object().vuMeter()->getSettingText(84, text);
    EXPECT_STREQ(text, "53ms");
    host.set(16, 0.5f);
    EXPECT_EQ(host.object().rmsMeter()->displayDelay(), 500);
    host.set(5, 1.0f);
    EXPECT_EQ(host.object().vuMeter()->holdMode(), 2);
}

TEST_F(Parameters, EditorSeesEveryChangeAndCommandsChangeNoValue) {
    EffectHost host;
    RecordingEditor editor;
    host.object().core().setEditorSink(&editor);
    float before[64];
    for (int i = 0; i < 64; ++i) before[i] = host.get(i);
    host.set(67, 1.0f);
    host.set(1, 0.3f);
    host.set(93, 0.2f);
    ASSERT_EQ(editor.seen.size(), 3u);
    EXPECT_EQ(editor.seen[0].first, 67);
    EXPECT_EQ(editor.seen[2].first, 93);
    for (int i = 0; i < 64; ++i)
        if (i != 1) {
            EXPECT_EQ(host.get(i), before[i]) << i;
        }
    host.object().core().setEditorSink(nullptr);
}

TEST_F(Parameters, ScopeSwitchPushesStoreValues) {
    EffectHost a, b;
    a.set(2, 1.0f);    // Instance
    a.set(72, 0.9f);   // only in a
    b.set(72, 0.1f);   // b is in Session
    EXPECT_EQ(a.get(72), 0.9f);
    a.set(2, 0.5f);    // back to Session: a takes the Session value through its setter
    EXPECT_EQ(a.get(72), 0.1f);
    a.set(2, 1.0f);    // its Instance values come back
    EXPECT_EQ(a.get(72), 0.9f);
}

}  // namespace
