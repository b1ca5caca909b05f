#pragma once
// The filters strip: high-pass and low-pass switches, slopes and frequencies (sliders and
// typed values), the filters-in switch and the strip's open/close button. Expanded it is
// 53 pixels high; collapsed (13) it keeps the button, a caption and the filters-in LED.
#include "editor/strip_editor.h"

class CMovieBitmap;
class CMyTextEditAH;
class COnOffButtonH;
class CZEBOnOffButtonAH;
class CZEBSliderAH;
class StripActiveButton;

class StripFiltersEditor : public StripEditor {
public:
    static constexpr int kExpandedHeight = 53;
    static constexpr int kCollapsedHeight = 13;
    static constexpr std::int32_t kHighPassTextTag = 70;
    static constexpr std::int32_t kLowPassTextTag = 71;
    static constexpr CColor kFrequencyTextColor{170, 170, 170, 255};

    StripFiltersEditor(CControlListener* editor, EditorEffect* effect, int meter, bool expanded);

    void setParameter(std::int32_t index, float value) override;
    void valueChanged(CControl* control) override;
    void setActive(bool active) override;

    CZEBSliderAH* slider(bool lowPass) const { return lowPass ? lowPassFrequency_ : highPassFrequency_; }
    CMyTextEditAH* frequencyText(bool lowPass) const { return lowPass ? lowPassText_ : highPassText_; }

protected:
    void buildControls() override;
    std::span<const std::int32_t> shownParameters() const override;

private:
    // Puts a frequency text over its slider's handle and shows the effect's text there.
    void followHandle(bool lowPass, float value);

    const bool expanded_;
    StripActiveButton* filtersIn_ = nullptr;
    COnOffButtonH* showButton_ = nullptr;
    CZEBOnOffButtonAH* highPassOn_ = nullptr;
    CZEBOnOffButtonAH* lowPassOn_ = nullptr;
    CZEBSliderAH* highPassFrequency_ = nullptr;
    CZEBSliderAH* lowPassFrequency_ = nullptr;
    CZEBOnOffButtonAH* highPassSlope_ = nullptr;
    CZEBOnOffButtonAH* lowPassSlope_ = nullptr;
    CMyTextEditAH* highPassText_ = nullptr;
    CMyTextEditAH* lowPassText_ = nullptr;
    CMovieBitmap* caption_ = nullptr;
};

class StripFiltersSafeEditor : public StripSafeEditor {
public:
    StripFiltersSafeEditor(CControlListener* editor, EditorEffect* effect) : StripSafeEditor(editor, effect) {}
    void setProcessActive(bool active) override;

protected:
    std::unique_ptr<StripEditor> makeVariant(int meter, bool expanded) override;
};

// The normalised "HPFreq" / "LPFreq" value of a typed frequency: "1k5" and "1.5k" mean
// 1500 Hz, a low-pass number from 0.3 to 30 means kilohertz, a text that is no number reads
// as 0 (the lowest frequency). Read the same whatever the process's locale.
float highPassValueFromText(const char* text);
float lowPassValueFromText(const char* text);
