#pragma once
// Off-screen rendering of frames: a "window" that paints into an image (tests, pictures,
// benchmarks) and a one-call render of a whole frame.
#include <memory>
#include <vector>

#include "toolkit/backend.h"
#include "toolkit/dirty_region.h"

class CFrame;

namespace toolkit {

// Stands in for a platform window: update() paints the invalidated area into an image.
class OffscreenWindow : public IPlatformWindow {
public:
    OffscreenWindow(int width, int height, IPlatformFrameCallbacks& frame);

    bool valid() const { return image_ != nullptr; }
    IOffscreenSurface* image() const { return image_.get(); }
    // How many paints update() made, and the area of the last one (device pixels): the
    // separate areas it repainted and the rectangle around them.
    int paintCount() const { return paintCount_; }
    const CRect& lastPaintedRect() const { return lastPainted_; }
    const std::vector<CRect>& lastPaintedRects() const { return lastPaintedRects_; }

    void invalidRect(const CRect& rect) override;
    void processEvents() override {}
    void update() override;
    bool setSize(int width, int height) override;
    void takeKeyboardFocus() override { hasFocus_ = true; }
    void releaseKeyboardFocus() override { hasFocus_ = false; }
    bool hasKeyboardFocus() const { return hasFocus_; }
    void* nativeHandle() const override { return nullptr; }

private:
    IPlatformFrameCallbacks& frame_;
    std::unique_ptr<IOffscreenSurface> image_;
    DirtyRegion pending_;  // areas waiting for update()
    CRect lastPainted_;
    std::vector<CRect> lastPaintedRects_;
    int paintCount_ = 0;
    bool hasFocus_ = false;
};

// Draws the whole frame into a new image of its size at its display scale; null when it
// cannot be made.
std::unique_ptr<IOffscreenSurface> renderFrame(CFrame& frame, CColor clearColor = kTransparentCColor);

}  // namespace toolkit
