#pragma once
// The look the editor's overlays share (messages, menus): a dark panel with a light edge,
// amber for captions and what is chosen, light text.
#include "toolkit/draw_context.h"

namespace overlay_style {

inline constexpr CColor kPanelFill{36, 38, 42, 255};
inline constexpr CColor kPanelEdge{112, 116, 122, 255};
inline constexpr CColor kAccent{236, 164, 52, 255};  // the amber of the panel's switches
inline constexpr CColor kRule{70, 73, 78, 255};
inline constexpr CColor kText{228, 228, 228, 255};
inline constexpr CColor kHighlight{78, 81, 87, 255};

// `rect` filled, with a one-pixel edge inside it.
inline void drawEdgedRect(CDrawContext& context, const CRect& rect, CColor fill, CColor edge) {
    context.setFillColor(fill);
    context.drawRect(rect, kDrawFilled);
    context.setLineWidth(1);
    context.setFrameColor(edge);
    CRect outline = rect;
    context.drawRect(outline.inset(0.5, 0.5), kDrawStroked);
}

}  // namespace overlay_style
