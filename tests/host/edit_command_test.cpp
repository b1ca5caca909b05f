// The edit command up to its window: options and inputs refused on one line, the host's
// answers to a plug-in's editor requests, and the looped input of its audio thread.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/host/host_test_support.h"
#include "tools/aldermark/audio_loop.h"
#include "tools/aldermark/commands.h"
#include "tools/aldermark/plugin_instance.h"
#include "tools/aldermark/wav_file.h"

namespace {

using aldermark::CommandArguments;
using host_test::expectError;
using host_test::modulePath;
using host_test::run;

class EditCommand : public host_test::ScratchFolder {
protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        wav_ = file("in.wav");
        aldermark::WavAudio audio;
        audio.sampleRate = 48000;
        audio.channels.assign(2, std::vector<float>(480, 0.25f));
        std::string error;
        ASSERT_TRUE(aldermark::writeWavFile(wav_, audio, aldermark::WavSampleFormat::Float32, error)) << error;
    }
    std::string wav_;
};

TEST_F(EditCommand, BadOptionsAreUsageErrors) {
    struct Case {
        CommandArguments options;
        const char* message;
    };
    const Case cases[] = {
        {{"--idle-hz", "0"}, "--idle-hz must be a whole number from 1 to 1000, got '0'"},
        {{"--idle-hz", "1001"}, "got '1001'"},
        {{"--idle-hz", "2.5"}, "got '2.5'"},
        {{"--seconds", "0"}, "--seconds must be more than 0"},
        {{"--seconds", "nan"}, "got 'nan'"},
        {{"--seconds", "90000"}, "at most 86400"},
        {{"--screenshot-at", "1"}, "each --screenshot-at S needs its own --out F.png (1 times, 0 files)"},
        {{"--out", "a.png"}, "(0 times, 1 files)"},
        {{"--screenshot-at", "1", "--out", "a.png", "--screenshot-at", "2"}, "(2 times, 1 files)"},
        {{"--screenshot-at", "-1", "--out", "a.png"}, "--screenshot-at must be a time from 0 to 86400"},
        {{"--screenshot-at", "5", "--out", "a.png", "--seconds", "3"}, "--screenshot-at 5 comes after the end"},
        {{"--screenshot-at", "1", "--out="}, "--out needs a file name"},
        {{"--idle-hz", "30", "--idle-hz", "60"}, "option --idle-hz given more than once"},
        {{"--block", "64"}, "unknown option '--block'"},
        {{"--set", "64=1"}, "outside 0..63"},
        {{"--plugin="}, "--plugin needs a path"},
        {{"--scale", "0.5"}, "--scale must be a number from 1 to 3, got '0.5'"},
        {{"--scale", "nan"}, "--scale must be a number from 1 to 3, got 'nan'"},
    };
    for (const Case& c : cases) {
        CommandArguments args{wav_};
        args.insert(args.end(), c.options.begin(), c.options.end());
        SCOPED_TRACE(c.message);
        expectError(run(aldermark::runEdit, args), 2, c.message);
    }
    expectError(run(aldermark::runEdit, {}), 2, "the first argument is the input IN.wav");
    expectError(run(aldermark::runEdit, {"--seconds", "1", wav_}), 2, "the first argument is the input IN.wav");
}

TEST_F(EditCommand, InputsAndPluginsThatCannotPlayAreFailures) {
    aldermark::WavAudio empty;
    empty.sampleRate = 44100;
    empty.channels.assign(1, {});
    std::string error;
    ASSERT_TRUE(aldermark::writeWavFile(file("empty.wav"), empty, aldermark::WavSampleFormat::Int16, error)) << error;

    expectError(run(aldermark::runEdit, {file("missing.wav")}), 1, "missing.wav");
    expectError(run(aldermark::runEdit, {file("empty.wav"), "--plugin", modulePath("host_test_plugin")}), 1,
                "holds no samples to play");
    expectError(run(aldermark::runEdit, {wav_, "--plugin", modulePath("host_test_plugin")}), 1,
                "the plug-in has no editor");
    expectError(run(aldermark::runEdit, {wav_, "--plugin", file("none.so")}), 1, "not found");
}

