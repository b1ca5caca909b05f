#pragma once
// The three front faces: RMS, VU and PPM, each with its own images, reference setting,
// meter controls, model and settings panel.
#include "views/meter_panel.h"

class CZEBRMSMeterFULLPANEL : public CZEBMeterFULLPANEL {
public:
    static const Face kFace;
    CZEBRMSMeterFULLPANEL(CControlListener* editor, EditorEffect* effect);

protected:
    CZEBMeter2* makeMeter(const CPoint& topLeft) override;
    std::unique_ptr<BackPanel> makeSettingsPanel() override;
    // The RMS needle rides along with the peak needle.
    void apply(CZEBMeter2& meter, const Readout& readout) override;
};

class CZEBVUMeterFULLPANEL : public CZEBMeterFULLPANEL {
public:
    static const Face kFace;
    static constexpr std::int32_t kBacklightSetting = 88;
    CZEBVUMeterFULLPANEL(CControlListener* editor, EditorEffect* effect);

    bool open(CFrame* frame) override;
    void setParameter(std::int32_t index, float value) override;

protected:
    CZEBMeter2* makeMeter(const CPoint& topLeft) override;
    std::unique_ptr<BackPanel> makeSettingsPanel() override;

private:
    void applyBacklight(float value);
};

class CZEBPPMMeterFULLPANEL : public CZEBMeterFULLPANEL {
public:
    static const Face kFace;
    CZEBPPMMeterFULLPANEL(CControlListener* editor, EditorEffect* effect);

protected:
    CZEBMeter2* makeMeter(const CPoint& topLeft) override;
    std::unique_ptr<BackPanel> makeSettingsPanel() override;
};
