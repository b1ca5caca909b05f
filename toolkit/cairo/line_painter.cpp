#include "toolkit/cairo/line_painter.h"

#include <algorithm>
#include <cmath>

namespace toolkit::cairo {

namespace {

// The share of a one-pixel box that lies on the near side of a straight edge at distance `s`
// beyond its centre, for an edge whose normal has components of sizes `a` ≥ `b` (a² + b² = 1):
// the box projected on the normal spreads uniformly over widths a and b, and this is where
// the two meet. Exact for straight edges, so a line's ink adds up to its area.
struct BoxFootprint {
    double a, b;
    BoxFootprint(double nx, double ny) : a(std::max(std::abs(nx), std::abs(ny))), b(std::min(std::abs(nx), std::abs(ny))) {}
    double below(double s) const {
        if (s < 0) return 1.0 - below(-s);
        if (s >= (a + b) / 2) return 1.0;
        if (s <= (a - b) / 2 || b < 1e-9) return std::min(1.0, 0.5 + s / a);
        const double gap = (a + b) / 2 - s;
        return 1.0 - gap * gap / (2 * a * b);
    }
    // The share between two parallel edges at distances `low` < `high` from the centre.
    double between(double low, double high) const { return std::max(0.0, below(high) - below(low)); }
};

// Blends `color` at coverage `cover` (0…1) over one premultiplied pixel.
inline void blend(std::uint32_t& pixel, CColor color, double cover, bool hasAlpha) {
    const double a = cover * color.alpha / 255.0;
    const double keep = 1.0 - a;
    const auto channel = [&](int shift, double source) {
        const double old = static_cast<double>((pixel >> shift) & 0xffu);
        return static_cast<std::uint32_t>(source * a + old * keep + 0.5) << shift;
    };
    const std::uint32_t alpha = hasAlpha ? channel(24, 255.0) : (pixel & 0xff000000u);
    pixel = alpha | channel(16, color.red) | channel(8, color.green) | channel(0, color.blue);
}

}  // namespace

void paintLine(const PixelImage& image, const CRect& clip, const CPoint& from, const CPoint& to, double width,
               LineCap cap, CColor color) {
    if (!image.data || color.alpha == 0 || !(width > 0) || !std::isfinite(from.x) || !std::isfinite(from.y) ||
        !std::isfinite(to.x) || !std::isfinite(to.y))
        return;
    const double half = width / 2;
    double dx = to.x - from.x, dy = to.y - from.y;
    double length = std::hypot(dx, dy);
    if (length < 1e-9 && cap != LineCap::Round) return;  // an endless thin line shows nothing
    const double ux = length > 1e-9 ? dx / length : 1.0, uy = length > 1e-9 ? dy / length : 0.0;
    // A square end is a butt end half the width further out.
    CPoint start = from;
    if (cap == LineCap::Square) {
        start = CPoint(from.x - ux * half, from.y - uy * half);
        length += width;
        dx = ux * length;
        dy = uy * length;
    }
    // Beyond this distance from the outline no pixel box touches it (a box reaches at most
    // half its diagonal, 0.71 px, from its centre).
    const double reach = half + 0.75;
    const double endReach = cap == LineCap::Round ? reach : 0.75;
    const BoxFootprint box(uy, ux);
    const int top = static_cast<int>(std::max({std::floor(std::min(start.y, start.y + dy) - reach), clip.top, 0.0}));
    const int bottom = static_cast<int>(
        std::min({std::ceil(std::max(start.y, start.y + dy) + reach), clip.bottom, static_cast<double>(image.height)}));
    const double clipLeft = std::max(clip.left, 0.0);
    const double clipRight = std::min(clip.right, static_cast<double>(image.width));
    for (int y = top; y < bottom; ++y) {
        const double py = y + 0.5 - start.y;
        // The pixel centres of this row within `reach` across the line and within its ends.
        double low = -1e300, high = 1e300;
        // Keeps the px for which lowest ≤ px·scale + offset ≤ highest.
        const auto within = [&](double scale, double offset, double lowest, double highest) {
            if (std::abs(scale) < 1e-12) {
                if (offset < lowest || offset > highest) high = low - 1;
                return;
            }
            const double a = (lowest - offset) / scale, b = (highest - offset) / scale;
            low = std::max(low, std::min(a, b));
            high = std::min(high, std::max(a, b));
        };
        within(uy, -py * ux, -reach, reach);                // across = px·uy − py·ux
        within(ux, py * uy, -endReach, length + endReach);  // along = px·ux + py·uy
        if (low > high) continue;
        const int left = static_cast<int>(std::max(std::ceil(low + start.x - 0.5), clipLeft));
        const int right = static_cast<int>(std::min(std::floor(high + start.x - 0.5) + 1, clipRight));
        auto* row = reinterpret_cast<std::uint32_t*>(image.data + static_cast<std::ptrdiff_t>(y) * image.stride);
        for (int x = left; x < right; ++x) {
            const double px = x + 0.5 - start.x;
            const double along = px * ux + py * uy;
            const double across = std::abs(px * uy - py * ux);
            double cover;
            if (cap != LineCap::Round) {
                cover = box.between(-half - across, half - across) * box.between(-along, length - along);
            } else if (along >= 0 && along <= length) {
                cover = box.between(-half - across, half - across);
            } else {
                // Round ends: the outline's edge seen as straight across this pixel.
                const double ex = along < 0 ? px : px - dx, ey = along < 0 ? py : py - dy;
                const double r = std::hypot(ex, ey);
                cover = r > 1e-9 ? BoxFootprint(ex / r, ey / r).between(-half - r, half - r)
                                 : box.between(-half, half);
            }
            if (cover > 0) blend(row[x], color, cover, image.hasAlpha);
        }
    }
}

}  // namespace toolkit::cairo
