#include "core/meter_effect.h"

#include <cstring>
#include <new>

#include "core/parameter_table.h"
#include "metering/meter_settings_store.h"

MeterEffect::MeterEffect(FormatLink& link) : link_(link), lock_(new (std::nothrow) platform::InstanceLock) {
    platform::InstanceLockGuard guard(lock_ && lock_->valid() ? lock_.get() : nullptr);
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
        link_.hostParameterChanged(i, x);
    }
    meterType_.store(meter, std::memory_order_relaxed);
    trim_.setTarget(trimGain(trimLevelDecibels(values_[parameters::kTrim].load())));
    for (int index = parameters::kFirstMeterSetting; index <= parameters::kLastMeterSetting; ++index)
        meterSettings_[index - parameters::kFirstMeterSetting].store(ownerOfSetting(index)->getSetting(index),
                                                                     std::memory_order_relaxed);
}

MeterEffect::~MeterEffect() { editorSink_.store(nullptr, std::memory_order_release); }

void MeterEffect::suspend() {
    platform::InstanceLockGuard guard(lock_.get());
    trim_.suspend();
    filters_->clear();
    rms_->suspend();
    vu_->suspend();
    ppm_->suspend();
}

void MeterEffect::resume() {
    platform::InstanceLockGuard guard(lock_.get());
    float rate = sampleRate();
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

MeterModel* MeterEffect::meterModel(int type) {
    switch (type) {
        case 0: return vu_.get();
        case 1: return rms_.get();
        case 2: return ppm_.get();
        default: return nullptr;
    }
}

// The meter whose settings range holds `index` (72..81 RMS, 83..91 VU, 93..100 PPM; the
// gaps go to the meter below them).
MeterModel* MeterEffect::ownerOfSetting(int index) {
    if (index <= 81) return rms_.get();
    if (index <= 91) return vu_.get();
    return ppm_.get();
}

void MeterEffect::getLabel(char out[kLabelSize]) const {
    for (int i = 0; i < kLabelSize; ++i) out[i] = label_[i].load(std::memory_order_relaxed);
    out[kLabelSize - 1] = 0;
}

void MeterEffect::setLabel(const char* text) {
    char copy[kLabelSize] = {};
    if (text) std::strncpy(copy, text, kLabelSize - 1);
    for (int i = 0; i < kLabelSize; ++i) label_[i].store(copy[i], std::memory_order_relaxed);
}
