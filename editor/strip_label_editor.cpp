#include "editor/strip_label_editor.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "controls/custom_font.h"
#include "controls/editor_fonts.h"
#include "controls/latency_control.h"
#include "controls/text_edits.h"
#include "controls/zeb_buttons.h"
#include "model/parameter_ids.h"
#include "toolkit/toolkit.h"

namespace {

using parameters::kLagTime, parameters::kShowLabel;
constexpr std::int32_t kLabel = CZEBTapeLabel::kTag;
constexpr int kExpandedBackgrounds[3] = {34000, 34100, 34200};
constexpr int kCollapsedBackgrounds[3] = {40100, 41100, 42100};

int backgroundOf(int meter, bool expanded) {
    const int index = meter < 0 ? 0 : meter > 2 ? 2 : meter;
    return expanded ? kExpandedBackgrounds[index] : kCollapsedBackgrounds[index];
}
constexpr CRect kLabelRect(17, 1, 17 + 506, 1 + 34);
constexpr const char* kLinkText = "Master Track";

}  // namespace

std::string cutAtCharacter(const std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t end = maxBytes;
    // Back off continuation bytes (10xxxxxx) to the start of the character they belong to.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

StripLabelEditor::StripLabelEditor(CControlListener* editor, EditorEffect* effect, int meter, bool expanded)
    : StripEditor(editor, effect, backgroundOf(meter, expanded),
                  expanded ? kExpandedHeight : kCollapsedHeight),
      expanded_(expanded) {}

void StripLabelEditor::buildControls() {
    auto* button = new CBitmap(10025);
    showButton_ = add(new COnOffButtonH(CRect(574, 0, 585, 11), editor_, kShowLabel, button));
    button->forget();
    if (!expanded_) {
        auto* caption = new CBitmap(10100);
        caption_ = add(new CMovieBitmap(CRect(506, 2, 533, 13), editor_, 102, 1, 11, caption));
        caption->forget();
        return;
    }
    auto* lag = new CBitmap(34001);
    lagTime_ = add(new CZEBLatencyControl(CRect(541, 1, 567, 41), editor_, kLagTime, lag));
    lag->forget();
    lagTime_->setWheelStep(0.01001f);
    lagTime_->setFineFactor(0.1f);
    label_ = add(new CZEBTapeLabel(kLabelRect, editor_, kLinkText));
    label_->setFont(labelFont());
    label_->setHoriAlign(kCenterText);
    CZEBTextEditTM::EditBoxColors box;
    box.hasText = true;
    box.text = CColor{4, 45, 85, 255};
    box.hasBackground = true;
    box.background = CColor{236, 226, 196, 255};
    label_->setEditBoxColors(box);
}

std::span<const std::int32_t> StripLabelEditor::shownParameters() const {
    static constexpr std::int32_t kAll[] = {kShowLabel, kLagTime, kLabel};
    return kAll;
}

void StripLabelEditor::setParameter(std::int32_t index, float value) {
    switch (index) {
        case kShowLabel:
            if (showButton_) showButton_->setValue(value);
            break;
        case kLagTime:
            if (lagTime_) lagTime_->setValue(value);
            break;
        case kLabel:
            if (label_ && effect_) {
                char text[EditorEffect::kLabelBytes] = {};
                effect_->getLabel(text);
                label_->setText(text);
            }
            break;
        default: break;
    }
}

void StripLabelEditor::valueChanged(CControl* control) {
    if (!control || !effect_) return;
    switch (control->getTag()) {
        case kLagTime: {
            float value = control->getValue();
            if (lagTime_ && control == lagTime_ && lagTime_->getSetDefault()) {
                lagTime_->clearSetDefault();
                // A double click lines the display up with the host's block: the duration of
                // the last block (s) is the display delay's value (1 = 999 ms); before any
                // block the duration is a large stand-in, which gives the longest delay.
                const double blockSeconds = effect_->displayTimeScale() * 1.001001;
                value = std::isfinite(blockSeconds) ? static_cast<float>(std::clamp(blockSeconds, 0.0, 1.0)) : 1.0f;
            }
            effect_->setParameterAutomated(kLagTime, value);
            control->setDirty(true);
            break;
        }
        case kLabel: {
            if (!label_ || control != label_) break;
            const std::string text = cutAtCharacter(label_->getText(), kMaxLabelBytes);
            effect_->setLabel(text.c_str());
            effect_->setParameterAutomated(kLabel, 0.f);
            break;
        }
        default: break;
    }
}

void StripLabelEditor::idle() {
    if (!label_ || !label_->isTextEditing() || !container()) return;
    CFrame* frame = container()->getFrame();
    if (!frame) return;
    const std::uint64_t now = frame->getTicks();
    if (now - lastStepMs_ < kAnimationStepMs) return;
    lastStepMs_ = now;
    animationStep_ = (animationStep_ + 1) % kAnimationSteps;
    // The tape travels along the label and back while the user types.
    const CRect& labelRect = label_->getViewSize();
    const CRect& tape = label_->getAnimationRect();
    const double travel = std::max(0.0, labelRect.getWidth() - tape.getWidth());
    const double half = (kAnimationSteps - 1) / 2.0;
    const double phase = animationStep_ <= half ? animationStep_ / half : (kAnimationSteps - 1 - animationStep_) / half;
    const double left = labelRect.left + phase * travel;
    label_->setAnimationRect(CRect(left, tape.top, left + tape.getWidth(), tape.bottom));
}

// ---- StripLabelSafeEditor

std::unique_ptr<StripEditor> StripLabelSafeEditor::makeVariant(int meter, bool expanded) {
    return std::make_unique<StripLabelEditor>(editor_, effect_, meter, expanded);
}

void StripLabelSafeEditor::idle() {
    if (StripEditor* shown = shownVariant(); shown && !isCollapsed()) shown->idle();
}
