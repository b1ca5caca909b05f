#include "metering/meter_settings_store.h"

#include <cmath>
#include <cstring>

#include "platform/settings_store.h"

namespace meter_settings {
namespace {

struct Setting {
    int index;
    const char* name;
    float defaultValue;
};

constexpr Setting kSettings[kCount] = {
    {72, "Armsreference", 0.667f},   {73, "Armsintegration", 0.5f},
    {74, "ARMSRmsIntegration", 0.5f}, {75, "Armsholdtime", 0.5f},
    {76, "Armsreturn", 52 * 0.0125f},     {77, "ARMSMSType", 0.5f},
    {78, "ARMSOversTag", 0.22f},     {79, "Armsoverreference", 1.0f},
    {80, "Armsprecise", 0.0f},       {81, "Armsledref", 0.5f},
    {83, "Avureference", 0.25f},     {84, "Avuintegration", 0.5f},
    {85, "Avuholdtime", 0.5f},       {86, "Avutype", 0.0f},
    {87, "Avumstype", 0.5f},         {88, "Avubacklit", 0.5f},
    {89, "Avuoverled", 0.22f},       {90, "Avuledref", 1.0f},
    {91, "Avuprecise", 0.0f},        {93, "Appmreference", 0.5f},
    {94, "Appmintegration", 0.5f},   {95, "Appmholdtime", 0.5f},
    {96, "Appmreturn", 0.66f},       {97, "Appmmstype", 0.5f},
    {98, "Appmovertag", 0.22f},      {99, "Appmoverreference", 1.0f},
    {100, "Appmprecise", 0.0f},
};

std::atomic<int> gDefaultScope{kSession};
std::atomic<int> gDefaultMeterType{kVU};

bool isNormalised(float v) { return std::isfinite(v) && v >= 0.0f && v <= 1.0f; }

}  // namespace

int slotOf(int index) {
    if (index < kFirstIndex || index > kLastIndex || index == 82 || index == 92) return -1;
    return index - kFirstIndex - (index > 92 ? 2 : index > 82 ? 1 : 0);
}

int indexOfSlot(int slot) {
    return (slot >= 0 && slot < kCount) ? kSettings[slot].index : -1;
}

const char* valueName(int index) {
    const int slot = slotOf(index);
    return slot < 0 ? nullptr : kSettings[slot].name;
}

float defaultValue(int index) {
    const int slot = slotOf(index);
    return slot < 0 ? 0.0f : kSettings[slot].defaultValue;
}

float Store::get(int index) const {
    const int slot = slotOf(index);
    return slot < 0 ? 0.0f : values_[slot].load(std::memory_order_relaxed);
}

void Store::set(int index, float value) {
    const int slot = slotOf(index);
    if (slot >= 0 && std::isfinite(value)) values_[slot].store(value, std::memory_order_relaxed);
}

void Store::fillWithDefaults() {
    for (int slot = 0; slot < kCount; ++slot)
        values_[slot].store(kSettings[slot].defaultValue, std::memory_order_relaxed);
}

Store& globalStore() {
    static Store store;
    return store;
}

Store& sessionStore() {
    static Store store;
    return store;
}

int defaultScope() { return gDefaultScope.load(std::memory_order_relaxed); }
void setDefaultScope(int scope) {
    if (scope >= kGlobal && scope <= kInstance) gDefaultScope.store(scope, std::memory_order_relaxed);
}
int defaultMeterType() { return gDefaultMeterType.load(std::memory_order_relaxed); }
void setDefaultMeterType(int type) {
    if (type >= kVU && type <= kPPM) gDefaultMeterType.store(type, std::memory_order_relaxed);
}

void loadStoresFromUserSettings() {
    for (const Setting& s : kSettings) {
        float value = s.defaultValue;
        float stored = 0.0f;
        if (platform::readSettingBytes(s.name, &stored, sizeof stored) && isNormalised(stored))
            value = stored;
        globalStore().set(s.index, value);
        sessionStore().set(s.index, value);
    }
}

bool writeGlobalStore(int firstIndex, int lastIndex) {
    float values[kCount];
    platform::SettingBlob blobs[kCount];
    std::size_t count = 0;
    for (const Setting& s : kSettings) {
        if (s.index < firstIndex || s.index > lastIndex) continue;
        values[count] = globalStore().get(s.index);
        blobs[count] = {s.name, &values[count], sizeof(float)};
        ++count;
    }
    return count == 0 || platform::writeSettings(blobs, count);
}

namespace {
// The stores are ready before any instance exists: filled while the library loads.
const bool gLoadedAtStartup = (loadStoresFromUserSettings(), true);
}  // namespace

}  // namespace meter_settings
