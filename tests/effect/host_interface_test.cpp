// What the host sees of the effect: the entry point, the record, identity, pins, layouts.
#include <gtest/gtest.h>

#include "effect_host.h"

namespace {

class HostInterface : public ::testing::Test {
protected:
    void SetUp() override { resetProcessDefaults(); }
};

TEST_F(HostInterface, EntryRefusesAHostThatIsNotVst) {
    gHost = HostLog{};
    gHost.version = 0;
    EXPECT_EQ(createEffect(testHostCallback), nullptr);
    EXPECT_EQ(createEffect(nullptr), nullptr);
}

TEST_F(HostInterface, RecordDescribesTheEffect) {
    EffectHost host;
    AEffect* e = host.effect();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->magic, kEffectMagic);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_EQ(e->numParams, 64);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags & (effFlagsCanReplacing | effFlagsProgramChunks), effFlagsCanReplacing | effFlagsProgramChunks);
    EXPECT_EQ(e->flags & effFlagsHasEditor, effFlagsHasEditor);
    EXPECT_EQ(e->flags & effFlagsCanDoubleReplacing, 0);
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->uniqueID, Templete::kUniqueId);
    EXPECT_EQ(host.dispatch(effIdentify), ('N' << 24) | ('v' << 16) | ('E' << 8) | 'f');
}

