#pragma once
// Base class of a 2.4 effect: adds the 2.x opcodes (identity, pins, speaker arrangements,
// parameter properties, capabilities, editor_ keys) and the 2.x host requests to AudioEffect.
// Defaults answer 0 / false, except that every parameter may be automated and the VST
// version is 2400.
#include "vst2/audioeffect.h"

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback hostCallback, VstInt32 programCount, VstInt32 parameterCount)
        : AudioEffect(hostCallback, programCount, parameterCount) {}

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    // Identity. Buffers hold kVstMaxEffectNameLen / kVstMaxVendorStrLen / kVstMaxProductStrLen.
    virtual bool getEffectName(char* name) { (void)name; return false; }
    virtual bool getVendorString(char* text) { (void)text; return false; }
    virtual bool getProductString(char* text) { (void)text; return false; }
    virtual VstInt32 getVendorVersion() { return 0; }
    virtual VstInt32 getVstVersion() { return kVstVersion; }
    virtual VstPlugCategory getPlugCategory();
    // 1 yes, -1 no, 0 don't know.
    virtual VstInt32 canDo(char* capability) { (void)capability; return 0; }
    // Frames of sound after the input falls silent; 0 = default, 1 = none.
    virtual VstInt32 getTailSize() { return 0; }

    // Parameters.
    virtual bool canParameterBeAutomated(VstInt32 index) { (void)index; return true; }
    // A null text asks whether the conversion is offered at all.
    virtual bool string2parameter(VstInt32 index, char* text) { (void)index; (void)text; return false; }
    virtual bool getParameterProperties(VstInt32 index, VstParameterProperties* properties) {
        (void)index; (void)properties;
        return false;
    }

    // Programs.
    virtual bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) {
        (void)category; (void)index; (void)text;
        return false;
    }
    virtual bool beginSetProgram() { return false; }
    virtual bool endSetProgram() { return false; }
    virtual VstInt32 beginLoadBank(VstPatchChunkInfo* info) { (void)info; return 0; }
    virtual VstInt32 beginLoadProgram(VstPatchChunkInfo* info) { (void)info; return 0; }

    // Pins and channel layouts.
    virtual bool getInputProperties(VstInt32 index, VstPinProperties* properties) {
        (void)index; (void)properties;
        return false;
    }
    virtual bool getOutputProperties(VstInt32 index, VstPinProperties* properties) {
        (void)index; (void)properties;
        return false;
    }
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output) {
        (void)input; (void)output;
        return false;
    }
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** input, VstSpeakerArrangement** output) {
        *input = nullptr;
        *output = nullptr;
        return false;
    }

    // Processing options.
    virtual bool setBypass(bool on) { (void)on; return false; }
    virtual bool setProcessPrecision(VstInt32 precision) { (void)precision; return false; }
    virtual bool setPanLaw(VstInt32 type, float gain) { (void)type; (void)gain; return false; }
    virtual VstInt32 setTotalSampleToProcess(VstInt32 frames) { return frames; }
    virtual VstInt32 startProcess() { return 0; }
    virtual VstInt32 stopProcess() { return 0; }
    virtual VstInt32 processEvents(VstEvents* events) { (void)events; return 0; }
    virtual VstInt32 getNumMidiInputChannels() { return 0; }
    virtual VstInt32 getNumMidiOutputChannels() { return 0; }
    virtual VstInt32 getNextShellPlugin(char* name) { (void)name; return 0; }
    virtual VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
        (void)index; (void)value; (void)ptr; (void)opt;
        return 0;
    }

    // Record flags of the 2.x interface.
    void isSynth(bool state = true) { setFlag(effFlagsIsSynth, state); }
    void noTail(bool state = true) { setFlag(effFlagsNoSoundInStop, state); }

    // Host requests; each answers false / 0 without a host callback.
    bool beginEdit(VstInt32 index) { return callHost(audioMasterBeginEdit, index) != 0; }
    bool endEdit(VstInt32 index) { return callHost(audioMasterEndEdit, index) != 0; }
    bool ioChanged() { return callHost(audioMasterIOChanged) != 0; }
    bool updateDisplay() { return callHost(audioMasterUpdateDisplay) != 0; }
    // Asks the host to resize the editor window to width × height pixels.
    bool sizeWindow(VstInt32 width, VstInt32 height) {
        return callHost(audioMasterSizeWindow, width, height) != 0;
    }
    VstInt32 canHostDo(char* capability) {
        return static_cast<VstInt32>(callHost(audioMasterCanDo, 0, 0, capability));
    }
    VstInt32 getCurrentProcessLevel() { return static_cast<VstInt32>(callHost(audioMasterGetCurrentProcessLevel)); }
};
