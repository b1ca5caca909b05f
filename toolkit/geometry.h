#pragma once
// Points, rectangles and colours of the view toolkit. Coordinates are pixels, y grows down.
#include <algorithm>
#include <cmath>
#include <cstdint>

struct CPoint {
    double x = 0;  // pixels
    double y = 0;  // pixels

    constexpr CPoint() = default;
    constexpr CPoint(double px, double py) : x(px), y(py) {}
    constexpr CPoint& offset(double dx, double dy) { x += dx; y += dy; return *this; }
    constexpr CPoint operator+(const CPoint& o) const { return {x + o.x, y + o.y}; }
    constexpr CPoint operator-(const CPoint& o) const { return {x - o.x, y - o.y}; }
    constexpr bool operator==(const CPoint&) const = default;
};

// A rectangle by its edges; right and bottom are exclusive.
struct CRect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;

    constexpr CRect() = default;
    constexpr CRect(double l, double t, double r, double b) : left(l), top(t), right(r), bottom(b) {}
    constexpr CRect(const CPoint& origin, const CPoint& size)
        : left(origin.x), top(origin.y), right(origin.x + size.x), bottom(origin.y + size.y) {}

    constexpr double getWidth() const { return right - left; }
    constexpr double getHeight() const { return bottom - top; }
    constexpr double width() const { return getWidth(); }
    constexpr double height() const { return getHeight(); }
    constexpr CPoint getTopLeft() const { return {left, top}; }
    constexpr CPoint getCenter() const { return {(left + right) / 2, (top + bottom) / 2}; }
    constexpr bool isEmpty() const { return !(right > left && bottom > top); }

    constexpr CRect& setWidth(double w) { right = left + w; return *this; }
    constexpr CRect& setHeight(double h) { bottom = top + h; return *this; }
    constexpr CRect& offset(double dx, double dy) {
        left += dx; right += dx; top += dy; bottom += dy;
        return *this;
    }
    constexpr CRect& moveTo(double x, double y) { return offset(x - left, y - top); }
    constexpr CRect& inset(double dx, double dy) {
        left += dx; right -= dx; top += dy; bottom -= dy;
        return *this;
    }
    constexpr bool pointInside(const CPoint& p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    constexpr bool rectOverlap(const CRect& o) const {
        return o.left < right && o.right > left && o.top < bottom && o.bottom > top;
    }
    // Shrinks to the common part; an empty result when there is none.
    constexpr CRect& bound(const CRect& o) {
        left = std::max(left, o.left);
        top = std::max(top, o.top);
        right = std::max(left, std::min(right, o.right));
        bottom = std::max(top, std::min(bottom, o.bottom));
        return *this;
    }
    // Grows to cover both; an empty side is ignored.
    constexpr CRect& unite(const CRect& o) {
        if (o.isEmpty()) return *this;
        if (isEmpty()) return *this = o;
        left = std::min(left, o.left);
        top = std::min(top, o.top);
        right = std::max(right, o.right);
        bottom = std::max(bottom, o.bottom);
        return *this;
    }
    constexpr bool operator==(const CRect&) const = default;
};

inline bool isFinite(const CPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }
inline bool isFinite(const CRect& r) {
    return std::isfinite(r.left) && std::isfinite(r.top) && std::isfinite(r.right) && std::isfinite(r.bottom);
}

// An RGBA colour, 8 bits per channel, alpha 255 opaque.
struct CColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;

    constexpr bool operator==(const CColor&) const = default;
};

inline constexpr CColor kBlackCColor{0, 0, 0, 255};
inline constexpr CColor kWhiteCColor{255, 255, 255, 255};
inline constexpr CColor kRedCColor{255, 0, 0, 255};
inline constexpr CColor kGreenCColor{0, 255, 0, 255};
inline constexpr CColor kBlueCColor{0, 0, 255, 255};
inline constexpr CColor kGreyCColor{127, 127, 127, 255};
inline constexpr CColor kTransparentCColor{255, 255, 255, 0};
