#pragma once
// The user's zoom of the editor, kept for every instance in the settings store (the scale a
// user wants on a screen does not belong to one session's state), and the menu it is chosen
// from. GUI thread only: reading and writing may touch the disk.
#include <string>
#include <vector>

namespace zoom_choice {

// The stored zoom: one of display_scale::kZoomChoices; 0 (Auto) when none is stored or the
// stored value is not a choice.
double stored();
// Keeps `zoom` for every instance; false (and nothing written) when it is not a choice or the
// store could not be written.
bool store(double zoom);

// The menu's items in the order of the choices: "Auto (150 %)" with the scale Auto gives
// now, then "100 %" ... "300 %".
std::vector<std::string> menuItems(double automaticScale);

}  // namespace zoom_choice
