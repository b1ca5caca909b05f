// The edit command in a real window, driven as a user drives it: the plug-in of this build
// opens in the command's window while music plays; the needles move between the command's
// screenshots; real clicks on the meter selector's right zone switch the meter (seen on
// screen) and reach the host as automation of parameter 3; the window follows the sizes a
// plug-in asks for. The pictures stay in the test's folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "controls/popup_menu_view.h"
#include "model/display_scale.h"
#include "platform/settings_store.h"
#include "tests/edit_window/edit_driver.h"

namespace {

using aldermark::RgbaImage;
using edittest::EditDriver;

// Generous: sanitizer builds and Wine start slowly.
constexpr double kStartSeconds = 60;
constexpr double kEventSeconds = 15;

struct Area {
    int left, top, right, bottom;
};
// The two needle meters, the meter selector's right zone and the strips button, in editor
// pixels.
constexpr Area kLeftMeter{12, 18, 262, 140};
constexpr Area kRightMeter{277, 18, 527, 140};
constexpr int kNextMeterX = 334, kNextMeterY = 155;
constexpr int kStripsButtonX = 579, kStripsButtonY = 6;

// Pixels of `area` that clearly differ between the two pictures (any channel by more than 40).
int changedPixels(const RgbaImage& a, const RgbaImage& b, const Area& area) {
    int changed = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(a.width) + static_cast<std::size_t>(x)) * 4;
            for (int c = 0; c < 3; ++c)
                if (std::abs(a.pixels[at + c] - b.pixels[at + c]) > 40) {
                    ++changed;
                    break;
                }
        }
    return changed;
}

int pixelsOf(const Area& area) { return (area.right - area.left) * (area.bottom - area.top); }

// Only the lines a host gets about parameters, in order.
std::vector<std::string> parameterLines(const std::vector<std::string>& lines) {
    std::vector<std::string> picked;
    for (const std::string& line : lines)
        if (line.rfind("begin ", 0) == 0 || line.rfind("end ", 0) == 0 || line.rfind("automate ", 0) == 0)
            picked.push_back(line);
    return picked;
}

// The number in the last "automate INDEX V" line, or -1.
double automatedValue(const std::vector<std::string>& lines, int index) {
    std::string prefix = "automate ";
    prefix += std::to_string(index);  // appended, not added up: g++ 12 warns falsely on that
    prefix += ' ';
    double value = -1;
    for (const std::string& line : lines)
        if (line.rfind(prefix, 0) == 0) value = std::atof(line.c_str() + prefix.size());
    return value;
}

