#pragma once
// Process-wide meter settings: the Global store (persisted per user) and the Session store
// (lives while the library is loaded) of the 27 meter settings, plus the default settings
// scope and meter type that new instances start from. Filled once when the library loads.
// Every value is a relaxed atomic: instances on any thread read and write them lock-free.
#include <atomic>

#include "model/parameter_ids.h"

namespace meter_settings {

// Meter settings are parameter indices 72..81 (RMS), 83..91 (VU) and 93..100 (PPM).
constexpr int kCount = 27;
constexpr int kFirstIndex = parameters::kFirstMeterSetting;
constexpr int kLastIndex = parameters::kLastMeterSetting;

enum Scope { kGlobal = 0, kSession = 1, kInstance = 2 };
enum MeterType { kVU = 0, kRMS = 1, kPPM = 2 };

// Store slot 0..26 of a parameter index, or -1 for an index that is not a meter setting.
int slotOf(int index);
// Parameter index of a slot, or -1.
int indexOfSlot(int slot);
// The persisted value name of a parameter index ("Armsreference", ...), or null.
const char* valueName(int index);
// The factory default of a parameter index (0 for an index without a setting).
float defaultValue(int index);

class Store {
public:
    // Answers 0 for an index without a slot.
    float get(int index) const;
    // Ignores an index without a slot; non-finite values are not stored.
    void set(int index, float value);
    void fillWithDefaults();

private:
    std::atomic<float> values_[kCount]{};
};

Store& globalStore();
Store& sessionStore();

// Default scope and meter type for new instances; changed by any instance's "GSIcal" and
// "Meter". At load: Session and VU.
int defaultScope();
void setDefaultScope(int scope);
int defaultMeterType();
void setDefaultMeterType(int type);

// Reads the persisted values into both stores: missing, malformed, non-finite or
// out-of-range values give the defaults. Runs at library load; callable again from tests.
void loadStoresFromUserSettings();

// Persists the Global store's values of the settings first..last (inclusive), in index order.
// Answers false when the user settings could not be written.
bool writeGlobalStore(int firstIndex, int lastIndex);

}  // namespace meter_settings
