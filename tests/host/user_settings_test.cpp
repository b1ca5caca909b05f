// The user's settings store after a run: every command that runs the plug-in leaves it as it
// found it, values of the user's own included, and only --settings user reads it.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <dlfcn.h>
#endif

#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

#include "platform/settings_store.h"
#include "tests/host/host_test_support.h"
#include "tests/platform/store_sandbox.h"
#include "tools/aldermark/commands.h"
#include "tools/aldermark/wav_file.h"

#ifdef _WIN32
#include "platform/windows/windows_lean.h"
#endif

namespace {

using aldermark::CommandArguments;
using host_test::contains;
using host_test::Outcome;
using host_test::run;

#ifdef ALDERMARK_PLUGIN
const std::string kPlugin = ALDERMARK_PLUGIN;
#else
const std::string kPlugin;
#endif

// Values of the user's own: the VU reference at -12 dBFS (the default is -18), precise on, and
// a remembered folder the plug-in would overwrite when its editor goes.
constexpr float kUserReference = 0.5f;
constexpr float kUserPrecise = 1.0f;
constexpr char kUserFolder[] = "where the user left it";

// On Linux the user's store lives in a sandbox folder; on Windows it is the registry key
// itself, whose values of these names are put back as they were.
class UserStore : public host_test::ScratchFolder {
protected:
    void SetUp() override {
        ScratchFolder::SetUp();
#ifdef _WIN32
        for (Saved& value : saved_) value.existed = platform::readSettingBytes(value.name, &value.bytes, 4);
        savedFolder_ = platform::readSettingText("CurrDir", folder_);
#endif
        const platform::SettingBlob values[] = {{"Avureference", &kUserReference, 4},
                                                {"Avuprecise", &kUserPrecise, 4}};
        const platform::SettingText texts[] = {{"CurrDir", kUserFolder}};
        ASSERT_TRUE(platform::writeSettings(values, 2) && platform::writeSettingTexts(texts, 1));
#ifndef _WIN32
        before_ = storeFile();
        ASSERT_FALSE(before_.empty());
#endif
    }
    void TearDown() override {
#ifdef _WIN32
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Kestrune\\ZEBDIALS300", 0, KEY_SET_VALUE, &key) ==
            ERROR_SUCCESS) {
            for (const Saved& value : saved_)
                if (!value.existed) RegDeleteValueA(key, value.name);
            if (!savedFolder_) RegDeleteValueW(key, L"CurrDir");
            RegCloseKey(key);
        }
        for (const Saved& value : saved_) {
            const platform::SettingBlob blob{value.name, &value.bytes, 4};
            if (value.existed) platform::writeSettings(&blob, 1);
        }
        const platform::SettingText folder{"CurrDir", folder_.c_str()};
        if (savedFolder_) platform::writeSettingTexts(&folder, 1);
#endif
        ScratchFolder::TearDown();
    }

    // The user's values are there as they were written, and (Linux) nothing rewrote the file.
    void expectUntouched(const std::string& what) {
        float reference = 0.0f, precise = 0.0f;
        std::string folder;
        EXPECT_TRUE(platform::readSettingBytes("Avureference", &reference, 4) && reference == kUserReference) << what;
        EXPECT_TRUE(platform::readSettingBytes("Avuprecise", &precise, 4) && precise == kUserPrecise) << what;
        EXPECT_TRUE(platform::readSettingText("CurrDir", folder) && folder == kUserFolder) << what << ": " << folder;
#ifndef _WIN32
        EXPECT_EQ(storeFile(), before_) << what;
#endif
    }

