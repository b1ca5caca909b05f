#include "views/meter_panel.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "controls/selectors.h"
#include "controls/text_edits.h"
#include "controls/typed_number.h"
#include "controls/zeb_buttons.h"
#include "controls/zeb_knobs.h"
#include "controls/zeb_slider.h"
#include "metering/meter_model.h"
#include "model/editor_size.h"
#include "model/meter_scale.h"
#include "model/parameter_ids.h"
#include "toolkit/toolkit.h"
#include "views/back_panel.h"
#include "views/meter_display.h"
#include "views/panel_style.h"

namespace {

using parameters::kHold, parameters::kMeter, parameters::kMidSide, parameters::kProcess, parameters::kScope,
    parameters::kStrips, parameters::kTrim;

constexpr CRect kPanelArea(0, 0, editor_size::kWidth, editor_size::kMeterAreaHeight);
constexpr double kMeterLeftX = 12, kMeterRightX = 277, kMeterY = 18;

// Values the meter controls are given: silence and overloads stay on the scale's stops.
double limitDisplay(double value) {
    if (!(value >= 0.0001)) return 0.0001;  // NaN as well
    return value > 32.0 ? 32.0 : value;
}

int asSwitch(float x) { return static_cast<int>(x + 0.5f); }
int asThreeWay(float x) { return static_cast<int>(x * 2.0f + 0.5f); }

}  // namespace

bool trimValueFromText(const char* text, float& value) {
    double decibels = 0;
    if (!editor::readTypedNumber(text, decibels)) return false;
    value = static_cast<float>(std::clamp((decibels + 20.0) * 0.025, 0.0, 1.0));
    return true;
}

CZEBMeterFULLPANEL::CZEBMeterFULLPANEL(const Face& face, CControlListener* editor, EditorEffect* effect)
    : face_(face), editor_(editor), effect_(effect) {}

CZEBMeterFULLPANEL::~CZEBMeterFULLPANEL() { close(); }

MeterModel* CZEBMeterFULLPANEL::model() const { return effect_ ? effect_->meterModel(face_.meterType) : nullptr; }

