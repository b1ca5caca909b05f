#pragma once
// ZEB Aldermark's settings as a user names them on the command line: the host parameters
// 0..16 by their parameter names and the meter settings 72..100 by their settings-store
// names, each with its value in its own unit ("-18" dBFS, "300" ms, "1.5" s, "on", "rms"),
// turned into the normalised value the effect takes. One table holds, per setting, the unit
// and the law from the normalised value to the value in that unit.
#include <string>
#include <vector>

namespace aldermark::named_settings {

// Every setting that has a name, in index order.
std::vector<int> indices();
// The index of a name, letter case ignored; -1 for a name that is not a setting's.
int find(const std::string& name);
// The name of an index ("Trim", "Avureference"); "" for an index without a setting.
const char* name(int index);
// The unit a value is given in ("dBFS", "ms", "s", "Hz", ...; "" for a choice of words).
const char* unit(int index);
// The values a setting takes, as shown in the settings table: "-20.0..20.0", "vu|rms|ppm".
std::string range(int index);

// A value in the setting's unit, made normalised.
struct Resolved {
    float normalised = 0.0f;
    bool moved = false;  // the value lay between two steps and was taken to the nearest
    std::string taken;   // the value in use, in the unit: "-18.3 dBFS", "rms"
};
// Reads `text` in the unit of the setting at `index`: a number (the unit may follow it;
// frequencies also as "1k5"), or one of its words, letter case ignored. False with a
// one-line reason for text that is neither or a value outside the setting's range.
bool resolve(int index, const std::string& text, Resolved& resolved, std::string& error);

// The step a normalised x is taken as, counted from 0, for a choice of words or an evenly
// stepped number (Trim, LagTime, ...); -1 for other settings.
int step(int index, float normalised);

// The value a normalised x gives, in the unit and without it: "-18.0", "300", "1k5", "rms".
std::string valueText(int index, float normalised);

}  // namespace aldermark::named_settings