class EditWindow : public ::testing::Test {
protected:
    void SetUp() override {
        driver_ = EditDriver::create();
        std::string why;
        ASSERT_TRUE(driver_->ready(why)) << why;
    }
    // Waits until the window's client area is width x height.
    bool clientSizeBecomes(int width, int height) {
        for (int i = 0; i < 200; ++i) {
            int w = 0, h = 0;
            driver_->clientSize(w, h);
            if (w == width && h == height) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }
    // Waits until the meters on screen differ from `before` in more than 1/share of their
    // pixels; `after` is what the screen showed then.
    bool screenChangesFrom(const RgbaImage& before, int share, RgbaImage& after) {
        for (int i = 0; i < 150; ++i) {
            if (driver_->capture(after) && after.width == before.width && after.height == before.height &&
                changedPixels(before, after, kLeftMeter) > pixelsOf(kLeftMeter) / share &&
                changedPixels(before, after, kRightMeter) > pixelsOf(kRightMeter) / share)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    // A new face's needles rise from rest: the picture kept in the test's folder for a look
    // is taken once they have reached the music's level.
    void settleAndKeep(const std::string& path, RgbaImage& image) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        driver_->capture(image);
        const std::vector<unsigned char> png = aldermark::encodePng(image);
        if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
            std::fwrite(png.data(), 1, png.size(), file);
            std::fclose(file);
        }
    }
    // Waits until more than half of `area` differs from `before`; `after` is the screen then.
    bool screenChangesIn(const RgbaImage& before, const Area& area, RgbaImage& after) {
        for (int i = 0; i < 150; ++i) {
            if (driver_->capture(after) && after.width == before.width && after.height == before.height &&
                changedPixels(before, after, area) > pixelsOf(area) / 2)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    std::string describeSize() {
        int w = 0, h = 0;
        driver_->clientSize(w, h);
        return std::to_string(w) + " x " + std::to_string(h);
    }
    std::unique_ptr<EditDriver> driver_;
};

TEST_F(EditWindow, ClicksSwitchTheMeterWhileTheNeedlesFollowTheMusic) {
    const std::string music = "edit_window_music.wav";
    ASSERT_EQ(driver_->run({"signal", "--out", music, "--seconds", "12"}), 0) << driver_->errors();
    // The command's own pictures of the VU meter, half a second apart.
    std::vector<std::string> args{"edit", music, "--seconds", "60"};
    std::vector<std::string> vuShots;
    for (int i = 0; i < 7; ++i) {
        vuShots.push_back("edit_window_vu_" + std::to_string(i + 1) + ".png");
        args.insert(args.end(), {"--screenshot-at", std::to_string(1.0 + 0.5 * i), "--out", vuShots.back()});
    }
    ASSERT_TRUE(driver_->start(args));
    edittest::OutputLines& out = driver_->output();
    ASSERT_TRUE(out.waitFor("open 586 195", kStartSeconds)) << out.text() << driver_->errors();
    ASSERT_TRUE(driver_->findWindow(kEventSeconds));
    EXPECT_TRUE(clientSizeBecomes(586, 195)) << "the client area is the editor's rectangle, not " << describeSize();
    ASSERT_TRUE(out.waitFor("screenshot " + vuShots.back(), kStartSeconds)) << out.text() << driver_->errors();

    // Each click on the selector's right zone puts the next face in front of the needles.
    RgbaImage shot, vu, rms, ppm;
    ASSERT_TRUE(driver_->readPng(vuShots.back(), shot));
    ASSERT_TRUE(driver_->capture(vu));
    for (const Area& meter : {kLeftMeter, kRightMeter})
        EXPECT_LT(changedPixels(shot, vu, meter), pixelsOf(meter) / 30) << "the command's picture is not what the screen shows";
    driver_->click(kNextMeterX, kNextMeterY);
    EXPECT_TRUE(out.waitFor("automate 3 0.5000", kEventSeconds)) << "VU to RMS: " << out.text();
    EXPECT_TRUE(screenChangesFrom(vu, 2, rms)) << "the RMS face did not appear";
    settleAndKeep("edit_window_rms.png", rms);
    driver_->click(kNextMeterX, kNextMeterY);
    EXPECT_TRUE(out.waitFor("automate 3 1.0000", kEventSeconds)) << "RMS to PPM: " << out.text();
    EXPECT_TRUE(screenChangesFrom(rms, 15, ppm)) << "the PPM face did not appear";
    settleAndKeep("edit_window_ppm.png", ppm);
    driver_->closeWindow();
    EXPECT_EQ(driver_->waitForExit(kEventSeconds), 0) << "closing the window ends the session";
    EXPECT_EQ(driver_->errors(), "");
    EXPECT_EQ(parameterLines(out.all()), (std::vector<std::string>{"begin 3", "automate 3 0.5000", "end 3", "begin 3",
                                                                   "automate 3 1.0000", "end 3"}))
        << "one bracketed gesture a click";

    // The needles swing with the music on the same face: some pictures differ, and only
    // where a needle is. (A machine under load may hold the editor back for a moment; the
    // pictures taken meanwhile are alike.)
    std::vector<RgbaImage> pictures(vuShots.size());
    for (std::size_t i = 0; i < vuShots.size(); ++i) {
        ASSERT_TRUE(driver_->readPng(vuShots[i], pictures[i])) << vuShots[i];
        ASSERT_EQ(pictures[i].width, 586);
        ASSERT_EQ(pictures[i].height, 195);
    }
    for (const Area& meter : {kLeftMeter, kRightMeter}) {
        int mostMoved = 0;
        for (std::size_t i = 1; i < pictures.size(); ++i) {
            const int moved = changedPixels(pictures[i - 1], pictures[i], meter);
            EXPECT_LT(moved, pixelsOf(meter) / 30) << "more than a needle changed at x " << meter.left << ", " << vuShots[i];
            mostMoved = std::max(mostMoved, moved);
        }
        EXPECT_GT(mostMoved, 40) << "the needle did not move at x " << meter.left;
    }
}

TEST_F(EditWindow, OpensAtTheDesktopsScaleAndTakesClicksWhereTheControlsAreDrawn) {
    ASSERT_TRUE(driver_->setDesktopDpi(192));
    const std::string music = "edit_window_music_2x.wav";
    ASSERT_EQ(driver_->run({"signal", "--out", music, "--seconds", "12"}), 0) << driver_->errors();
    ASSERT_TRUE(driver_->start({"edit", music, "--seconds", "60"}));
    edittest::OutputLines& out = driver_->output();
    ASSERT_TRUE(out.waitFor("open 1172 390", kStartSeconds)) << out.text() << driver_->errors();
    ASSERT_TRUE(driver_->findWindow(kEventSeconds));
    EXPECT_TRUE(clientSizeBecomes(1172, 390)) << "not " << describeSize();
    RgbaImage vu, rms;
    settleAndKeep("edit_window_vu_2x.png", vu);
    ASSERT_EQ(vu.width, 1172);
    // The selector's right zone where the 2x editor draws it; at the 100 % position it
    // would land on the left meter's face, which takes no clicks.
    driver_->click(2 * kNextMeterX, 2 * kNextMeterY);
    EXPECT_TRUE(out.waitFor("automate 3 0.5000", kEventSeconds)) << "VU to RMS: " << out.text();
    const Area left2x{2 * kLeftMeter.left, 2 * kLeftMeter.top, 2 * kLeftMeter.right, 2 * kLeftMeter.bottom};
    bool changed = false;
    for (int i = 0; i < 150 && !changed; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        changed = driver_->capture(rms) && rms.width == vu.width && changedPixels(vu, rms, left2x) > pixelsOf(left2x) / 2;
    }
    EXPECT_TRUE(changed) << "the RMS face did not appear";
    settleAndKeep("edit_window_rms_2x.png", rms);
    driver_->closeWindow();
    EXPECT_EQ(driver_->waitForExit(kEventSeconds), 0);
    EXPECT_EQ(parameterLines(out.all()), (std::vector<std::string>{"begin 3", "automate 3 0.5000", "end 3"}));
}

// The zoom menu in a real window: a right click on the meter face opens it, 200 % doubles the
// window at once, the next editor (another process) opens at 200 %, and Auto takes it back.
TEST_F(EditWindow, TheZoomChosenFromTheMenuResizesAndIsKeptForTheNextEditor) {
    // The store is the user's (under Wine, the prefix's registry): Auto before and after.
    struct AutoZoom {
        AutoZoom() { ok = write(); }
        ~AutoZoom() { write(); }
        static bool write() {
            const float zoom = 0;
            const platform::SettingBlob blob{display_scale::kZoomValueName, &zoom, sizeof zoom};
            return platform::writeSettings(&blob, 1);
        }
        bool ok = false;
    } autoZoom;
    ASSERT_TRUE(autoZoom.ok);
    const std::string music = "edit_window_music_zoom.wav";
    ASSERT_EQ(driver_->run({"signal", "--out", music, "--seconds", "12"}), 0) << driver_->errors();
    // The menu opens at the click when it fits there: its items are found from its layout.
    const int clickX = 137, clickY = 30;
    auto itemY = [&](int item, int scale) {
        return static_cast<int>(scale * (clickY + CPopupMenuView::kInnerMargin + CPopupMenuView::kCaptionHeight +
                                         (item + 0.5) * CPopupMenuView::kRowHeight));
    };
    const int itemX = clickX + static_cast<int>(CPopupMenuView::kWidth / 2);
    edittest::OutputLines& out = driver_->output();

    ASSERT_TRUE(driver_->start({"edit", music, "--seconds", "60"}));
    ASSERT_TRUE(out.waitFor("open 586 195", kStartSeconds)) << out.text() << driver_->errors();
    ASSERT_TRUE(driver_->findWindow(kEventSeconds));
    RgbaImage before, menu;
    settleAndKeep("edit_window_before_menu.png", before);
    driver_->rightClick(clickX, clickY);
    // Where the menu lies over the light meter face.
    const Area menuArea{itemX - 40, itemY(0, 1) - 5, itemX + 40, kLeftMeter.bottom - 5};
    EXPECT_TRUE(screenChangesIn(before, menuArea, menu)) << "no menu appeared";
    settleAndKeep("edit_window_zoom_menu.png", menu);
    driver_->click(itemX, itemY(4, 1));  // 200 %
    EXPECT_TRUE(out.waitFor("size 1172 390", kEventSeconds)) << out.text();
    EXPECT_TRUE(clientSizeBecomes(1172, 390)) << "not " << describeSize();
    driver_->closeWindow();
    EXPECT_EQ(driver_->waitForExit(kEventSeconds), 0);

    ASSERT_TRUE(driver_->start({"edit", music, "--seconds", "60"}));
    EXPECT_TRUE(out.waitFor("open 1172 390", kStartSeconds)) << "the zoom was not kept: " << out.text();
    ASSERT_TRUE(driver_->findWindow(kEventSeconds));
    EXPECT_TRUE(clientSizeBecomes(1172, 390)) << "not " << describeSize();
    RgbaImage zoomed, zoomedMenu;
    settleAndKeep("edit_window_zoom_200.png", zoomed);
    driver_->rightClick(2 * clickX, 2 * clickY);
    const Area zoomedMenuArea{2 * itemX - 80, itemY(0, 2) - 10, 2 * itemX + 80, 2 * kLeftMeter.bottom - 10};
    EXPECT_TRUE(screenChangesIn(zoomed, zoomedMenuArea, zoomedMenu)) << "no menu appeared at 200 %";
    driver_->click(2 * itemX, itemY(0, 2));  // Auto
    EXPECT_TRUE(out.waitFor("size 586 195", kEventSeconds)) << out.text();
    EXPECT_TRUE(clientSizeBecomes(586, 195)) << "not " << describeSize();
    driver_->closeWindow();
    EXPECT_EQ(driver_->waitForExit(kEventSeconds), 0);
    EXPECT_TRUE(parameterLines(out.all()).empty()) << "zooming automates nothing";
}

TEST_F(EditWindow, TheWindowFollowsTheSizesThePluginAsksFor) {
    const std::string tone = "edit_window_tone.wav";
    ASSERT_EQ(driver_->run({"signal", "--out", tone, "--seconds", "1"}), 0) << driver_->errors();
    edittest::OutputLines& out = driver_->output();

    // The plug-in of this build with its filters strip open, then the strips switched off
    // with a click on their button.
    ASSERT_TRUE(driver_->start({"edit", tone, "--set", "7=1"}));
    ASSERT_TRUE(out.waitFor("open 586 235", kStartSeconds)) << out.text() << driver_->errors();
    ASSERT_TRUE(driver_->findWindow(kEventSeconds));
    EXPECT_TRUE(clientSizeBecomes(586, 235)) << describeSize();
    RgbaImage picture;
    settleAndKeep("edit_window_235.png", picture);
    EXPECT_EQ(picture.height, 235);
    driver_->click(kStripsButtonX, kStripsButtonY);
    EXPECT_TRUE(out.waitFor("size 586 169", kEventSeconds)) << out.text();
    EXPECT_TRUE(clientSizeBecomes(586, 169)) << describeSize();
    settleAndKeep("edit_window_169.png", picture);
    EXPECT_EQ(picture.height, 169);
    EXPECT_LT(out.position("automate 6 0.0000"), out.position("size 586 169")) << out.text();
    driver_->closeWindow();
    EXPECT_EQ(driver_->waitForExit(kEventSeconds), 0) << out.text() << driver_->errors();

    // The test plug-in, which asks for sizes by itself.
    ASSERT_TRUE(driver_->start({"edit", tone, "--plugin", driver_->testEditorPlugin()}));
    // The test editor answers 200 x 100 before it opens and asks for 400 x 300 as it opens.
    ASSERT_TRUE(out.waitFor("open 400 300", kStartSeconds)) << out.text() << driver_->errors();
    EXPECT_LT(out.position("size 400 300"), out.position("open 400 300"));
    ASSERT_TRUE(driver_->findWindow(kEventSeconds));
    EXPECT_TRUE(clientSizeBecomes(400, 300)) << describeSize();
    // 60 idles later (2 s) it asks for 500 x 250, in a gesture on parameter 1.
    ASSERT_TRUE(out.waitFor("size 500 250", kEventSeconds)) << out.text();
    EXPECT_TRUE(clientSizeBecomes(500, 250)) << describeSize();
    driver_->endSession();
    EXPECT_EQ(driver_->waitForExit(kEventSeconds), 0) << out.text() << driver_->errors();
    const std::vector<std::string> lines = parameterLines(out.all());
    ASSERT_EQ(lines.size(), 5u) << out.text();
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3),
              (std::vector<std::string>{"begin 1", "automate 1 0.2500", "end 1"}));
    EXPECT_GE(automatedValue(lines, 2), 0.060) << "the editor closes after its idles, before the effect";
}

// The keyboard in the fields of the strips, as a user types there: Escape drops an edit,
// Enter and Tab take it; the typed frequency reaches the host, the label the saved state.
TEST_F(EditWindow, TypingInTheStripsFieldsWithTheKeyboard) {
    const std::string tone = "edit_window_keys.wav";
    const std::string state = "edit_window_state.bin";
    std::remove(state.c_str());
    ASSERT_EQ(driver_->run({"signal", "--out", tone, "--seconds", "2"}), 0) << driver_->errors();
    edittest::OutputLines& out = driver_->output();
    // Process on (the filters take input), both strips open.
    ASSERT_TRUE(driver_->start({"edit", tone, "--set", "0=1", "--set", "7=1", "--set", "15=1", "--save-state", state}));
    ASSERT_TRUE(out.waitFor("open 586 261", kStartSeconds)) << out.text() << driver_->errors();
    ASSERT_TRUE(driver_->findWindow(kEventSeconds));
    EXPECT_TRUE(clientSizeBecomes(586, 261)) << describeSize();
    using Key = EditDriver::Key;
    auto clearAndType = [&](int x, int y, const std::string& text) {
        driver_->click(x, y);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        for (int i = 0; i < 14; ++i) driver_->press(Key::Backspace);
        driver_->type(text);
    };
    // The high-pass frequency above its handle (at the left end: 20 Hz).
    clearAndType(66, 169 + 7, "1k");
    driver_->press(Key::Escape);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(automatedValue(out.all(), 11), -1) << "Escape drops the edit: " << out.text();
    clearAndType(66, 169 + 7, "1k");
    driver_->press(Key::Return);
    EXPECT_TRUE(out.waitFor("automate 11 0.8495", kEventSeconds)) << "1 kHz: " << out.text();
    // The label: dropped once, then taken with Tab.
    clearAndType(270, 222 + 18, "Kick");
    driver_->press(Key::Escape);
    clearAndType(270, 222 + 18, "Bass DI");
    driver_->press(Key::Tab);
    RgbaImage strips;
    settleAndKeep("edit_window_strips.png", strips);
    driver_->closeWindow();
    EXPECT_EQ(driver_->waitForExit(kEventSeconds), 0) << out.text() << driver_->errors();
    ASSERT_TRUE(out.waitFor("state " + state, kEventSeconds)) << out.text();
    std::FILE* file = std::fopen(state.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    char chunk[64] = {};
    const std::size_t read = std::fread(chunk, 1, sizeof chunk, file);
    std::fclose(file);
    ASSERT_GE(read, 44u);
    EXPECT_STREQ(chunk + 4, "Bass DI") << "the label the state keeps";
}

// The idle rate and the audio's pace, from what the test editor counted while it was open;
// loose bounds: the rates must be told apart, not timed.
TEST_F(EditWindow, IdleRateAndRealTimeAudio) {
    const std::string tone = "edit_window_rates.wav";
    ASSERT_EQ(driver_->run({"signal", "--out", tone, "--seconds", "1"}), 0) << driver_->errors();
    struct Case {
        const char* hz;
        double idlesPerSecond;
    };
    for (const Case c : {Case{"5", 5}, Case{"100", 100}}) {
        SCOPED_TRACE(c.hz);
        ASSERT_TRUE(driver_->start({"edit", tone, "--plugin", driver_->testEditorPlugin(), "--idle-hz", c.hz,
                                    "--seconds", "3"}));
        EXPECT_EQ(driver_->waitForExit(kStartSeconds), 0) << driver_->errors();
        const std::vector<std::string> lines = driver_->output().all();
        const double idles = automatedValue(lines, 2) * 1000;
        EXPECT_GE(idles, c.idlesPerSecond * 3 * 0.5) << driver_->output().text();
        EXPECT_LE(idles, c.idlesPerSecond * 3 * 1.1 + 1) << driver_->output().text();
        const double audioSeconds = automatedValue(lines, 3) * 100;
        EXPECT_GE(audioSeconds, 2.0) << "the 1 s file loops through 3 s of session";
        EXPECT_LE(audioSeconds, 3.2) << "real time, not as fast as it goes";
    }
}

}  // namespace
