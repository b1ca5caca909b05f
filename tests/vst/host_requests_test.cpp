// What the effect asks of the host: automation, edit gestures, window size, versions and
// pin connections reach the callback with the interface's arguments, and a missing callback
// gives safe answers.
#include <gtest/gtest.h>

#include <vector>

#include "tests/vst/recording_effect.h"

namespace {

struct HostCall {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
    float parameterSeenByHost;  // the effect's value of `index` at the time of the call
};

std::vector<HostCall> hostCalls;
VstIntPtr hostAnswer = 0;

VstIntPtr VSTCALLBACK recordingHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*,
                                    float opt) {
    const float seen = effect && opcode == audioMasterAutomate ? effect->getParameter(effect, index) : 0.0f;
    hostCalls.push_back({effect, opcode, index, value, opt, seen});
    return hostAnswer;
}

class HostRequests : public ::testing::Test {
protected:
    CallLog log;
    RecordingEffect fx{recordingHost, log};

    void SetUp() override {
        hostCalls.clear();
        hostAnswer = 0;
    }
};

TEST_F(HostRequests, AutomatedChangeIsAppliedThenReported) {
    fx.setParameterAutomated(2, 0.75f);
    EXPECT_TRUE(log.contains("setParameter 2 0.750000"));
    ASSERT_EQ(hostCalls.size(), 1u);
    const HostCall& call = hostCalls[0];
    EXPECT_EQ(call.effect, fx.getAeffect());
    EXPECT_EQ(call.opcode, audioMasterAutomate);
    EXPECT_EQ(call.index, 2);
    EXPECT_EQ(call.opt, 0.75f);
    // The host may read the parameter back while handling the report.
    EXPECT_EQ(call.parameterSeenByHost, 0.75f);
}

TEST_F(HostRequests, EditGesturesAndWindowSize) {
    hostAnswer = 1;
    EXPECT_TRUE(fx.beginEdit(5));
    EXPECT_TRUE(fx.endEdit(5));
    EXPECT_TRUE(fx.sizeWindow(586, 261));
    ASSERT_EQ(hostCalls.size(), 3u);
    EXPECT_EQ(hostCalls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(hostCalls[0].index, 5);
    EXPECT_EQ(hostCalls[1].opcode, audioMasterEndEdit);
    EXPECT_EQ(hostCalls[2].opcode, audioMasterSizeWindow);
    EXPECT_EQ(hostCalls[2].index, 586);
    EXPECT_EQ(hostCalls[2].value, 261);

    hostAnswer = 0;
    EXPECT_FALSE(fx.sizeWindow(586, 169)) << "a host that cannot resize answers 0";
    EXPECT_FALSE(fx.ioChanged());
    EXPECT_EQ(hostCalls.back().opcode, audioMasterIOChanged);
}

TEST_F(HostRequests, MasterVersion) {
    hostAnswer = 2400;
    EXPECT_EQ(fx.getMasterVersion(), 2400);
    EXPECT_EQ(hostCalls.back().opcode, audioMasterVersion);
    hostAnswer = 0;
    EXPECT_EQ(fx.getMasterVersion(), 1) << "a host that does not answer is a 1.0 host";
}

TEST_F(HostRequests, PinConnectionAnswersAreInverted) {
    hostAnswer = 0;  // 0 means connected
    EXPECT_TRUE(fx.isInputConnected(1));
    EXPECT_EQ(hostCalls.back().opcode, audioMasterPinConnected);
    EXPECT_EQ(hostCalls.back().index, 1);
    EXPECT_EQ(hostCalls.back().value, 0) << "value 0 asks about an input";
    hostAnswer = 1;
    EXPECT_FALSE(fx.isOutputConnected(1));
    EXPECT_EQ(hostCalls.back().value, 1) << "value 1 asks about an output";
}

TEST(NoHostCallback, EverythingStillAnswers) {
    CallLog log;
    RecordingEffect fx(nullptr, log);
    fx.setParameterAutomated(1, 0.5f);
    EXPECT_EQ(fx.getParameter(1), 0.5f) << "the change itself still happens";
    EXPECT_EQ(fx.getMasterVersion(), 1);
    EXPECT_TRUE(fx.isInputConnected(1)) << "without a host every pin counts as connected";
    EXPECT_TRUE(fx.isOutputConnected(1));
    EXPECT_FALSE(fx.beginEdit(0));
    EXPECT_FALSE(fx.sizeWindow(100, 100));
    EXPECT_EQ(fx.getCurrentProcessLevel(), kVstProcessLevelUnknown);
}

}  // namespace