TEST_F(HostInterface, IdentityAnswers) {
    EffectHost host;
    char text[65] = {};
    EXPECT_EQ(host.dispatch(effGetEffectName, 0, 0, text), 1);
    EXPECT_STREQ(text, "ZEB Aldermark");
    EXPECT_EQ(host.dispatch(effGetProductString, 0, 0, text), 1);
    EXPECT_STREQ(text, "ZEB Aldermark");
    EXPECT_EQ(host.dispatch(effGetVendorString, 0, 0, text), 1);
    EXPECT_EQ(std::strlen(text), 16u);
    EXPECT_EQ(host.dispatch(effGetVendorVersion), 3030);
    EXPECT_EQ(host.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(host.dispatch(effGetPlugCategory), kPlugCategMastering);
    EXPECT_EQ(host.dispatch(effGetTailSize), 0);
    EXPECT_EQ(host.dispatch(effGetEffectName, 0, 0, nullptr), 0);  // no buffer, no crash
}

TEST_F(HostInterface, CanDoMatchesWholeStringsOnly) {
    EffectHost host;
    for (const char* yes : {"offline", "plugAsChannelInsert", "1in1out", "1in2out", "2in2out"})
        EXPECT_EQ(host.dispatch(effCanDo, 0, 0, const_cast<char*>(yes)), 1) << yes;
    for (const char* no : {"offlin", "offline2", "2in2", "receiveVstEvents", "", "1IN1OUT"})
        EXPECT_EQ(host.dispatch(effCanDo, 0, 0, const_cast<char*>(no)), 0) << no;
    EXPECT_EQ(host.dispatch(effCanDo, 0, 0, nullptr), 0);
}

TEST_F(HostInterface, PinProperties) {
    EffectHost host;
    VstPinProperties pin{};
    EXPECT_EQ(host.dispatch(effGetInputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "ZEB Aldermark 2 In");
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    EXPECT_STREQ(pin.shortLabel, "In 2");
    // A host that does not clear the record still reads terminated labels.
    std::memset(&pin, 0x5a, sizeof pin);
    EXPECT_EQ(host.dispatch(effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "ZEB Aldermark 1 Out");
    EXPECT_STREQ(pin.shortLabel, "Out 1");
    VstPinProperties untouched{};
    std::memset(&untouched, 0x5a, sizeof untouched);
    VstPinProperties probe = untouched;
    EXPECT_EQ(host.dispatch(effGetInputProperties, 2, 0, &probe), 0);
    EXPECT_EQ(std::memcmp(&probe, &untouched, sizeof probe), 0);
    EXPECT_EQ(host.dispatch(effGetOutputProperties, -1, 0, &probe), 0);
    EXPECT_EQ(host.dispatch(effGetInputProperties, 0, 0, nullptr), 0);
}

TEST_F(HostInterface, SpeakerArrangements) {
    EffectHost host;
    auto arrange = [&](int in, int out) {
        VstSpeakerArrangement input{}, output{};
        input.numChannels = in;
        output.numChannels = out;
        return host.dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output);
    };
    EXPECT_EQ(arrange(1, 1), 1);
    EXPECT_EQ(arrange(1, 2), 1);
    EXPECT_EQ(arrange(2, 2), 1);
    EXPECT_EQ(arrange(2, 1), 0);
    EXPECT_EQ(arrange(6, 6), 0);
    EXPECT_EQ(host.dispatch(effSetSpeakerArrangement, 0, 0, nullptr), 0);
    VstSpeakerArrangement* in = reinterpret_cast<VstSpeakerArrangement*>(1);
    VstSpeakerArrangement* out = reinterpret_cast<VstSpeakerArrangement*>(1);
    EXPECT_EQ(host.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
}

TEST_F(HostInterface, ParameterPropertiesAndAutomation) {
    EffectHost host;
    VstParameterProperties p{};
    EXPECT_EQ(host.dispatch(effGetParameterProperties, 1, 0, &p), 1);
    EXPECT_EQ(p.flags, kVstParameterUsesFloatStep);
    EXPECT_FLOAT_EQ(p.stepFloat, 1.0f / 41.0f);
    EXPECT_FLOAT_EQ(p.smallStepFloat, 1.0f / 401.0f);
    EXPECT_STREQ(p.label, "Trim");
    EXPECT_EQ(host.dispatch(effGetParameterProperties, 0, 0, &p), 1);
    EXPECT_EQ(p.flags, kVstParameterIsSwitch | kVstParameterUsesFloatStep);
    // "Meter" has three values: half steps like "GSIcal" and "Hold", not a switch.
    for (VstInt32 stepped : {2, 3, 5}) {
        EXPECT_EQ(host.dispatch(effGetParameterProperties, stepped, 0, &p), 1);
        EXPECT_EQ(p.flags, kVstParameterUsesFloatStep) << stepped;
        EXPECT_FLOAT_EQ(p.stepFloat, 0.5f) << stepped;
        EXPECT_FLOAT_EQ(p.largeStepFloat, 0.5f) << stepped;
    }
    EXPECT_EQ(host.dispatch(effGetParameterProperties, 16, 0, &p), 1);
    EXPECT_FLOAT_EQ(p.smallStepFloat, 1.0f / 999.0f);
    EXPECT_STREQ(p.shortLabel, "LagTime");
    EXPECT_EQ(host.dispatch(effGetParameterProperties, 17, 0, &p), 0);
    EXPECT_EQ(host.dispatch(effCanBeAutomated, 16), 1);
    EXPECT_EQ(host.dispatch(effCanBeAutomated, 17), 0);
    EXPECT_EQ(host.dispatch(effCanBeAutomated, -1), 0);
    EXPECT_EQ(host.dispatch(effString2Parameter, 1, 0, const_cast<char*>("0.5")), 0);
    // A change made on the effect's own controls reaches the host for recording.
    host.object().setParameterAutomated(1, 0.75f);
    ASSERT_EQ(gHost.automated.size(), 1u);
    EXPECT_EQ(gHost.automated[0].first, 1);
    EXPECT_FLOAT_EQ(gHost.automated[0].second, 0.75f);
}

TEST_F(HostInterface, RefusedProcessingOptions) {
    EffectHost host;
    EXPECT_EQ(host.dispatch(effSetBypass, 0, 1), 0);
    EXPECT_EQ(host.dispatch(effSetProcessPrecision, 0, 1), 0);
    EXPECT_EQ(host.dispatch(effSetPanLaw, 0, 0, nullptr, 1.0f), 0);
    EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, nullptr), 0);  // no editor
}

}  // namespace
