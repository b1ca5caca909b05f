#pragma once
// The effect: answers the host, keeps the parameters, runs the audio path (trim, strip
// filters) and feeds the selected meter model; saves and restores itself as a state chunk.
#include <atomic>
#include <memory>

#include "core/editor_effect.h"
#include "core/strip_filter_bank.h"
#include "core/trim_smoother.h"
#include "metering/ppm_meter.h"
#include "metering/rms_meter.h"
#include "metering/vu_meter.h"
#include "platform/instance_lock.h"
#include "vst2/preset_system_effect.h"

class Templete : public CPresetSystemEffect, public MeterOwner, public EditorEffect {
public:
    static constexpr VstInt32 kUniqueId = ('Z' << 24) | ('B' << 16) | ('A' << 8) | 'M';
    static constexpr int kChunkSize = 596;
    static constexpr int kLabelSize = EditorEffect::kLabelBytes;

    explicit Templete(audioMasterCallback hostCallback);
    ~Templete() override;

    // Identity and capabilities.
    bool getEffectName(char* name) override;
    bool getProductString(char* text) override;
    bool getVendorString(char* text) override;
    VstInt32 getVendorVersion() override { return 3030; }
    VstInt32 getVstVersion() override { return 2400; }
    VstPlugCategory getPlugCategory() override { return kPlugCategMastering; }
    VstInt32 getTailSize() override { return 0; }
    VstInt32 canDo(char* capability) override;
    bool getInputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output) override;
    bool setBypass(bool) override { return false; }
    bool setProcessPrecision(VstInt32) override { return false; }
    bool setPanLaw(VstInt32, float) override { return false; }

    // Parameters.
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void setParameterAutomated(VstInt32 index, float value) override {
        CPresetSystemEffect::setParameterAutomated(index, value);
    }
    void getParameterName(VstInt32 index, char* text) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    bool getParameterProperties(VstInt32 index, VstParameterProperties* properties) override;
    bool canParameterBeAutomated(VstInt32 index) override;
    bool string2parameter(VstInt32, char*) override { return false; }

    // Lifecycle and audio.
    void setSampleRate(float rate) override;
    void setBlockSize(VstInt32 size) override;
    void suspend() override;
    void resume() override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;

    // State.
    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;

    // For the editor and the command-line host.
    RMSMeter* rmsMeter() { return rms_.get(); }
    VUmeter* vuMeter() { return vu_.get(); }
    PPMmeter* ppmMeter() { return ppm_.get(); }
    // The meter that is fed: 0 VU, 1 RMS, 2 PPM.
    int meterType() const { return meterType_.load(std::memory_order_relaxed); }
    MeterModel* selectedMeter();
    // The strip label, NUL-terminated within its 40 bytes.
    void getLabel(char out[kLabelSize]) const override;
    void setLabel(const char* text) override;
    void setEditorSink(EditorParameterSink* sink) override { editorSink_.store(sink, std::memory_order_release); }
    // Block clock: editor-clock time of the last block and its duration, seconds.
    double lastBlockTime() const { return lastBlockTime_.load(std::memory_order_relaxed); }
    double blockDuration() const { return blockDuration_.load(std::memory_order_relaxed); }
    double displayTimeOrigin() const override { return lastBlockTime(); }
    double displayTimeScale() const override { return blockDuration(); }
    MeterModel* meterModel(int type) override;
    const StripFilterBank& filterBank() const { return *filters_; }
    float trimTargetGain() const { return trim_.target(); }

private:
    void applyParameter(int index, float x);
    void forEachMeter(void (*fn)(MeterModel&, float), float x);
    void stereoPath(float** inputs, float** outputs, int frames, bool stereoIn);
    void monoPath(float** inputs, float** outputs, int frames);
    void feedMeter(const float* left, const float* right, int frames, bool mono);

    std::unique_ptr<platform::InstanceLock> lock_;  // held for construction, blocks, filter changes
    std::unique_ptr<unsigned char[]> chunk_;        // the state chunk handed to the host
    std::unique_ptr<RMSMeter> rms_;
    std::unique_ptr<VUmeter> vu_;
    std::unique_ptr<PPMmeter> ppm_;
    std::unique_ptr<StripFilterBank> filters_;
    TrimSmoother trim_;

    std::atomic<float> values_[64];          // host parameters and spares, as last given
    std::atomic<float> meterSettings_[29];   // copies of the meter settings 72..100
    std::atomic<int> processing_{0};         // "Process"
    std::atomic<int> filtersIn_{0};          // "ProcFlt"
    std::atomic<int> meterType_{0};          // "Meter": 0 VU, 1 RMS, 2 PPM
    std::atomic<bool> inputStereo_{true};    // from the speaker arrangement
    std::atomic<bool> outputStereo_{true};
    std::atomic<double> lastBlockTime_{0.0}; // seconds on the editor clock
    std::atomic<double> blockDuration_{256.0};
    std::atomic<char> label_[kLabelSize];    // the strip label
    std::atomic<EditorParameterSink*> editorSink_{nullptr};  // the editor, when there is one
};
