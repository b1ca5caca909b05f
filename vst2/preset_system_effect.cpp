#include "vst2/preset_system_effect.h"

#include <cstring>
#include <new>

CPresetSystemEffect::CPresetSystemEffect(audioMasterCallback hostCallback, VstInt32 parameterCount)
    : AudioEffectX(hostCallback, 1, parameterCount), slots_(new (std::nothrow) Slot[kSlotCount]) {
    if (slots_) {
        for (int s = 0; s < kSlotCount; ++s) {
            std::memset(slots_[s].name, 0, kNameSize);
            for (auto& v : slots_[s].values) v.store(0.0f, std::memory_order_relaxed);
        }
    }
    programsAreChunks(true);
}

CPresetSystemEffect::~CPresetSystemEffect() { delete[] slots_; }

void CPresetSystemEffect::setProgramName(char* name) {
    char given[kNameSize + 1] = {};
    if (name) std::strncpy(given, name, kNameSize);  // stops at the terminator or 24 bytes
    if (slots_) {
        char* field = slots_[currentSlot_].name;
        std::memset(field, 0, kNameSize);
        std::memcpy(field, given, kNameSize - 1);  // keeps 23 characters and the terminator
    }
    if (nameListener_) nameListener_->programNameChanged(given);
}

void CPresetSystemEffect::getProgramName(char* name) {
    if (!name) return;
    if (slots_)
        std::memcpy(name, slots_[currentSlot_].name, kNameSize);
    else
        name[0] = 0;
}

bool CPresetSystemEffect::getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) {
    (void)category;
    if (!text || !slots_ || index < 0 || index >= kSlotCount) return false;
    std::memcpy(text, slots_[index].name, kNameSize);
    return true;
}

float CPresetSystemEffect::slotValue(int slot, int index) const {
    if (!slots_ || slot < 0 || slot >= kSlotCount || index < 0 || index >= kSlotValues) return 0.0f;
    return slots_[slot].values[index].load(std::memory_order_relaxed);
}

void CPresetSystemEffect::mirrorIntoCurrentSlot(int index, float value) {
    if (slots_ && !loadingProgram_ && index >= 0 && index < kSlotValues)
        slots_[currentSlot_].values[index].store(value, std::memory_order_relaxed);
}