    void writeSine(const std::string& path) {
        aldermark::WavAudio audio;
        audio.sampleRate = 48000;
        audio.channels.assign(2, std::vector<float>(24000));
        for (std::size_t i = 0; i < 24000; ++i)
            audio.channels[0][i] = audio.channels[1][i] =
                static_cast<float>(0.125 * std::sin(2.0 * std::numbers::pi * 1000.0 * static_cast<double>(i) / 48000.0));
        std::string error;
        ASSERT_TRUE(aldermark::writeWavFile(path, audio, aldermark::WavSampleFormat::Float32, error)) << error;
    }

private:
#ifdef _WIN32
    struct Saved {
        const char* name;
        bool existed;
        float bytes;
    } saved_[2] = {{"Avureference", false, 0.0f}, {"Avuprecise", false, 0.0f}};
    bool savedFolder_ = false;
    std::string folder_;
#else
    std::string storeFile() const {
        std::ifstream file(sandbox_.storeFile(), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    platform_test::StoreSandbox sandbox_;
    std::string before_;
#endif
};

TEST_F(UserStore, NoRunWritesTheUserSettings) {
    if (kPlugin.empty()) GTEST_SKIP() << "built without the plug-in";
    const std::string sine = file("sine.wav");
    writeSine(sine);
    const struct {
        const char* what;
        aldermark::CommandFunction command;
        CommandArguments args;
    } runs[] = {
        // The validator changes and stores every setting of every instance it makes.
        {"validate", aldermark::runValidate, {kPlugin, "--strictness", "1", "--skip-editor"}},
        {"info", aldermark::runInfo, {"--plugin", kPlugin}},
        {"info --settings", aldermark::runInfo, {"--plugin", kPlugin, "--settings"}},
        {"process", aldermark::runProcess, {"--plugin", kPlugin, "--input", sine, "--output", file("out.wav")}},
        {"process --settings user", aldermark::runProcess,
         {"--plugin", kPlugin, "--input", sine, "--output", file("out.wav"), "--settings", "user"}},
        {"meter", aldermark::runMeter, {"--input", sine}},
        {"meter --settings user", aldermark::runMeter, {"--input", sine, "--settings", "user"}},
        {"render", aldermark::runRender, {sine, "--at", "0.2", "--out", file("editor.png")}},
        {"demo", aldermark::runDemo, {"--pictures", file("pictures")}},
    };
    for (const auto& r : runs) {
        const Outcome outcome = run(r.command, r.args);
        EXPECT_EQ(outcome.code, 0) << r.what << ": " << outcome.err << outcome.out.substr(0, 2000);
        expectUntouched(r.what);
    }
}

TEST_F(UserStore, OnlySettingsUserReadsThem) {
    const std::string sine = file("sine.wav");
    writeSine(sine);
    const auto meter = [&](CommandArguments extra) {
        CommandArguments args{"--input", sine};
        args.insert(args.end(), extra.begin(), extra.end());
        return run(aldermark::runMeter, args);
    };
    const Outcome plain = meter({}), factory = meter({"--set", "Avureference=-18", "--set", "Avuprecise=off"});
    const Outcome user = meter({"--settings", "user"});
    const Outcome asUser = meter({"--set", "Avureference=-12", "--set", "Avuprecise=on"});
    ASSERT_EQ(plain.code, 0) << plain.err;
    EXPECT_EQ(plain.out, factory.out) << "a run starts from the factory settings";
    EXPECT_EQ(user.out, asUser.out) << "--settings user starts from the user's";
    EXPECT_NE(user.out, plain.out);
    EXPECT_EQ(plain.err, "");
    // The store may hold more values (a Windows test prefix keeps what earlier suites wrote);
    // the two that differ from the defaults are named.
    EXPECT_TRUE(contains(user.err, " meter settings; not at the defaults: Avureference -12.0 dBFS, Avuprecise on\n"))
        << user.err;
    expectUntouched("meter");

    if (kPlugin.empty()) GTEST_SKIP() << "built without the plug-in";
#ifndef _WIN32
    // A plug-in that an earlier test left resident (sanitizer builds cannot unload it) keeps
    // the stores it read when it first loaded: only a fresh load shows a session's start.
    if (void* resident = dlopen(kPlugin.c_str(), RTLD_NOW | RTLD_NOLOAD)) {
        dlclose(resident);
        GTEST_SKIP() << "the plug-in is still loaded from an earlier test";
    }
#endif
    // info shows the plug-in as a session would start it: with the user's values.
    const Outcome table = run(aldermark::runInfo, {"--plugin", kPlugin, "--settings"});
    EXPECT_TRUE(contains(table.out, "   83  Avureference        -12.0      -24.0..0.0               dBFS\n"))
        << table.out;
    EXPECT_TRUE(contains(table.out, "   91  Avuprecise          on         off|on\n")) << table.out;
    EXPECT_TRUE(contains(table.out, "    3  Meter               vu         vu|rms|ppm\n")) << table.out;
    EXPECT_EQ(host_test::count(table.out, "\n"), 1u + 17u + 27u) << "a heading and every named setting";
}

TEST(SettingsOnAnotherPlugin, NamesAndMeterSettingsAreRefusedSparesPass) {
    const std::string other = host_test::modulePath("host_test_plugin");
    host_test::expectError(run(aldermark::runInfo, {"--plugin", other, "--set", "Trim=1"}), 1,
                           "--set Trim=1: names, units and the meter settings 72..100 are ZEB Aldermark's; "
                           "'Test Gain' takes --set INDEX=VALUE with an index below 64");
    host_test::expectError(run(aldermark::runInfo, {"--plugin", other, "--set", "83=0.5"}), 1, "ZEB Aldermark's");
    host_test::expectError(run(aldermark::runInfo, {"--plugin", other, "--settings"}), 1,
                           "--settings lists ZEB Aldermark's settings; 'Test Gain' is another plug-in");
    EXPECT_EQ(run(aldermark::runInfo, {"--plugin", other, "--set", "20=0.5"}).code, 0) << "its spares are its own";
    if (kPlugin.empty()) GTEST_SKIP() << "built without the plug-in";
    host_test::expectError(run(aldermark::runInfo, {"--plugin", kPlugin, "--set", "20=0.5"}), 1,
                           "--set 20=0.5: parameter 20 is a spare and does nothing");
}

}  // namespace
