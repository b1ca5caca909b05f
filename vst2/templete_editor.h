#pragma once
// The plug-in's VST 2.4 editor: the host's editor calls reach the format-neutral meter
// editor, and the meter editor's requests (gestures, window size, the manual button) reach
// the host through the preset layer below.
//
// Threads: as MeterEditor's. The host opens, closes, idles and sends keys from its GUI
// thread; parameter changes from the effect (setParameter) come from any thread and are
// only recorded.
#include <cstdint>
#include <memory>

#include "core/editor_effect.h"
#include "editor/editor_host.h"
#include "editor/meter_editor.h"
#include "vst2/preset_system_editor.h"

class TemepleteEditor : public CPresetSystemEditor, private EditorHost {
public:
    static constexpr int kWidth = MeterEditor::kWidth;
    static constexpr int kOpenHeight = MeterEditor::kOpenHeight;
    static constexpr int kTimerPeriodMs = MeterEditor::kTimerPeriodMs;

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

    // GUI thread: the display scale; getRect follows with the size at that scale.
    bool setContentScale(double scale) override;

    // The idle step as the timer runs it (any thread; takes the GUI lock).
    void idleStep();

    // The format-neutral editor behind this one; null without an effect to show.
    MeterEditor* meterEditor() const { return meter_.get(); }
    int currentMeter() const { return meter_ ? meter_->currentMeter() : -1; }
    CZEBMeterFULLPANEL* panel(int meter) const { return meter_ ? meter_->panel(meter) : nullptr; }
    StripSafeEditor* filtersStrip() const { return meter_ ? meter_->filtersStrip() : nullptr; }
    StripSafeEditor* labelStrip() const { return meter_ ? meter_->labelStrip() : nullptr; }
    bool isTimerRunning() const { return meter_ && meter_->isTimerRunning(); }

protected:
    std::int32_t hostParameterFor(const CControl* control) const override;

private:
    bool attach(bool opened, void* parentWindow);
    // EditorHost: what the meter editor asks of the VST 2.4 host.
    void beginEdit(std::int32_t index) override { AEffGUIEditor::beginEdit(index); }
    void endEdit(std::int32_t index) override { AEffGUIEditor::endEdit(index); }
    bool requestResize(int width, int height) override;
    void onControlChanged(CControl* control) override { CPresetSystemEditor::valueChanged(control); }
    void onGestureBegin(CControl* control) override { noteGesture(control); }
    void onGestureEnd(CControl* control) override { noteGesture(control); }
    void idleHost() override { idlePresetSystem(); }

    std::unique_ptr<MeterEditor> meter_;
};