// What the listener heard, in order.
struct RecordingListener : aldermark::HostRequestListener {
    std::vector<std::string> heard;
    bool agreeToSize = true;
    void automated(VstInt32 index, float value) override {
        heard.push_back("automate " + std::to_string(index) + " " + std::to_string(value));
    }
    void editBegun(VstInt32 index) override { heard.push_back("begin " + std::to_string(index)); }
    void editEnded(VstInt32 index) override { heard.push_back("end " + std::to_string(index)); }
    bool sizeWindowRequested(VstInt32 width, VstInt32 height) override {
        heard.push_back("size " + std::to_string(width) + " " + std::to_string(height));
        return agreeToSize;
    }
};

TEST(EditHostAnswers, EditorRequestsReachTheListenerAndOnlyThen) {
    aldermark::PluginInstance plugin;
    std::string error;
    ASSERT_TRUE(plugin.load(modulePath("host_test_plugin"), error)) << error;
    AEffect* effect = plugin.effect();
    const auto ask = [effect](VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr = nullptr, float opt = 0) {
        return aldermark::hostCallback(effect, opcode, index, value, ptr, opt);
    };
    char sizeWindow[] = "sizeWindow", sizeWindowLonger[] = "sizeWindowX";

    // A host without a window turns everything down.
    EXPECT_EQ(ask(audioMasterSizeWindow, 586, 169), 0);
    EXPECT_EQ(ask(audioMasterBeginEdit, 3, 0), 0);
    EXPECT_EQ(ask(audioMasterCanDo, 0, 0, sizeWindow), 0);

    RecordingListener listener;
    plugin.setListener(&listener);
    EXPECT_EQ(ask(audioMasterCanDo, 0, 0, sizeWindow), 1);
    EXPECT_EQ(ask(audioMasterCanDo, 0, 0, sizeWindowLonger), 0);
    EXPECT_EQ(ask(audioMasterCanDo, 0, 0, nullptr), 0);
    EXPECT_EQ(ask(audioMasterBeginEdit, 3, 0), 1);
    ask(audioMasterAutomate, 3, 0, nullptr, 0.5f);
    EXPECT_EQ(ask(audioMasterEndEdit, 3, 0), 1);
    EXPECT_EQ(ask(audioMasterSizeWindow, 586, 235), 1);
    EXPECT_EQ(ask(audioMasterSizeWindow, 586, VstIntPtr{0}), 0) << "no height";
    EXPECT_EQ(ask(audioMasterSizeWindow, 586, -5), 0);
    if constexpr (sizeof(VstIntPtr) > 4) {
        EXPECT_EQ(ask(audioMasterSizeWindow, 586, VstIntPtr{1} << 40), 0);
    }
    listener.agreeToSize = false;
    EXPECT_EQ(ask(audioMasterSizeWindow, 300, 200), 0) << "a host that did not resize says so";
    EXPECT_EQ(listener.heard, (std::vector<std::string>{"begin 3", "automate 3 0.500000", "end 3", "size 586 235",
                                                        "size 300 200"}));

    plugin.setListener(nullptr);
    EXPECT_EQ(ask(audioMasterSizeWindow, 586, 169), 0);
    EXPECT_EQ(listener.heard.size(), 5u);
}

TEST(EditAudioLoop, FilesLoopAndMonoFeedsBothChannels) {
    aldermark::WavAudio mono;
    mono.sampleRate = 8000;
    mono.channels = {{1, 2, 3}};
    aldermark::WavAudio stereo;
    stereo.sampleRate = 8000;
    stereo.channels = {{1, 2, 3, 4}, {-1, -2, -3, -4}};
    struct Case {
        const aldermark::WavAudio* audio;
        std::size_t from;
        std::vector<float> left, right;
        std::size_t next;
    };
    const Case cases[] = {
        {&mono, 1, {2, 3, 1, 2, 3, 1, 2}, {2, 3, 1, 2, 3, 1, 2}, 2},
        {&mono, 3, {1, 2}, {1, 2}, 2},  // at the end: starts again
        {&stereo, 2, {3, 4, 1, 2, 3}, {-3, -4, -1, -2, -3}, 3},
        {&stereo, 0, {1, 2, 3, 4}, {-1, -2, -3, -4}, 4},
    };
    for (const Case& c : cases) {
        std::vector<float> left(c.left.size(), 99.f), right(c.right.size(), 99.f);
        const std::size_t next = aldermark::fillLoopedBlock(*c.audio, c.from, left.data(), right.data(),
                                                            static_cast<int>(left.size()));
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(right, c.right);
        EXPECT_EQ(next, c.next);
    }
}

}  // namespace
