#include "toolkit/frame.h"

#include <cmath>

#include "model/display_scale.h"
#include "platform/clock.h"
#include "toolkit/offscreen.h"

CFrame::CFrame(const CRect& size, void* parentWindow, VSTGUIEditorInterface* editor)
    : CViewContainer(size), editor_(editor) {
    // Opaque by default, so areas no view covers repaint cleanly.
    setBackgroundColor(kBlackCColor);
    attached(nullptr, this);
    if (parentWindow) open(parentWindow);
}

CFrame::~CFrame() {
    closeTextEdit(false);
    removeAll(true);
    window_.reset();
}

bool CFrame::open(void* parentWindow) {
    if (!parentWindow) return false;
    window_.reset();
    window_ = toolkit::createPlatformWindow(parentWindow, deviceWidth(), deviceHeight(), *this);
    if (window_) invalid();
    return window_ != nullptr;
}

bool CFrame::openOffscreen() {
    auto window = std::make_unique<toolkit::OffscreenWindow>(deviceWidth(), deviceHeight(), *this);
    if (!window->valid()) return false;
    window_ = std::move(window);
    invalid();
    return true;
}

bool CFrame::attachWindow(std::unique_ptr<toolkit::IPlatformWindow> window) {
    if (!window) return false;
    window_ = std::move(window);
    invalid();
    return true;
}

toolkit::OffscreenWindow* CFrame::getOffscreenWindow() const {
    return dynamic_cast<toolkit::OffscreenWindow*>(window_.get());
}

void CFrame::close() {
    if (closed_) return;
    closed_ = true;
    closeTextEdit(false);
    removeAll(true);
    // Inside idle the window may be delivering events; it goes when idle returns.
    if (!inIdle_) window_.reset();
    forget();
}

std::uint64_t CFrame::getTicks() const { return platform::tickCountMilliseconds(); }

bool CFrame::setSize(double width, double height) {
    if (!(width > 0 && height > 0 && width < 1e5 && height < 1e5)) return false;
    CRect newSize = size_;
    newSize.setWidth(width).setHeight(height);
    if (newSize == size_) return true;
    size_ = newSize;
    mouseableArea_ = newSize;
    if (window_) window_->setSize(deviceWidth(), deviceHeight());
    invalid();
    return true;
}

void CFrame::setScale(double scale) {
    const double clamped = display_scale::clamp(scale);
    if (clamped == scale_) return;
    scale_ = clamped;
    if (window_) window_->setSize(deviceWidth(), deviceHeight());
    invalid();
}

int CFrame::deviceWidth() const {
    return scale_ == 1 ? static_cast<int>(size_.getWidth()) : display_scale::edge(size_.getWidth(), scale_);
}

int CFrame::deviceHeight() const {
    return scale_ == 1 ? static_cast<int>(size_.getHeight()) : display_scale::edge(size_.getHeight(), scale_);
}

CRect CFrame::toDeviceArea(const CRect& frameRect) const {
    if (scale_ == 1) return frameRect;
    return CRect(std::floor(frameRect.left * scale_), std::floor(frameRect.top * scale_),
                 std::ceil(frameRect.right * scale_), std::ceil(frameRect.bottom * scale_));
}

CRect CFrame::toFrameArea(const CRect& deviceRect) const {
    if (scale_ == 1) return deviceRect;
    return CRect(std::floor(deviceRect.left / scale_), std::floor(deviceRect.top / scale_),
                 std::ceil(deviceRect.right / scale_), std::ceil(deviceRect.bottom / scale_));
}

CPoint CFrame::toFramePoint(const CPoint& devicePoint) const {
    if (scale_ == 1) return devicePoint;
    return CPoint(devicePoint.x / scale_, devicePoint.y / scale_);
}

void CFrame::invalidRect(const CRect& rect) {
    invalidRects_.add(rect, CRect(0, 0, size_.getWidth(), size_.getHeight()));
}

void CFrame::collectDirty(CView* view, const CPoint& origin) {
    if (!view->isVisible()) {
        view->takeDirty();
        return;
    }
    if (view != this && view->takeDirty()) {
        CRect area = view->getViewSize();
        invalidRect(area.offset(origin.x, origin.y));
    }
    if (CViewContainer* container = view->asContainer()) {
        const CPoint inner = view == this ? origin : origin + view->getViewSize().getTopLeft();
        for (int i = 0; i < container->getNbViews(); ++i) collectDirty(container->getView(i), inner);
    }
}

