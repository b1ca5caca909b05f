#include "vst2/templete.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "core/parameter_table.h"
#include "vst2/aeffeditor.h"
#include "vst2/create_editor.h"

namespace {

const char kProductName[] = "ZEB Aldermark";
const char kVendor[] = "kestrune-zeb.com";  // the maker's web domain, 16 characters

void copyText(char* out, const char* text, std::size_t size) {
    if (!out) return;
    std::strncpy(out, text, size - 1);
    out[size - 1] = 0;
}

}  // namespace

Templete::Templete(audioMasterCallback hostCallback)
    : CPresetSystemEffect(hostCallback, parameters::kHostCount), core_(*this) {
    setUniqueID(kUniqueId);
    setNumInputs(2);
    setNumOutputs(2);
    setInitialDelay(0);
    setEffectVersion(1);
    canProcessReplacing(true);
    programsAreChunks(true);
    setSampleRate(44100.0f);
    chunk_.reset(new (std::nothrow) unsigned char[kChunkSize]());

    // The editor announces itself; without one the effect works all the same.
    setEditor(nullptr);
    createPluginEditor(this, &core_);
    core_.setEditorAttached(getEditor() != nullptr);

    suspend();
    resume();
    suspend();
}

Templete::~Templete() {
    // The editor reads the meters and parameters: it goes before they do.
    core_.setEditorSink(nullptr);
    core_.setEditorAttached(false);
    AEffEditor* editor = getEditor();
    setEditor(nullptr);
    delete editor;
}

bool Templete::getEffectName(char* name) {
    copyText(name, kProductName, kVstMaxEffectNameLen);
    return true;
}

bool Templete::getProductString(char* text) {
    copyText(text, kProductName, kVstMaxProductStrLen);
    return true;
}

bool Templete::getVendorString(char* text) {
    copyText(text, kVendor, kVstMaxVendorStrLen);
    return true;
}

VstInt32 Templete::canDo(char* capability) {
    if (!capability) return 0;
    for (const char* known : {"offline", "plugAsChannelInsert", "1in1out", "1in2out", "2in2out"})
        if (std::strcmp(capability, known) == 0) return 1;
    return 0;
}

VstIntPtr Templete::vendorSpecific(VstInt32 index, VstIntPtr value, void*, float opt) {
    if (index != kVendorScaleIndex || value != kVendorScaleValue) return 0;
    AEffEditor* editor = getEditor();
    return editor && editor->setContentScale(opt) ? 1 : 0;
}

bool Templete::getInputProperties(VstInt32 index, VstPinProperties* properties) {
    if (!properties || index < 0 || index > 1) return false;
    std::snprintf(properties->label, sizeof properties->label, "ZEB Aldermark %1d In", index + 1);
    std::snprintf(properties->shortLabel, sizeof properties->shortLabel, "In %1d", index + 1);
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

bool Templete::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    if (!properties || index < 0 || index > 1) return false;
    std::snprintf(properties->label, sizeof properties->label, "ZEB Aldermark %1d Out", index + 1);
    std::snprintf(properties->shortLabel, sizeof properties->shortLabel, "Out %1d", index + 1);
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

bool Templete::setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output) {
    const int in = input ? input->numChannels : -1;
    const int out = output ? output->numChannels : -1;
    const bool supported = (in == 1 && out == 1) || (in == 1 && out == 2) || (in == 2 && out == 2);
    inputStereo_.store(!supported || in == 2, std::memory_order_relaxed);
    outputStereo_.store(!supported || out == 2, std::memory_order_relaxed);
    return supported;
}

void Templete::setSampleRate(float rate) {
    AudioEffect::setSampleRate(rate);
    core_.setSampleRate(rate);
}

void Templete::setBlockSize(VstInt32 size) { AudioEffect::setBlockSize(size); }

void Templete::suspend() { core_.suspend(); }

void Templete::resume() { core_.resume(); }

void Templete::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (!inputs || !outputs) return;
    const float* in2 = isInputConnected(1) && inputStereo_.load(std::memory_order_relaxed) ? inputs[1] : nullptr;
    float* out2 = isOutputConnected(1) && outputStereo_.load(std::memory_order_relaxed) ? outputs[1] : nullptr;
    core_.process(inputs[0], in2, outputs[0], out2, sampleFrames);
}

VstInt32 Templete::getChunk(void** data, bool isPreset) {
    (void)isPreset;
    if (!data || !chunk_) return 0;
    core_.saveState(chunk_.get());
    *data = chunk_.get();
    return kChunkSize;
}

VstInt32 Templete::setChunk(void* data, VstInt32 byteSize, bool isPreset) {
    (void)isPreset;
    core_.loadState(data, byteSize);
    return 0;
}
