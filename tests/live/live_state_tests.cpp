// The file aldermark live keeps its state in: written and read back, where it lives, and
// texts that are no state of ours or are damaged refused with the line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tools/aldermark/live_state.h"

namespace {

using aldermark::LiveState;

TEST(LiveStateFile, RoundTripsChunkAndConnectionsWithSpacesInNames) {
    LiveState state;
    state.chunk = {0, 1, 0x7f, 0x80, 0xff, 0x10};
    state.connections = {{true, 1, "system:capture_1"}, {true, 2, "Built-in Audio Analog Stereo:capture_FR"},
                         {false, 2, "obs:in 2"}};
    LiveState read;
    std::string error;
    ASSERT_TRUE(aldermark::parseLiveState(aldermark::formatLiveState(state), read, error)) << error;
    EXPECT_EQ(read.chunk, state.chunk);
    EXPECT_EQ(read.connections, state.connections);
    ASSERT_TRUE(aldermark::parseLiveState(aldermark::formatLiveState(LiveState{}), read, error)) << error;
    EXPECT_TRUE(read.chunk.empty());
    EXPECT_TRUE(read.connections.empty());
}

TEST(LiveStateFile, DamagedTextsAreRefusedAndLeaveTheStateAlone) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"", "it is no state of aldermark live"},
        {"aldermark live state 2\n", "it is no state of aldermark live"},
        {"aldermark live state 1\ninput 3 a:b\n", "line 2 is damaged"},
        {"aldermark live state 1\ninput 1 \n", "line 2 is damaged"},
        {"aldermark live state 1\noutput1 a:b\n", "line 2 is damaged"},
        {"aldermark live state 1\n\nchunk 2 0a\n", "line 3 is damaged"},     // short
        {"aldermark live state 1\nchunk 1 0g\n", "line 2 is damaged"},       // not hex
        {"aldermark live state 1\nchunk 0 \n", "line 2 is damaged"},
        {"aldermark live state 1\nchunk -1 ff\n", "line 2 is damaged"},
        {"aldermark live state 1\nchunk 1 ff\nchunk 1 ff\n", "line 3 is damaged"},
        {"aldermark live state 1\nvolume 11\n", "line 2 is damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        LiveState state;
        state.chunk = {42};
        std::string error;
        EXPECT_FALSE(aldermark::parseLiveState(c.text, state, error));
        EXPECT_EQ(error, c.message);
        EXPECT_EQ(state.chunk, std::vector<unsigned char>{42});
    }
}

TEST(LiveStateFile, OneFilePerClientNameInTheConfigFolder) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string keep = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(aldermark::liveStatePath("aldermark"), "/cfg/aldermark/live/aldermark.state");
    EXPECT_EQ(aldermark::liveStatePath("Desk 1/../x"), "/cfg/aldermark/live/Desk%201%2F..%2Fx.state");
    EXPECT_EQ(aldermark::liveStatePath(".."), "/cfg/aldermark/live/%2E..state");
    setenv("XDG_CONFIG_HOME", "relative", 1);
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(aldermark::liveStatePath("a"), "/home/u/.config/aldermark/live/a.state");
    if (saved) setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
