#pragma once
// The editor's display scale: logical pixels (the 100 % layout) times the scale give
// device pixels. Each edge is rounded on its own, so parts laid edge to edge stay edge to
// edge at every scale.
#include <algorithm>
#include <array>
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

// The zooms the user can choose in the editor, in the order they are offered; 0 is Auto (the
// host's or the desktop's scale).
inline constexpr std::array<double, 7> kZoomChoices{0, 1.0, 1.25, 1.5, 2.0, 2.5, 3.0};
// The settings-store value that keeps the user's zoom for every instance: a 4-byte float,
// one of kZoomChoices. It is a preference of the user's screen, not of a session, so it is
// never part of an instance's saved state.
inline constexpr const char* kZoomValueName = "EditorZoom";

// Where `zoom` stands in kZoomChoices; -1 when it is none of them.
inline int zoomChoiceIndex(double zoom) {
    for (std::size_t i = 0; i < kZoomChoices.size(); ++i)
        if (kZoomChoices[i] == zoom) return static_cast<int>(i);
    return -1;
}

// The device position of a logical edge.
inline int edge(double logical, double scale) { return static_cast<int>(std::lround(logical * scale)); }

}  // namespace display_scale
