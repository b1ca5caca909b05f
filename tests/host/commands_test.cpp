// The info and process commands end to end against the test plug-in, and the command
// line's usage errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "tests/host/audio_test_files.h"
#include "tests/host/host_test_support.h"
#include "tools/aldermark/audio_file.h"
#include "tools/aldermark/commands.h"
#include "tools/aldermark/wav_file.h"

#ifndef _WIN32
#include "tests/host/child_process.h"
#endif

namespace {

using aldermark::CommandArguments;
using host_test::modulePath;

using host_test::contains;
using host_test::count;
using host_test::expectError;
using host_test::Outcome;
using host_test::run;

TEST(InfoCommand, ReportsIdentityPinsCapabilitiesAndParameters) {
    const Outcome result = run(aldermark::runInfo, {"--plugin", modulePath("host_test_plugin"), "--set", "0=0.25",
                                                    "--set", "7=0.1", "--set", "7=0.9"});
    ASSERT_EQ(result.code, 0) << result.err;
    const std::string& json = result.out;
    EXPECT_TRUE(host_test::JsonSyntax::valid(json)) << json;
    for (const char* part : {R"("effectName": "Test Gain")", R"("product": "Test Gain Product")",
                             R"("vendor": "Aldermark Tests")", R"("vendorVersion": 7)", R"("vstVersion": 2400)",
                             R"("category": 1)", R"("categoryName": "Effect")", R"("uniqueIdText": "TstG")",
                             R"("uniqueId": 1416852551)", R"("canReplacing": true)", R"("hasEditor": false)",
                             R"("numPrograms": 1)", R"("numParams": 64)", R"("numInputs": 2)", R"("numOutputs": 2)",
                             R"("initialDelay": 0)", R"("label": "Test In 2")", R"("label": "Test Out 1")",
                             R"("flags": 3)", R"("offline": -1)", R"("plugAsChannelInsert": 0)", R"("1in1out": 1)",
                             R"("2in2out": 1)"})
        EXPECT_TRUE(contains(json, part)) << part;
    EXPECT_EQ(count(json, R"({"index": )"), 64u + 4u) << "64 parameters and 2 + 2 pins";
    EXPECT_TRUE(contains(json, R"({"index": 0, "name": "Gain", "label": "x", "display": "0.50", "value": 0.25, )"
                               R"("automatable": true})"));
    EXPECT_TRUE(contains(json, R"("index": 7, "name": "", "label": "", "display": "", "value": 0.9, )"
                               R"("automatable": false})"))
        << "assignments apply in order";
    EXPECT_TRUE(contains(json, R"("name": "Say \"hi\"")")) << "plug-in text is escaped";
}

TEST(InfoCommand, BadOptionsAndPlugins) {
    expectError(run(aldermark::runInfo, {"--plugin", modulePath("host_test_plugin"), "--set", "64=0.5"}), 2,
                "outside 0..63");
    expectError(run(aldermark::runInfo, {"--plugin", modulePath("host_test_plugin"), "--set", "3=half"}), 2,
                "'half' is not a number");
    expectError(run(aldermark::runInfo, {"--plugin"}), 2, "--plugin needs a value");
    expectError(run(aldermark::runInfo, {"--plugin="}), 2, "--plugin needs a path");
    expectError(run(aldermark::runInfo, {"--input", "x.wav"}), 2, "unknown option '--input'");
    expectError(run(aldermark::runInfo, {"--plugin", modulePath("host_test_plugin_null_entry")}), 1, "returned null");
    expectError(run(aldermark::runInfo, {"--plugin", modulePath("host_test_plugin_no_entry")}), 1,
                "not a VST 2.4 plug-in");
    // Without --plugin the plug-in is looked for next to the program; the tests have none.
    expectError(run(aldermark::runInfo, {}), 1, host_platform::pluginFileName());
}

class ProcessCommand : public host_test::ScratchFolder {
protected:
    // Writes a test file: a ramp per channel, the second channel negated.
    void writeInput(const std::string& name, int channels, std::size_t frames, aldermark::WavSampleFormat format,
                    bool extensible = false) {
        aldermark::WavAudio audio;
        audio.sampleRate = 44100;
        audio.channels.assign(static_cast<std::size_t>(channels), std::vector<float>(frames));
        for (std::size_t i = 0; i < frames; ++i)
            for (int c = 0; c < channels; ++c)
                audio.channels[c][i] = (c ? -1.0f : 1.0f) * static_cast<float>(i % 100) / 128.0f;
        std::string error;
        ASSERT_TRUE(aldermark::writeWavFile(file(name), audio, format, error, extensible)) << error;
        input_ = audio;
    }
    aldermark::WavAudio readOutput(const std::string& name) {
        aldermark::WavAudio audio;
        aldermark::WavSampleFormat format{};
        std::string error;
        EXPECT_TRUE(aldermark::readWavFile(file(name), audio, error, &format)) << error;
        EXPECT_EQ(format, aldermark::WavSampleFormat::Float32);
        return audio;
    }
    Outcome process(std::vector<std::string> extra) {
        CommandArguments args = {"--plugin", modulePath("host_test_plugin"), "--input", file("in.wav"), "--output",
                                 file("out.wav")};
        args.insert(args.end(), extra.begin(), extra.end());
        return run(aldermark::runProcess, args);
    }
    aldermark::WavAudio input_;
};

TEST_F(ProcessCommand, StereoInBlocksWithAShortLastBlock) {
    writeInput("in.wav", 2, 3000, aldermark::WavSampleFormat::Int24);
    // Blocks of 2048 exceed the plug-in's default of 1024: the announced size must arrive.
    const Outcome result = process({"--block", "2048", "--set", "0=0.25"});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_TRUE(result.err.empty());
    const aldermark::WavAudio output = readOutput("out.wav");
    EXPECT_EQ(output.sampleRate, 44100u);
    ASSERT_EQ(output.channels.size(), 2u);
    ASSERT_EQ(output.frames(), 3000u);
    for (int c = 0; c < 2; ++c)
        for (std::size_t i = 0; i < 3000; ++i)
            ASSERT_FLOAT_EQ(output.channels[c][i], 0.5f * input_.channels[c][i]) << "channel " << c << " frame " << i;
}

TEST_F(ProcessCommand, MonoExtensibleInMonoOut) {
    writeInput("in.wav", 1, 1000, aldermark::WavSampleFormat::Int16, true);
    const Outcome result = process({});  // default block 512: blocks of 512 and 488
    ASSERT_EQ(result.code, 0) << result.err;
    const aldermark::WavAudio output = readOutput("out.wav");
    ASSERT_EQ(output.channels.size(), 1u);
    ASSERT_EQ(output.frames(), 1000u);
    EXPECT_EQ(output.channels[0], input_.channels[0]) << "default gain is 1";
}

TEST_F(ProcessCommand, EmptyInputGivesEmptyOutput) {
    writeInput("in.wav", 2, 0, aldermark::WavSampleFormat::Float32);
    ASSERT_EQ(process({}).code, 0);
    EXPECT_EQ(readOutput("out.wav").frames(), 0u);
}

TEST_F(ProcessCommand, BadInputsAreReportedOnOneLine) {
    writeInput("in.wav", 2, 10, aldermark::WavSampleFormat::Int16);
    expectError(process({"--block", "0"}), 2, "--block must be a whole number from 1 to");
    expectError(process({"--block", "12x"}), 2, "got '12x'");
    expectError(process({"--block", "99999999999"}), 2, "--block");
    expectError(process({"--set", "70=1"}), 2, "outside 0..63");
    expectError(run(aldermark::runProcess, {"--input", file("in.wav")}), 2, "--output OUT.wav is required");
    expectError(run(aldermark::runProcess, {"--output", file("out.wav")}), 2, "--input IN.wav is required");

    expectError(run(aldermark::runProcess, {"--plugin", modulePath("host_test_plugin"), "--input", file("none.wav"),
                                            "--output", file("out.wav")}),
                1, "none.wav");
    {
        std::FILE* text = host_platform::openFile(file("text.wav"), "wb");
        ASSERT_NE(text, nullptr);
        std::fputs("RIFF but not really", text);
        std::fclose(text);
    }
    expectError(run(aldermark::runProcess, {"--plugin", modulePath("host_test_plugin"), "--input", file("text.wav"),
                                            "--output", file("out.wav")}),
                1, "cannot read '" + file("text.wav") + "'");
    expectError(process({"--plugin", modulePath("host_test_plugin_bad_magic")}), 2, "given more than once");
    expectError(run(aldermark::runProcess, {"--plugin", modulePath("host_test_plugin_bad_magic"), "--input",
                                            file("in.wav"), "--output", file("out.wav")}),
                1, "did not return a VST 2.4 effect record");
    expectError(process({"--output", file("again.wav")}), 2, "--output given more than once");
    expectError(run(aldermark::runProcess, {"--plugin", modulePath("host_test_plugin"), "--input", file("in.wav"),
                                            "--output", file("missing-folder/out.wav")}),
                1, "out.wav");
}

TEST_F(ProcessCommand, AnOutputThatIsAnInputIsRefusedAndTheInputKept) {
    writeInput("in.wav", 2, 100, aldermark::WavSampleFormat::Int16);
    const std::vector<unsigned char> before = host_test::fileBytes(file("in.wav"));
    std::error_code linkError;
    std::filesystem::create_hard_link(std::filesystem::u8path(file("in.wav")), std::filesystem::u8path(file("hard.wav")),
                                      linkError);
#ifndef _WIN32
    std::filesystem::create_symlink(file("in.wav"), file("soft.wav"));
#endif
    const std::string plugin = modulePath("host_test_plugin");
    const struct {
        aldermark::CommandFunction command;
        CommandArguments args;
    } cases[] = {
        {aldermark::runProcess, {"--plugin", plugin, "--input", file("in.wav"), "--output", file("in.wav")}},
        {aldermark::runProcess, {"--plugin", plugin, "--input", file("in.wav"), "--output", file("hard.wav")}},
#ifndef _WIN32
        {aldermark::runProcess, {"--plugin", plugin, "--input", file("in.wav"), "--output", file("soft.wav")}},
        {aldermark::runProcess, {"--plugin", plugin, "--input", file("soft.wav"), "--output", file("in.wav")}},
        {aldermark::runRender, {file("soft.wav"), "--at", "0.1", "--out", file("in.wav")}},
#endif
        {aldermark::runRender, {file("in.wav"), "--at", "0.1", "--out", file("in.wav")}},
        {aldermark::runEdit, {file("in.wav"), "--screenshot-at", "1", "--out", file("in.wav")}},
        {aldermark::runEdit, {file("in.wav"), "--save-state", file("in.wav")}},
    };
    for (const auto& c : cases) {
        if (linkError && c.args.back() == file("hard.wav")) continue;  // no hard links on this file system
        SCOPED_TRACE(c.args.back());
        expectError(run(c.command, c.args), 1, "same file as the input");
        EXPECT_EQ(host_test::fileBytes(file("in.wav")), before);
    }
}

TEST_F(ProcessCommand, RenderDrawsTheEditorAtTheScaleAskedFor) {
    writeInput("in.wav", 2, 4800, aldermark::WavSampleFormat::Int16);
    // PNG width and height, from the header chunk.
    auto sizeOf = [](const std::vector<unsigned char>& png) {
        auto word = [&png](std::size_t at) {
            return png.size() < at + 4 ? -1 : png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        };
        return std::make_pair(word(16), word(20));
    };
    const struct {
        const char* scale;
        int width, height;
    } sizes[] = {{"1", 586, 195}, {"1.5", 879, 293}, {"2", 1172, 390}, {"3", 1758, 585}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(s.scale);
        const Outcome outcome =
            run(aldermark::runRender, {file("in.wav"), "--at", "0.05", "--out", file("editor.png"), "--scale", s.scale});
        ASSERT_EQ(outcome.code, 0) << outcome.err;
        EXPECT_EQ(sizeOf(host_test::fileBytes(file("editor.png"))), std::make_pair(s.width, s.height));
    }
    for (const char* bad : {"0.99", "3.01", "2x", ""}) {
        SCOPED_TRACE(bad);
        expectError(run(aldermark::runRender, {file("in.wav"), "--at", "0.05", "--out", file("e.png"), "--scale", bad}),
                    2, "--scale must be a number from 1 to 3");
    }
}

TEST(CommandLine, StandardOutputThatCannotBeWrittenFailsTheRun) {
    // Like a full disk behind standard output: nothing written arrives.
    struct Refusing : std::streambuf {
        int overflow(int) override { return traits_type::eof(); }
    } refusing;
    const aldermark::Command commands[] = {{"info", "", aldermark::runInfo}};
    const struct {
        CommandArguments args;
        int code;
        bool unwritten;  // the run had something to write
    } cases[] = {{{"info", "--plugin", modulePath("host_test_plugin")}, 1, true},
                 {{"help"}, 1, true},
                 {{"info", "--plugin", modulePath("host_test_plugin_null_entry")}, 1, false},
                 {{"frobnicate"}, 2, false}};
    for (const auto& c : cases) {
        std::ostream out(&refusing);
        std::ostringstream err;
        EXPECT_EQ(aldermark::runCommandLine(commands, c.args, out, err), c.code) << c.args.back();
        EXPECT_EQ(contains(err.str(), "aldermark: could not write standard output"), c.unwritten) << err.str();
    }
}

#ifndef _WIN32

TEST_F(ProcessCommand, EveryInputFormatGivesTheOutputOfTheFloatWav) {
    const struct {
        const char* name;
        int format;
        double tolerance;
        bool truncated;
    } cases[] = {
        {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0, false},
        {"flac.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1.0 / 32768, false},
        {"aiff.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 1.0 / 8388608, false},
        {"pcm8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1.0 / 128, false},
        {"rf64.wav", SF_FORMAT_RF64 | SF_FORMAT_PCM_16, 1.0 / 32768, false},
        {"cut.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1.0 / 32768, true},
    };
    writeInput("in.wav", 2, 9000, aldermark::WavSampleFormat::Float32);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        host_test::writeWithSndfile(file(c.name), c.format, input_);
        if (c.truncated) {
            std::vector<unsigned char> bytes = host_test::fileBytes(file(c.name));
            bytes.resize(bytes.size() / 2);
            host_test::writeBytes(file(c.name), bytes);
        }
        const Outcome result = run(aldermark::runProcess, {"--plugin", modulePath("host_test_plugin"), "--input",
                                                           file(c.name), "--output", file("out.wav"), "--set", "0=0.25"});
        ASSERT_EQ(result.code, 0) << result.err;
        EXPECT_EQ(contains(result.err, "warning: '" + file(c.name) + "' is truncated"), c.truncated) << result.err;
        const aldermark::WavAudio output = readOutput("out.wav");
        ASSERT_EQ(output.channels.size(), 2u);
        EXPECT_EQ(output.frames() < 9000, c.truncated);
        EXPECT_GT(output.frames(), 4000u);
        double worst = 0;
        for (int ch = 0; ch < 2; ++ch)
            for (std::size_t i = 0; i < output.frames(); ++i)
                worst = std::max(worst, std::fabs(0.5 * input_.channels[ch][i] - output.channels[ch][i]));
        EXPECT_LE(worst, c.tolerance);
    }
}

TEST_F(ProcessCommand, StandardInputAndOutputStream) {
    writeInput("in.wav", 2, 5000, aldermark::WavSampleFormat::Int16);
    const aldermark::Command commands[] = {{"process", "", aldermark::runProcess}};
    const CommandArguments args = {"process", "--plugin", modulePath("host_test_plugin"), "--input", "-",
                                   "--output", "-", "--set", "0=0.25"};
    const auto runProcess = [&] { return aldermark::runCommandLine(commands, args, std::cout, std::cerr); };
    // From a file the length is known and the header says it; through a pipe the header
    // says "to the end of the stream".
    const struct {
        bool pipe;
    } cases[] = {{false}, {true}};
    for (const auto& c : cases) {
        host_test::ChildRun child;
        if (c.pipe) child.input = host_test::fileBytes(file("in.wav"));
        else child.inputFile = file("in.wav");
        child.outputFile = file("out.wav");
        const host_test::ChildOutcome outcome = host_test::runInChild(child, runProcess);
        ASSERT_EQ(outcome.code, 0) << outcome.err;
        aldermark::AudioFileReader reader;
        std::string error;
        ASSERT_TRUE(reader.open(file("out.wav"), error)) << error;
        std::vector<float> left(6000), right(6000);
        ASSERT_EQ(reader.read(left.data(), right.data(), 6000), 5000u);
        EXPECT_TRUE(reader.warning().empty()) << reader.warning();
        for (std::size_t i = 0; i < 5000; ++i) {
            ASSERT_EQ(left[i], 0.5f * input_.channels[0][i]) << i;
            ASSERT_EQ(right[i], 0.5f * input_.channels[1][i]) << i;
        }
        if (!c.pipe) {
            EXPECT_EQ(readOutput("out.wav").frames(), 5000u) << "the header holds the sizes";
        }
    }
}

TEST_F(ProcessCommand, AFullDiskOrStandardOutputFailsAndLeavesNoPartialFile) {
    writeInput("in.wav", 2, 44100, aldermark::WavSampleFormat::Int16);  // 353 kB of float output
    host_test::writeBytes(file("out.wav"), {'o', 'l', 'd'});
    const aldermark::Command commands[] = {{"process", "", aldermark::runProcess}, {"info", "", aldermark::runInfo}};
    const std::string plugin = modulePath("host_test_plugin");
    const struct {
        CommandArguments args;
        const char* stdoutFile;
        long sizeLimit;
        const char* message;
    } cases[] = {
        {{"process", "--plugin", plugin, "--input", file("in.wav"), "--output", file("out.wav")}, "/dev/null",
         100000, "File too large"},
        {{"process", "--plugin", plugin, "--input", file("in.wav"), "--output", "-"}, "/dev/full", -1,
         "could not write standard output"},
        {{"info", "--plugin", plugin}, "/dev/full", -1, "aldermark: could not write standard output"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const host_test::ChildOutcome outcome =
            host_test::runInChild({std::nullopt, "", c.stdoutFile, c.sizeLimit}, [&] {
                return aldermark::runCommandLine(commands, c.args, std::cout, std::cerr);
            });
        EXPECT_EQ(outcome.code, 1) << outcome.err;
        EXPECT_TRUE(contains(outcome.err, c.message)) << outcome.err;
        EXPECT_EQ(host_test::fileBytes(file("out.wav")), (std::vector<unsigned char>{'o', 'l', 'd'}));
        std::size_t entries = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator(std::filesystem::u8path(file("in.wav")).parent_path()))
            ++entries;
        EXPECT_EQ(entries, 2u) << "in.wav and out.wav, no temporary file";
    }
}

#endif

aldermark::Command table[] = {
    {"info", "[options]", aldermark::runInfo},
    {"process", "[options]", aldermark::runProcess},
};

TEST(CommandLine, SubcommandsHelpAndUnknownNames) {
    std::ostringstream out, err;
    EXPECT_EQ(aldermark::runCommandLine(table, {"help"}, out, err), 0);
    EXPECT_TRUE(contains(out.str(), "usage: aldermark <command>"));
    EXPECT_TRUE(contains(out.str(), "  process [options]"));

    const auto expectUsageError = [](const CommandArguments& args, const std::string& part) {
        std::ostringstream o, e;
        EXPECT_EQ(aldermark::runCommandLine(table, args, o, e), 2);
        EXPECT_TRUE(contains(e.str(), part)) << e.str();
        EXPECT_TRUE(o.str().empty());
    };
    expectUsageError({}, "no command given");
    expectUsageError({"meter"}, "unknown command 'meter'");
    expectUsageError({"--plugin", "x"}, "unknown command '--plugin'");

    std::ostringstream infoOut, infoErr;
    EXPECT_EQ(aldermark::runCommandLine(table, {"info", "--plugin", modulePath("host_test_plugin")}, infoOut, infoErr),
              0)
        << infoErr.str();
    EXPECT_TRUE(contains(infoOut.str(), R"("effectName": "Test Gain")")) << "arguments after the name reach it";
}

}  // namespace
