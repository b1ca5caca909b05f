#pragma once
// Shared pieces of the toolkit tests: PNG resources made by the tests themselves, a
// listener that records what it hears, and off-screen frames.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/test_images.h"
#include "tests/support/wine.h"
#include "toolkit/offscreen.h"
#include "toolkit/toolkit.h"

namespace testsupport {

// Resource ids served by the test's own resource table.
enum TestResource : int {
    kTwoFrameButton = 9001,  // 20 x 40: top 20 rows red, bottom 20 rows green
    kThreeFrames = 9002,     // 10 x 30: red, green, blue frames of 10 rows
    kBrokenPng = 9003,       // bytes that are no PNG
    kHandle = 9004,          // 10 x 10 blue
    kWhiteSquare = 9005,     // 8 x 8 opaque white
    kCacheProbe = 9006,      // 4 x 4, only used by the cache test
    kHalfClear = 9007,       // 8 x 8: top half red, bottom half fully transparent
    kMissing = 9999,         // not in the table
};

// How often the resource table was asked for `id`.
int resourceLookups(int id);

using testimages::makePng;

struct RecordingListener : CControlListener {
    std::vector<float> values;  // value at each valueChanged
    std::vector<std::string> events;  // "begin", "change", "end" in order
    void valueChanged(CControl* control) override {
        values.push_back(control->getValue());
        events.push_back("change");
    }
    void controlBeginEdit(CControl*) override { events.push_back("begin"); }
    void controlEndEdit(CControl*) override { events.push_back("end"); }
};

// A frame drawn into an image; released by the destructor.
struct OffscreenFrame {
    CFrame* frame;
    explicit OffscreenFrame(double width = 100, double height = 60) : frame(new CFrame(CRect(0, 0, width, height))) {
        frame->openOffscreen();
    }
    ~OffscreenFrame() { frame->forget(); }
    OffscreenFrame(const OffscreenFrame&) = delete;
    OffscreenFrame& operator=(const OffscreenFrame&) = delete;
    toolkit::OffscreenWindow& window() const { return *frame->getOffscreenWindow(); }
    CColor pixel(int x, int y) const { return window().image()->pixel(x, y); }
};

inline bool near(CColor a, CColor b, int tolerance = 2) {
    auto close = [tolerance](int x, int y) { return x - y <= tolerance && y - x <= tolerance; };
    return close(a.red, b.red) && close(a.green, b.green) && close(a.blue, b.blue) && close(a.alpha, b.alpha);
}

using testimages::describe;

constexpr CButtonState kLeftClick{kLButton};

}  // namespace testsupport
