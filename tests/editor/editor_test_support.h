#pragma once
// Shared pieces of the editor tests: bitmaps made of coloured bands, a listener that
// records what it hears, and off-screen frames read back by pixel.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/test_images.h"
#include "toolkit/offscreen.h"
#include "toolkit/toolkit.h"

namespace editortest {

using testimages::makePng;
// A bitmap of such bands; the caller owns the one reference.
CBitmap* bandBitmap(int width, int height, const std::vector<CColor>& bands);

struct RecordingListener : CControlListener {
    std::vector<float> values;             // value at each valueChanged
    std::vector<std::int32_t> tags;        // tag at each valueChanged
    std::vector<std::string> events;       // "begin", "change", "end" in order
    void valueChanged(CControl* control) override {
        values.push_back(control->getValue());
        tags.push_back(control->getTag());
        events.push_back("change");
    }
    void controlBeginEdit(CControl*) override { events.push_back("begin"); }
    void controlEndEdit(CControl*) override { events.push_back("end"); }
};

// A frame drawn into an image; released by the destructor.
struct OffscreenFrame {
    CFrame* frame;
    explicit OffscreenFrame(double width = 100, double height = 60);
    ~OffscreenFrame();
    OffscreenFrame(const OffscreenFrame&) = delete;
    OffscreenFrame& operator=(const OffscreenFrame&) = delete;
    // Repaints everything and answers the colour at (x, y).
    CColor renderedPixel(int x, int y);
    CColor pixel(int x, int y) const;
};

bool near(CColor a, CColor b, int tolerance = 3);
using testimages::describe;

constexpr CButtonState kLeftClick{kLButton};
constexpr CButtonState kLeftShift{kLButton | kShift};
constexpr CButtonState kLeftControl{kLButton | kControl};
constexpr CButtonState kLeftDouble{kLButton | kDoubleClick};
constexpr CButtonState kRightClick{kRButton};

inline constexpr CColor kRed{255, 0, 0, 255};
inline constexpr CColor kGreen{0, 255, 0, 255};
inline constexpr CColor kBlue{0, 0, 255, 255};
inline constexpr CColor kWhite{255, 255, 255, 255};
inline constexpr CColor kBlack{0, 0, 0, 255};

}  // namespace editortest
