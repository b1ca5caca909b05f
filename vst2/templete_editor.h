#pragma once
// The plug-in's editor: the frame in the host's window with the panel of the selected meter,
// the strips below it, the window size that follows the strips, and the routes between the
// controls and the effect.
//
// Threads. The host opens, closes, idles and sends keys from its GUI thread; the window's
// timer runs the same idle step (on Linux from a thread of its own) at a steady rate, so the
// needles move smoothly whatever the host's idle rate. Both hold the GUI lock while they
// touch views. Parameter changes from the effect (setParameter) come from any thread: they
// are only recorded, and the next idle step applies them to the views.
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

#include "core/editor_effect.h"
#include "editor/strip_editor.h"
#include "model/editor_size.h"
#include "vst2/preset_system_editor.h"

class CBitmap;
class CZEBMeterFULLPANEL;

class TemepleteEditor : public CPresetSystemEditor, public EditorParameterSink {
public:
    static constexpr int kWidth = editor_size::kWidth;
    static constexpr int kOpenHeight = editor_size::kOpenHeight;
    static constexpr int kMeterAreaHeight = editor_size::kMeterAreaHeight;  // the meter panels; the strips start below
    static constexpr int kTimerPeriodMs = 16;     // about 60 redraws a second
    static constexpr int kBackgroundId = 10000;

    TemepleteEditor(CPresetSystemEffect* effect, EditorEffect* link);
    ~TemepleteEditor() override;

    bool open(void* parentWindow) override;
    // Builds the editor into an off-screen image instead of a window (pictures, tests).
    bool openOffscreen();
    void close() override;
    void idle() override;
    // Any thread: records the change for the next idle step (nothing while closed).
    void setParameter(VstInt32 index, float value) override;
    void valueChanged(CControl* control) override;

    // The idle step itself, as the timer runs it (any thread; takes the GUI lock): applies
    // recorded parameter changes, updates the visible meter and repaints what changed.
    void idleStep();

    int currentMeter() const { return currentMeter_; }
    CZEBMeterFULLPANEL* panel(int meter) const;
    StripSafeEditor* filtersStrip() const { return filtersStrip_.get(); }
    StripSafeEditor* labelStrip() const { return labelStrip_.get(); }
    bool isTimerRunning() const { return timerRunning_; }

protected:
    std::int32_t hostParameterFor(const CControl* control) const override;

private:
    static constexpr int kTrackedParameters = 128;  // every index a view shows (up to 121)

    bool build(void* parentWindow, bool offscreen);
    void timerTick();
    void applyPendingParameters();
    void applyParameter(VstInt32 index, float value);
    void selectMeter(float value);
    // Shows the strip variants the switches and the meter ask for and sizes the window to
    // them (the host only hears of it when the height changes).
    void layoutStrips();
    void resizeTo(int height);
    double interpolationFactor() const;

    EditorEffect* link_;   // the effect, as the editor sees it; not owned
    CBitmap* background_;  // PNG 10000, one reference from construction to destruction
    std::array<std::unique_ptr<CZEBMeterFULLPANEL>, 3> panels_;  // VU, RMS, PPM while open
    std::unique_ptr<StripSafeEditor> filtersStrip_;
    std::unique_ptr<StripSafeEditor> labelStrip_;
    int currentMeter_ = -1;                     // 0 VU, 1 RMS, 2 PPM; -1 none yet
    int settingsShownFor_ = -1;                 // meter turned to its settings when last closed
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
