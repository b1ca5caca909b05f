#pragma once
// The narrow interface between the portable toolkit and a platform back end.
//
// Portable code (views, controls, CDrawContext, CFrame) only sees the abstract classes
// below. A back end provides, in its own folder:
//   - a drawing surface (IDrawSurface) for windows and off-screen images,
//   - decoded bitmaps (decodePng) and fonts (createFont, registerFontFace),
//   - off-screen images (createOffscreen),
//   - a platform window bound to a CFrame (createPlatformWindow), optionally with a
//     native editor for text edits (IPlatformWindow::createNativeTextEdit).
// Linux: toolkit/cairo (drawing, PNG, FreeType text, off-screen) and toolkit/x11 (window).
// Windows: toolkit/windows (Direct2D, WIC, DirectWrite, Win32).
//
// Rules for every back end:
//   - All calls come from the GUI thread, except decodePng (from whichever thread makes a
//     CBitmap, one call at a time under the bitmap cache's lock) and registerFontFace
//     (typically at library load).
//   - Coordinates handed to IDrawSurface are device pixels of the surface (the portable
//     CDrawContext has already applied its offset and the frame's display scale; views
//     work in logical pixels, the 100 % layout). Colours are final: the portable side
//     has already multiplied in its global alpha. Every primitive is clipped to the rect
//     of the last setClip call.
//   - Coordinates are finite and text is well-formed UTF-8 (CDrawContext sees to both).
//   - Nothing throws; failures give null results or empty drawing.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "toolkit/events.h"
#include "toolkit/geometry.h"

