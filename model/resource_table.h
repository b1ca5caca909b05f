#pragma once
// Every image resource of the plug-in: id, size and the number of frames stacked
// vertically (frame height = height / frames). The generator draws exactly these; the
// views take their sizes from here.
#include <cstddef>

#include "model/display_scale.h"
#include "model/editor_size.h"

namespace resources {

struct ImageInfo {
    int id;
    int width;        // px
    int height;       // px, all frames together
    int frames;       // frames stacked top to bottom
    const char* use;  // what it is, and what each frame shows
};

inline constexpr int fontResourceId = 111;  // the face "ZEBAldermark", TrueType

inline constexpr ImageInfo images[] = {
    // Front panels and settings panels (tall enough to reach over the strips).
    {10000, editor_size::kWidth, editor_size::kMeterAreaHeight, 1, "VU front panel; also the editor background"},
    {41001, editor_size::kWidth, editor_size::kMeterAreaHeight, 1, "RMS front panel with both printed scales"},
    {42001, editor_size::kWidth, editor_size::kMeterAreaHeight, 1, "PPM front panel with both printed scales"},
    {40000, editor_size::kWidth, editor_size::kSettingsPanelHeight, 1, "VU settings panel"},
    {41000, editor_size::kWidth, editor_size::kSettingsPanelHeight, 1, "RMS settings panel"},
    {42000, editor_size::kWidth, editor_size::kSettingsPanelHeight, 1, "PPM settings panel"},
    // Meter movements.
    {40007, 250, 610, 5, "VU face, backlight levels 0..4 (last 6 rows: base overlay)"},
    {40008, 20, 60, 3, "over LED: off, over since clear, over now"},
    // Front panel controls.
    {10001, 32, 16, 1, "trim slider handle"},
    {10002, 40, 28, 2, "PROCESS button: off, on"},
    {989, 24, 42, 3, "manual button: normal, pressed, mouse inside"},
    {10005, 40, 28, 2, "VU L/R - M/S button: LR, MS"},
    {41005, 40, 28, 2, "RMS L/R - M/S button: LR, MS"},
    {42005, 40, 28, 2, "PPM L/R - M/S button: LR, MS"},
    {40011, 66, 38, 2, "VU left channel caption: LEFT, MID"},
    {40012, 66, 38, 2, "VU right channel caption: RIGHT, SIDE"},
    {41011, 66, 38, 2, "RMS left channel caption: LEFT, MID"},
    {41012, 66, 38, 2, "RMS right channel caption: RIGHT, SIDE"},
    {42011, 66, 38, 2, "PPM left channel caption: LEFT, MID"},
    {42012, 66, 38, 2, "PPM right channel caption: RIGHT, SIDE"},
    {10006, 44, 42, 3, "VU hold switch: off, infinite, timed"},
    {41006, 44, 42, 3, "RMS hold switch: off, infinite, timed"},
    {42006, 44, 42, 3, "PPM hold switch: off, infinite, timed"},
    {10010, 86, 33, 3, "front scope selector: Global, Session, Instance"},
    {10013, 200, 14, 1, "reference read-out plate; caption area from x 81 to 198"},
    {10015, 149, 66, 3, "meter selector: idle, left arrow lit, right arrow lit"},
    {10025, 11, 22, 2, "strip open/close button: closed, open"},
    // Filters strip.
    {31000, editor_size::kWidth, editor_size::kFiltersStripHeight, 1, "VU filters strip, expanded"},
    {31100, editor_size::kWidth, editor_size::kFiltersStripHeight, 1, "RMS filters strip, expanded"},
    {31200, editor_size::kWidth, editor_size::kFiltersStripHeight, 1, "PPM filters strip, expanded"},
    {40100, editor_size::kWidth, editor_size::kStripCollapsedHeight, 1, "VU strip, collapsed"},
    {41100, editor_size::kWidth, editor_size::kStripCollapsedHeight, 1, "RMS strip, collapsed"},
    {42100, editor_size::kWidth, editor_size::kStripCollapsedHeight, 1, "PPM strip, collapsed"},
    {10020, 31, 90, 3, "filters in button: off, on but inactive, on"},
    {10021, 36, 24, 2, "filter switch: out, in"},
    {10024, 19, 32, 1, "frequency slider handle"},
    {31001, 29, 48, 2, "slope button: gentle, steep"},
    {10102, 33, 11, 1, "FILTERS caption of the collapsed strip"},
    {10103, 12, 36, 3, "collapsed filters-in LED: off, on but inactive, on"},
    // Label strip.
    {34000, editor_size::kWidth, editor_size::kLabelStripHeight, 1, "VU label strip, expanded"},
    {34100, editor_size::kWidth, editor_size::kLabelStripHeight, 1, "RMS label strip, expanded"},
    {34200, editor_size::kWidth, editor_size::kLabelStripHeight, 1, "PPM label strip, expanded"},
    {34001, 26, 120, 3, "lag time control: body, glass, arrows"},
    {10008, 47, 33, 1, "tape shown while the label is edited"},
    {10100, 27, 11, 1, "LABEL caption of the collapsed strip"},
    // Settings panel controls.
    {10003, 40, 2440, 61, "knob, 61 positions from minimum to maximum"},
    {10030, 32, 1952, 61, "over threshold and length step knob, 61 positions over the same sweep"},
    {10031, 32, 1952, 61, "VU backlight step knob, 61 positions over the same sweep"},
    {10014, 86, 33, 3, "settings scope selector: Global, Session, Instance"},
    {10016, 300, 48, 3, "scope explanation: Global, Session, Instance"},
    {40001, 40, 32, 2, "VU ballistics: type A, type B"},
    {40002, 60, 48, 3, "VU mid scaling: 0, -3, -6 dB"},
    {40003, 40, 32, 2, "VU precise mode: off, on"},
    {41003, 40, 32, 2, "RMS over threshold base: reference, full scale"},
    {41007, 40, 32, 2, "RMS precise mode: off, on"},
    {41008, 60, 48, 3, "RMS mid scaling: 0, -3, -6 dB"},
    {42003, 60, 48, 3, "PPM mid scaling: 0, -3, -6 dB"},
    {42007, 40, 32, 2, "PPM precise mode: off, on"},
};

inline constexpr std::size_t imageCount = sizeof(images) / sizeof(images[0]);

// Every image is also drawn at these display scales (index 0 is the 1:1 image). A variant
// keeps the frame count; its width and frame height are the 1:1 ones times the scale,
// each rounded, so its frames start on whole pixels.
inline constexpr double imageScales[] = {1.0, 1.5, 2.0, 3.0};
inline constexpr int imageScaleCount = sizeof(imageScales) / sizeof(imageScales[0]);

struct ScaledImageSize {
    int width;
    int height;  // all frames together
};

inline ScaledImageSize scaledImageSize(const ImageInfo& info, int scaleIndex) {
    const double scale = imageScales[scaleIndex];
    const int frameHeight = display_scale::edge(info.height / info.frames, scale);
    return {display_scale::edge(info.width, scale), frameHeight * info.frames};
}

// The variant drawn for a display scale: the smallest that is at least as fine, else the
// finest there is.
inline int imageScaleIndexFor(double scale) {
    for (int i = 0; i < imageScaleCount; ++i)
        if (imageScales[i] >= scale - 1e-9) return i;
    return imageScaleCount - 1;
}

// The entry for `id`, or null.
constexpr const ImageInfo* findImage(int id) {
    for (const ImageInfo& info : images)
        if (info.id == id) return &info;
    return nullptr;
}

}  // namespace resources
