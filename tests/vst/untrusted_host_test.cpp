// Host calls are untrusted: null pointers, bad sizes, NaN values and empty blocks must
// neither crash nor reach the effect's virtuals in a form they cannot handle.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/vst/recording_effect.h"

namespace {

TEST(UntrustedHost, NullPointersNeverReachPointerTakingVirtuals) {
    CallLog log;
    RecordingEffect fx(nullptr, log);
    for (VstInt32 opcode = 0; opcode <= effGetNumMidiOutputChannels; ++opcode) {
        if (opcode == effClose) continue;
        dispatch(fx, opcode, 0, 0, nullptr, 0.0f);
    }
    // Each of these would write through or read from the null pointer.
    for (const char* name : {"setProgramName", "getProgramName", "getParameterName", "getParameterLabel",
                             "getParameterDisplay", "getChunk", "setChunk", "getProgramNameIndexed",
                             "getInputProperties", "getOutputProperties", "setSpeakerArrangement",
                             "getSpeakerArrangement", "getParameterProperties"})
        EXPECT_FALSE(log.anyStartingWith(name)) << name;
    // A null text is the capability question of string2parameter and is passed on as such.
    EXPECT_TRUE(log.contains("string2parameter 0 (null)"));
}

TEST(UntrustedHost, NullSpeakerArrangementOnEitherSide) {
    CallLog log;
    RecordingEffect fx(nullptr, log);
    VstSpeakerArrangement arrangement{};
    EXPECT_EQ(dispatch(fx, effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&arrangement), nullptr), 0);
    EXPECT_EQ(dispatch(fx, effSetSpeakerArrangement, 0, 0, &arrangement), 0);
    VstSpeakerArrangement* out = nullptr;
    EXPECT_EQ(dispatch(fx, effGetSpeakerArrangement, 0, 0, &out), 0);
    EXPECT_FALSE(log.anyStartingWith("setSpeakerArrangement"));
    EXPECT_FALSE(log.anyStartingWith("getSpeakerArrangement"));
}

TEST(UntrustedHost, RecordWithoutEffectIsInert) {
    CallLog log;
    RecordingEffect fx(nullptr, log);
    AEffect copy = *fx.getAeffect();
    copy.object = nullptr;
    char text[16] = {};
    float sample = 0.0f;
    float* buffers[] = {&sample};
    EXPECT_EQ(copy.dispatcher(&copy, effGetParamName, 0, 0, text, 0.0f), 0);
    EXPECT_EQ(copy.dispatcher(&copy, effClose, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(copy.dispatcher(nullptr, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    copy.setParameter(&copy, 0, 1.0f);
    EXPECT_EQ(copy.getParameter(&copy, 0), 0.0f);
    copy.processReplacing(&copy, buffers, buffers, 1);
    copy.processReplacing(nullptr, buffers, buffers, 1);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(log.destroyed, 0);
}

TEST(UntrustedHost, MeaninglessRatesAndSizesAreIgnored) {
    CallLog log;
    RecordingEffect fx(nullptr, log);
    for (float rate : {0.0f, -48000.0f, std::numeric_limits<float>::quiet_NaN(),
                       std::numeric_limits<float>::infinity()})
        dispatch(fx, effSetSampleRate, 0, 0, nullptr, rate);
    EXPECT_EQ(fx.getSampleRate(), 44100.0f);
    EXPECT_FALSE(log.anyStartingWith("setSampleRate"));
    dispatch(fx, effSetSampleRate, 0, 0, nullptr, 11025.0f);
    EXPECT_EQ(fx.getSampleRate(), 11025.0f) << "odd but real rates are the effect's to judge";

    dispatch(fx, effSetBlockSize, 0, 0);
    dispatch(fx, effSetBlockSize, 0, -512);
    if constexpr (sizeof(VstIntPtr) > 4) dispatch(fx, effSetBlockSize, 0, VstIntPtr{1} << 40);
    EXPECT_EQ(fx.getBlockSize(), 1024);
    EXPECT_FALSE(log.anyStartingWith("setBlockSize"));

    char state[] = "x";
    EXPECT_EQ(dispatch(fx, effSetChunk, 0, 0, state), 0);
    EXPECT_EQ(dispatch(fx, effSetChunk, 0, -4, state), 0);
    EXPECT_FALSE(log.anyStartingWith("setChunk"));
}

TEST(UntrustedHost, NaNParameterValuesAreDropped) {
    CallLog log;
    RecordingEffect fx(nullptr, log);
    AEffect* record = fx.getAeffect();
    record->setParameter(record, 0, 0.5f);
    record->setParameter(record, 0, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(record->getParameter(record, 0), 0.5f);
}

TEST(UntrustedHost, EmptyBlocksAndMissingBuffersAreNotProcessed) {
    CallLog log;
    RecordingEffect fx(nullptr, log);
    fx.setNumInputs(1);
    AEffect* record = fx.getAeffect();
    float sample = 0.0f;
    float* buffers[] = {&sample};
    record->processReplacing(record, buffers, buffers, 0);
    record->processReplacing(record, buffers, buffers, -16);
    record->processReplacing(record, nullptr, buffers, 1);
    record->processReplacing(record, buffers, nullptr, 1);
    record->processDoubleReplacing(record, nullptr, nullptr, 1);
    EXPECT_FALSE(log.anyStartingWith("process"));

    // An effect without inputs (a generator) is still run without input buffers.
    fx.setNumInputs(0);
    record->processReplacing(record, nullptr, buffers, 1);
    EXPECT_TRUE(log.contains("processReplacing 1"));
}

TEST(UntrustedHost, ObsoleteAccumulatingEntryLeavesBuffersAlone) {
    CallLog log;
    RecordingEffect fx(nullptr, log);
    AEffect* record = fx.getAeffect();
    ASSERT_NE(record->process, nullptr) << "old hosts call it without checking";
    float in = 1.0f, out = 0.25f;
    float* ins[] = {&in};
    float* outs[] = {&out};
    record->process(record, ins, outs, 1);
    EXPECT_EQ(out, 0.25f);
    EXPECT_FALSE(log.anyStartingWith("process"));
}

}  // namespace
