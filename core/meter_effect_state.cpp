// The state chunk: the strip label, the 64 host parameters and the 27 meter settings in one
// fixed 596-byte block, the same in every format.
#include <cstring>

#include "core/meter_effect.h"
#include "metering/meter_settings_store.h"

namespace {

constexpr int kMarkOffset = 0;
constexpr int kLabelOffset = 4;
constexpr int kParametersOffset = 44;
constexpr int kMeterSettingsOffset = 300;  // RMS 72..81, VU 83..91, PPM 93..100
constexpr float kFormatMark = 300.0f;
static_assert(kMeterSettingsOffset + 4 * meter_settings::kCount <= MeterEffect::kChunkSize);  // the rest stays zero

void putFloat(unsigned char* at, float v) { std::memcpy(at, &v, sizeof v); }
float getFloat(const unsigned char* at) {
    float v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

}  // namespace

void MeterEffect::saveState(unsigned char* c) const {
    std::memset(c, 0, kChunkSize);
    putFloat(c + kMarkOffset, kFormatMark);
    for (int i = 0; i < kLabelSize; ++i) c[kLabelOffset + i] = static_cast<unsigned char>(label_[i].load());
    for (int i = 0; i < parameters::kHostCount; ++i)
        putFloat(c + kParametersOffset + 4 * i, values_[i].load(std::memory_order_relaxed));
    for (int slot = 0; slot < meter_settings::kCount; ++slot)
        putFloat(c + kMeterSettingsOffset + 4 * slot,
                 meterSettings_[meter_settings::indexOfSlot(slot) - parameters::kFirstMeterSetting].load(
                     std::memory_order_relaxed));
}

void MeterEffect::loadState(const void* data, int size) {
    if (!data || size <= 0) return;
    unsigned char c[kChunkSize] = {};
    std::memcpy(c, data, static_cast<size_t>(size < kChunkSize ? size : kChunkSize));

    // The label keeps its 40 bytes as stored, but always ends within them.
    for (int i = 0; i < kLabelSize; ++i)
        label_[i].store(i == kLabelSize - 1 ? 0 : static_cast<char>(c[kLabelOffset + i]), std::memory_order_relaxed);
    setParameter(parameters::kLabelChanged, 0.0f);

    for (int i = 0; i < parameters::kHostCount; ++i) setParameter(i, getFloat(c + kParametersOffset + 4 * i));
    const int scope = static_cast<int>(getParameter(parameters::kScope) * 2.0f + 0.5f);
    if (scope == meter_settings::kSession || scope == meter_settings::kInstance)
        for (int s = 0; s < meter_settings::kCount; ++s)
            setParameter(meter_settings::indexOfSlot(s), getFloat(c + kMeterSettingsOffset + 4 * s));
}
