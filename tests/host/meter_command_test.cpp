// The meter and demo commands, which run the effect's own code: the CSV the meter panel
// would read, and the demo's tables.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "tests/host/host_test_support.h"
#include "tools/aldermark/commands.h"
#include "tools/aldermark/meter_plot.h"
#include "tools/aldermark/metered_file.h"
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
    const Outcome r =
        run(aldermark::runMeter, {"--input", path_, "--set", "3=1", "--every", "100", "--block", "480", "--linear"});
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
                                                "--set", "78=0", "--every", "500", "--linear"});
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
             {path_, "--linear", "--summary"},
             {path_, "--format", "xml"},
             {path_, path_},
         }) {
        const Outcome r = run(aldermark::runMeter, args);
        EXPECT_NE(r.code, 0) << args.back();
        EXPECT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
}

TEST_F(MeterCommand, LinearTableIsWhatEarlierVersionsPrinted) {
    writeSine(std::pow(10.0, -12.0 / 20.0));
    // Printed by the version before the readings in dB, for this file, with a fresh store.
    const std::string header = "time_ms,needle_l,needle_r,hold_l,hold_r,rms_l,rms_r,led_l,led_r\n";
    const std::pair<const char*, std::string> cases[] = {
        {"3=0", header + "256,1.87045,0.958449,1.87045,0.958449,,,-1,-1\n"
                         "501.333,1.98113,0.99151,1.98121,0.99339,,,-1,-1\n"
                         "757.333,1.97884,0.989395,1.98121,0.99339,,,-1,-1\n"
                         "1000,1.97872,0.989358,1.98121,0.99339,,,-1,-1\n"},
        {"3=0.5", header + "256,0.247626,0.123813,0.247653,0.123826,0.206912,0.103456,-1,-1\n"
                           "501.333,0.247652,0.123826,0.247653,0.123826,0.237224,0.118612,-1,-1\n"
                           "757.333,0.247652,0.123826,0.247653,0.123826,0.246808,0.123404,-1,-1\n"
                           "1000,0.247626,0.123813,0.247653,0.123826,0.249695,0.124848,-1,-1\n"},
        {"3=1", header + "256,0.985815,0.492908,0.985923,0.492961,,,-1,-1\n"
                         "501.333,0.985921,0.49296,0.985923,0.492961,,,-1,-1\n"
                         "757.333,0.985921,0.49296,0.985923,0.492961,,,-1,-1\n"
                         "1000,0.985815,0.492908,0.985923,0.492961,,,-1,-1\n"},
    };
    for (const auto& [meter, expected] : cases) {
        const Outcome r = run(aldermark::runMeter, {path_, "--every", "250", "--set", meter, "--linear"});
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, expected) << meter;
    }
}

