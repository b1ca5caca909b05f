#include "views/meter_panels.h"

#include <algorithm>
#include <cmath>

#include "views/back_panels.h"
#include "views/meter_display.h"

// ---- RMS

const CZEBMeterFULLPANEL::Face CZEBRMSMeterFULLPANEL::kFace{1, 41001, 41005, 41011, 41012, 41006, 72, 0.667f};

CZEBRMSMeterFULLPANEL::CZEBRMSMeterFULLPANEL(CControlListener* editor, EditorEffect* effect)
    : CZEBMeterFULLPANEL(kFace, editor, effect) {}

CZEBMeter2* CZEBRMSMeterFULLPANEL::makeMeter(const CPoint& topLeft) { return new CZEBRMSMeter2(topLeft, editor_); }

std::unique_ptr<BackPanel> CZEBRMSMeterFULLPANEL::makeSettingsPanel() {
    return std::make_unique<RMSBackPanel>(editor_, effect_);
}

void CZEBRMSMeterFULLPANEL::apply(CZEBMeter2& meter, const Readout& readout) {
    CZEBMeterFULLPANEL::apply(meter, readout);
    const double rms = readout.rms >= 0.0001 ? std::min(readout.rms, 32.0) : 0.0001;
    static_cast<CZEBRMSMeter2&>(meter).setRmsValue(static_cast<float>(rms));
}

// ---- VU

const CZEBMeterFULLPANEL::Face CZEBVUMeterFULLPANEL::kFace{0, 10000, 10005, 40011, 40012, 10006, 83, 0.25f};

CZEBVUMeterFULLPANEL::CZEBVUMeterFULLPANEL(CControlListener* editor, EditorEffect* effect)
    : CZEBMeterFULLPANEL(kFace, editor, effect) {}

CZEBMeter2* CZEBVUMeterFULLPANEL::makeMeter(const CPoint& topLeft) { return new CZEBVUMeter2(topLeft, editor_); }

std::unique_ptr<BackPanel> CZEBVUMeterFULLPANEL::makeSettingsPanel() {
    return std::make_unique<VUBackPanel>(editor_, effect_);
}

bool CZEBVUMeterFULLPANEL::open(CFrame* frame) {
    if (!CZEBMeterFULLPANEL::open(frame)) return false;
    applyBacklight(effect_ ? effect_->getParameter(kBacklightSetting) : 0.5f);
    return true;
}

void CZEBVUMeterFULLPANEL::setParameter(std::int32_t index, float value) {
    CZEBMeterFULLPANEL::setParameter(index, value);
    if (index == kBacklightSetting) applyBacklight(value);
}

void CZEBVUMeterFULLPANEL::applyBacklight(float value) {
    const int level = std::isfinite(value) ? static_cast<int>(std::clamp(value, 0.f, 1.f) * 4.f + 0.5f) : 2;
    for (int channel = 0; channel < 2; ++channel)
        if (auto* vu = static_cast<CZEBVUMeter2*>(meter(channel))) {
            vu->setBacklightLevel(level);
            vu->invalidateChanges();
        }
}

// ---- PPM

const CZEBMeterFULLPANEL::Face CZEBPPMMeterFULLPANEL::kFace{2, 42001, 42005, 42011, 42012, 42006, 93, 0.5f};

CZEBPPMMeterFULLPANEL::CZEBPPMMeterFULLPANEL(CControlListener* editor, EditorEffect* effect)
    : CZEBMeterFULLPANEL(kFace, editor, effect) {}

CZEBMeter2* CZEBPPMMeterFULLPANEL::makeMeter(const CPoint& topLeft) { return new CZEBPPMMeter2(topLeft, editor_); }

std::unique_ptr<BackPanel> CZEBPPMMeterFULLPANEL::makeSettingsPanel() {
    return std::make_unique<PPMBackPanel>(editor_, effect_);
}
