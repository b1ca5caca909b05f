#pragma once
// A minimal host for the effect: creates it through the entry point and talks to it only
// through its AEffect record, recording what the effect asks of the host.
#include <cstring>
#include <string>
#include <vector>

#include "metering/meter_settings_store.h"
#include "vst2/create_effect.h"
#include "vst2/templete.h"

struct HostLog {
    int version = 2400;           // answer to audioMasterVersion
    bool pinsConnected = true;    // answer to audioMasterPinConnected
    std::vector<std::pair<int, float>> automated;
};

inline HostLog gHost;

inline VstIntPtr VSTCALLBACK testHostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) {
    switch (opcode) {
        case audioMasterVersion: return gHost.version;
        case audioMasterPinConnected: return gHost.pinsConnected ? 0 : 1;
        case audioMasterAutomate: gHost.automated.emplace_back(index, opt); return 1;
        default: return 0;
    }
}

class EffectHost {
public:
    EffectHost() {
        gHost = HostLog{};
        effect_ = createEffect(testHostCallback);
    }
    ~EffectHost() {
        if (effect_) dispatch(effClose);
    }
    EffectHost(const EffectHost&) = delete;
    EffectHost& operator=(const EffectHost&) = delete;

    AEffect* effect() const { return effect_; }
    Templete& object() const { return *static_cast<Templete*>(effect_->object); }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) {
        return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
    }
    void set(int index, float value) { effect_->setParameter(effect_, index, value); }
    float get(int index) { return effect_->getParameter(effect_, index); }
    std::string display(int index) {
        char text[64];
        std::memset(text, 'x', sizeof text);
        text[63] = 0;
        dispatch(effGetParamDisplay, index, 0, text);
        return text;
    }
    std::string name(int index) {
        char text[64] = "junk";
        dispatch(effGetParamName, index, 0, text);
        return text;
    }
    void start(float rate = 44100.0f, int block = 512) {
        dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        dispatch(effSetBlockSize, 0, block);
        dispatch(effMainsChanged, 0, 1);
    }
    // Runs stereo buffers in place of the host's.
    void process(std::vector<float>& left, std::vector<float>& right, std::vector<float>& outLeft,
                 std::vector<float>& outRight) {
        float* in[2] = {left.data(), right.data()};
        float* out[2] = {outLeft.data(), outRight.data()};
        effect_->processReplacing(effect_, in, out, static_cast<VstInt32>(left.size()));
    }

private:
    AEffect* effect_ = nullptr;
};

// Puts the process-wide stores and defaults back to what a freshly loaded library has.
inline void resetProcessDefaults() {
    meter_settings::globalStore().fillWithDefaults();
    meter_settings::sessionStore().fillWithDefaults();
    meter_settings::setDefaultScope(meter_settings::kSession);
    meter_settings::setDefaultMeterType(meter_settings::kVU);
}
