// The state chunk: the strip label, the 64 host parameters and the 27 meter settings in one
// fixed 596-byte block.
#include <cstring>

#include "metering/meter_settings_store.h"
#include "vst2/parameter_table.h"
#include "vst2/templete.h"

namespace {

constexpr int kMarkOffset = 0;
constexpr int kLabelOffset = 4;
constexpr int kParametersOffset = 44;
constexpr int kMeterSettingsOffset = 300;  // RMS 72..81, VU 83..91, PPM 93..100
constexpr float kFormatMark = 300.0f;

void putFloat(unsigned char* at, float v) { std::memcpy(at, &v, sizeof v); }
float getFloat(const unsigned char* at) {
    float v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

}  // namespace

VstInt32 Templete::getChunk(void** data, bool isPreset) {
    (void)isPreset;
    if (!data || !chunk_) return 0;
    unsigned char* c = chunk_.get();
    std::memset(c, 0, kChunkSize);
    putFloat(c + kMarkOffset, kFormatMark);
    for (int i = 0; i < kLabelSize; ++i) c[kLabelOffset + i] = static_cast<unsigned char>(label_[i].load());
    for (int i = 0; i < parameters::kHostCount; ++i) putFloat(c + kParametersOffset + 4 * i, getParameter(i));
    for (int slot = 0; slot < meter_settings::kCount; ++slot)
        putFloat(c + kMeterSettingsOffset + 4 * slot, getParameter(meter_settings::indexOfSlot(slot)));
    *data = c;
    return kChunkSize;
}

VstInt32 Templete::setChunk(void* data, VstInt32 byteSize, bool isPreset) {
    (void)isPreset;
    if (!data || byteSize <= 0 || !chunk_) return 0;
    // A short block is read as far as it goes; the rest counts as zero.
    unsigned char* c = chunk_.get();
    std::memset(c, 0, kChunkSize);
    std::memcpy(c, data, static_cast<size_t>(byteSize < kChunkSize ? byteSize : kChunkSize));

    // The label keeps its 40 bytes as stored, but always ends within them.
    for (int i = 0; i < kLabelSize; ++i)
        label_[i].store(i == kLabelSize - 1 ? 0 : static_cast<char>(c[kLabelOffset + i]), std::memory_order_relaxed);
    setParameter(parameters::kLabelChanged, 0.0f);

    // Copy the values out first: setParameter may run code that reuses the buffer.
    float values[parameters::kHostCount];
    float settings[meter_settings::kCount];
    for (int i = 0; i < parameters::kHostCount; ++i) values[i] = getFloat(c + kParametersOffset + 4 * i);
    for (int s = 0; s < meter_settings::kCount; ++s) settings[s] = getFloat(c + kMeterSettingsOffset + 4 * s);

    for (int i = 0; i < parameters::kHostCount; ++i) setParameter(i, values[i]);
    const int scope = static_cast<int>(getParameter(parameters::kScope) * 2.0f + 0.5f);
    if (scope == meter_settings::kSession || scope == meter_settings::kInstance)
        for (int s = 0; s < meter_settings::kCount; ++s) setParameter(meter_settings::indexOfSlot(s), settings[s]);
    return 0;
}
