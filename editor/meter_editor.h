#pragma once
// The plug-in's editor, whatever format shows it: the frame in the host's window with the
// panel of the selected meter, the strips below it, the window size that follows the strips,
// and the routes between the controls and the effect. A format wrapper makes one with the
// effect (EditorEffect) and its side of the host (EditorHost) and forwards the host's calls.
//
// Threads. The host opens, closes, idles and sends keys from its user-interface thread; the
// window's timer runs the same idle step (on Linux from a thread of its own) at a steady
// rate, so the needles move smoothly whatever the host's idle rate. Both hold the editor's
// lock while they touch views. Parameter changes from the effect (setParameter) come from any
// thread, the audio thread among them: they are only recorded, and the next idle step
// applies them to the views.
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

#include "core/editor_effect.h"
#include "editor/desktop_scale_follower.h"
#include "editor/editor_host.h"
#include "editor/editor_lock.h"
#include "editor/strip_editor.h"
#include "model/display_scale.h"
#include "model/editor_size.h"
#include "toolkit/control.h"
#include "toolkit/editor_interface.h"
#include "toolkit/events.h"

class CBitmap;
class CPopupMenuView;
class CZEBMeterFULLPANEL;

class MeterEditor : public VSTGUIEditorInterface, public CControlListener, public EditorParameterSink {
public:
    static constexpr int kWidth = editor_size::kWidth;
    static constexpr int kOpenHeight = editor_size::kOpenHeight;
    static constexpr int kTimerPeriodMs = 16;  // about 60 redraws a second
    static constexpr int kDesktopLookMs = 500;  // how often an open window checks the desktop's scale
    static constexpr int kBackgroundId = 10000;

    // Listens to the effect's parameter changes until destroyed. `lock` is the lock the
    // format's editor and its callers share with this one.
    MeterEditor(EditorEffect& effect, EditorHost& host, EditorMutex& lock);
    ~MeterEditor() override;
    MeterEditor(const MeterEditor&) = delete;
    MeterEditor& operator=(const MeterEditor&) = delete;

    // Builds the editor into a child window of `parentWindow` (HWND, X11 Window id), or
    // into an off-screen image (pictures, tests); false when it could not be made.
    bool open(void* parentWindow);
    bool openOffscreen();
    void close();
    // Stops the window's timer and the recording of changes (the first step of close, for
    // a format that has its own teardown to do before the views go).
    void stopTimer();
    bool isOpen() const { return frame != nullptr; }
    // The host's idle call: runs the idle step when the timer falls behind (or has none).
    void idle();
    // The idle step itself, as the timer runs it (takes the lock): applies recorded
    // parameter changes, updates the visible meter and repaints what changed.
    void idleStep();
    // A key the host routes to the editor: true when the editor used it.
    bool onKeyDown(const CKeyEvent& key);
    bool onKeyUp();

    // The window size in device pixels at the current scale (also before open and after
    // close: the size the strips ask for).
    int width() const { return editor_size::scaled(kWidth, scale_); }
    int height() const { return editor_size::scaled(height_, scale_); }
    // GUI thread; take the editor's lock. The sources of the display scale: the user's zoom
    // (0 = Auto), the scale the host states and the desktop's (0 = none, junk is ignored).
    // The editor draws at display_scale::resolve of them; when that changes, an open editor
    // is redrawn at once and the host is asked for the size at it. An editor in a window
    // follows its desktop's scale while open (see DesktopScaleFollower), when nothing above
    // it holds.
    void setUserZoom(double zoom);
    void setHostScale(double scale);
    void setDesktopScale(double scale);
    double scale() const { return scale_; }
    const display_scale::ScaleSources& scaleSources() const { return scaleSources_; }
    // GUI thread, under the editor's lock. The zoom menu a right click on the frame opens
    // (where no control takes the click): Auto and the fixed zooms. A choice is kept for
    // every instance (an editor opened in a window starts at it) and applies at once.
    void showZoomMenu(const CPoint& at);
    CPopupMenuView* zoomMenu() const;
    void chooseZoom(double zoom);

    // Any thread: records the change for the next idle step (nothing while closed).
    void setParameter(std::int32_t index, float value) override;
    void valueChanged(CControl* control) override;
    void controlBeginEdit(CControl* control) override;
    void controlEndEdit(CControl* control) override;
    // The host parameter a control's gesture belongs to: typed values are gestures on the
    // parameter they set.
    std::int32_t hostParameterFor(const CControl* control) const;

    // VSTGUIEditorInterface: gestures from the views go to the host.
    void beginEdit(std::int32_t index) override { host_.beginEdit(index); }
    void endEdit(std::int32_t index) override { host_.endEdit(index); }
    int getKnobMode() const override;

    int currentMeter() const { return currentMeter_; }
    CZEBMeterFULLPANEL* panel(int meter) const;
    StripSafeEditor* filtersStrip() const { return filtersStrip_.get(); }
    StripSafeEditor* labelStrip() const { return labelStrip_.get(); }
    bool isTimerRunning() const { return timerRunning_; }

private:
    static constexpr int kTrackedParameters = 128;  // every index a view shows (up to 121)

    bool build(void* parentWindow, bool offscreen);
    void timerTick();
    void applyPendingParameters();
    void applyParameter(std::int32_t index, float value);
    void selectMeter(float value);
    // Shows the strip variants the switches and the meter ask for and sizes the window to
    // them (the host only hears of it when the height changes).
    void layoutStrips();
    void resizeTo(int height);
    // Tells the window and the host the size at the current scale.
    void announceSize();
    void applyScale();
    // From the idle step: one look at the desktop's scale every kDesktopLookMs.
    void followDesktopScale();
    double interpolationFactor() const;

    EditorEffect& effect_;  // the effect, as the editor sees it
    EditorHost& host_;
    EditorMutex& lock_;
    CBitmap* background_;  // PNG 10000, one reference from construction to destruction
    std::array<std::unique_ptr<CZEBMeterFULLPANEL>, 3> panels_;  // VU, RMS, PPM while open
    std::unique_ptr<StripSafeEditor> filtersStrip_;
    std::unique_ptr<StripSafeEditor> labelStrip_;
    SharedPointer<CPopupMenuView> zoomMenu_;      // the last zoom menu shown, while open
    int height_ = kOpenHeight;                    // logical pixels; follows the strips
    double scale_ = 1;                            // display scale, GUI thread only
    display_scale::ScaleSources scaleSources_;    // GUI thread only
    void* parentWindow_ = nullptr;                // the host's window while open in one
    DesktopScaleFollower desktopFollower_;
    std::chrono::steady_clock::time_point nextDesktopLook_{};
    int currentMeter_ = -1;                       // 0 VU, 1 RMS, 2 PPM; -1 none yet
    int settingsShownFor_ = -1;                   // meter turned to its settings when last closed
    std::array<int, 3> stripLayout_{-1, -1, -1};  // "Strips", "ShowFlt", "ShowLbl" as applied
    bool inIdle_ = false;
    bool timerRunning_ = false;
    std::chrono::steady_clock::time_point lastStep_{};

    // Written by any thread, taken by the idle step.
    std::atomic<bool> accepting_{false};  // open: changes are recorded
    std::atomic<bool> timerStopping_{false};
    std::array<std::atomic<float>, kTrackedParameters> pendingValue_{};
    std::array<std::atomic<std::uint64_t>, kTrackedParameters / 64> pendingMask_{};
};
