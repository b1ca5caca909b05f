#include "toolkit/view_container.h"

#include <algorithm>

#include "toolkit/bitmap.h"
#include "toolkit/frame.h"

CViewContainer::CViewContainer(const CRect& size) : CView(size) {}

CViewContainer::~CViewContainer() { removeAll(true); }

bool CViewContainer::addView(CView* view) {
    if (!view || view == this || view->isAttached()) return false;
    children_.push_back(view);
    view->attached(this, getFrame());
    view->invalid();
    return true;
}

bool CViewContainer::removeView(CView* view, bool withForget) {
    auto found = std::find(children_.begin(), children_.end(), view);
    if (found == children_.end()) return false;
    view->invalid();
    children_.erase(found);
    if (mouseDownView_ == view) mouseDownView_ = nullptr;
    view->removed();
    if (withForget) view->forget();
    return true;
}

void CViewContainer::removeAll(bool withForget) {
    while (!children_.empty()) removeView(children_.back(), withForget);
}

bool CViewContainer::isChild(const CView* view) const {
    return std::find(children_.begin(), children_.end(), view) != children_.end();
}

CView* CViewContainer::getView(int index) const {
    if (index < 0 || index >= getNbViews()) return nullptr;
    return children_[static_cast<std::size_t>(index)];
}

void CViewContainer::setBackgroundColor(CColor color) {
    backgroundColor_ = color;
    setDirty(true);
}

void CViewContainer::attached(CViewContainer* parent, CFrame* frame) {
    CView::attached(parent, frame);
    for (CView* child : children_) child->attached(this, frame);
}

void CViewContainer::removed() {
    mouseDownView_ = nullptr;
    for (CView* child : children_) child->removed();
    CView::removed();
    // Children stay ours; they are only detached from the frame.
    for (CView* child : children_) child->attached(this, nullptr);
}

void CViewContainer::forgetMouseDownView(CView* view) {
    if (mouseDownView_ == view) mouseDownView_ = nullptr;
}

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateRect) {
    CRect visiblePart = updateRect;
    visiblePart.bound(size_);
    if (visiblePart.isEmpty()) return;
    context->saveGlobalState();
    context->setClipRect(visiblePart);
    context->offsetBy(size_.left, size_.top);
    drawContents(context, visiblePart.offset(-size_.left, -size_.top));
    context->restoreGlobalState();
    setDirty(false);
}

bool CViewContainer::coversOpaquely(const CRect& area) const {
    if (!isVisible() || alpha_ < 1.f || !size_.rectOverlap(area)) return false;
    CRect inside = area;
    if (inside.bound(size_) != area) return false;  // reaches beyond the container
    inside.offset(-size_.left, -size_.top);
    if (backgroundColor_.alpha == 255) return true;
    if (background_ && background_->isOpaque() && inside.right <= background_->getWidth() &&
        inside.bottom <= background_->getHeight())
        return true;
    for (const CView* child : children_)
        if (child->isVisible() && child->getAlphaValue() >= 1.f && child->coversOpaquely(inside)) return true;
    return false;
}

void CViewContainer::drawContents(CDrawContext* context, const CRect& localUpdate) {
    // What lies under the top-most child that hides the whole update area is never seen
    // (unless everything is drawn see-through).
    std::size_t first = 0;
    for (std::size_t i = context->getGlobalAlpha() >= 1.f ? children_.size() : 0; i-- > 0;) {
        const CView* child = children_[i];
        if (child->isVisible() && child->getAlphaValue() >= 1.f && child->coversOpaquely(localUpdate)) {
            first = i + 1;
            break;
        }
    }
    const CRect bounds(0, 0, size_.getWidth(), size_.getHeight());
    if (first == 0) {
        if (backgroundColor_.alpha > 0) {
            context->setFillColor(backgroundColor_);
            context->drawRect(bounds, kDrawFilled);
        }
        if (background_) context->drawBitmap(background_, bounds);
    }
    const CRect containerClip = context->getClipRect();
    const float baseAlpha = context->getGlobalAlpha();
    for (std::size_t i = first == 0 ? 0 : first - 1; i < children_.size(); ++i) {
        CView* child = children_[i];
        if (!child->isVisible() || !child->getViewSize().rectOverlap(localUpdate)) continue;
        CRect childUpdate = localUpdate;
        childUpdate.bound(child->getViewSize());
        context->setClipRect(childUpdate);
        context->setGlobalAlpha(baseAlpha * child->getAlphaValue());
        child->drawRect(context, childUpdate);
    }
    context->setGlobalAlpha(baseAlpha);
    context->setClipRect(containerClip);
}

