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

// Where the editor's scale comes from, in order of precedence. 0 (or anything not finite or
// not above 0) means the source has nothing to say.
struct ScaleSources {
    double userZoom = 0;  // the user's own zoom; 0 is Auto
    double host = 0;      // what the host stated (VST 2.4 vendor call, CLAP set_scale, LV2 option)
    double desktop = 0;   // the desktop's scale for the window
};

// The scale to draw at: the first source that says something, clamped to kMin ... kMax;
// 1 when none does.
inline double resolve(const ScaleSources& sources) {
    for (double s : {sources.userZoom, sources.host, sources.desktop})
        if (std::isfinite(s) && s > 0) return clamp(s);
    return kMin;
}

// The device position of a logical edge.
inline int edge(double logical, double scale) { return static_cast<int>(std::lround(logical * scale)); }

}  // namespace display_scale
