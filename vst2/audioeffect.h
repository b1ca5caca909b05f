#pragma once
// Base class of an effect: owns the AEffect record handed to the host, turns the record's C
// entries into virtual calls and answers the 1.0 opcodes. Every virtual has a harmless
// default, so an effect overrides only what it offers.
//
// Host input is untrusted. The dispatcher does not call a virtual when the host passes a
// null pointer that the virtual would dereference (text buffers, rectangles, chunk and pin
// records); such calls answer 0. Non-finite sample rates, block sizes below 1, NaN parameter
// values and process calls without buffers or frames are dropped before reaching the effect.
#include "vst2/aeffectx.h"

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(audioMasterCallback hostCallback, VstInt32 programCount, VstInt32 parameterCount);
    // Also destroys the editor, if one was set.
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // The record the entry point returns to the host.
    AEffect* getAeffect() { return &effectRecord_; }

    // Answers one host request. effClose destroys the object after this returns (see the
    // record's dispatcher entry), so an override must not touch the object afterwards.
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    // Lifecycle.
    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}

    // Programs. Names are at most kVstMaxProgNameLen bytes with the terminating zero.
    virtual void setProgram(VstInt32 program) { currentProgram_ = program; }
    virtual VstInt32 getProgram() { return currentProgram_; }
    virtual void setProgramName(char* name) { (void)name; }
    virtual void getProgramName(char* name) { *name = 0; }

    // Parameters: normalised values 0..1 addressed by index.
    virtual void setParameter(VstInt32 index, float value) { (void)index; (void)value; }
    virtual float getParameter(VstInt32 index) { (void)index; return 0.0f; }
    // A change made by the user on the effect's own editor: applied, then reported to the
    // host for automation recording (host parameters only).
    virtual void setParameterAutomated(VstInt32 index, float value);
    virtual void getParameterLabel(VstInt32 index, char* label) { (void)index; *label = 0; }
    virtual void getParameterDisplay(VstInt32 index, char* text) { (void)index; *text = 0; }
    virtual void getParameterName(VstInt32 index, char* text) { (void)index; *text = 0; }

    // Audio.
    virtual void setSampleRate(float rate) { sampleRate_ = rate; }
    virtual void setBlockSize(VstInt32 size) { blockSize_ = size; }
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    virtual void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) {
        (void)inputs; (void)outputs; (void)sampleFrames;
    }

    // State: *data points at effect-owned bytes that stay valid until the next call.
    virtual VstInt32 getChunk(void** data, bool isPreset) { (void)data; (void)isPreset; return 0; }
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) {
        (void)data; (void)byteSize; (void)isPreset;
        return 0;
    }

    // Filling in the record (normally from the effect's constructor).
    void setUniqueID(VstInt32 id) { effectRecord_.uniqueID = id; }
    void setNumInputs(VstInt32 count) { effectRecord_.numInputs = count; }
    void setNumOutputs(VstInt32 count) { effectRecord_.numOutputs = count; }
    void setInitialDelay(VstInt32 frames) { effectRecord_.initialDelay = frames; }
    void setEffectVersion(VstInt32 version) { effectRecord_.version = version; }
    void canProcessReplacing(bool state = true) { setFlag(effFlagsCanReplacing, state); }
    void canDoubleReplacing(bool state = true) { setFlag(effFlagsCanDoubleReplacing, state); }
    void programsAreChunks(bool state = true) { setFlag(effFlagsProgramChunks, state); }
    // Takes ownership of the editor and announces it (effFlagsHasEditor); null removes the
    // announcement without deleting anything.
    void setEditor(AEffEditor* newEditor);

    AEffEditor* getEditor() const { return editor_; }
    float getSampleRate() const { return sampleRate_; }
    VstInt32 getBlockSize() const { return blockSize_; }
    audioMasterCallback getHostCallback() const { return hostCallback_; }

    // Host queries; all answer sensibly without a host callback.
    // The host's interface version; 1 when it has no callback or answers 0.
    VstInt32 getMasterVersion();
    // Whether the host feeds / reads the pin; assumed true when it cannot tell.
    bool isInputConnected(VstInt32 pin);
    bool isOutputConnected(VstInt32 pin);

protected:
    // Calls the host callback; 0 when there is none.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    void setFlag(VstInt32 flag, bool state);

    AEffect effectRecord_;             // handed to the host; object points back at this
    audioMasterCallback hostCallback_; // may be null (test harnesses)
    AEffEditor* editor_ = nullptr;     // owned
    float sampleRate_ = 44100.0f;      // Hz, as last set by the host
    VstInt32 blockSize_ = 1024;        // frames, largest block the host announced
    VstInt32 programCount_;            // programs announced to the host
    VstInt32 parameterCount_;          // parameters announced to the host
    VstInt32 currentProgram_ = 0;      // index of the program in use
};
