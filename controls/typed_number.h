#pragma once
// Numbers the user types into the editor's fields, read the same whatever locale the host
// process runs with: blanks first, an optional sign, digits with a decimal point or comma,
// an optional exponent; whatever follows (a unit, "dB", "Hz") is left.
namespace editor {

// The number at the start of `text`; false when there is none. `rest` (optional) points
// after it.
bool readTypedNumber(const char* text, double& value, const char** rest = nullptr);

}  // namespace editor