bool CZEBMeterFULLPANEL::open(CFrame* frame) {
    close();
    frame_ = frame;
    PanelImage background(face_.background);
    container_ = new CViewContainer(kPanelArea);
    container_->setBackground(background.bitmap);
    auto add = [this](auto* view) {
        container_->addView(view);
        return view;
    };

    // Common elements.
    PanelImage selector(10015);
    meterSelector_ = add(new CZEBMeterSelectorControl(
        CRect(195, 144, 195 + selector.width(), 144 + selector.frameHeight(3)), editor_, kMeter, selector.bitmap));
    PanelImage trimHandle(10001);
    trimSlider_ = add(new CZEBSliderAH(CRect(538, 17, 538 + trimHandle.width(), 143), editor_, kTrim,
                                       trimHandle.bitmap, nullptr, kVertical));
    trimSlider_->setDefaultValue(0.5f);  // 0.0 dB
    trimSlider_->setWheelStep(0.025f);   // 1 dB per notch, 0.1 dB with Shift
    trimSlider_->setFineFactor(0.1f);
    trimText_ = add(new CMyTextEditAH(CRect(530, 146, 578, 161), editor_, kTrimTextTag));
    stylePanelText(trimText_);
    CZEBTextEditTM::EditBoxColors box;
    box.hasText = true;
    box.text = kPanelTextColor;
    box.hasBackground = true;
    box.background = CColor{24, 22, 21, 255};
    trimText_->setEditBoxColors(box);
    PanelImage process(10002);
    processButton_ = add(new CZEBOnOffButtonH(CRect(531, 1, 531 + process.width(), 1 + process.frameHeight(2)),
                                              editor_, kProcess, process.bitmap));
    PanelImage scope(10010);
    scopeSelector_ = add(new CZEBCalibrationControl(CRect(0, 1, scope.width(), 1 + scope.frameHeight(3)), editor_,
                                                    kScope, scope.bitmap));
    PanelImage strips(10025);
    stripsButton_ = add(new CZEBOnOffButtonH(CRect(574, 1, 574 + strips.width(), 1 + strips.frameHeight(2)),
                                             editor_, kStrips, strips.bitmap));
    PanelImage manual(989);
    manualButton_ = add(new CZEBKickButtonH(CRect(505, 0, 505 + manual.width(), manual.frameHeight(3)), editor_,
                                            kManualTag, manual.bitmap));
    hintLine_ = add(new CHelpHintLabel(CRect(304, 0, 496, 14)));
    stylePanelText(hintLine_);

    // This face's own elements.
    PanelImage midSide(face_.midSideButton);
    const double midSideHeight = midSide.frameHeight(2);
    midSideButton_ = add(new CZEBOnOffButton(CRect(8, 144 - midSideHeight / 2, 8 + midSide.width(), 144 + midSideHeight / 2),
                                             editor_, kMidSide, midSide.bitmap));
    PanelImage leftLabel(face_.leftLabel);
    leftLabel_ = add(new CMovieBitmap(CRect(104, 146, 170, 165), editor_, kChannelLabelTag, 2,
                                      leftLabel.frameHeight(2), leftLabel.bitmap));
    PanelImage rightLabel(face_.rightLabel);
    rightLabel_ = add(new CMovieBitmap(CRect(369, 146, 435, 165), editor_, kChannelLabelTag, 2,
                                       rightLabel.frameHeight(2), rightLabel.bitmap));
    // Beside the LR/MS button, low enough to clear the meters' bezel.
    PanelImage hold(face_.holdSwitch);
    const double holdHeight = hold.frameHeight(3);
    holdSwitch_ = add(new CZEBHorizontalSwitch(
        CRect(CPoint(meter_scale::holdSwitchX, meter_scale::holdSwitchY), CPoint(hold.width(), holdHeight)), editor_,
        kHold, 3, holdHeight, 3, hold.bitmap));
    leftMeter_ = add(makeMeter(CPoint(kMeterLeftX, kMeterY)));
    rightMeter_ = add(makeMeter(CPoint(kMeterRightX, kMeterY)));
    PanelImage plate(10013);
    referenceControl_ = add(new CFrontReferenceControl(CRect(96, 1, 96 + plate.width(), 1 + plate.bitmap->getHeight()),
                                                       editor_, face_.referenceTag, plate.bitmap));
    referenceControl_->setDefaultValue(face_.referenceDefault);

    for (CZEBHintControl* hinted : std::initializer_list<CZEBHintControl*>{
             meterSelector_, trimSlider_, trimText_, processButton_, stripsButton_, manualButton_, referenceControl_})
        hinted->setHintLabel(hintLine_);

    for (std::int32_t index :
         std::initializer_list<std::int32_t>{kProcess, kTrim, kScope, kMeter, kMidSide, kHold, kStrips, face_.referenceTag})
        setParameter(index, effect_ ? effect_->getParameter(index) : 0.f);

    // The back is made now, so that turning the meter round costs no more than a refresh.
    settingsPanel_ = makeSettingsPanel();
    if (settingsPanel_ && !settingsPanel_->open(frame)) settingsPanel_.reset();
    return true;
}

void CZEBMeterFULLPANEL::close() {
    if (!container_) return;
    hide();
    settingsPanel_.reset();
    container_->forget();
    container_ = nullptr;
    meterSelector_ = nullptr;
    trimSlider_ = nullptr;
    trimText_ = nullptr;
    processButton_ = nullptr;
    scopeSelector_ = nullptr;
    stripsButton_ = nullptr;
    manualButton_ = nullptr;
    hintLine_ = nullptr;
    midSideButton_ = nullptr;
    leftLabel_ = nullptr;
    rightLabel_ = nullptr;
    holdSwitch_ = nullptr;
    leftMeter_ = nullptr;
    rightMeter_ = nullptr;
    referenceControl_ = nullptr;
    frame_ = nullptr;
}

bool CZEBMeterFULLPANEL::isShown() const { return container_ && frame_ && frame_->isChild(container_); }

void CZEBMeterFULLPANEL::show() {
    if (!container_ || !frame_) return;
    if (!isShown()) addKeepingOwnReference(frame_, container_);
    for (std::int32_t index : {kMeter, kTrim, kProcess, kScope, kStrips})
        setParameter(index, effect_ ? effect_->getParameter(index) : 0.f);
}

void CZEBMeterFULLPANEL::hide() {
    // A face that goes (another meter was chosen) takes its back with it.
    if (settingsPanel_) settingsPanel_->hide();
    if (isShown()) frame_->removeView(container_, true);
}

bool CZEBMeterFULLPANEL::isSettingsPanelShown() const { return settingsPanel_ && settingsPanel_->isShown(); }

void CZEBMeterFULLPANEL::showSettingsPanel() {
    if (settingsPanel_ && isShown()) settingsPanel_->show();
}

void CZEBMeterFULLPANEL::setTrimText() {
    if (!trimText_ || !effect_) return;
    char text[parameters::kTextLength + 8] = {};
    effect_->getParameterDisplay(kTrim, text);
    trimText_->setText(text);
}

