#include "toolkit/view.h"

#include <cmath>

#include "toolkit/bitmap.h"
#include "toolkit/frame.h"

CView::CView(const CRect& size) : size_(size), mouseableArea_(size) {}

CView::~CView() {
    if (background_) background_->forget();
}

void CView::draw(CDrawContext* context) {
    if (background_) context->drawBitmap(background_, size_);
    setDirty(false);
}

void CView::drawRect(CDrawContext* context, const CRect&) { draw(context); }

CMouseEventResult CView::onMouseDown(CPoint&, const CButtonState&) { return kMouseEventNotHandled; }
CMouseEventResult CView::onMouseUp(CPoint&, const CButtonState&) { return kMouseEventNotHandled; }
CMouseEventResult CView::onMouseMoved(CPoint&, const CButtonState&) { return kMouseEventNotHandled; }
CMouseEventResult CView::onMouseEntered(CPoint&, const CButtonState&) { return kMouseEventNotHandled; }
CMouseEventResult CView::onMouseExited(CPoint&, const CButtonState&) { return kMouseEventNotHandled; }
bool CView::onWheel(const CPoint&, float, const CButtonState&) { return false; }
bool CView::onKeyDown(const CKeyEvent&) { return false; }

bool CView::hitTest(const CPoint& where) const { return mouseableArea_.pointInside(where); }

void CView::setViewSize(const CRect& size, bool invalidate) {
    if (!isFinite(size)) return;
    if (invalidate) invalid();
    const double dx = size.left - size_.left;
    const double dy = size.top - size_.top;
    // The mouseable area follows the view unless it was set to something of its own.
    if (mouseableArea_ == size_) mouseableArea_ = size;
    else mouseableArea_.offset(dx, dy);
    size_ = size;
    if (invalidate) invalid();
}

void CView::setVisible(bool visible) {
    if (visible_ == visible) return;
    if (!visible) invalid();  // repaint what the view covered
    visible_ = visible;
    if (visible) invalid();
}

void CView::setAlphaValue(float alpha) {
    if (!std::isfinite(alpha)) return;
    alpha_ = std::clamp(alpha, 0.f, 1.f);
    setDirty(true);
}

void CView::invalid() { invalidRect(size_); }

void CView::invalidRect(const CRect& rect) {
    if (!frame_ || !parent_) return;
    CRect inFrame = rect;
    localToFrame(inFrame);
    frame_->invalidRect(inFrame);
}

void CView::setBackground(CBitmap* bitmap) {
    if (bitmap == background_) return;
    if (bitmap) bitmap->remember();
    if (background_) background_->forget();
    background_ = bitmap;
    setDirty(true);
}

CPoint& CView::localToFrame(CPoint& point) const {
    for (const CView* container = parent_; container && container != frame_; container = container->parent_)
        point.offset(container->size_.left, container->size_.top);
    return point;
}

CPoint& CView::frameToLocal(CPoint& point) const {
    for (const CView* container = parent_; container && container != frame_; container = container->parent_)
        point.offset(-container->size_.left, -container->size_.top);
    return point;
}

CRect& CView::localToFrame(CRect& rect) const {
    CPoint origin = rect.getTopLeft();
    localToFrame(origin);
    return rect.moveTo(origin.x, origin.y);
}

void CView::attached(CViewContainer* parent, CFrame* frame) {
    parent_ = parent;
    frame_ = frame;
    setDirty(true);
}

void CView::removed() {
    if (frame_) frame_->onViewRemoved(this);
    parent_ = nullptr;
    frame_ = nullptr;
}
