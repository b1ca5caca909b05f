#include "views/back_panel.h"

#include <cmath>

#include "controls/selectors.h"
#include "controls/zeb_buttons.h"
#include "controls/zeb_knobs.h"
#include "metering/meter_model.h"
#include "metering/meter_settings_store.h"
#include "model/parameter_ids.h"
#include "toolkit/toolkit.h"
#include "views/panel_style.h"
#include "views/step_knobs.h"

namespace {

using parameters::kScope, parameters::kShowFilters, parameters::kShowLabel, parameters::kStrips;
constexpr CColor kVersionColor{130, 124, 120, 255};

CRect toRect(const settings_layout::Rect& r) { return CRect(r.left, r.top, r.right, r.bottom); }

const char* placeholder(settings_layout::ValueText text, int meterType) {
    switch (text) {
        case settings_layout::ValueText::Decibels: return meterType == 0 ? "-18 dBFS" : "0 dBFS";
        case settings_layout::ValueText::Milliseconds: return "300 ms";
        case settings_layout::ValueText::Seconds: return "0.1 s";
        default: return "";
    }
}

// A read-out of a setting. A click on it is a click beside the knob, not on an empty spot
// of the panel, so it does not turn the panel back.
class CSettingText : public CTextLabel {
public:
    using CTextLabel::CTextLabel;
    CMouseEventResult onMouseDown(CPoint&, const CButtonState&) override { return kMouseEventHandled; }
};

}  // namespace

// ---- CZEBBackPanelContainer

CZEBBackPanelContainer::CZEBBackPanelContainer(const CRect& size, CControlListener* listener)
    : CViewContainer(size),
      listener_(listener),
      turnBackButton_(new CZEBOnOffButton(CRect(0, 0, size.getWidth(), size.getHeight()), listener, kTurnBackTag,
                                          nullptr)) {}

CZEBBackPanelContainer::~CZEBBackPanelContainer() { turnBackButton_->forget(); }

CMouseEventResult CZEBBackPanelContainer::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (CViewContainer::onMouseDown(where, buttons) == kMouseEventHandled) return kMouseEventHandled;
    if (!listener_ || !buttons.isLeftButton()) return kMouseEventNotHandled;
    // The listener may take the panel out of the frame; the caller keeps us alive meanwhile.
    listener_->valueChanged(turnBackButton_);
    return kMouseEventHandled;
}

// ---- BackPanel

BackPanel::BackPanel(const settings_layout::Panel& layout, CControlListener* editor, EditorEffect* effect)
    : editor_(editor), effect_(effect), layout_(layout) {}

BackPanel::~BackPanel() { close(); }

MeterModel* BackPanel::model() const { return effect_ ? effect_->meterModel(layout_.meterType) : nullptr; }

float BackPanel::parameter(std::int32_t index) const { return effect_ ? effect_->getParameter(index) : 0.f; }

bool BackPanel::open(CFrame* frame) {
    PanelImage background(layout_.background);
    if (!baseBuild(frame, background.bitmap)) return false;
    if (build()) return true;
    close();
    return false;
}

bool BackPanel::baseBuild(CFrame* frame, CBitmap* background) {
    if (!frame || !background || !background->isLoaded()) return false;
    close();
    frame_ = frame;
    container_ = new CZEBBackPanelContainer(CRect(0, 0, background->getWidth(), background->getHeight()), editor_);
    container_->setBackground(background);

    const float scope = parameter(kScope);
    PanelImage selector(settings_layout::kScopeSelector);
    scopeSelector_ = new CZEBCalibrationControl(CRect(0, 1, 0, 1 + selector.frameHeight(3)), editor_, kScope,
                                                selector.bitmap);
    container_->addView(scopeSelector_);
    placeScopeSelector(parameter(kStrips));
    PanelImage explanation(settings_layout::kScopeExplanation);
    const double top = settings_layout::kScopeExplanationTop;
    scopeExplanation_ = new CMovieBitmap(CRect(0, top, explanation.width(), top + explanation.frameHeight(3)), editor_,
                                         kScope, 3, explanation.frameHeight(3), explanation.bitmap);
    container_->addView(scopeExplanation_);
    scopeSelector_->setValue(scope);
    scopeExplanation_->setValue(scope);
    return true;
}