namespace toolkit {

// A decoded image (premultiplied or straight alpha is the back end's business).
class IPlatformBitmap {
public:
    virtual ~IPlatformBitmap() = default;
    virtual int width() const = 0;   // pixels
    virtual int height() const = 0;  // pixels
    // Every pixel fully opaque: whatever lies under the image need not be drawn.
    virtual bool isOpaque() const { return false; }
};

// Whether 32-bit pixels with their alpha in the fourth byte (BGRA, or native ARGB on a
// little-endian machine) are all fully opaque.
inline bool allPixelsOpaque(const std::uint8_t* pixels, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (pixels[i * 4 + 3] != 0xFF) return false;
    return true;
}

// Font style bits, as CFontDesc stores them.
enum FontStyle : int { kNormalFace = 0, kBoldFace = 1 << 0, kItalicFace = 1 << 1 };

// A resolved font face at one size.
class IPlatformFont {
public:
    virtual ~IPlatformFont() = default;
    virtual double ascent() const = 0;   // pixels above the baseline
    virtual double descent() const = 0;  // pixels below the baseline (positive)
    virtual double capHeight() const = 0;
};

enum class LineCap : std::uint8_t { Butt, Round, Square };

class IDrawSurface {
public:
    virtual ~IDrawSurface() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Replaces the clip rectangle (device pixels).
    virtual void setClip(const CRect& clip) = 0;
    // Anti-aliased line of `width` pixels.
    virtual void drawLine(const CPoint& from, const CPoint& to, double width, LineCap cap, CColor color) = 0;
    virtual void fillRect(const CRect& rect, CColor color) = 0;
    virtual void strokeRect(const CRect& rect, double width, CColor color) = 0;
    virtual void fillEllipse(const CRect& bounds, CColor color) = 0;
    virtual void strokeEllipse(const CRect& bounds, double width, CColor color) = 0;
    // Copies the part of `bitmap` that starts at `sourceOffset` into `dest`, unscaled,
    // blended with opacity `alpha` (0 to 1).
    virtual void drawBitmap(const IPlatformBitmap& bitmap, const CRect& dest, const CPoint& sourceOffset,
                            float alpha) = 0;
    // Resamples the part `source` of `bitmap` (image pixels) onto `dest`, smoothly filtered,
    // for a display scale no drawn variant of the image matches.
    virtual void drawBitmapResampled(const IPlatformBitmap& bitmap, const CRect& dest, const CRect& source,
                                     float alpha) = 0;
    // UTF-8 text with its baseline starting at `origin`.
    virtual void drawText(const IPlatformFont& font, const char* utf8, const CPoint& origin, CColor color) = 0;
    // Advance width of UTF-8 text in pixels.
    virtual double textWidth(const IPlatformFont& font, const char* utf8) = 0;
};

// An image to draw into that tests and picture tools can read back and save.
class IOffscreenSurface {
public:
    virtual ~IOffscreenSurface() = default;
    virtual IDrawSurface& surface() = 0;
    // Straight (not premultiplied) colour of one pixel; transparent black outside.
    virtual CColor pixel(int x, int y) const = 0;
    virtual bool savePng(const char* path) = 0;
    // Sets every pixel to `color` (no blending).
    virtual void clear(CColor color) = 0;
};

// What a platform window calls on the frame it hosts. Points and rectangles are device
// pixels of the window; the frame maps them to its logical coordinates by its scale.
class IPlatformFrameCallbacks {
public:
    virtual ~IPlatformFrameCallbacks() = default;
    // Draws the frame's area `rect` into `surface` (already clipped to it).
    virtual void platformDrawRect(IDrawSurface& surface, const CRect& rect) = 0;
    virtual CMouseEventResult platformOnMouseDown(CPoint where, CButtonState buttons) = 0;
    virtual CMouseEventResult platformOnMouseUp(CPoint where, CButtonState buttons) = 0;
    virtual CMouseEventResult platformOnMouseMoved(CPoint where, CButtonState buttons) = 0;
    // The mouse left the window.
    virtual void platformOnMouseExited(CPoint where, CButtonState buttons) = 0;
    // Wheel distance in notches, positive up (away from the user).
    virtual bool platformOnMouseWheel(CPoint where, float distance, CButtonState buttons) = 0;
    // Answers whether the key was used (unused keys may go on to the host).
    virtual bool platformOnKeyDown(const CKeyEvent& key) = 0;
    // The window lost the keyboard focus.
    virtual void platformOnFocusLost() = 0;
};

// What a native single-line editor (Win32 "EDIT") needs to look like the text it edits.
struct NativeTextEditRequest {
    CRect rect;                 // device pixels of the window
    const char* text = "";      // UTF-8, the starting text
    const char* fontFamily = "";
    double fontSize = 12;       // device pixels
    int align = 0;              // 0 left, 1 centre, 2 right
    CColor fontColor{0, 0, 0, 255};
    CColor backColor{255, 255, 255, 255};
};

// A native editor made by the platform window. It reports the end of editing through
// the callback given at creation: Enter or Tab (accepted), Escape (dropped) and a loss of
// focus (accepted). The callback may come from inside the editor's own message handling,
// so the frame only records it and destroys the editor later, from its idle.
class INativeTextEdit {
public:
    virtual ~INativeTextEdit() = default;
    virtual std::string text() const = 0;  // UTF-8
    // Types a key into the editor as if it had been pressed there (keys the host routed to
    // the plug-in instead of the window); an end key ends editing through the callback.
    virtual void typeKey(const CKeyEvent& key) = 0;
};

// A child window inside the host's window that shows one frame.
class IPlatformWindow {
public:
    virtual ~IPlatformWindow() = default;
    // Marks an area (device pixels) for repainting at the next update().
    virtual void invalidRect(const CRect& rect) = 0;
    // Handles pending window-system events (input, exposure) through the callbacks.
    virtual void processEvents() = 0;
    // Repaints what was invalidated, through IPlatformFrameCallbacks::platformDrawRect.
    virtual void update() = 0;
    virtual bool setSize(int width, int height) = 0;
    // Asks for the keyboard focus (while a text edit is open) or gives it back to the parent.
    virtual void takeKeyboardFocus() = 0;
    virtual void releaseKeyboardFocus() = 0;
    // The platform's window handle (X11 Window id, HWND).
    virtual void* nativeHandle() const = 0;
    // Whether the window can be seen at all: it and the windows it lies in are shown, and it
    // is not completely covered. Nothing needs painting while it cannot.
    virtual bool isViewable() { return true; }
    // Whether the window system delivers keys to this window (or its native text editor)
    // itself, because it holds the keyboard focus.
    virtual bool keysArriveNatively() const { return false; }
    // Resizes the host's window that holds this one, where the platform lets a child do that
    // (Win32); false where the host resizes its window itself (X11).
    virtual bool resizeParent(int width, int height) {
        (void)width;
        (void)height;
        return false;
    }
    // The desktop's scale for this window now, as platform::desktopScale reads it, but over
    // the window's own connection (no new one per look); 0 where the window cannot tell.
    // Cheap enough for the timer, not for every frame.
    virtual double desktopScale() { return 0; }
    // Where the window's top-left corner is on the screen (device pixels); false where the
    // window system cannot tell. Cheap enough for the timer, not for every frame.
    virtual bool screenOrigin(int& x, int& y) {
        (void)x;
        (void)y;
        return false;
    }
    // Calls `tick` about every `periodMs` milliseconds while the window can be seen, and also
    // soon after window-system events arrive, until stopTimer. Win32: from the window's
    // message handling, on the GUI thread. X11: from a thread of the window's own, which
    // waits without work while the window cannot be seen; the callback must take whatever
    // lock guards the frame. False when no timer could be started (the caller's idle still
    // drives the frame).
    virtual bool startTimer(int periodMs, std::function<void()> tick) {
        (void)periodMs;
        (void)tick;
        return false;
    }
    // When this returns, no tick runs or will run (except when a tick stops its own timer:
    // that tick finishes). It waits for a running tick, so a caller that holds the lock the
    // tick takes must let a waiting tick give up.
    virtual void stopTimer() {}
    // Optional native editor for text edits; null (the default) lets the toolkit draw its
    // own editor and feed it keys through platformOnKeyDown.
    virtual std::unique_ptr<INativeTextEdit> createNativeTextEdit(const NativeTextEditRequest&,
                                                                  std::function<void(bool accepted)>) {
        return nullptr;
    }
};

// ---- Entry points each back end defines --------------------------------------------

// Null when the bytes are no image the back end can read.
std::shared_ptr<IPlatformBitmap> decodePng(const unsigned char* data, std::size_t size);
// Resolves a family by name: faces registered by registerFontFace first, then the
// system's fonts (with a metric-compatible substitute where the named face is missing).
// Null only when no face at all can be found.
std::shared_ptr<IPlatformFont> createFont(const char* family, double size, int style);
// Makes a TrueType/OpenType face held in memory available under `family` for this
// process. The bytes must stay valid for the life of the process (resource data).
bool registerFontFace(const char* family, const unsigned char* data, std::size_t size);
// Null for sizes that are not positive or too large to allocate.
std::unique_ptr<IOffscreenSurface> createOffscreen(int width, int height);
// Null when the parent is null or the window cannot be created.
std::unique_ptr<IPlatformWindow> createPlatformWindow(void* parent, int width, int height,
                                                      IPlatformFrameCallbacks& frame);

}  // namespace toolkit
