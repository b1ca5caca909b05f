#pragma once
// A view that holds child views, draws them over its background and routes mouse events
// to the child under the mouse, top-most (last added) first.
//
// Ownership: addView() takes over the caller's reference (the one `new` gave). removeView()
// with `withForget` true drops it, false hands it back to the caller. The container drops
// the references of the children it still holds when it is destroyed.
#include <vector>

#include "toolkit/view.h"

class CViewContainer : public CView {
public:
    explicit CViewContainer(const CRect& size);

    // False (and the caller keeps its reference) for null or already attached views.
    virtual bool addView(CView* view);
    virtual bool removeView(CView* view, bool withForget = true);
    virtual void removeAll(bool withForget = true);
    bool isChild(const CView* view) const;
    int getNbViews() const { return static_cast<int>(children_.size()); }
    CView* getView(int index) const;

    void setBackgroundColor(CColor color);
    CColor getBackgroundColor() const { return backgroundColor_; }

    // The child (or with `deep`, the innermost view) under `where` (the container's
    // size coordinates) that is visible and takes the mouse; null when none.
    CView* getViewAt(const CPoint& where, bool deep = false) const;

    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    bool hitTest(const CPoint& where) const override;

    void attached(CViewContainer* parent, CFrame* frame) override;
    void removed() override;
    CViewContainer* asContainer() override { return this; }
    // An opaque background over `area`, or a child that covers it.
    bool coversOpaquely(const CRect& area) const override;

    TOOLKIT_TYPE_NAME("CViewContainer", CView)

protected:
    ~CViewContainer() override;

    // The same operations with `local` in the children's coordinates.
    void drawContents(CDrawContext* context, const CRect& localUpdate);
    CMouseEventResult routeMouseDown(const CPoint& local, const CButtonState& buttons);
    CMouseEventResult routeMouseUp(const CPoint& local, const CButtonState& buttons);
    CMouseEventResult routeMouseMoved(const CPoint& local, const CButtonState& buttons);
    bool routeWheel(const CPoint& local, float distance, const CButtonState& buttons);
    CView* viewAtLocal(const CPoint& local, bool deep) const;
    // Drops a child that is going away from the mouse-capture bookkeeping.
    void forgetMouseDownView(CView* view);

private:
    std::vector<CView*> children_;  // each holds one reference, drawing order
    CView* mouseDownView_ = nullptr;  // child that took the last mouse down
    CColor backgroundColor_ = kTransparentCColor;
};