void CFrame::idle() {
    if (inIdle_) return;
    inIdle_ = true;
    SharedPointer<CView> keepAlive(this);
    if (window_) window_->processEvents();
    if (closed_) {
        window_.reset();
        inIdle_ = false;
        return;
    }
    if (nativeEditOutcome_ != 0) closeTextEdit(nativeEditOutcome_ > 0);
    if (takeDirty()) invalid();
    collectDirty(this, CPoint());
    if (window_ && !invalidRects_.empty() && window_->isViewable()) {
        for (const CRect& rect : invalidRects_.rects()) window_->invalidRect(toDeviceArea(rect));
        invalidRects_.clear();
        window_->update();
    }
    inIdle_ = false;
}

void CFrame::drawFrameRect(CDrawContext& context, const CRect& rect) {
    CRect area = rect;
    area.bound(CRect(0, 0, size_.getWidth(), size_.getHeight()));
    if (area.isEmpty()) return;
    context.saveGlobalState();
    context.setClipRect(area);
    drawContents(&context, area);
    if (textEditBox_ && textEditBox_->rect().rectOverlap(area)) {
        context.setClipRect(area);
        textEditBox_->draw(context);
    }
    context.restoreGlobalState();
}

void CFrame::platformDrawRect(toolkit::IDrawSurface& surface, const CRect& rect) {
    if (closed_) return;
    CDrawContext context(surface, scale_);
    drawFrameRect(context, toFrameArea(rect));
}

CPoint CFrame::pointIn(const CView* view, const CPoint& framePoint) const {
    CPoint point = framePoint;
    return view->frameToLocal(point);
}

void CFrame::checkMouseViews(const CPoint& where, const CButtonState& buttons) {
    CView* under = viewAtLocal(where, true);
    if (under == mouseOverView_) return;
    SharedPointer<CView> keepAlive(this);
    if (CView* old = mouseOverView_) {
        mouseOverView_ = nullptr;
        SharedPointer<CView> keepOld(old);
        CPoint local = pointIn(old, where);
        old->onMouseExited(local, buttons);
    }
    // The exit handler may have changed the tree; look again.
    under = viewAtLocal(where, true);
    if (under) {
        mouseOverView_ = under;
        SharedPointer<CView> keepNew(under);
        CPoint local = pointIn(under, where);
        under->onMouseEntered(local, buttons);
    }
}

// Frame-level handlers: `where` is in frame coordinates.

CMouseEventResult CFrame::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (textEditBox_) {
        if (textEditBox_->rect().pointInside(where)) {
            textEditBox_->onClick();
            invalidRect(textEditBox_->rect());
            return kMouseEventHandled;
        }
        closeTextEdit(true);  // a click elsewhere takes the text, like a loss of focus
    }
    if (nativeTextEdit_) closeTextEdit(true);
    checkMouseViews(where, buttons);
    mouseDown_ = true;
    const CMouseEventResult result = routeMouseDown(where, buttons);
    if (result != kMouseEventHandled) mouseDown_ = false;
    return result;
}

CMouseEventResult CFrame::onMouseUp(CPoint& where, const CButtonState& buttons) {
    mouseDown_ = false;
    return routeMouseUp(where, buttons);
}

CMouseEventResult CFrame::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    const bool anyButton = (buttons & (kLButton | kMButton | kRButton)) != 0;
    if (mouseDown_ && !anyButton) {
        // The release went elsewhere (outside the window); end the press here.
        onMouseUp(where, buttons);
    }
    if (mouseDown_) return routeMouseMoved(where, buttons);
    checkMouseViews(where, buttons);
    return routeMouseMoved(where, buttons);
}

CMouseEventResult CFrame::onMouseExited(CPoint& where, const CButtonState& buttons) {
    if (CView* old = mouseOverView_) {
        mouseOverView_ = nullptr;
        SharedPointer<CView> keepOld(old);
        CPoint local = pointIn(old, where);
        old->onMouseExited(local, buttons);
    }
    return kMouseEventHandled;
}

bool CFrame::onWheel(const CPoint& where, float distance, const CButtonState& buttons) {
    if (!std::isfinite(distance) || distance == 0) return false;
    return routeWheel(where, distance, buttons);
}

// Window callbacks: ignored once the frame is closed (a handler may close it while the
// window is still delivering events).

CMouseEventResult CFrame::platformOnMouseDown(CPoint where, CButtonState buttons) {
    if (closed_) return kMouseEventNotHandled;
    SharedPointer<CView> keepAlive(this);
    where = toFramePoint(where);
    return onMouseDown(where, buttons);
}

CMouseEventResult CFrame::platformOnMouseUp(CPoint where, CButtonState buttons) {
    if (closed_) return kMouseEventNotHandled;
    SharedPointer<CView> keepAlive(this);
    where = toFramePoint(where);
    return onMouseUp(where, buttons);
}

CMouseEventResult CFrame::platformOnMouseMoved(CPoint where, CButtonState buttons) {
    if (closed_) return kMouseEventNotHandled;
    SharedPointer<CView> keepAlive(this);
    where = toFramePoint(where);
    return onMouseMoved(where, buttons);
}

