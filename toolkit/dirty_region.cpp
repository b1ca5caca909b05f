#include "toolkit/dirty_region.h"

namespace toolkit {

void DirtyRegion::add(const CRect& rect, const CRect& limit) {
    CRect area = rect;
    area.bound(limit);
    if (area.isEmpty()) return;
    // A new area may join several old ones; merge until nothing overlaps any more.
    bool merged = true;
    while (merged) {
        merged = false;
        for (std::size_t i = 0; i < rects_.size(); ++i) {
            if (!rects_[i].rectOverlap(area)) continue;
            area.unite(rects_[i]);
            rects_.erase(rects_.begin() + static_cast<std::ptrdiff_t>(i));
            merged = true;
            break;
        }
    }
    if (rects_.size() >= kMaxRects) {
        for (const CRect& pending : rects_) area.unite(pending);
        rects_.clear();
    }
    rects_.push_back(area);
}

CRect DirtyRegion::bounds() const {
    CRect all;
    for (const CRect& rect : rects_) all.unite(rect);
    return all;
}

}  // namespace toolkit
