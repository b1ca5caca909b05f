#pragma once
// The base of everything shown in a frame: a rectangle in its parent's coordinates,
// visibility, mouse handling and a dirty flag.
//
// Threads: setDirty()/isDirty() may be called from any thread (the frame's idle turns
// dirty views into repaints on the GUI thread). Everything else is GUI-thread only.
#include <atomic>
#include <cstdint>

#include "toolkit/base_object.h"
#include "toolkit/draw_context.h"
#include "toolkit/events.h"
#include "toolkit/geometry.h"

class CBitmap;
class CFrame;
class CViewContainer;

class CView : public CBaseObject {
public:
    explicit CView(const CRect& size);

    // Drawing; `updateRect` is in the same coordinates as the view's size.
    virtual void draw(CDrawContext* context);
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);

    // Mouse events; `where` is in the same coordinates as the view's size.
    virtual CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons);
    // Distance in wheel notches, positive up; answers whether the view used it.
    virtual bool onWheel(const CPoint& where, float distance, const CButtonState& buttons);
    virtual bool onKeyDown(const CKeyEvent& key);
    // Whether a mouse event at `where` belongs to this view.
    virtual bool hitTest(const CPoint& where) const;

    virtual void setViewSize(const CRect& size, bool invalidate = true);
    const CRect& getViewSize() const { return size_; }
    double getWidth() const { return size_.getWidth(); }
    double getHeight() const { return size_.getHeight(); }
    void setMouseableArea(const CRect& area) { mouseableArea_ = area; }
    const CRect& getMouseableArea() const { return mouseableArea_; }

    virtual void setVisible(bool visible);
    bool isVisible() const { return visible_; }
    void setMouseEnabled(bool enabled) { mouseEnabled_ = enabled; }
    bool getMouseEnabled() const { return mouseEnabled_; }
    // Opacity the parent applies when drawing this view, 0 to 1.
    void setAlphaValue(float alpha);
    float getAlphaValue() const { return alpha_; }

    // Any thread: asks for a repaint at the frame's next idle.
    void setDirty(bool dirty = true) { dirty_.store(dirty, std::memory_order_release); }
    bool isDirty() const { return dirty_.load(std::memory_order_acquire); }
    // Clears the flag and answers whether it was set.
    bool takeDirty() { return dirty_.exchange(false, std::memory_order_acq_rel); }

    // GUI thread: schedules a repaint of the whole view or of a part of it (`rect` in the
    // view's size coordinates). Nothing happens while the view is not in a frame.
    virtual void invalid();
    virtual void invalidRect(const CRect& rect);

    // Background bitmap (a control's face); the view holds one reference.
    void setBackground(CBitmap* bitmap);
    CBitmap* getBackground() const { return background_; }

    CViewContainer* getParentView() const { return parent_; }
    CFrame* getFrame() const { return frame_; }
    bool isAttached() const { return parent_ != nullptr; }
    // Converts a point in this view's size coordinates to frame coordinates and back.
    CPoint& localToFrame(CPoint& point) const;
    CPoint& frameToLocal(CPoint& point) const;
    CRect& localToFrame(CRect& rect) const;

    // Called by the container that adopts or drops the view.
    virtual void attached(CViewContainer* parent, CFrame* frame);
    virtual void removed();

    // Whether drawing the view hides everything under `area` (the parent's coordinates, like
    // the view's size): its parent then skips what lies beneath. False unless a view knows.
    virtual bool coversOpaquely(const CRect& area) const {
        (void)area;
        return false;
    }
    // The view as a container, or null: cheaper than a dynamic_cast on every repaint walk.
    virtual CViewContainer* asContainer() { return nullptr; }

    // Keyboard focus hand-over (CFrame::setFocusView).
    virtual void takeFocus() {}
    virtual void looseFocus() {}

    TOOLKIT_TYPE_NAME("CView", CBaseObject)

protected:
    ~CView() override;

    CRect size_;
    CRect mouseableArea_;
    bool visible_ = true;
    bool mouseEnabled_ = true;
    float alpha_ = 1.f;  // 0 to 1
    CBitmap* background_ = nullptr;

private:
    CViewContainer* parent_ = nullptr;
    CFrame* frame_ = nullptr;
    std::atomic<bool> dirty_{false};
};
