// The meter and demo commands, which run the effect's own code: the CSV the meter panel
// would read, and the demo's tables.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "tests/host/host_test_support.h"
#include "tools/aldermark/commands.h"
#include "tools/aldermark/wav_file.h"

namespace {

using aldermark::CommandArguments;

using host_test::Outcome;
using host_test::run;

std::vector<std::vector<std::string>> csvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> cells;
        std::string cell;
        std::istringstream parts(line);
        while (std::getline(parts, cell, ',')) cells.push_back(cell);
        if (!line.empty() && line.back() == ',') cells.emplace_back();
        rows.push_back(cells);
    }
    return rows;
}

class MeterCommand : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = (std::filesystem::temp_directory_path() / "aldermark_meter_test.wav").string();
    }
    void TearDown() override { std::filesystem::remove(path_); }
    // One second of a 1 kHz sine at `peak`, stereo, 48 kHz; right channel at half level.
    void writeSine(double peak, int channels = 2) {
        aldermark::WavAudio audio;
        audio.sampleRate = 48000;
        audio.channels.assign(static_cast<size_t>(channels), std::vector<float>(48000));
        for (int i = 0; i < 48000; ++i) {
            const double s = peak * std::sin(2.0 * std::numbers::pi * 1000.0 * i / 48000.0);
            audio.channels[0][i] = static_cast<float>(s);
            if (channels > 1) audio.channels[1][i] = static_cast<float>(0.5 * s);
        }
        std::string error;
        ASSERT_TRUE(aldermark::writeWavFile(path_, audio, aldermark::WavSampleFormat::Float32, error)) << error;
    }
    std::string path_;
};

TEST_F(MeterCommand, PrintsWhatThePanelReads) {
    writeSine(std::pow(10.0, -12.0 / 20.0));  // the PPM's default reference, -12 dBFS
    const Outcome r = run(aldermark::runMeter, {"--input", path_, "--set", "3=1", "--every", "100", "--block", "480"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto rows = csvRows(r.out);
    ASSERT_EQ(rows.front(), (std::vector<std::string>{"time_ms", "needle_l", "needle_r", "hold_l", "hold_r", "rms_l",
                                                      "rms_r", "led_l", "led_r"}));
    ASSERT_EQ(rows.size(), 11u);  // one row per 100 ms
    EXPECT_EQ(rows[1][0], "100");
    const auto& last = rows.back();
    EXPECT_EQ(last[0], "1000");
    EXPECT_NEAR(std::stod(last[1]), 1.0, 0.03);  // PPM needle at the reference
    EXPECT_NEAR(std::stod(last[2]), 0.5, 0.02);
    EXPECT_TRUE(last[5].empty());  // RMS only for the RMS meter
    EXPECT_EQ(last[7], "-1");      // no overs
}

TEST_F(MeterCommand, RmsColumnsAndMeterSettings) {
    writeSine(1.0, 1);  // mono, full scale
    const Outcome r = run(aldermark::runMeter, {"--input", path_, "--set", "3=0.5", "--set", "72=0.667",
                                                "--set", "78=0", "--every", "500"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto rows = csvRows(r.out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_NEAR(std::stod(rows.back()[5]), 1.0, 0.02);  // a full-scale sine reads its reference
    EXPECT_EQ(rows.back()[1], rows.back()[2]);           // mono feeds both needles
    EXPECT_NE(rows.back()[7], "-1");                     // the peaks reach full scale: over
}

TEST_F(MeterCommand, RefusesBadInput) {
    writeSine(0.5);
    for (const CommandArguments& args : std::vector<CommandArguments>{
             {"--input", path_, "--set", "70=0.5"},
             {"--input", path_, "--set", "82=0.5"},
             {"--input", path_, "--set", "3=loud"},
             {"--input", path_, "--every", "0"},
             {"--input", path_, "--block", "-4"},
             {"--set", "3=1"},
             {"--input", path_ + ".missing"},
         }) {
        const Outcome r = run(aldermark::runMeter, args);
        EXPECT_NE(r.code, 0) << args.back();
        EXPECT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
}

TEST(DemoCommand, ShowsAllThreeMeters) {
    const Outcome r = run(aldermark::runDemo, {});
    ASSERT_EQ(r.code, 0) << r.err;
    for (const char* part : {"VU3", "RMS3", "RAD3", "1 kHz at reference", "reference -18.0 dBFS"})
        EXPECT_NE(r.out.find(part), std::string::npos) << part;
    EXPECT_NE(run(aldermark::runDemo, {"--fast"}).code, 0);
}

}  // namespace
