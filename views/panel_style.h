#pragma once
// What the front and the back of a meter share when they build and show their views: a
// bitmap held while a view is made from it, the look of their text read-outs, and showing a
// container the panel keeps.
#include "toolkit/toolkit.h"

inline constexpr CColor kPanelTextColor{200, 193, 193, 255};

// A bitmap held for the time of building a view; the view keeps its own reference.
struct PanelImage {
    CBitmap* bitmap;
    explicit PanelImage(int id) : bitmap(new CBitmap(id)) {}
    ~PanelImage() { bitmap->forget(); }
    PanelImage(const PanelImage&) = delete;
    PanelImage& operator=(const PanelImage&) = delete;
    double width() const { return bitmap->getWidth(); }
    double frameHeight(int frames) const { return bitmap->getHeight() / frames; }
};

// Small panel text, centred, without frame or back colour.
void stylePanelText(CParamDisplay* text);

// Puts `view` into `frame` with a reference of the frame's own (the caller keeps its one);
// false when the frame does not take it.
bool addKeepingOwnReference(CFrame* frame, CView* view);
