// The program layer: one program for the host, named slots mirroring the parameters.
#include <gtest/gtest.h>

#include <string>

#include "effect_host.h"

namespace {

struct NameListener : ProgramNameListener {
    std::string last;
    void programNameChanged(const char* name) override { last = name; }
};

class Programs : public ::testing::Test {
protected:
    void SetUp() override { resetProcessDefaults(); }
};

TEST_F(Programs, NamesAreShortenedToTheirField) {
    EffectHost host;
    NameListener listener;
    host.object().setProgramNameListener(&listener);
    const std::string thirty = "abcdefghijklmnopqrstuvwxyz0123";
    host.dispatch(effSetProgramName, 0, 0, const_cast<char*>(thirty.c_str()));
    char name[24 + 8] = {};
    host.dispatch(effGetProgramName, 0, 0, name);
    EXPECT_EQ(std::string(name), thirty.substr(0, 23));
    EXPECT_EQ(listener.last, thirty.substr(0, 24));
    const std::string twentyTwo = "abcdefghijklmnopqrstuv";
    host.dispatch(effSetProgramName, 0, 0, const_cast<char*>(twentyTwo.c_str()));
    host.dispatch(effGetProgramName, 0, 0, name);
    EXPECT_EQ(std::string(name), twentyTwo);
    host.object().setProgramNameListener(nullptr);
}

TEST_F(Programs, IndexedNamesAndTheSingleProgram) {
    EffectHost host;
    char text[24] = "junk";
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 1, 0, text), 1);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 3, 0, text), 0);
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, -1, 0, text), 0);
    EXPECT_EQ(host.dispatch(effGetProgram), 0);
    host.dispatch(effSetProgram, 0, 2);
    EXPECT_EQ(host.dispatch(effGetProgram), 0);
}

TEST_F(Programs, ParametersAreMirroredIntoTheCurrentSlot) {
    EffectHost host;
    host.set(5, 0.25f);
    EXPECT_EQ(host.object().slotValue(0, 5), 0.25f);
    host.set(72, 0.3f);  // above 63: not in the slot
    host.set(64, 0.3f);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(host.object().slotValue(1, i), 0.0f);
    EXPECT_EQ(host.object().slotValue(0, 64), 0.0f);
    EXPECT_EQ(host.object().slotValue(0, 6), 1.0f);  // defaults are mirrored too
}

}  // namespace
