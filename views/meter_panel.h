#pragma once
// The front face of one meter type: background, the two channel meters, LR/MS, hold,
// reference read-out, the common controls (meter selector, trim, process, scope, strips,
// manual) and the hint line, plus the timer update that moves the model's display values
// into the meters. Each face owns the back of its meter (its settings panel), which the
// middle of the meter selector turns it round to.
//
// GUI side only (the editor's lock held): the editor calls every operation from its idle
// step or from control handling, never from the thread that changed a parameter.
#include <cstdint>
#include <memory>

#include "core/editor_effect.h"
#include "toolkit/geometry.h"

class BackPanel;
class CBitmap;
class CControl;
class CControlListener;
class CFrame;
class CFrontReferenceControl;
class CHelpHintLabel;
class CMovieBitmap;
class CMyTextEditAH;
class CViewContainer;
class CZEBCalibrationControl;
class CZEBHorizontalSwitch;
class CZEBKickButtonH;
class CZEBMeter2;
class CZEBMeterSelectorControl;
class CZEBOnOffButton;
class CZEBOnOffButtonH;
class CZEBSliderAH;
class MeterModel;

class CZEBMeterFULLPANEL {
public:
    // Tags of the panel's own views.
    static constexpr std::int32_t kSettingsToggleTag = 65;  // middle of the meter selector
    static constexpr std::int32_t kChannelLabelTag = 66;
    static constexpr std::int32_t kClearOversTag = 67;      // a click on a meter
    static constexpr std::int32_t kTrimTextTag = 68;        // the typed trim value
    static constexpr std::int32_t kManualTag = 121;

    // What tells the three panels apart: images, reference setting and model.
    struct Face {
        int meterType;          // 0 VU, 1 RMS, 2 PPM
        int background;         // PNG ids
        int midSideButton;
        int leftLabel;
        int rightLabel;
        int holdSwitch;
        std::int32_t referenceTag;  // the model's reference-level setting
        float referenceDefault;     // its factory value, for a reset click
    };

    CZEBMeterFULLPANEL(const Face& face, CControlListener* editor, EditorEffect* effect);
    virtual ~CZEBMeterFULLPANEL();
    CZEBMeterFULLPANEL(const CZEBMeterFULLPANEL&) = delete;
    CZEBMeterFULLPANEL& operator=(const CZEBMeterFULLPANEL&) = delete;

    // Builds the panel's views; `frame` is where show() puts them. False when the panel's
    // container could not be made.
    virtual bool open(CFrame* frame);
    // Takes the views down and forgets them.
    virtual void close();
    // Puts the panel into the frame and sets the common controls from the effect.
    virtual void show();
    // Takes the panel out of the frame; its views stay for the next show.
    virtual void hide();
    // A parameter changed: the controls bound to it follow.
    virtual void setParameter(std::int32_t index, float value);
    // The user changed a control of the window (the panel acts on the tags it owns).
    virtual void valueChanged(CControl* control);
    virtual CHelpHintLabel* getHintLabel() const { return hintLine_; }
    virtual bool isShown() const;
    // The timer update, `interpolation` 0..1 between the last two audio blocks.
    virtual void idle(double interpolation);

    // The back of this meter, made by open(); null while closed.
    BackPanel* settingsPanel() const { return settingsPanel_.get(); }
    bool isSettingsPanelShown() const;
    // Turns the meter round to its settings panel (as the middle of the meter selector does).
    void showSettingsPanel();

    const Face& face() const { return face_; }
    CZEBMeter2* meter(int channel) const { return channel == 0 ? leftMeter_ : channel == 1 ? rightMeter_ : nullptr; }
    CViewContainer* container() const { return container_; }
    CFrontReferenceControl* referenceControl() const { return referenceControl_; }
    CMyTextEditAH* trimText() const { return trimText_; }
    CZEBMeterSelectorControl* meterSelector() const { return meterSelector_; }
    CZEBSliderAH* trimSlider() const { return trimSlider_; }

protected:
    // What the timer update hands one channel's meter.
    struct Readout {
        double needle = 0.0001;
        double hold = 0.0001;
        double rms = 0.0001;
        int led = -1;
    };
    // Reads one channel from the model (needle, hold with the held maximum, LED).
    virtual Readout read(MeterModel& model, int channel, double interpolation);
    // Hands a reading to a meter control and lets it repaint what moved.
    virtual void apply(CZEBMeter2& meter, const Readout& readout);
    // Makes the meter control of this face at `topLeft`.
    virtual CZEBMeter2* makeMeter(const CPoint& topLeft) = 0;
    // Makes the settings panel of this face's meter.
    virtual std::unique_ptr<BackPanel> makeSettingsPanel() = 0;

    MeterModel* model() const;
    // Sets the reference read-out from the effect: position and the model's text.
    void refreshReference();
    void setTrimText();
    // Shows the hold marker on both meters when hold is on.
    void applyHoldMode(float holdValue);

    const Face face_;
    CControlListener* editor_;  // listener of every control; not owned
    EditorEffect* effect_;      // not owned
    CFrame* frame_ = nullptr;
    std::unique_ptr<BackPanel> settingsPanel_;

    // The views: the panel holds one reference to its container, the container the others.
    CViewContainer* container_ = nullptr;
    CZEBMeterSelectorControl* meterSelector_ = nullptr;
    CZEBSliderAH* trimSlider_ = nullptr;
    CMyTextEditAH* trimText_ = nullptr;
    CZEBOnOffButtonH* processButton_ = nullptr;
    CZEBCalibrationControl* scopeSelector_ = nullptr;
    CZEBOnOffButtonH* stripsButton_ = nullptr;
    CZEBKickButtonH* manualButton_ = nullptr;
    CHelpHintLabel* hintLine_ = nullptr;
    CZEBOnOffButton* midSideButton_ = nullptr;
    CMovieBitmap* leftLabel_ = nullptr;
    CMovieBitmap* rightLabel_ = nullptr;
    CZEBHorizontalSwitch* holdSwitch_ = nullptr;
    CZEBMeter2* leftMeter_ = nullptr;
    CZEBMeter2* rightMeter_ = nullptr;
    CFrontReferenceControl* referenceControl_ = nullptr;
};

// Reads a typed trim value ("3.5", "-6 dB", "+2,5") as the "Trim" parameter's normalised
// value; false when the text does not start with a number.
bool trimValueFromText(const char* text, float& value);