bool BackPanel::buildControls(StepKnobMaker makeStepKnob) {
    if (!container_) return false;
    using settings_layout::Kind;
    entryCount_ = 0;
    for (const settings_layout::Control& c : layout_.controls) {
        if (entryCount_ == static_cast<int>(std::size(entries_))) return false;
        PanelImage image(c.image);
        const int frames = settings_layout::frameCount(c.image);
        const CRect size = toRect(settings_layout::controlRect(c));
        CControl* control = nullptr;
        switch (c.kind) {
            case Kind::Knob: {
                auto* knob = new CAnimKnob(size, editor_, c.tag, frames, size.getHeight(), image.bitmap);
                knob->setWheelInc(c.wheelStep);
                control = knob;
                break;
            }
            case Kind::ResettableKnob: {
                auto* knob = new CAnimKnob4(size, editor_, c.tag, frames, size.getHeight(), image.bitmap);
                knob->setWheelStep(c.wheelStep);
                knob->setSensitivity(0.25f);  // 250 pixels for the whole range
                control = knob;
                break;
            }
            case Kind::Switch:
                control = new CZEBHorizontalSwitch(size, editor_, c.tag, frames, size.getHeight(), frames,
                                                   image.bitmap);
                break;
            case Kind::Button: control = new CZEBOnOffButton(size, editor_, c.tag, image.bitmap); break;
            default: control = makeStepKnob(c, size, editor_, frames, image.bitmap); break;
        }
        if (!control) return false;
        control->setDefaultValue(meter_settings::defaultValue(c.tag));  // the factory value
        control->setValue(parameter(c.tag));
        container_->addView(control);
        Entry& e = entries_[entryCount_++];
        e = Entry{&c, control, nullptr};
        if (c.text != settings_layout::ValueText::None) {
            e.text = new CSettingText(toRect(c.valueWindow), placeholder(c.text, layout_.meterType));
            stylePanelText(e.text);
            container_->addView(e.text);
            refreshText(e);
        }
    }
    versionLabel_ = new CTextLabel(toRect(settings_layout::kVersionLabel), settings_layout::kVersionText);
    stylePanelText(versionLabel_);
    versionLabel_->setFontColor(kVersionColor);
    versionLabel_->setHoriAlign(kRightText);
    container_->addView(versionLabel_);
    return true;
}

void BackPanel::close() {
    if (!container_) return;
    hide();
    container_->forget();
    container_ = nullptr;
    scopeSelector_ = nullptr;
    scopeExplanation_ = nullptr;
    versionLabel_ = nullptr;
    entryCount_ = 0;
    frame_ = nullptr;
}

bool BackPanel::isShown() const { return container_ && frame_ && frame_->isChild(container_); }

void BackPanel::show() {
    if (!container_ || !frame_) return;
    if (isShown()) raiseAboveStrips();
    else if (!addKeepingOwnReference(frame_, container_)) return;
    placeScopeSelector(parameter(kStrips));
    const float scope = parameter(kScope);
    scopeSelector_->setValue(scope);
    scopeExplanation_->setValue(scope);
    for (int i = 0; i < entryCount_; ++i) {
        entries_[i].control->setValue(parameter(entries_[i].layout->tag));
        refreshText(entries_[i]);
    }
    container_->invalid();
}

void BackPanel::hide() {
    if (isShown()) frame_->removeView(container_, true);
}

void BackPanel::placeScopeSelector(float strips) {
    if (!scopeSelector_) return;
    const bool stripsOn = std::isfinite(strips) && static_cast<int>(strips + 0.5f) == 1;
    CRect size = scopeSelector_->getViewSize();
    size.right = stripsOn ? settings_layout::kScopeSelectorWidthWithStrips
                          : settings_layout::kScopeSelectorWidthWithoutStrips;
    scopeSelector_->setViewSize(size);
    scopeSelector_->setMouseableArea(size);
}

void BackPanel::raiseAboveStrips() {
    // A strip that the layout brought back lands on top of the frame's views.
    if (!isShown() || frame_->getView(frame_->getNbViews() - 1) == container_) return;
    frame_->removeView(container_, false);  // the frame's reference comes back to us...
    if (!frame_->addView(container_)) container_->forget();  // ...and goes with it again
}

const BackPanel::Entry* BackPanel::entry(std::int32_t tag) const {
    for (int i = 0; i < entryCount_; ++i)
        if (entries_[i].layout->tag == tag) return &entries_[i];
    return nullptr;
}

CControl* BackPanel::control(std::int32_t tag) const {
    const Entry* e = entry(tag);
    return e ? e->control : nullptr;
}

CTextLabel* BackPanel::valueText(std::int32_t tag) const {
    const Entry* e = entry(tag);
    return e ? e->text : nullptr;
}

void BackPanel::refreshText(const Entry& e) {
    if (!e.text) return;
    char text[64] = {};
    if (MeterModel* m = model()) m->getSettingText(e.layout->tag, text);
    if (text[0]) e.text->setText(text);
}

void BackPanel::setParameter(std::int32_t index, float value) {
    if (!container_) return;
    switch (index) {
        case kScope:
            scopeSelector_->setValue(value);
            scopeExplanation_->setValue(value);
            break;
        case kStrips:
            placeScopeSelector(value);
            raiseAboveStrips();
            break;
        case kShowFilters:
        case kShowLabel: raiseAboveStrips(); break;
        default:
            if (const Entry* e = entry(index)) {
                e->control->setValue(value);
                refreshText(*e);
            }
            break;
    }
}

void BackPanel::valueChanged(CControl* control) {
    if (!control || !container_ || !effect_) return;
    const std::int32_t tag = control->getTag();
    if (tag == kScope) {
        scopeExplanation_->setValue(control->getValue());
        return;
    }
    const Entry* e = entry(tag);
    if (!e || e->control != control) return;
    // The front panel may have set the reference already; the effect hears it once.
    if (effect_->getParameter(tag) != control->getValue()) effect_->setParameter(tag, control->getValue());
    refreshText(*e);
}
