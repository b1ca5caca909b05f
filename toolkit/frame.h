#pragma once
// The top container: bound to one platform window inside the host's window (or to an
// off-screen image), it tracks the view under the mouse, the keyboard focus and the one
// open text edit, and repaints in idle() exactly what was invalidated or marked dirty.
// Views live in logical coordinates (the 100 % layout); the frame's display scale maps them
// to the device pixels of its window or image, and the window's input back by ÷ scale.
#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/backend.h"
#include "toolkit/dirty_region.h"
#include "toolkit/text_edit_box.h"
#include "toolkit/view_container.h"

namespace toolkit { class OffscreenWindow; }
class VSTGUIEditorInterface;

class CFrame : public CViewContainer, public toolkit::IPlatformFrameCallbacks {
public:
    // Opens a window inside `parentWindow` when it is not null (see open()). `editor` is the
    // plug-in editor the frame belongs to, if any (not owned).
    explicit CFrame(const CRect& size, void* parentWindow = nullptr, VSTGUIEditorInterface* editor = nullptr);

    VSTGUIEditorInterface* getEditor() const { return editor_; }

    // Creates the platform child window inside the host's window; false when the parent
    // is null or the window cannot be made. An open frame is opened again in the new parent.
    bool open(void* parentWindow);
    // Binds the frame to an off-screen image of its size instead of a window.
    bool openOffscreen();
    // Binds the frame to a window made elsewhere (tests, tools); false for null.
    bool attachWindow(std::unique_ptr<toolkit::IPlatformWindow> window);
    bool isOpen() const { return window_ != nullptr; }
    // Removes and releases all views, closes the window and drops the creator's reference
    // (the frame is freed unless someone else still holds one). Safe inside event handlers.
    void close();

    // GUI thread, from the editor's idle: handles the window's events and repaints what
    // changed, unless the window cannot be seen (it is repainted when it shows again).
    void idle();
    // Whether the frame's window can be seen (an off-screen frame always can).
    bool isWindowViewable() const { return window_ && window_->isViewable(); }
    // The process's monotonic millisecond clock.
    std::uint64_t getTicks() const;

    // Logical size; the window or image follows at the display scale.
    bool setSize(double width, double height);
    // GUI thread. The display scale, clamped to display_scale::kMin ... kMax (not finite
    // gives 1): resizes the window or image to the size at that scale and repaints all.
    void setScale(double scale);
    double getScale() const { return scale_; }
    // The size in device pixels at the current scale (each edge rounded).
    int deviceWidth() const;
    int deviceHeight() const;
    // Frame coordinates to device pixels, rounded outwards (repaint areas), and back.
    CRect toDeviceArea(const CRect& frameRect) const;
    CRect toFrameArea(const CRect& deviceRect) const;
    CPoint toFramePoint(const CPoint& devicePoint) const;
    // Frame coordinates.
    void invalidRect(const CRect& rect) override;
    void invalid() override { invalidRect(CRect(0, 0, size_.getWidth(), size_.getHeight())); }
    // Renders `rect` (frame coordinates) with all views and the open text edit.
    void drawFrameRect(CDrawContext& context, const CRect& rect);

    // Mouse-over tracking: sends exit/enter when the view under `where` changed.
    void checkMouseViews(const CPoint& where, const CButtonState& buttons);
    CView* getMouseOverView() const { return mouseOverView_; }

    void setFocusView(CView* view);
    CView* getFocusView() const { return focusView_; }

    // Opens a text editor over `frameRect`: the window's native one where it has one,
    // else the toolkit's own. A text edit already open is taken first (as on a loss of
    // focus). False without a client.
    bool openTextEdit(ITextEditClient* client, const CRect& frameRect, const char* text,
                      const TextEditBoxStyle& style);
    // Ends the open text edit, taking or dropping its text.
    void closeTextEdit(bool accept);
    // A key the host routed to the plug-in rather than to the window. While a text edit is
    // open it belongs to the edit: typed into it, unless the window holds the keyboard focus
    // (then the window system delivers the key itself, and typing it again would double it);
    // either way the answer is true. Otherwise the focus view may use it.
    bool onHostKeyDown(const CKeyEvent& key);
    ITextEditClient* getCurrentTextEdit() const { return textEditClient_; }
    bool isTextEditOpen() const { return textEditBox_ || nativeTextEdit_; }
    const TextEditBox* getTextEditBox() const { return textEditBox_.get(); }

    toolkit::IPlatformWindow* getPlatformWindow() const { return window_.get(); }
    toolkit::OffscreenWindow* getOffscreenWindow() const;

    // Called by views that leave the frame.
    void onViewRemoved(CView* view);

    // Mouse handling at frame level, `where` in frame coordinates; subclasses may extend it.
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    // The mouse left the window.
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

    // Window callbacks (device pixels of the window); they call the handlers above with
    // frame coordinates.
    void platformDrawRect(toolkit::IDrawSurface& surface, const CRect& rect) override;
    CMouseEventResult platformOnMouseDown(CPoint where, CButtonState buttons) override;
    CMouseEventResult platformOnMouseUp(CPoint where, CButtonState buttons) override;
    CMouseEventResult platformOnMouseMoved(CPoint where, CButtonState buttons) override;
    void platformOnMouseExited(CPoint where, CButtonState buttons) override;
    bool platformOnMouseWheel(CPoint where, float distance, CButtonState buttons) override;
    bool platformOnKeyDown(const CKeyEvent& key) override;
    void platformOnFocusLost() override;

    TOOLKIT_TYPE_NAME("CFrame", CViewContainer)

protected:
    ~CFrame() override;

private:
    void collectDirty(CView* view, const CPoint& origin);
    CPoint pointIn(const CView* view, const CPoint& framePoint) const;
    void clearTracking();

    VSTGUIEditorInterface* editor_;         // not owned; may be null
    std::unique_ptr<toolkit::IPlatformWindow> window_;
    toolkit::DirtyRegion invalidRects_;     // frame coordinates, waiting for the next paint
    CView* mouseOverView_ = nullptr;        // innermost view under the mouse
    CView* focusView_ = nullptr;
    bool mouseDown_ = false;                // a press is being routed to its view
    std::unique_ptr<TextEditBox> textEditBox_;             // the toolkit's own editor, or
    std::unique_ptr<toolkit::INativeTextEdit> nativeTextEdit_;  // the window's native one
    int nativeEditOutcome_ = 0;             // native editor ended: 1 accepted, -1 dropped
    ITextEditClient* textEditClient_ = nullptr;
    CView* textEditView_ = nullptr;         // the view that opened it, if it is a view
    double scale_ = 1;                      // device pixels per logical pixel
    bool inIdle_ = false;
    bool closed_ = false;                   // close() ran; the frame only waits to be freed
};