void CFrame::platformOnMouseExited(CPoint where, CButtonState buttons) {
    if (closed_) return;
    SharedPointer<CView> keepAlive(this);
    where = toFramePoint(where);
    onMouseExited(where, buttons);
}

bool CFrame::platformOnMouseWheel(CPoint where, float distance, CButtonState buttons) {
    if (closed_) return false;
    SharedPointer<CView> keepAlive(this);
    return onWheel(toFramePoint(where), distance, buttons);
}

bool CFrame::platformOnKeyDown(const CKeyEvent& key) {
    if (closed_) return false;
    SharedPointer<CView> keepAlive(this);
    if (textEditBox_) {
        switch (textEditBox_->onKey(key)) {
            case TextEditBox::KeyResult::Accept: closeTextEdit(true); break;
            case TextEditBox::KeyResult::Cancel: closeTextEdit(false); break;
            case TextEditBox::KeyResult::Used: invalidRect(textEditBox_->rect()); break;
        }
        return true;  // the open editor takes every key
    }
    if (focusView_) {
        SharedPointer<CView> keepFocus(focusView_);
        return focusView_->onKeyDown(key);
    }
    return false;
}

bool CFrame::onHostKeyDown(const CKeyEvent& key) {
    if (closed_) return false;
    SharedPointer<CView> keepAlive(this);
    if (isTextEditOpen()) {
        if (window_ && window_->keysArriveNatively()) return true;
        if (nativeTextEdit_) {
            nativeTextEdit_->typeKey(key);
            return true;
        }
        return platformOnKeyDown(key);
    }
    if (focusView_) {
        SharedPointer<CView> keepFocus(focusView_);
        return focusView_->onKeyDown(key);
    }
    return false;
}

void CFrame::platformOnFocusLost() {
    if (closed_) return;
    SharedPointer<CView> keepAlive(this);
    if (textEditBox_) closeTextEdit(true);  // a native editor reports its own focus loss
}

void CFrame::setFocusView(CView* view) {
    if (view == focusView_) return;
    CView* old = focusView_;
    focusView_ = view;
    if (old) old->looseFocus();
    if (view) view->takeFocus();
}

bool CFrame::openTextEdit(ITextEditClient* client, const CRect& frameRect, const char* text,
                          const TextEditBoxStyle& style) {
    if (!client) return false;
    if (isTextEditOpen()) closeTextEdit(true);
    textEditClient_ = client;
    textEditView_ = dynamic_cast<CView*>(client);
    nativeEditOutcome_ = 0;
    if (window_) {
        CFontDesc* font = style.font ? style.font : defaultFont();
        toolkit::NativeTextEditRequest request;
        request.rect = toDeviceArea(frameRect);
        request.text = text ? text : "";
        request.fontFamily = font->getName().c_str();
        request.fontSize = font->getSize() * scale_;
        request.align = style.align == kCenterText ? 1 : style.align == kRightText ? 2 : 0;
        request.fontColor = style.fontColor;
        request.backColor = style.backColor;
        nativeTextEdit_ = window_->createNativeTextEdit(request, [this](bool accepted) {
            nativeEditOutcome_ = accepted ? 1 : -1;  // finished from idle, outside the editor's handler
        });
        if (nativeTextEdit_) return true;
    }
    textEditBox_ = std::make_unique<TextEditBox>(frameRect, text, style);
    invalidRect(frameRect);
    if (window_) window_->takeKeyboardFocus();
    return true;
}

void CFrame::closeTextEdit(bool accept) {
    if (!isTextEditOpen()) return;
    // Close first: the client may open another edit or close the frame from its callback.
    std::string finalText;
    if (textEditBox_) {
        finalText = textEditBox_->text();
        invalidRect(textEditBox_->rect());
        textEditBox_.reset();
        if (window_) window_->releaseKeyboardFocus();
    } else {
        finalText = nativeTextEdit_->text();
        nativeTextEdit_.reset();
    }
    nativeEditOutcome_ = 0;
    ITextEditClient* client = textEditClient_;
    textEditClient_ = nullptr;
    textEditView_ = nullptr;
    if (client) client->textEditDone(finalText.c_str(), accept);
}

void CFrame::onViewRemoved(CView* view) {
    if (mouseOverView_ == view) mouseOverView_ = nullptr;
    if (focusView_ == view) focusView_ = nullptr;
    if (textEditView_ == view) {
        // Its editor goes with it, without calling back into a view that is leaving.
        textEditBox_.reset();
        nativeTextEdit_.reset();
        nativeEditOutcome_ = 0;
        textEditClient_ = nullptr;
        textEditView_ = nullptr;
        if (window_) window_->releaseKeyboardFocus();
    }
}