TEST_F(MeterCommand, ReadsInDecibelsAtTheRequestedTimes) {
    writeSine(std::pow(10.0, -18.0 / 20.0));  // VU3's default reference
    const Outcome r = run(aldermark::runMeter, {path_, "--every", "300", "--set", "3=0"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto rows = csvRows(r.out);
    ASSERT_EQ(rows.size(), 5u);  // header comment, column names, 300, 600 and 900 ms
    EXPECT_TRUE(host_test::contains(r.out, "# VU3, reference -18.0 dBFS, precise off, left/right, integration 300ms"));
    EXPECT_EQ(rows[1][1], "needle_l_db");
    for (size_t i = 2; i < rows.size(); ++i) EXPECT_EQ(rows[i][0], std::to_string(300 * (i - 1)));
    EXPECT_NEAR(std::stod(rows.back()[1]), 0.0, 0.1) << "a sine at the reference reads 0 VU";
    EXPECT_NEAR(std::stod(rows.back()[2]), -6.0, 0.1);
    EXPECT_EQ(rows.back()[5], "");  // RMS only on RMS3
    EXPECT_EQ(rows.back()[7], "off");

    // Shorter than one interval: one reading at the end. Overs show as words.
    writeSine(1.0);
    const Outcome shortRun =
        run(aldermark::runMeter, {path_, "--every", "5000", "--set", "3=0", "--set", "89=0", "--set", "90=1"});
    ASSERT_EQ(shortRun.code, 0) << shortRun.err;
    const auto shortRows = csvRows(shortRun.out);
    ASSERT_EQ(shortRows.size(), 3u);
    EXPECT_EQ(shortRows.back()[0], "1000");
    EXPECT_EQ(shortRows.back()[7], "lit");
}

TEST_F(MeterCommand, SummarisesEachFile) {
    writeSine(1.0);  // overs at full scale on the left
    const std::string loud = path_ + ".loud.wav";
    std::filesystem::copy_file(path_, loud, std::filesystem::copy_options::overwrite_existing);
    writeSine(std::pow(10.0, -12.0 / 20.0), 1);
    const Outcome csv =
        run(aldermark::runMeter, {path_, loud, "--summary", "--set", "3=1", "--set", "98=0", "--set", "99=1"});
    ASSERT_EQ(csv.code, 0) << csv.err;
    const auto rows = csvRows(csv.out);
    ASSERT_EQ(rows.size(), 3u) << csv.out;  // header and one row per file
    ASSERT_EQ(rows[0].size(), rows[1].size());
    auto column = [&](const std::string& name) {
        for (size_t i = 0; i < rows[0].size(); ++i)
            if (rows[0][i] == name) return i;
        ADD_FAILURE() << "no column " << name;
        return size_t{0};
    };
    EXPECT_EQ(rows[1][column("meter")], "RAD3");
    EXPECT_NEAR(std::stod(rows[1][column("max_needle_db_l")]), 0.0, 0.2) << "-12 dBFS on the -12 dBFS reference";
    EXPECT_NEAR(std::stod(rows[1][column("true_peak_dbtp_l")]), -12.0, 0.05);
    EXPECT_EQ(rows[1][column("overs_l")], "0");
    EXPECT_EQ(rows[1][column("max_needle_db_r")], "") << "a mono file reports one channel";
    EXPECT_NEAR(std::stod(rows[2][column("true_peak_dbtp_l")]), 0.0, 0.05);
    EXPECT_GT(std::stod(rows[2][column("overs_l")]), 0.0) << "full-scale peaks are overs at 0 dBFS";
    EXPECT_EQ(rows[2][column("overs_r")], "0");

    const Outcome json = run(aldermark::runMeter, {loud, "--summary", "--format", "json", "--set", "3=1"});
    ASSERT_EQ(json.code, 0) << json.err;
    EXPECT_TRUE(host_test::JsonSyntax::valid(json.out)) << json.out;
    for (const char* key : {"\"file\"", "\"meter\": \"RAD3\"", "\"reference_dbfs\": -12", "\"precise\": false",
                            "\"max_needle_db\"", "\"max_hold_db\"", "\"true_peak_dbtp\"", "\"overs\"", "\"final_db\""})
        EXPECT_TRUE(host_test::contains(json.out, key)) << key;
    std::filesystem::remove(loud);
}

TEST_F(MeterCommand, PlotColumnsHoldTheirPeaksAndMarkTheOvers) {
    writeSine(1.0);  // full scale on the left, -6 dBFS on the right
    struct Case {
        std::vector<aldermark::ParameterAssignment> settings;  // RAD3, over length 1, ...
        bool leftOvers;
        double peakDb;  // full scale against the reference
    };
    const Case cases[] = {
        {{{3, 1.0f}, {98, 0.0f}, {99, 1.0f}}, true, 12.0},             // over at full scale, reference -12
        {{{3, 1.0f}, {98, 0.0f}, {99, 0.0f}, {93, 1.0f}}, false, 0.0},  // 8.15 dB over a 0 dBFS reference
    };
    for (const Case& c : cases) {
        aldermark::MeteredFile file;
        std::string error;
        ASSERT_TRUE(file.open(path_, c.settings, 512, error)) << error;
        aldermark::MeterPlot plot(1200, 400, 1.0);
        while (file.play(48) > 0) plot.look(file.effect(), file.playedMs() / 1000.0);
        int leftOvers = 0, rightOvers = 0;
        double highest = -1;
        for (const auto& column : plot.columns()) {
            leftOvers += column.over[0];
            rightOvers += column.over[1];
            highest = std::max(highest, column.needle[0]);
        }
        EXPECT_EQ(leftOvers > 0, c.leftOvers);
        EXPECT_EQ(rightOvers, 0) << "-6 dBFS is under either threshold";
        EXPECT_NEAR(20 * std::log10(highest), c.peakDb, 0.2);
        const std::string picture = path_ + ".png";
        ASSERT_TRUE(plot.save(picture, aldermark::describeMeter(file.effect()), "test", 2, error)) << error;
        unsigned char header[24] = {};
        {
            std::ifstream png(picture, std::ios::binary);  // closed before the file goes (Windows)
            png.read(reinterpret_cast<char*>(header), sizeof header);
        }
        EXPECT_EQ((header[16] << 24 | header[17] << 16 | header[18] << 8 | header[19]), 1200);
        EXPECT_EQ((header[20] << 24 | header[21] << 16 | header[22] << 8 | header[23]), 400);
        std::filesystem::remove(picture);
    }
    const Outcome refused = run(aldermark::runPlot, {path_, "--out", path_});
    EXPECT_NE(refused.code, 0) << "the input is never the picture";
    EXPECT_TRUE(std::filesystem::file_size(path_) > 1000);
}

TEST(CommandLine, EveryCommandHasHelpAndTheToolItsVersion) {
    const aldermark::Command table[] = {{"meter", "IN...", aldermark::runMeter}, {"plot", "IN --out F.png", aldermark::runPlot}};
    for (const char* name : {"meter", "plot"}) {
        std::ostringstream out, err;
        EXPECT_EQ(aldermark::runCommandLine(table, {name, "--help"}, out, err), 0);
        EXPECT_TRUE(host_test::contains(out.str(), "usage: aldermark " + std::string(name))) << out.str();
        EXPECT_TRUE(host_test::contains(out.str(), "default")) << name;
    }
    std::ostringstream out, err;
    EXPECT_EQ(aldermark::runCommandLine(table, {"--version"}, out, err), 0);
    EXPECT_EQ(out.str(), std::string("aldermark ") + aldermark::kVersion + "\n");
}

TEST(DemoCommand, ShowsAllThreeMeters) {
    const Outcome r = run(aldermark::runDemo, {});
    ASSERT_EQ(r.code, 0) << r.err;
    for (const char* part : {"VU3", "RMS3", "RAD3", "1 kHz at reference", "reference -18.0 dBFS"})
        EXPECT_NE(r.out.find(part), std::string::npos) << part;
    EXPECT_NE(run(aldermark::runDemo, {"--fast"}).code, 0);
}

}  // namespace