CView* CViewContainer::viewAtLocal(const CPoint& local, bool deep) const {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        CView* child = *it;
        if (!child->isVisible() || !child->getMouseEnabled() || !child->hitTest(local)) continue;
        if (deep) {
            if (CViewContainer* container = child->asContainer()) {
                CPoint inner = local;
                inner.offset(-container->size_.left, -container->size_.top);
                if (CView* innerView = container->viewAtLocal(inner, true)) return innerView;
            }
        }
        return child;
    }
    return nullptr;
}

CView* CViewContainer::getViewAt(const CPoint& where, bool deep) const {
    return viewAtLocal(CPoint(where.x - size_.left, where.y - size_.top), deep);
}

bool CViewContainer::hitTest(const CPoint& where) const {
    return isVisible() && CView::hitTest(where);
}

CMouseEventResult CViewContainer::routeMouseDown(const CPoint& local, const CButtonState& buttons) {
    mouseDownView_ = nullptr;
    // A handler may add or remove views; walk a snapshot and keep each target alive.
    const std::vector<CView*> snapshot(children_.rbegin(), children_.rend());
    for (CView* child : snapshot) {
        if (!isChild(child) || !child->isVisible() || !child->getMouseEnabled() || !child->hitTest(local))
            continue;
        SharedPointer<CView> keepAlive(child);
        CPoint where = local;
        if (child->onMouseDown(where, buttons) == kMouseEventHandled) {
            if (isChild(child)) mouseDownView_ = child;
            return kMouseEventHandled;
        }
    }
    return kMouseEventNotHandled;
}

CMouseEventResult CViewContainer::routeMouseUp(const CPoint& local, const CButtonState& buttons) {
    CView* target = mouseDownView_;
    mouseDownView_ = nullptr;
    if (!target) return kMouseEventNotHandled;
    SharedPointer<CView> keepAlive(target);
    CPoint where = local;
    return target->onMouseUp(where, buttons);
}

CMouseEventResult CViewContainer::routeMouseMoved(const CPoint& local, const CButtonState& buttons) {
    CView* target = mouseDownView_ ? mouseDownView_ : viewAtLocal(local, false);
    if (!target) return kMouseEventNotHandled;
    SharedPointer<CView> keepAlive(target);
    CPoint where = local;
    return target->onMouseMoved(where, buttons);
}

bool CViewContainer::routeWheel(const CPoint& local, float distance, const CButtonState& buttons) {
    const std::vector<CView*> snapshot(children_.rbegin(), children_.rend());
    for (CView* child : snapshot) {
        if (!isChild(child) || !child->isVisible() || !child->getMouseEnabled() || !child->hitTest(local))
            continue;
        SharedPointer<CView> keepAlive(child);
        if (child->onWheel(local, distance, buttons)) return true;
    }
    return false;
}

CMouseEventResult CViewContainer::onMouseDown(CPoint& where, const CButtonState& buttons) {
    return routeMouseDown(CPoint(where.x - size_.left, where.y - size_.top), buttons);
}

CMouseEventResult CViewContainer::onMouseUp(CPoint& where, const CButtonState& buttons) {
    return routeMouseUp(CPoint(where.x - size_.left, where.y - size_.top), buttons);
}

CMouseEventResult CViewContainer::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    return routeMouseMoved(CPoint(where.x - size_.left, where.y - size_.top), buttons);
}

bool CViewContainer::onWheel(const CPoint& where, float distance, const CButtonState& buttons) {
    return routeWheel(CPoint(where.x - size_.left, where.y - size_.top), distance, buttons);
}
