#pragma once
// Areas waiting to be repainted: a few separate rectangles, so that two small changes far
// apart (two needles) repaint two small areas rather than everything between them.
// Overlapping rectangles merge; beyond kMaxRects everything merges into one.
#include <vector>

#include "toolkit/geometry.h"

namespace toolkit {

class DirtyRegion {
public:
    static constexpr std::size_t kMaxRects = 16;

    DirtyRegion() { rects_.reserve(kMaxRects + 1); }
    // Adds `rect` limited to `bounds`; empty results are dropped.
    void add(const CRect& rect, const CRect& bounds);
    bool empty() const { return rects_.empty(); }
    const std::vector<CRect>& rects() const { return rects_; }
    // The smallest rectangle holding every area.
    CRect bounds() const;
    void clear() { rects_.clear(); }

private:
    std::vector<CRect> rects_;
};

}  // namespace toolkit
