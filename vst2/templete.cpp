#include "vst2/templete.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "metering/meter_settings_store.h"
#include "vst2/aeffeditor.h"
#include "vst2/create_editor.h"
#include "vst2/parameter_table.h"

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
    : CPresetSystemEffect(hostCallback, parameters::kHostCount),
      lock_(new (std::nothrow) platform::InstanceLock) {
    platform::InstanceLockGuard guard(lock_ && lock_->valid() ? lock_.get() : nullptr);

    setUniqueID(kUniqueId);
    setNumInputs(2);
    setNumOutputs(2);
    setInitialDelay(0);
    setEffectVersion(1);
    canProcessReplacing(true);
    programsAreChunks(true);
    AudioEffect::setSampleRate(44100.0f);

    chunk_.reset(new (std::nothrow) unsigned char[kChunkSize]());
    rms_ = std::make_unique<RMSMeter>(this);
    vu_ = std::make_unique<VUmeter>(this);
    ppm_ = std::make_unique<PPMmeter>(this);
    filters_ = std::make_unique<StripFilterBank>();

    for (auto& c : label_) c.store(0, std::memory_order_relaxed);
    setLabel("Master Track");
    const int scope = meter_settings::defaultScope();
    const int meter = meter_settings::defaultMeterType();
    for (int i = 0; i < parameters::kHostCount; ++i) {
        float x = parameters::defaultValue(i);
        if (i == parameters::kScope) x = static_cast<float>(scope) / 2.0f;
        if (i == parameters::kMeter) x = static_cast<float>(meter) / 2.0f;
        values_[i].store(x, std::memory_order_relaxed);
        mirrorIntoCurrentSlot(i, x);
    }
    meterType_.store(meter, std::memory_order_relaxed);
    trim_.setTarget(trimGain(trimLevelDecibels(values_[parameters::kTrim].load())));
    for (int i = 0; i < 29; ++i) {
        MeterModel* m = i + 72 <= 81 ? static_cast<MeterModel*>(rms_.get())
                        : i + 72 <= 91 ? static_cast<MeterModel*>(vu_.get())
                                       : static_cast<MeterModel*>(ppm_.get());
        meterSettings_[i].store(m->getSetting(i + 72), std::memory_order_relaxed);
    }
    // The editor announces itself; without one the effect works all the same.
    setEditor(nullptr);
    createPluginEditor(this, this);

    suspend();
    resume();
    suspend();
}

Templete::~Templete() {
    // The editor reads the meters and parameters: it goes before they do.
    editorSink_.store(nullptr, std::memory_order_release);
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

void Templete::setSampleRate(float rate) { AudioEffect::setSampleRate(rate); }

void Templete::setBlockSize(VstInt32 size) { AudioEffect::setBlockSize(size); }

void Templete::suspend() {
    platform::InstanceLockGuard guard(lock_.get());
    trim_.suspend();
    filters_->clear();
    rms_->suspend();
    vu_->suspend();
    ppm_->suspend();
}

void Templete::resume() {
    platform::InstanceLockGuard guard(lock_.get());
    float rate = getSampleRate();
    if (!(rate >= 20000.0f && rate <= 200000.0f)) rate = 44100.0f;
    trim_.resume(rate);
    filters_->setSampleRate(rate);
    filters_->refresh();
    for (MeterModel* m : {static_cast<MeterModel*>(rms_.get()), static_cast<MeterModel*>(vu_.get()),
                          static_cast<MeterModel*>(ppm_.get())})
        m->setSampleRate(rate);
    rms_->reset();
    vu_->reset();
    ppm_->reset();
}

MeterModel* Templete::meterModel(int type) {
    switch (type) {
        case 0: return vu_.get();
        case 1: return rms_.get();
        case 2: return ppm_.get();
        default: return nullptr;
    }
}

MeterModel* Templete::selectedMeter() { return meterModel(meterType()); }

void Templete::getLabel(char out[kLabelSize]) const {
    for (int i = 0; i < kLabelSize; ++i) out[i] = label_[i].load(std::memory_order_relaxed);
    out[kLabelSize - 1] = 0;
}

void Templete::setLabel(const char* text) {
    char copy[kLabelSize] = {};
    if (text) std::strncpy(copy, text, kLabelSize - 1);
    for (int i = 0; i < kLabelSize; ++i) label_[i].store(copy[i], std::memory_order_relaxed);
}
