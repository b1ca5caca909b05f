#pragma once
// The editor's sizes at 100 %, px: one width for every part, the meter area (front or
// settings panel) and the strips below it.

#include "model/display_scale.h"

namespace editor_size {

inline constexpr int kWidth = 586;
inline constexpr int kMeterAreaHeight = 169;       // the front panel; the whole window with the strips off
inline constexpr int kSettingsPanelHeight = 261;   // the settings panel reaches down over the strips
inline constexpr int kStripCollapsedHeight = 13;
inline constexpr int kFiltersStripHeight = 53;     // expanded
inline constexpr int kLabelStripHeight = 39;       // expanded
// A new editor: strips shown, both collapsed.
inline constexpr int kOpenHeight = kMeterAreaHeight + 2 * kStripCollapsedHeight;

// A logical length of the table at `scale` (already clamped), in device pixels.
inline int scaled(int logical, double scale) { return display_scale::edge(logical, scale); }

}  // namespace editor_size
