#include "editor/strip_filters_editor.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "controls/editor_fonts.h"
#include "controls/text_edits.h"
#include "controls/typed_number.h"
#include "controls/zeb_buttons.h"
#include "controls/zeb_slider.h"
#include "model/parameter_ids.h"
#include "toolkit/toolkit.h"

namespace {

using parameters::kFiltersIn, parameters::kHighPassFrequency, parameters::kHighPassOn, parameters::kHighPassSlope,
    parameters::kLowPassFrequency, parameters::kLowPassOn, parameters::kLowPassSlope, parameters::kShowFilters;

constexpr int kExpandedBackgrounds[3] = {31000, 31100, 31200};
constexpr int kCollapsedBackgrounds[3] = {40100, 41100, 42100};

int backgroundOf(int meter, bool expanded) {
    const int index = meter < 0 ? 0 : meter > 2 ? 2 : meter;
    return expanded ? kExpandedBackgrounds[index] : kCollapsedBackgrounds[index];
}
// Where a frequency text sits over its slider's handle: x = value * 144 + offset.
constexpr double kTextTravel = 144, kTextWidth = 42, kHighPassTextOffset = 45, kLowPassTextOffset = 310;
constexpr double kTextBottom = 15;

// A typed frequency in hertz: "k" stands for the decimal point and a thousand.
double typedFrequency(const char* text, bool& kilo) {
    std::string copy = text ? text : "";
    const std::size_t k = copy.find_first_of("kK");
    kilo = k != std::string::npos;
    if (kilo) copy[k] = '.';
    double number = 0;
    if (!editor::readTypedNumber(copy.c_str(), number)) number = 0;
    return kilo ? number * 1000.0 : number;
}

float logPosition(double hertz, double lowest) {
    // Zero or nothing typed gives minus infinity: the lowest frequency.
    const double value = std::log(std::max(hertz, 0.0) / lowest) / std::log(100.0);
    return std::isnan(value) ? 0.f : static_cast<float>(std::clamp(value, 0.0, 1.0));
}

CBitmap* image(int id) { return new CBitmap(id); }

}  // namespace

float highPassValueFromText(const char* text) {
    bool kilo = false;
    return logPosition(typedFrequency(text, kilo), 20.0);
}

float lowPassValueFromText(const char* text) {
    bool kilo = false;
    double hertz = typedFrequency(text, kilo);
    if (!kilo && hertz >= 0.3 && hertz <= 30.0) hertz *= 1000.0;  // "10" on a low-pass means 10 kHz
    return logPosition(hertz, 300.0);
}

StripFiltersEditor::StripFiltersEditor(CControlListener* editor, EditorEffect* effect, int meter, bool expanded)
    : StripEditor(editor, effect, backgroundOf(meter, expanded),
                  expanded ? kExpandedHeight : kCollapsedHeight),
      expanded_(expanded) {}

void StripFiltersEditor::buildControls() {
    // Each bitmap's reference goes to its control; the local one is dropped at once.
    auto withImage = [](int id, auto make) {
        CBitmap* bitmap = image(id);
        auto* control = make(bitmap);
        bitmap->forget();
        return control;
    };
    showButton_ = add(withImage(10025, [this](CBitmap* b) {
        return new COnOffButtonH(CRect(574, 0, 585, 11), editor_, kShowFilters, b);
    }));
    if (!expanded_) {
        caption_ = add(withImage(10102, [this](CBitmap* b) {
            return new CMovieBitmap(CRect(503, 2, 536, 13), editor_, 102, 1, 11, b);
        }));
        filtersIn_ = add(withImage(10103, [this](CBitmap* b) {
            return new StripActiveButton(CRect(547, 1, 559, 13), editor_, kFiltersIn, b);
        }));
        return;
    }
    filtersIn_ = add(withImage(10020, [this](CBitmap* b) {
        return new StripActiveButton(CRect(541, 4, 572, 34), editor_, kFiltersIn, b);
    }));
    auto onOff = [&](int id, double left, double top, double width, double height, std::int32_t tag) {
        return add(withImage(id, [&](CBitmap* b) {
            return new CZEBOnOffButtonAH(CRect(left, top, left + width, top + height), editor_, tag, b);
        }));
    };
    highPassOn_ = onOff(10021, 16, 20, 36, 12, kHighPassOn);
    lowPassOn_ = onOff(10021, 281, 20, 36, 12, kLowPassOn);
    auto frequency = [&](double left, std::int32_t tag) {
        auto* slider = add(withImage(10024, [&](CBitmap* b) {
            return new CZEBSliderAH(CRect(left, 10, left + 162, 42), editor_, tag, b, nullptr, kHorizontal | kLeft);
        }));
        slider->setWheelStep(0.025f);
        slider->setFineFactor(0.1f);
        return slider;
    };
    highPassFrequency_ = frequency(58, kHighPassFrequency);
    highPassFrequency_->setDefaultValue(0.0f);  // 20 Hz
    lowPassFrequency_ = frequency(323, kLowPassFrequency);
    lowPassFrequency_->setDefaultValue(1.0f);   // 30 kHz
    for (CZEBOnOffButtonAH** slope : {&highPassSlope_, &lowPassSlope_}) {
        const bool low = slope == &lowPassSlope_;
        *slope = onOff(31001, low ? 489 : 223, 8, 29, 24, low ? kLowPassSlope : kHighPassSlope);
        (*slope)->setRocker(true);
        (*slope)->setWheelDirection(true);
    }
    for (CMyTextEditAH** text : {&highPassText_, &lowPassText_}) {
        const bool low = text == &lowPassText_;
        *text = add(new CMyTextEditAH(CRect(0, 0, kTextWidth, kTextBottom), editor_,
                                      low ? kLowPassTextTag : kHighPassTextTag));
        (*text)->setFont(smallTextFont());
        (*text)->setFontColor(kFrequencyTextColor);
        (*text)->setTransparency(true);
        (*text)->setStyle(kNoFrame);
        (*text)->setHoriAlign(kCenterText);
        CZEBTextEditTM::EditBoxColors box;
        box.hasText = true;
        box.text = kFrequencyTextColor;
        box.hasBackground = true;
        box.background = CColor{24, 22, 21, 255};
        (*text)->setEditBoxColors(box);
    }
}

