#pragma once
// The back of each meter: where every control of a settings panel sits, what is printed
// around it, and at which turn of its strip a step knob shows each of its positions. The
// settings panels place their controls from these tables and the image generator prints the
// captions, group rules, value windows, scale ends and step legends from the same ones, so a
// caption always stands by the control it names.
#include <algorithm>
#include <cstddef>
#include <span>

#include "model/editor_size.h"
#include "model/resource_table.h"

namespace settings_layout {

inline constexpr int kWidth = editor_size::kWidth;
inline constexpr int kHeight = editor_size::kSettingsPanelHeight;
// With the strips off the window is only this high: every control sits above it.
inline constexpr int kAlwaysVisibleHeight = editor_size::kMeterAreaHeight;

// Rotary strips (knob 10003 and the step knobs): frame 0 points to the lower left, the last
// frame to the lower right, clockwise over three quarters of a turn.
inline constexpr double kSweepStartDegrees = 225.0;
inline constexpr double kSweepDegrees = 270.0;
// Where a rotary strip points at `fraction` 0 ... 1 of its sweep: degrees counter-clockwise
// from the right-hand horizontal.
inline constexpr double sweepDegrees(double fraction) { return kSweepStartDegrees - kSweepDegrees * fraction; }
inline constexpr int kKnobStrip = 10003;
inline constexpr int kOverStepStrip = 10030;       // threshold and over-length knobs
inline constexpr int kBacklightStepStrip = 10031;  // VU backlight knob

// Scope selector and its explanation (the common part of every panel).
inline constexpr int kScopeSelector = 10014;
inline constexpr int kScopeExplanation = 10016;
inline constexpr int kScopeSelectorWidthWithStrips = 86;
inline constexpr int kScopeSelectorWidthWithoutStrips = 581;
inline constexpr int kScopeExplanationTop = 180;

struct Rect {
    int left, top, right, bottom;
    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr double centreX() const { return (left + right) / 2.0; }
    constexpr double centreY() const { return (top + bottom) / 2.0; }
};

// The version read-out in the top right corner.
inline constexpr Rect kVersionLabel{530, 1, 580, 13};
inline constexpr const char* kVersionText = "v.3.0.3";

enum class Kind {
    Knob,            // animated knob on the knob strip
    ResettableKnob,  // the same with reset on double click or Control-click (CAnimKnob4)
    ThresholdSteps,  // 7 positions: RMS over threshold -6 ... 0 dB
    OverLengthSteps, // 10 positions: 1 ... 10 samples
    OverChoiceSteps, // 4 positions: 8 dB above the reference, -3, -1, 0 dBFS
    BacklightSteps,  // 5 positions: backlight off ... full
    Switch,          // three positions side by side
    Button,          // two states
};

inline constexpr bool isStepKnob(Kind k) {
    return k == Kind::ThresholdSteps || k == Kind::OverLengthSteps || k == Kind::OverChoiceSteps ||
           k == Kind::BacklightSteps;
}
inline constexpr bool isRotary(Kind k) { return k == Kind::Knob || k == Kind::ResettableKnob || isStepKnob(k); }

// What the value window beside a knob shows; the placeholder it opens with.
enum class ValueText { None, Decibels, Milliseconds, Seconds };

struct Control {
    int tag;               // the setting's parameter index
    Kind kind;
    int image;             // PNG id of its strip or button
    int left, top;         // px, panel coordinates; the size is the image's frame
    const char* caption;   // printed above (below for step knobs)
    float wheelStep;       // knobs: normalised value per wheel notch (the others step by position)
    ValueText text;
    Rect valueWindow;      // the setting's text from the model, when text is not None
    const char* lowEnd;    // printed at the ends of a knob's sweep, or null
    const char* highEnd;
};

// A group of controls: a rule over them with the title let into it, and short ticks down at
// both ends.
struct Group {
    const char* title;
    int left, right, y;
};

enum class Align { Left, Centre, Right };
// Anything else printed on the plate.
struct Legend {
    const char* text;
    double x, y;  // baseline point
    double size;  // px
    Align align;
    bool dim;
};

struct Panel {
    int meterType;   // 0 VU, 1 RMS, 2 PPM
    int background;  // PNG id
    const char* title;
    std::span<const Control> controls;
    std::span<const Group> groups;
    std::span<const Legend> legends;  // besides kCommonLegends
};

// ---- Frame of a control's image, size included

inline constexpr int frameCount(int image) {
    const resources::ImageInfo* info = resources::findImage(image);
    return info ? info->frames : 1;
}

inline constexpr Rect controlRect(const Control& c) {
    const resources::ImageInfo* info = resources::findImage(c.image);
    if (!info) return {c.left, c.top, c.left, c.top};
    return {c.left, c.top, c.left + info->width, c.top + info->height / info->frames};
}

struct Point {
    double x, y;
};

// The baseline centre of a control's caption: just above it, or under a step knob, whose
// legends take the room above.
inline constexpr double kCaptionSize = 7;
inline constexpr Point captionAt(const Control& c) {
    const Rect r = controlRect(c);
    if (isStepKnob(c.kind)) return {r.centreX(), r.bottom + 19.0};
    return {r.centreX(), r.top - (isRotary(c.kind) ? 3.0 : 4.0)};
}

// Radius of the legends around a rotary control, from its centre to the legend's centre.
inline constexpr double legendRadius(const Control& c) {
    return isStepKnob(c.kind) ? 23.0 : 24.0;
}

// ---- Step knobs

inline constexpr int stepCount(Kind k) {
    switch (k) {
        case Kind::ThresholdSteps: return 7;
        case Kind::OverLengthSteps: return 10;
        case Kind::OverChoiceSteps: return 4;
        case Kind::BacklightSteps: return 5;
        default: return 0;
    }
}

// The position a setting value selects, as the meter models take it (int(x·(n−1) + 0.5)).
inline int stepOf(Kind k, float x) {
    const int n = stepCount(k);
    if (n == 0 || !(x > 0.0f)) return 0;  // NaN too
    const float scaled = std::min(x, 1.0f) * static_cast<float>(n - 1) + 0.5f;
    return std::clamp(static_cast<int>(scaled), 0, n - 1);
}

// Where on its strip a position is drawn, 0 (first frame) ... 1 (last). The over-length
// knob keeps its end positions off the stops; the others spread their positions over a part
// of the sweep that leaves room for the legends.
inline double stepFraction(Kind k, int step) {
    static constexpr double choice[4] = {0.1, 0.38, 0.62, 0.9};
    static constexpr double backlight[5] = {0.3, 0.4, 0.5, 0.6, 0.7};
    switch (k) {
        case Kind::ThresholdSteps: return std::clamp(step, 0, 6) / 6.0;
        case Kind::OverLengthSteps: {
            const int c = std::clamp(step, 0, 9);
            return (c == 0 ? 0.4 : c == 9 ? 8.5 : c) / 9.0;
        }
        case Kind::OverChoiceSteps: return choice[std::clamp(step, 0, 3)];
        case Kind::BacklightSteps: return backlight[std::clamp(step, 0, 4)];
        default: return 0.0;
    }
}

// The frame of a `frames`-frame strip that shows a position.
inline int frameOfStep(Kind k, int step, int frames) {
    if (frames <= 1) return 0;
    const double at = (frames - 1) * stepFraction(k, step);
    return std::clamp(static_cast<int>(at + 0.5), 0, frames - 1);
}

// The frame a step knob draws for the setting value x.
inline int stepFrame(Kind k, float x, int frames) {
    // Threshold and choice knobs rest on their first frame below the range.
    if ((k == Kind::ThresholdSteps && !(x > 0.0f)) || (k == Kind::OverChoiceSteps && !(x >= 0.0f))) return 0;
    return frameOfStep(k, stepOf(k, x), frames);
}

// Legends printed at the step positions, first position first.
inline std::span<const char* const> stepLegends(Kind k) {
    static constexpr const char* threshold[] = {"-6", "-5", "-4", "-3", "-2", "-1", "0"};
    static constexpr const char* length[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
    static constexpr const char* choice[] = {"REF+8", "-3", "-1", "0"};
    static constexpr const char* backlight[] = {"OFF", "1", "2", "3", "4"};
    switch (k) {
        case Kind::ThresholdSteps: return threshold;
        case Kind::OverLengthSteps: return length;
        case Kind::OverChoiceSteps: return choice;
        case Kind::BacklightSteps: return backlight;
        default: return {};
    }
}

// Rows: knob tops, value windows and the group rules above them.
inline constexpr int kRow1Rule = 20, kRow1Knob = 33, kRow1Window = 77;
inline constexpr int kRow2Rule = 99, kRow2Knob = 111, kRow2Window = 153;
inline constexpr int kWindowHeight = 14;
inline constexpr int kRow1Button = 50, kRow2Button = 123;  // 16 px buttons, centred on the knobs
// Step knobs (32 px) centred on the knob rows.
inline constexpr int kRow1Step = kRow1Knob + 4, kRow2Step = kRow2Knob + 4;

// A value window of the usual width centred under a 40 px knob whose left edge is `knobLeft`.
inline constexpr Rect windowUnder(int knobLeft, int top) {
    return {knobLeft - 11, top, knobLeft + 51, top + kWindowHeight};
}

inline constexpr float kDb1Rms = 1.0f / 30.0f, kDb1 = 1.0f / 24.0f, kTimeStep = 0.0125f;

// ---- The three panels

inline constexpr Control kRmsControls[] = {
    {72, Kind::Knob, kKnobStrip, 55, kRow1Knob, "REFERENCE", kDb1Rms, ValueText::Decibels,
     {44, 77, 106, 91}, "-20", "+10"},
    {74, Kind::Knob, kKnobStrip, 149, kRow1Knob, "AVERAGING", kTimeStep, ValueText::Seconds,
     {143, 76, 195, 90}, "0.1", "10s"},
    {77, Kind::Switch, 41008, 223, 50, "MID SCALING", 0.0f, ValueText::None, {}, nullptr, nullptr},
    {79, Kind::ThresholdSteps, kOverStepStrip, 334, kRow1Step, "THRESHOLD", 0.0f, ValueText::None, {},
     nullptr, nullptr},
    {81, Kind::Button, 41003, 412, kRow1Button, "RELATIVE TO", 0.0f, ValueText::None, {}, nullptr, nullptr},
    {78, Kind::OverLengthSteps, kOverStepStrip, 504, kRow1Step, "SAMPLES", 0.0f, ValueText::None, {},
     nullptr, nullptr},
    {73, Kind::ResettableKnob, kKnobStrip, 55, kRow2Knob, "INTEGRATION", kTimeStep, ValueText::Milliseconds,
     windowUnder(55, kRow2Window), "0", "100ms"},
    {75, Kind::ResettableKnob, kKnobStrip, 149, kRow2Knob, "HOLD", kTimeStep, ValueText::Seconds,
     windowUnder(149, kRow2Window), "0.1", "10s"},
    {76, Kind::ResettableKnob, kKnobStrip, 243, kRow2Knob, "RETURN", kTimeStep, ValueText::Seconds,
     windowUnder(243, kRow2Window), "0.1", "10s"},
    {80, Kind::Button, 41007, 343, kRow2Button, "INTER-SAMPLE", 0.0f, ValueText::None, {}, nullptr, nullptr},
};

inline constexpr Control kVuControls[] = {
    {83, Kind::Knob, kKnobStrip, 55, kRow1Knob, "REFERENCE", kDb1, ValueText::Decibels,
     windowUnder(55, kRow1Window), "-24", "0"},
    {84, Kind::Knob, kKnobStrip, 149, kRow1Knob, "INTEGRATION", 0.01f, ValueText::Milliseconds,
     windowUnder(149, kRow1Window), "53", "1697ms"},
    {86, Kind::Button, 40001, 233, kRow1Button, "TYPE", 0.0f, ValueText::None, {}, nullptr, nullptr},
    {85, Kind::ResettableKnob, kKnobStrip, 317, kRow1Knob, "HOLD", kTimeStep, ValueText::Seconds,
     windowUnder(317, kRow1Window), "0.1", "10s"},
    {90, Kind::OverChoiceSteps, kOverStepStrip, 436, kRow1Step, "THRESHOLD", 0.0f, ValueText::None, {},
     nullptr, nullptr},
    {89, Kind::OverLengthSteps, kOverStepStrip, 520, kRow1Step, "SAMPLES", 0.0f, ValueText::None, {},
     nullptr, nullptr},
    {88, Kind::BacklightSteps, kBacklightStepStrip, 94, kRow2Step, "BACKLIGHT", 0.0f, ValueText::None, {},
     nullptr, nullptr},
    {87, Kind::Switch, 40002, 215, 127, "MID SCALING", 0.0f, ValueText::None, {}, nullptr, nullptr},
    {91, Kind::Button, 40003, 343, kRow2Button, "INTER-SAMPLE", 0.0f, ValueText::None, {}, nullptr, nullptr},
};

inline constexpr Control kPpmControls[] = {
    {93, Kind::Knob, kKnobStrip, 55, kRow1Knob, "REFERENCE", kDb1, ValueText::Decibels,
     windowUnder(55, kRow1Window), "-24", "0"},
    {97, Kind::Switch, 42003, 200, 36, "MID SCALING", 0.0f, ValueText::None, {}, nullptr, nullptr},
    {99, Kind::OverChoiceSteps, kOverStepStrip, 364, kRow1Step, "THRESHOLD", 0.0f, ValueText::None, {},
     nullptr, nullptr},
    {98, Kind::OverLengthSteps, kOverStepStrip, 484, kRow1Step, "SAMPLES", 0.0f, ValueText::None, {},
     nullptr, nullptr},
    {94, Kind::Knob, kKnobStrip, 55, kRow2Knob, "INTEGRATION", kTimeStep, ValueText::Milliseconds,
     windowUnder(55, kRow2Window), "0", "100ms"},
    {95, Kind::ResettableKnob, kKnobStrip, 149, kRow2Knob, "HOLD", kTimeStep, ValueText::Seconds,
     windowUnder(149, kRow2Window), "0.1", "10s"},
    {96, Kind::ResettableKnob, kKnobStrip, 243, kRow2Knob, "RETURN", kTimeStep, ValueText::Seconds,
     windowUnder(243, kRow2Window), "0.1", "10s"},
    {100, Kind::Button, 42007, 343, kRow2Button, "INTER-SAMPLE", 0.0f, ValueText::None, {}, nullptr, nullptr},
};

inline constexpr Group kRmsGroups[] = {
    {"LEVEL", 8, 296, kRow1Rule}, {"OVERS", 306, 578, kRow1Rule},
    {"TIMING", 8, 296, kRow2Rule}, {"DETECTOR", 306, 420, kRow2Rule},
};
inline constexpr Group kVuGroups[] = {
    {"LEVEL", 8, 120, kRow1Rule},   {"BALLISTICS", 130, 400, kRow1Rule}, {"OVERS", 410, 578, kRow1Rule},
    {"DISPLAY", 8, 296, kRow2Rule}, {"DETECTOR", 306, 420, kRow2Rule},
};
inline constexpr Group kPpmGroups[] = {
    {"LEVEL", 8, 296, kRow1Rule}, {"OVERS", 306, 578, kRow1Rule},
    {"TIMING", 8, 296, kRow2Rule}, {"DETECTOR", 306, 420, kRow2Rule},
};

// Printed on every panel: how to turn back, in the free corner of the lower row, and what
// the scope means, below the strips' line (seen only with the strips shown).
inline constexpr Legend kCommonLegends[] = {
    {"Click an empty spot", 578, 122, 7.5, Align::Right, true},
    {"to turn back to the meter;", 578, 132, 7.5, Align::Right, true},
    {"the Global settings are then", 578, 142, 7.5, Align::Right, true},
    {"stored for new instances.", 578, 152, 7.5, Align::Right, true},
    {"SETTINGS SCOPE", 4, 177, 7, Align::Left, false},
    {"The knobs edit the settings of the scope chosen at the top left:", 4, 212, 7.5, Align::Left, true},
    {"shared by every instance (Global, Session) or kept in this one (Instance).", 4, 222, 7.5, Align::Left, true},
};

inline constexpr Legend kRmsLegends[] = {
    {"dB", 286, 61, 6.5, Align::Left, true},
    {"REF / dBFS", 432, 78, 6.5, Align::Centre, true},
};
inline constexpr Legend kVuLegends[] = {
    {"A  STANDARD", 253, 80, 6.5, Align::Centre, true},
    {"B  VINTAGE", 253, 89, 6.5, Align::Centre, true},
    {"dB", 278, 138, 6.5, Align::Left, true},
};
inline constexpr Legend kPpmLegends[] = {
    {"dB", 263, 47, 6.5, Align::Left, true},
};

inline constexpr Panel kVuPanel{0, 40000, "VU3 SETTINGS", kVuControls, kVuGroups, kVuLegends};
inline constexpr Panel kRmsPanel{1, 41000, "RMS3 SETTINGS", kRmsControls, kRmsGroups, kRmsLegends};
inline constexpr Panel kPpmPanel{2, 42000, "RAD3 SETTINGS", kPpmControls, kPpmGroups, kPpmLegends};

// The panel of a meter type: 0 VU, 1 RMS, 2 PPM (anything else: VU).
inline constexpr const Panel& panelFor(int meterType) {
    return meterType == 1 ? kRmsPanel : meterType == 2 ? kPpmPanel : kVuPanel;
}

}  // namespace settings_layout
