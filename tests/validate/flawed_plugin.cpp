// A small stereo gain effect for the validator's own tests, built once sound and once with
// each of the faults the validator must catch (chosen by a compile definition):
//   FLAW_NAN        writes a NaN into the last sample of every block of 32 frames or more
//   FLAW_CHUNK      saves a different state each time it is asked
//   FLAW_ALLOCATES  allocates on the heap in processReplacing
//   FLAW_WAITS      takes a plain mutex in processReplacing, which may wait for ever
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>

#include "vst2/audioeffectx.h"
#include "vst2/plugin_entry.h"

namespace {

constexpr VstInt32 kParameters = 2;  // 0 "Gain" (continuous), 1 "Invert" (a switch)

class FlawedGain : public AudioEffectX {
public:
    explicit FlawedGain(audioMasterCallback host) : AudioEffectX(host, 1, kParameters) {
        setNumInputs(2);
        setNumOutputs(2);
        setUniqueID(vstFourCharCode('V', 'a', 'l', 'T'));
        canProcessReplacing();
        programsAreChunks();
    }

    void setParameter(VstInt32 index, float value) override {
        if (index >= 0 && index < kParameters && std::isfinite(value))
            values_[index].store(value < 0.0f ? 0.0f : value > 1.0f ? 1.0f : value);
    }
    float getParameter(VstInt32 index) override { return index >= 0 && index < kParameters ? values_[index].load() : 0.0f; }
    void getParameterName(VstInt32 index, char* text) override {
        std::strcpy(text, index == 0 ? "Gain" : index == 1 ? "Invert" : "");
    }
    void getParameterLabel(VstInt32, char* text) override { text[0] = 0; }
    void getParameterDisplay(VstInt32 index, char* text) override {
        if (index == 0)
            std::snprintf(text, kVstMaxParamStrLen + 1, "%.3f", static_cast<double>(values_[0].load()));
        else
            std::strcpy(text, index == 1 ? (inverted() ? "On" : "Off") : "");
    }
    bool getParameterProperties(VstInt32 index, VstParameterProperties* properties) override {
        if (index != 1 || !properties) return false;
        properties->flags = kVstParameterIsSwitch | kVstParameterUsesFloatStep;
        properties->stepFloat = properties->smallStepFloat = properties->largeStepFloat = 1.0f;
        std::strcpy(properties->label, "Invert");
        std::strcpy(properties->shortLabel, "Invert");
        return true;
    }
    bool canParameterBeAutomated(VstInt32 index) override { return index >= 0 && index < kParameters; }

    VstInt32 getChunk(void** data, bool) override {
        for (VstInt32 index = 0; index < kParameters; ++index) chunk_[index] = values_[index].load();
#if defined(FLAW_CHUNK)
        chunk_[kParameters] = static_cast<float>(++saves_);
#endif
        *data = chunk_;
        return sizeof chunk_;
    }
    VstInt32 setChunk(void* data, VstInt32 size, bool) override {
        float values[kParameters] = {};
        if (data && size > 0)
            std::memcpy(values, data, std::min(static_cast<std::size_t>(size), sizeof values));
        for (VstInt32 index = 0; index < kParameters; ++index) setParameter(index, values[index]);
        return 0;
    }

    bool getEffectName(char* text) override { return copy(text, "Flawed Gain"); }
    bool getProductString(char* text) override { return copy(text, "Flawed Gain"); }
    bool getVendorString(char* text) override { return copy(text, "Aldermark Tests"); }
    VstInt32 getVendorVersion() override { return 1; }
    VstPlugCategory getPlugCategory() override { return kPlugCategEffect; }
    VstInt32 canDo(char* text) override { return text && std::strcmp(text, "2in2out") == 0 ? 1 : 0; }

    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override {
        const float gain = (inverted() ? -2.0f : 2.0f) * values_[0].load();
#if defined(FLAW_ALLOCATES)
        // Through a volatile pointer, so that the compiler cannot drop the pair.
        static void* (*volatile allocate)(std::size_t) = std::malloc;
        std::free(allocate(sizeof(float) * static_cast<std::size_t>(frames)));
#endif
#if defined(FLAW_WAITS)
        std::lock_guard<std::mutex> hold(mutex_);
#endif
        for (int channel = 0; channel < 2; ++channel)
            for (VstInt32 i = 0; i < frames; ++i) outputs[channel][i] = gain * inputs[channel][i];
#if defined(FLAW_NAN)
        if (frames >= 32) outputs[0][frames - 1] = std::numeric_limits<float>::quiet_NaN();
#endif
    }

private:
#if defined(FLAW_WAITS)
    std::mutex mutex_;
#endif
    bool inverted() const { return values_[1].load() >= 0.5f; }
    static bool copy(char* text, const char* value) {
        std::strcpy(text, value);
        return true;
    }

    // Set from the host's threads while the audio thread reads them.
    std::atomic<float> values_[kParameters] = {0.5f, 0.0f};
    float chunk_[kParameters + 1] = {};
    int saves_ = 0;
};

}  // namespace

extern "C" VST_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host) {
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    return (new FlawedGain(host))->getAeffect();
}
VST_EXPORT_MAIN_ALIAS
