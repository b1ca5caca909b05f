#pragma once
// The step knobs of the settings panels: animated knobs that draw the frame of the position
// their setting selects, at the turn of the strip settings_layout.h gives for it, so the
// pointer stands on the legend the panel prints there. Dragging and the wheel work as on any
// animated knob; the wheel moves one position per notch.
#include "controls/type_names.h"
#include "model/settings_layout.h"
#include "toolkit/knob.h"

class CStepKnob : public CAnimKnob {
public:
    // `strip` holds `frames` frames of the view's height.
    CStepKnob(const CRect& size, CControlListener* listener, std::int32_t tag, int frames, CBitmap* strip,
              settings_layout::Kind kind);

    settings_layout::Kind kind() const { return kind_; }
    // The frame drawn for the current value.
    int shownFrame() const;

    void draw(CDrawContext* context) override;

private:
    const settings_layout::Kind kind_;
};

// A step knob of one kind under its own class name.
template <settings_layout::Kind K, const char* kName>
class CNamedStepKnob final : public CStepKnob {
public:
    static constexpr settings_layout::Kind kKind = K;
    CNamedStepKnob(const CRect& size, CControlListener* listener, std::int32_t tag, int frames, CBitmap* strip)
        : CStepKnob(size, listener, tag, frames, strip, K) {}
    ZEB_CONTROL_TYPE_NAME(kName)
};

namespace step_knob_names {
inline constexpr char rmsLedRef[] = "CRmsLedRefKnob";
inline constexpr char rmsOverLed[] = "CRmsOverLedKnob";
inline constexpr char vuOverLed[] = "CVuOverLedKnob";
inline constexpr char ppmOverLed[] = "CPpmOverLedKnob";
inline constexpr char vuLedRef[] = "CVuLedRefKnob";
inline constexpr char ppmLedRef[] = "CPpmLedRefKnob";
inline constexpr char vuBackLit[] = "CVuBackLitKnob";
}  // namespace step_knob_names

// Over threshold of the RMS meter: 7 positions, -6 ... 0 dB.
using CRmsLedRefKnob = CNamedStepKnob<settings_layout::Kind::ThresholdSteps, step_knob_names::rmsLedRef>;
// Over length, 1 ... 10 samples, one class per meter.
using CRmsOverLedKnob = CNamedStepKnob<settings_layout::Kind::OverLengthSteps, step_knob_names::rmsOverLed>;
using CVuOverLedKnob = CNamedStepKnob<settings_layout::Kind::OverLengthSteps, step_knob_names::vuOverLed>;
using CPpmOverLedKnob = CNamedStepKnob<settings_layout::Kind::OverLengthSteps, step_knob_names::ppmOverLed>;
// Over threshold of the VU and PPM meters: 8 dB above the reference, -3, -1 or 0 dBFS.
using CVuLedRefKnob = CNamedStepKnob<settings_layout::Kind::OverChoiceSteps, step_knob_names::vuLedRef>;
using CPpmLedRefKnob = CNamedStepKnob<settings_layout::Kind::OverChoiceSteps, step_knob_names::ppmLedRef>;
// Backlight of the VU face: off and four levels.
using CVuBackLitKnob = CNamedStepKnob<settings_layout::Kind::BacklightSteps, step_knob_names::vuBackLit>;