std::span<const std::int32_t> StripFiltersEditor::shownParameters() const {
    static constexpr std::int32_t kAll[] = {kShowFilters,       kFiltersIn, kHighPassOn,   kHighPassSlope,
                                        kHighPassFrequency, kLowPassOn, kLowPassSlope, kLowPassFrequency};
    return kAll;
}

void StripFiltersEditor::followHandle(bool lowPass, float value) {
    CMyTextEditAH* text = frequencyText(lowPass);
    if (!text || !effect_) return;
    const double x = std::clamp(value, 0.f, 1.f) * kTextTravel + (lowPass ? kLowPassTextOffset : kHighPassTextOffset);
    text->setViewSize(CRect(x, 0, x + kTextWidth, kTextBottom));
    char display[parameters::kTextLength + 8] = {};
    effect_->getParameterDisplay(lowPass ? kLowPassFrequency : kHighPassFrequency, display);
    text->setText(display);
    if (container()) container()->setDirty(true);
}

void StripFiltersEditor::setParameter(std::int32_t index, float value) {
    CControl* target = nullptr;
    switch (index) {
        case kShowFilters: target = showButton_; break;
        case kFiltersIn: target = filtersIn_; break;
        case kHighPassOn: target = highPassOn_; break;
        case kHighPassSlope: target = highPassSlope_; break;
        case kLowPassOn: target = lowPassOn_; break;
        case kLowPassSlope: target = lowPassSlope_; break;
        case kHighPassFrequency:
        case kLowPassFrequency: {
            const bool low = index == kLowPassFrequency;
            if (CZEBSliderAH* s = slider(low)) s->setValue(value);
            followHandle(low, value);
            return;
        }
        default: return;
    }
    if (target) target->setValue(value);
}

void StripFiltersEditor::valueChanged(CControl* control) {
    if (!control || !effect_) return;
    const std::int32_t tag = control->getTag();
    // "ShowFlt" (7) is the editor's own: it reports it to the host once.
    if (tag > kShowFilters && tag <= kLowPassFrequency) {
        effect_->setParameterAutomated(tag, control->getValue());
        control->setDirty(true);
    } else if (tag == kHighPassTextTag || tag == kLowPassTextTag) {
        const bool low = tag == kLowPassTextTag;
        const std::string typed = static_cast<CMyTextEditAH*>(control)->getText();
        effect_->setParameterAutomated(low ? kLowPassFrequency : kHighPassFrequency,
                                       low ? lowPassValueFromText(typed.c_str()) : highPassValueFromText(typed.c_str()));
        // Whatever was typed, the field shows the frequency now set.
        followHandle(low, effect_->getParameter(low ? kLowPassFrequency : kHighPassFrequency));
    }
}

void StripFiltersEditor::setActive(bool active) {
    for (CZEBOnOffButtonAH* button : {static_cast<CZEBOnOffButtonAH*>(filtersIn_), highPassOn_, lowPassOn_,
                                      highPassSlope_, lowPassSlope_})
        if (button) button->setActive(active);
    for (CZEBSliderAH* s : {highPassFrequency_, lowPassFrequency_})
        if (s) s->setActive(active);
    for (CMyTextEditAH* t : {highPassText_, lowPassText_})
        if (t) t->setActive(active);
}

// ---- StripFiltersSafeEditor

std::unique_ptr<StripEditor> StripFiltersSafeEditor::makeVariant(int meter, bool expanded) {
    return std::make_unique<StripFiltersEditor>(editor_, effect_, meter, expanded);
}

void StripFiltersSafeEditor::setProcessActive(bool active) {
    for (auto& v : variants_)
        if (v) v->setActive(active);
}
