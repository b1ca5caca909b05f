// The dispatcher sends each opcode to the right virtual with the right arguments and hands
// its answer back; the record's other entries reach their virtuals too.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/vst/recording_effect.h"

namespace {

class DispatcherRouting : public ::testing::Test {
protected:
    CallLog log;
    RecordingEffect* fx = new RecordingEffect(nullptr, log);
    AEffect* record = fx->getAeffect();
    char text[256] = {};

    void TearDown() override {
        if (fx) dispatch(*fx, effClose);
    }
};

TEST_F(DispatcherRouting, RecordDescribesTheEffect) {
    EXPECT_EQ(record->magic, vstFourCharCode('V', 's', 't', 'P'));
    EXPECT_EQ(record->object, fx);
    EXPECT_EQ(record->numPrograms, 1);
    EXPECT_EQ(record->numParams, 4);
    fx->setNumInputs(2);
    fx->setUniqueID(vstFourCharCode('Z', 'b', 'A', 'm'));
    fx->canProcessReplacing();
    fx->programsAreChunks();
    EXPECT_EQ(record->numInputs, 2);
    EXPECT_EQ(record->uniqueID, 0x5A62416D);
    EXPECT_EQ(record->flags, effFlagsCanReplacing | effFlagsProgramChunks);
    fx->programsAreChunks(false);
    EXPECT_EQ(record->flags, effFlagsCanReplacing);
}

TEST_F(DispatcherRouting, ProgramOpcodes) {
    dispatch(*fx, effSetProgram, 0, 0);
    EXPECT_TRUE(log.contains("setProgram 0"));
    // Only programs the effect announced may be selected.
    dispatch(*fx, effSetProgram, 0, 1);
    dispatch(*fx, effSetProgram, 0, -1);
    EXPECT_FALSE(log.contains("setProgram 1"));
    EXPECT_FALSE(log.contains("setProgram -1"));
    EXPECT_EQ(dispatch(*fx, effGetProgram), 7);

    char name[] = "Mastering";
    dispatch(*fx, effSetProgramName, 0, 0, name);
    EXPECT_TRUE(log.contains("setProgramName Mastering"));
    dispatch(*fx, effGetProgramName, 0, 0, text);
    EXPECT_STREQ(text, "Prog");

    // Category travels in value, program index in index.
    EXPECT_EQ(dispatch(*fx, effGetProgramNameIndexed, 2, 9, text), 1);
    EXPECT_TRUE(log.contains("getProgramNameIndexed 9 2"));
    EXPECT_EQ(dispatch(*fx, effGetProgramNameIndexed, 3, 0, text), 0);

    EXPECT_EQ(dispatch(*fx, effBeginSetProgram), 1);
    EXPECT_EQ(dispatch(*fx, effEndSetProgram), 1);
    EXPECT_TRUE(log.contains("beginSetProgram") && log.contains("endSetProgram"));
}

TEST_F(DispatcherRouting, ParameterOpcodesAndEntries) {
    dispatch(*fx, effGetParamName, 3, 0, text);
    EXPECT_TRUE(log.contains("getParameterName 3"));
    EXPECT_STREQ(text, "Gain");
    dispatch(*fx, effGetParamLabel, 2, 0, text);
    EXPECT_STREQ(text, "dB");
    dispatch(*fx, effGetParamDisplay, 1, 0, text);
    EXPECT_TRUE(log.contains("getParameterDisplay 1"));
    EXPECT_STREQ(text, "0.5");

    record->setParameter(record, 1, 0.25f);
    EXPECT_TRUE(log.contains("setParameter 1 0.250000"));
    EXPECT_FLOAT_EQ(record->getParameter(record, 1), 0.25f);

    EXPECT_EQ(dispatch(*fx, effCanBeAutomated, 1), 1);
    EXPECT_EQ(dispatch(*fx, effCanBeAutomated, 2), 0);

    char typed[] = "-3 dB";
    EXPECT_EQ(dispatch(*fx, effString2Parameter, 1, 0, typed), 1);
    EXPECT_TRUE(log.contains("string2parameter 1 -3 dB"));

    VstParameterProperties props{};
    EXPECT_EQ(dispatch(*fx, effGetParameterProperties, 2, 0, &props), 1);
    EXPECT_TRUE(log.contains("getParameterProperties 2"));
    EXPECT_EQ(props.flags, kVstParameterIsSwitch);
}

TEST_F(DispatcherRouting, AudioSetupAndProcessing) {
    dispatch(*fx, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch(*fx, effSetBlockSize, 0, 256);
    EXPECT_EQ(fx->getSampleRate(), 48000.0f);
    EXPECT_EQ(fx->getBlockSize(), 256);

    dispatch(*fx, effMainsChanged, 0, 1);
    dispatch(*fx, effMainsChanged, 0, 0);
    ASSERT_GE(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[log.lines.size() - 2], "resume");
    EXPECT_EQ(log.lines.back(), "suspend");

    float in[3] = {0.5f, -0.25f, 1.0f};
    float out[3] = {};
    float* ins[] = {in};
    float* outs[] = {out};
    record->processReplacing(record, ins, outs, 3);
    EXPECT_TRUE(log.contains("processReplacing 3"));
    EXPECT_EQ(out[1], -0.5f);

    double din[1] = {}, dout[1] = {};
    double* dins[] = {din};
    double* douts[] = {dout};
    record->processDoubleReplacing(record, dins, douts, 1);
    EXPECT_TRUE(log.contains("processDoubleReplacing 1"));

    EXPECT_EQ(dispatch(*fx, effSetBypass, 0, 1), 1);
    EXPECT_TRUE(log.contains("setBypass on"));
    EXPECT_EQ(dispatch(*fx, effSetProcessPrecision, 0, kVstProcessPrecision64), 1);
    EXPECT_TRUE(log.contains("setProcessPrecision 1"));
    EXPECT_EQ(dispatch(*fx, effSetPanLaw, 0, kEqualPowerPanLaw, nullptr, 0.5f), 1);
    EXPECT_TRUE(log.contains("setPanLaw 1 0.500000"));
}

TEST_F(DispatcherRouting, IdentityOpcodes) {
    EXPECT_EQ(dispatch(*fx, effGetEffectName, 0, 0, text), 1);
    EXPECT_STREQ(text, "Recorder");
    dispatch(*fx, effGetVendorString, 0, 0, text);
    EXPECT_STREQ(text, "Vendor");
    dispatch(*fx, effGetProductString, 0, 0, text);
    EXPECT_STREQ(text, "Product");
    EXPECT_EQ(dispatch(*fx, effGetVendorVersion), 3030);
    EXPECT_EQ(dispatch(*fx, effGetVstVersion), 2400);
    EXPECT_EQ(dispatch(*fx, effGetPlugCategory), kPlugCategMastering);
    EXPECT_EQ(dispatch(*fx, effGetTailSize), 5);
    EXPECT_EQ(dispatch(*fx, effIdentify), vstFourCharCode('N', 'v', 'E', 'f'));

    char yes[] = "1in1out", no[] = "sendVstEvents";
    EXPECT_EQ(dispatch(*fx, effCanDo, 0, 0, yes), 1);
    EXPECT_EQ(dispatch(*fx, effCanDo, 0, 0, no), -1);
    EXPECT_EQ(dispatch(*fx, effVendorSpecific, 3, 11), 42);
    EXPECT_TRUE(log.contains("vendorSpecific 3 11"));
}

TEST_F(DispatcherRouting, PinAndSpeakerOpcodes) {
    VstPinProperties pin{};
    EXPECT_EQ(dispatch(*fx, effGetInputProperties, 1, 0, &pin), 1);
    EXPECT_TRUE(log.contains("getInputProperties 1"));
    EXPECT_EQ(pin.flags, kVstPinIsActive);
    EXPECT_EQ(dispatch(*fx, effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_TRUE(log.contains("getOutputProperties 0"));
    EXPECT_EQ(pin.flags, kVstPinIsStereo);

    // The input arrangement travels in value, the output one in ptr.
    VstSpeakerArrangement in{}, out{};
    in.numChannels = 1;
    out.numChannels = 2;
    EXPECT_EQ(dispatch(*fx, effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
    EXPECT_TRUE(log.contains("setSpeakerArrangement 1 2"));

    VstSpeakerArrangement* inOut = &in;
    VstSpeakerArrangement* outOut = &out;
    EXPECT_EQ(dispatch(*fx, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&inOut), &outOut), 1);
    EXPECT_EQ(inOut, nullptr);
    EXPECT_EQ(outOut, nullptr);
}

TEST_F(DispatcherRouting, ChunkOpcodes) {
    void* data = nullptr;
    EXPECT_EQ(dispatch(*fx, effGetChunk, 1, 0, &data), 12);
    EXPECT_TRUE(log.contains("getChunk preset"));
    ASSERT_NE(data, nullptr);
    EXPECT_STREQ(static_cast<char*>(data), "chunk bytes");
    dispatch(*fx, effGetChunk, 0, 0, &data);
    EXPECT_TRUE(log.contains("getChunk bank"));

    char state[] = "state";
    EXPECT_EQ(dispatch(*fx, effSetChunk, 0, sizeof state, state), 1);
    EXPECT_TRUE(log.contains("setChunk 6 bank state"));
}

TEST_F(DispatcherRouting, CloseRunsCloseThenDestroysTheEffect) {
    dispatch(*fx, effOpen);
    EXPECT_TRUE(log.contains("open"));
    EXPECT_EQ(dispatch(*fx, effClose), 1);
    fx = nullptr;
    EXPECT_EQ(log.lines.back(), "close");
    EXPECT_EQ(log.destroyed, 1);
}

TEST(DispatcherDefaults, UnimplementedOpcodesAnswerZero) {
    auto* fx = new BareEffect(nullptr);
    alignas(16) char scratch[4096] = {};
    for (VstInt32 opcode = 0; opcode <= effGetNumMidiOutputChannels + 5; ++opcode) {
        if (opcode == effClose) continue;
        const VstIntPtr answer = dispatch(*fx, opcode, 1, 0, scratch, 0.0f);
        switch (opcode) {
        case effIdentify: EXPECT_EQ(answer, vstFourCharCode('N', 'v', 'E', 'f')); break;
        case effGetVstVersion: EXPECT_EQ(answer, 2400); break;
        case effCanBeAutomated: EXPECT_EQ(answer, 1) << "parameters are automatable unless told"; break;
        default: EXPECT_EQ(answer, 0) << "opcode " << opcode;
        }
    }
    // Text defaults are empty strings rather than untouched buffers.
    std::memset(scratch, 'x', 16);
    dispatch(*fx, effGetParamName, 0, 0, scratch);
    EXPECT_EQ(scratch[0], 0);
    dispatch(*fx, effGetProgramName, 0, 0, scratch + 8);
    EXPECT_EQ(scratch[8], 0);
    EXPECT_EQ(dispatch(*fx, effClose), 1);
}

TEST(DispatcherDefaults, CategoryFollowsTheSynthFlag) {
    BareEffect fx(nullptr);
    EXPECT_EQ(dispatch(fx, effGetPlugCategory), kPlugCategUnknown);
    fx.isSynth();
    EXPECT_EQ(dispatch(fx, effGetPlugCategory), kPlugCategSynth);
    EXPECT_EQ(fx.getAeffect()->flags & effFlagsIsSynth, effFlagsIsSynth);
}

}  // namespace
