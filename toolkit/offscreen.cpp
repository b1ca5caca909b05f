#include "toolkit/offscreen.h"

#include "toolkit/frame.h"

namespace toolkit {

OffscreenWindow::OffscreenWindow(int width, int height, IPlatformFrameCallbacks& frame)
    : frame_(frame), image_(createOffscreen(width, height)) {}

void OffscreenWindow::invalidRect(const CRect& rect) {
    if (image_) pending_.add(rect, CRect(0, 0, image_->surface().width(), image_->surface().height()));
}

void OffscreenWindow::update() {
    if (!image_ || pending_.empty()) return;
    IDrawSurface& surface = image_->surface();
    for (const CRect& area : pending_.rects()) {
        surface.setClip(area);
        frame_.platformDrawRect(surface, area);
    }
    lastPainted_ = pending_.bounds();
    lastPaintedRects_ = pending_.rects();
    pending_.clear();
    ++paintCount_;
}

bool OffscreenWindow::setSize(int width, int height) {
    auto image = createOffscreen(width, height);
    if (!image) return false;
    image_ = std::move(image);
    pending_.clear();
    pending_.add(CRect(0, 0, width, height), CRect(0, 0, width, height));
    return true;
}

std::unique_ptr<IOffscreenSurface> renderFrame(CFrame& frame, CColor clearColor) {
    const CRect size = frame.getViewSize();
    auto image = createOffscreen(frame.deviceWidth(), frame.deviceHeight());
    if (!image) return nullptr;
    image->clear(clearColor);
    CDrawContext context(image->surface(), frame.getScale());
    frame.drawFrameRect(context, CRect(0, 0, size.getWidth(), size.getHeight()));
    return image;
}

}  // namespace toolkit
