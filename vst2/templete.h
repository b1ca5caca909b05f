#pragma once
// The VST 2.4 effect: answers the host for the format-neutral effect it owns (identity,
// pins, parameter names and properties, the chunk) and keeps the program layer's slots.
#include <atomic>
#include <memory>

#include "core/meter_effect.h"
#include "vst2/preset_system_effect.h"

class Templete : public CPresetSystemEffect, private FormatLink {
public:
    static constexpr VstInt32 kUniqueId = ('Z' << 24) | ('B' << 16) | ('A' << 8) | 'M';
    static constexpr int kChunkSize = MeterEffect::kChunkSize;
    static constexpr int kLabelSize = MeterEffect::kLabelSize;

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
    // The editor's display scale as hosts state it ('PreS', 'AeCs', the factor in `opt`),
    // from their GUI thread like the other editor calls; it waits for the editor's lock.
    VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    // Parameters.
    void setParameter(VstInt32 index, float value) override { core_.setParameter(index, value); }
    float getParameter(VstInt32 index) override { return core_.getParameter(index); }
    void getParameterName(VstInt32 index, char* text) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override { core_.getParameterDisplay(index, text); }
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

    // The format-neutral effect, and what the editor and the command-line host read of it.
    MeterEffect& core() { return core_; }
    const MeterEffect& core() const { return core_; }
    RMSMeter* rmsMeter() { return core_.rmsMeter(); }
    VUmeter* vuMeter() { return core_.vuMeter(); }
    PPMmeter* ppmMeter() { return core_.ppmMeter(); }
    int meterType() const { return core_.meterType(); }
    MeterModel* selectedMeter() { return core_.selectedMeter(); }
    MeterModel* meterModel(int type) { return core_.meterModel(type); }
    void getLabel(char out[kLabelSize]) const { core_.getLabel(out); }
    void setLabel(const char* text) { core_.setLabel(text); }
    double lastBlockTime() const { return core_.lastBlockTime(); }
    double blockDuration() const { return core_.blockDuration(); }
    const StripFilterBank& filterBank() const { return core_.filterBank(); }
    float trimTargetGain() const { return core_.trimTargetGain(); }

private:
    // FormatLink: the editor's edits go to the host as automation; every host parameter
    // change lands in the current program slot.
    void automateParameter(int index, float value) override { CPresetSystemEffect::setParameterAutomated(index, value); }
    void hostParameterChanged(int index, float value) override { mirrorIntoCurrentSlot(index, value); }

    std::unique_ptr<unsigned char[]> chunk_;  // the state chunk handed to the host
    std::atomic<bool> inputStereo_{true};     // from the speaker arrangement
    std::atomic<bool> outputStereo_{true};
    MeterEffect core_;  // built after the program layer, whose slots it fills
};
