// The validator against the small test effect: sound it passes every test; with each
// fault built in, the test made for that fault fails and the exit status says so.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "tools/aldermark/allocation_counter.h"
#include "tools/aldermark/commands.h"
#include "tools/aldermark/validation.h"
#include "tools/aldermark/wait_counter.h"

namespace {

struct ValidatorRun {
    int failed;
    std::string report;
};

ValidatorRun validate(const char* variant, int strictness = 10) {
    aldermark::ValidationOptions options;
    options.pluginPath = std::string(variant) + TEST_MODULE_SUFFIX;
    options.strictness = strictness;
    options.seed = 7;
    std::ostringstream out;
    const int failed = aldermark::runValidation(options, out);
    return {failed, out.str()};
}

bool reports(const ValidatorRun& run, const std::string& line) { return run.report.find(line) != std::string::npos; }

TEST(Validator, PassesTheSoundEffects) {
    const struct {
        const char* variant;
        const char* editorLine;  // this suite has a display: the meter's editor tests run
    } sound[] = {{"validate_plugin_sound", "SKIP editor: open and close, cold and warm ("},
                 {"validate_meter_sound", "PASS editor: display follows the audio again after non-finite input ("}};
    for (const auto& effect : sound) {
        const ValidatorRun run = validate(effect.variant);
        EXPECT_EQ(run.failed, 0) << run.report;
        EXPECT_TRUE(reports(run, " passed, 0 failed\n")) << run.report;
        EXPECT_TRUE(reports(run, effect.editorLine)) << run.report;
    }
}

// No display is the machine's state: the editor tests say so and how to run them, and the
// run still succeeds.
TEST(Validator, WithoutADisplayTheEditorTestsAreSkipped) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows always has a desktop";
#else
    const char* display = std::getenv("DISPLAY");
    const bool hadDisplay = display != nullptr;
    const std::string savedDisplay = hadDisplay ? display : "";
    setenv("DISPLAY", ":99999", 1);
    const aldermark::Command table[] = {{"validate", "", aldermark::runValidate}};
    std::ostringstream out, err;
    const std::string meter = std::string("validate_meter_sound") + TEST_MODULE_SUFFIX;
    const int status = aldermark::runCommandLine(table, {"validate", meter, "--strictness", "1"}, out, err);
    if (hadDisplay)
        setenv("DISPLAY", savedDisplay.c_str(), 1);
    else
        unsetenv("DISPLAY");

    EXPECT_EQ(status, aldermark::kExitOk) << out.str() << err.str();
    EXPECT_NE(out.str().find(" passed, 0 failed\n"), std::string::npos) << out.str();
    const std::string reason =
        ": no display (cannot open the X display ':99999'): run under xvfb-run -a, or pass --skip-editor";
    int editorTests = 0;
    std::istringstream report(out.str());
    for (std::string line; std::getline(report, line);)
        if (line.find(" editor: ") == 4) {
            ++editorTests;
            EXPECT_TRUE(line.rfind("SKIP", 0) == 0 && line.find(reason) != std::string::npos) << line;
        }
    EXPECT_GT(editorTests, 0) << out.str();
#endif
}

struct Fault {
    const char* variant;
    const char* failingTest;  // the start of the line that must report it
    bool (*countable)();      // whether this build can see the fault at all; null: always
};

const Fault kFaults[] = {
    {"validate_plugin_nan", "FAIL audio: every sample rate and block size", nullptr},
    {"validate_plugin_nan", "FAIL automation: every parameter in 32-frame slices", nullptr},
    {"validate_plugin_chunk", "FAIL state: saving twice without a change gives the same bytes", nullptr},
    {"validate_plugin_chunk", "FAIL state: save, change everything, restore, save gives the same bytes",
     nullptr},
    {"validate_plugin_allocates", "FAIL real-time: no heap allocation in processReplacing",
     allocation_counter::available},
    {"validate_plugin_waits", "FAIL real-time: no wait without a time limit in processReplacing",
     wait_counter::available},
    {"validate_meter_stuck", "FAIL editor: display follows the audio again after non-finite input", nullptr},
};

TEST(Validator, FailsEachBuiltInFault) {
    for (const Fault& fault : kFaults) {
        if (fault.countable && !fault.countable()) continue;
        const ValidatorRun run = validate(fault.variant);
        EXPECT_GT(run.failed, 0) << fault.variant;
        EXPECT_TRUE(reports(run, fault.failingTest)) << fault.variant << "\n" << run.report;
        EXPECT_TRUE(reports(run, std::to_string(run.failed) + " failed\n")) << run.report;
    }
}

TEST(Validator, AllocationsAreOnlyCheckedAtTheStrictestLevel) {
    const ValidatorRun run = validate("validate_plugin_allocates", 9);
    EXPECT_TRUE(reports(run, "SKIP real-time: no heap allocation in processReplacing")) << run.report;
}

TEST(Validator, CommandLine) {
    const aldermark::Command table[] = {{"validate", "", aldermark::runValidate}};
    std::ostringstream out, err;
    const std::string sound = std::string("validate_plugin_sound") + TEST_MODULE_SUFFIX;
    const std::string flawed = std::string("validate_plugin_nan") + TEST_MODULE_SUFFIX;
    EXPECT_EQ(aldermark::runCommandLine(table, {"validate", sound, "--strictness", "2", "--seed", "3"}, out, err),
              aldermark::kExitOk)
        << out.str() << err.str();
    EXPECT_EQ(aldermark::runCommandLine(table, {"validate", flawed, "--strictness", "2"}, out, err),
              aldermark::kExitFailure);
    const std::vector<std::string> wrong[] = {{"validate"},
                                             {"validate", sound, "--strictness", "0"},
                                             {"validate", sound, "--strictness", "11"},
                                             {"validate", sound, "--seed", "-1"},
                                             {"validate", "--skip-editor", sound}};
    for (const auto& args : wrong) EXPECT_EQ(aldermark::runCommandLine(table, args, out, err), aldermark::kExitUsage);
    EXPECT_EQ(aldermark::runCommandLine(table, {"validate", "no-such-plugin.so"}, out, err), aldermark::kExitFailure);
}

}  // namespace
