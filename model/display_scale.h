#pragma once
// The editor's display scale: logical pixels (the 100 % layout) times the scale give
// device pixels. Each edge is rounded on its own, so parts laid edge to edge stay edge to
// edge at every scale.
#include <algorithm>
#include <cmath>

namespace display_scale {

inline constexpr double kMin = 1.0;
inline constexpr double kMax = 3.0;

// A scale the editor can use: inside kMin ... kMax; anything not finite gives 1.
inline double clamp(double scale) { return std::isfinite(scale) ? std::clamp(scale, kMin, kMax) : kMin; }

// The device position of a logical edge.
inline int edge(double logical, double scale) { return static_cast<int>(std::lround(logical * scale)); }

}  // namespace display_scale
