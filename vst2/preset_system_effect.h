#pragma once
// The program layer between the VST base and the effect: one program as far as the host is
// concerned, and three internal named slots whose values mirror the first 64 parameters.
// The host saves and restores the effect through its state chunk, not through these slots.
#include <atomic>

#include "vst2/audioeffectx.h"

// What the program layer tells the editor.
class ProgramNameListener {
public:
    // `name` holds up to 24 characters: the name as given, before it is shortened to fit.
    virtual void programNameChanged(const char* name) = 0;

protected:
    ~ProgramNameListener() = default;
};

class CPresetSystemEffect : public AudioEffectX {
public:
    static constexpr int kSlotCount = 3;
    static constexpr int kNameSize = 24;  // bytes of a slot's name field, terminator included
    static constexpr int kSlotValues = 64;

    CPresetSystemEffect(audioMasterCallback hostCallback, VstInt32 parameterCount);
    ~CPresetSystemEffect() override;

    VstInt32 getProgram() override { return 0; }
    void setProgram(VstInt32 program) override { (void)program; }
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

    // Editor link for program-name changes; null when no editor exists.
    void setProgramNameListener(ProgramNameListener* listener) { nameListener_ = listener; }

    // Value mirrored for a parameter 0..63 of a slot (0 for anything out of range).
    float slotValue(int slot, int index) const;
    // True while a program is being loaded: parameter changes then stay out of the slot.
    bool loadingProgram() const { return loadingProgram_; }

protected:
    // Writes a parameter value into the current slot (indices 0..63 only).
    void mirrorIntoCurrentSlot(int index, float value);

private:
    struct Slot {
        char name[kNameSize];                  // zero-terminated, at most 23 characters
        std::atomic<float> values[kSlotValues];  // normalised 0..1, parameter index order
    };

    Slot* slots_;         // kSlotCount slots, zero-filled at construction
    int currentSlot_ = 0; // no host request changes it
    bool loadingProgram_ = false;
    ProgramNameListener* nameListener_ = nullptr;
};
