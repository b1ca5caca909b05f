#pragma once
// A small effect for the interface-layer tests: every virtual it overrides appends one line
// "name args" to a log, so a test can see which operation an opcode reached and with what.
#include <cstring>
#include <string>
#include <vector>

#include "vst2/aeffeditor.h"
#include "vst2/audioeffectx.h"

struct CallLog {
    std::vector<std::string> lines;
    int destroyed = 0;
    bool contains(const std::string& line) const {
        for (const auto& l : lines)
            if (l == line) return true;
        return false;
    }
    bool anyStartingWith(const std::string& prefix) const {
        for (const auto& l : lines)
            if (l.rfind(prefix, 0) == 0) return true;
        return false;
    }
};

class RecordingEffect : public AudioEffectX {
public:
    RecordingEffect(audioMasterCallback host, CallLog& log, VstInt32 programs = 1, VstInt32 params = 4)
        : AudioEffectX(host, programs, params), log_(log) {}
    ~RecordingEffect() override { ++log_.destroyed; }

    void record(const std::string& line) { log_.lines.push_back(line); }
    static std::string n(long long v) { return std::to_string(v); }

    void open() override { record("open"); }
    void close() override { record("close"); }
    void suspend() override { record("suspend"); }
    void resume() override { record("resume"); }

    void setProgram(VstInt32 p) override { record("setProgram " + n(p)); }
    VstInt32 getProgram() override { record("getProgram"); return 7; }
    void setProgramName(char* name) override { record(std::string("setProgramName ") + name); }
    void getProgramName(char* name) override { record("getProgramName"); std::strcpy(name, "Prog"); }
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override {
        record("getProgramNameIndexed " + n(category) + " " + n(index));
        std::strcpy(text, "Slot");
        return index == 2;
    }

    void setParameter(VstInt32 index, float value) override {
        record("setParameter " + n(index) + " " + std::to_string(value));
        if (index >= 0 && index < 4) values_[index] = value;
    }
    float getParameter(VstInt32 index) override { return index >= 0 && index < 4 ? values_[index] : -1.0f; }
    void getParameterLabel(VstInt32 index, char* text) override {
        record("getParameterLabel " + n(index));
        std::strcpy(text, "dB");
    }
    void getParameterDisplay(VstInt32 index, char* text) override {
        record("getParameterDisplay " + n(index));
        std::strcpy(text, "0.5");
    }
    void getParameterName(VstInt32 index, char* text) override {
        record("getParameterName " + n(index));
        std::strcpy(text, "Gain");
    }
    bool canParameterBeAutomated(VstInt32 index) override { return index < 2; }
    bool string2parameter(VstInt32 index, char* text) override {
        record("string2parameter " + n(index) + " " + (text ? text : "(null)"));
        return true;
    }
    bool getParameterProperties(VstInt32 index, VstParameterProperties* p) override {
        record("getParameterProperties " + n(index));
        p->flags = kVstParameterIsSwitch;
        return true;
    }

    void setSampleRate(float rate) override {
        record("setSampleRate " + n(static_cast<long long>(rate)));
        AudioEffectX::setSampleRate(rate);
    }
    void setBlockSize(VstInt32 size) override {
        record("setBlockSize " + n(size));
        AudioEffectX::setBlockSize(size);
    }
    void processReplacing(float** in, float** out, VstInt32 frames) override {
        record("processReplacing " + n(frames));
        for (VstInt32 i = 0; i < frames; ++i) out[0][i] = in ? 2.0f * in[0][i] : 0.0f;
    }
    void processDoubleReplacing(double**, double**, VstInt32 frames) override {
        record("processDoubleReplacing " + n(frames));
    }

    VstInt32 getChunk(void** data, bool isPreset) override {
        record(std::string("getChunk ") + (isPreset ? "preset" : "bank"));
        *data = chunk_;
        return sizeof chunk_;
    }
    VstInt32 setChunk(void* data, VstInt32 size, bool isPreset) override {
        record("setChunk " + n(size) + (isPreset ? " preset " : " bank ") + static_cast<char*>(data));
        return 1;
    }

    bool getEffectName(char* t) override { std::strcpy(t, "Recorder"); return true; }
    bool getVendorString(char* t) override { std::strcpy(t, "Vendor"); return true; }
    bool getProductString(char* t) override { std::strcpy(t, "Product"); return true; }
    VstInt32 getVendorVersion() override { return 3030; }
    VstPlugCategory getPlugCategory() override { return kPlugCategMastering; }
    VstInt32 canDo(char* text) override { return std::strcmp(text, "1in1out") == 0 ? 1 : -1; }
    VstInt32 getTailSize() override { return 5; }

    bool getInputProperties(VstInt32 index, VstPinProperties* p) override {
        record("getInputProperties " + n(index));
        p->flags = kVstPinIsActive;
        return true;
    }
    bool getOutputProperties(VstInt32 index, VstPinProperties* p) override {
        record("getOutputProperties " + n(index));
        p->flags = kVstPinIsStereo;
        return true;
    }
    bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override {
        record("setSpeakerArrangement " + n(in->numChannels) + " " + n(out->numChannels));
        return true;
    }
    bool getSpeakerArrangement(VstSpeakerArrangement** in, VstSpeakerArrangement** out) override {
        record("getSpeakerArrangement");
        *in = nullptr;
        *out = nullptr;
        return true;
    }
    bool setBypass(bool on) override { record(std::string("setBypass ") + (on ? "on" : "off")); return true; }
    bool setProcessPrecision(VstInt32 p) override { record("setProcessPrecision " + n(p)); return true; }
    bool setPanLaw(VstInt32 type, float gain) override {
        record("setPanLaw " + n(type) + " " + std::to_string(gain));
        return true;
    }
    bool beginSetProgram() override { record("beginSetProgram"); return true; }
    bool endSetProgram() override { record("endSetProgram"); return true; }
    VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void*, float) override {
        record("vendorSpecific " + n(index) + " " + n(value));
        return 42;
    }

private:
    CallLog& log_;
    float values_[4] = {};
    char chunk_[12] = "chunk bytes";
};

// The smallest effect possible: only the mandatory process entry; everything else default.
class BareEffect : public AudioEffectX {
public:
    explicit BareEffect(audioMasterCallback host) : AudioEffectX(host, 1, 2) {}
    void processReplacing(float**, float**, VstInt32) override {}
};

// Sends one opcode through the record, as a host does.
inline VstIntPtr dispatch(AudioEffect& fx, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f) {
    AEffect* record = fx.getAeffect();
    return record->dispatcher(record, opcode, index, value, ptr, opt);
}