void CZEBMeterFULLPANEL::refreshReference() {
    if (!referenceControl_) return;
    if (effect_) referenceControl_->setValue(effect_->getParameter(face_.referenceTag));
    char text[64] = {};
    if (MeterModel* m = model()) m->getSettingText(face_.referenceTag, text);
    referenceControl_->setCaption(text);
}

void CZEBMeterFULLPANEL::applyHoldMode(float holdValue) {
    const bool shown = asThreeWay(holdValue) != 0;
    for (CZEBMeter2* m : {leftMeter_, rightMeter_})
        if (m) {
            m->setHoldShown(shown);
            m->invalidateChanges();
        }
}

void CZEBMeterFULLPANEL::setParameter(std::int32_t index, float value) {
    if (!container_) return;
    switch (index) {
        case kProcess: {
            processButton_->setValue(value);
            const bool active = asSwitch(value) == 1;
            trimSlider_->setActive(active);
            trimText_->setActive(active);
            break;
        }
        case kTrim:
            trimSlider_->setValue(value);
            setTrimText();
            break;
        case kScope: scopeSelector_->setValue(value); break;
        case kMeter: meterSelector_->setValue(value); break;
        case kMidSide:
            midSideButton_->setValue(value);
            leftLabel_->setValue(value);
            rightLabel_->setValue(value);
            break;
        case kHold:
            holdSwitch_->setValue(value);
            applyHoldMode(value);
            break;
        case kStrips: stripsButton_->setValue(value); break;
        default:
            if (index == face_.referenceTag) refreshReference();
            break;
    }
    if (settingsPanel_) settingsPanel_->setParameter(index, value);
}

void CZEBMeterFULLPANEL::valueChanged(CControl* control) {
    if (!control || !effect_) return;
    const std::int32_t tag = control->getTag();
    switch (tag) {
        case kSettingsToggleTag:
            if (isSettingsPanelShown()) {
                settingsPanel_->hide();
                effect_->setParameter(kSettingsToggleTag, 0.f);  // the Global settings are stored
            } else {
                showSettingsPanel();
            }
            break;
        case kClearOversTag: effect_->setParameter(kClearOversTag, 0.f); break;
        case kTrimTextTag: {
            float trim = 0;
            if (trimValueFromText(trimText_ ? trimText_->getText().c_str() : nullptr, trim))
                effect_->setParameterAutomated(kTrim, trim);
            setTrimText();  // the effect's own text, also after a text that was no number
            break;
        }
        default:
            if (tag == face_.referenceTag) {
                effect_->setParameter(tag, control->getValue());
                refreshReference();
            }
            break;
    }
    if (settingsPanel_) settingsPanel_->valueChanged(control);
}

CZEBMeterFULLPANEL::Readout CZEBMeterFULLPANEL::read(MeterModel& m, int channel, double f) {
    Readout r;
    r.needle = m.displayValue(MeterModel::kNeedle, channel, f);
    r.hold = m.displayValue(MeterModel::kHold, channel, f);
    // Infinite hold: the highest value stays until the overs are cleared. The model keeps it
    // from the audio, so peaks while the window was hidden or closed are not missed.
    if (m.holdMode() == 1) r.hold = std::max(r.hold, m.heldMaximum(channel));
    if (m.valueCount() > MeterModel::kMeanSquare) {
        const double q = m.displayValue(MeterModel::kMeanSquare, channel, f);
        r.rms = std::sqrt(q > 0 ? q : 0) * 1.4142;
    }
    const double led = m.overLed(channel);
    r.led = led > 0.5 ? 1 : led > -0.5 ? 0 : -1;
    return r;
}

void CZEBMeterFULLPANEL::apply(CZEBMeter2& meter, const Readout& r) {
    meter.setNeedleValue(static_cast<float>(limitDisplay(r.needle)));
    meter.setHoldValue(static_cast<float>(limitDisplay(r.hold)));
    meter.setLedState(r.led);
}

void CZEBMeterFULLPANEL::idle(double interpolation) {
    MeterModel* m = model();
    if (!m || !container_) return;
    const double f = std::isfinite(interpolation) ? std::clamp(interpolation, 0.0, 1.0) : 1.0;
    // Behind the settings panel the meters keep reading (held maxima stay right) but paint
    // nothing; the whole face is repainted when the panel goes.
    const bool seen = !isSettingsPanelShown();
    for (int channel = 0; channel < 2; ++channel) {
        CZEBMeter2* control = meter(channel);
        if (!control) continue;
        apply(*control, read(*m, channel, f));
        if (seen) control->invalidateChanges();
    }
    m->followSharedStores();
}
