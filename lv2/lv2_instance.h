#pragma once
// One LV2 instance of the effect, as the plug-in's descriptor and its UI (which reaches it
// through instance-access) share it. Both live in the same binary, so there is one copy of
// the process-wide settings stores and meter models.
#include <lv2/urid/urid.h>

#include <atomic>
#include <cmath>

#include "core/meter_effect.h"
#include "lv2/lv2_ports.h"

namespace lv2_plugin {

// What the effect tells its format. An edit made in our UI applies to the effect at once
// and goes back to the host through the UI (LV2 lets only a UI write control ports).
class UiRelay final : public FormatLink {
public:
    explicit UiRelay(MeterEffect& effect) : effect_(effect) {}
    // The UI's own link while it is open; null when it closes (host's UI thread).
    void attach(FormatLink* ui) { ui_.store(ui, std::memory_order_release); }
    // From the editor's thread (host UI thread or the editor's timer), never from run().
    void automateParameter(int index, float value) override {
        effect_.setParameter(index, value);
        if (FormatLink* ui = ui_.load(std::memory_order_acquire)) ui->automateParameter(index, value);
    }
    void hostParameterChanged(int, float) override {}

private:
    MeterEffect& effect_;
    std::atomic<FormatLink*> ui_{nullptr};
};

struct Instance {
    UiRelay format{effect};  // holds on to the effect, calls it only once both exist
    MeterEffect effect{format};
    LV2_URID chunkKey = 0;   // URID of the state property holding the chunk
    LV2_URID chunkType = 0;  // URID of atom:Chunk
    const float* audioIn[2] = {};
    float* audioOut[2] = {};
    const float* controls[lv2_ports::kControlCount] = {};
    float lastControl[lv2_ports::kControlCount];  // host value last applied; NaN: none yet
    float* outputs[lv2_ports::kOutputCount] = {};
    double rate = 44100.0;          // Hz, as instantiated
    double oversSeen[2] = {};       // the meter's over count at the last look
    double ledSecondsLeft[2] = {};  // how long each over LED stays lit, seconds
};

// The control port of a host parameter; -1 for the parameters LV2 has no port for.
inline int controlPortOf(int parameter) {
    for (int i = 0; i < lv2_ports::kControlCount; ++i)
        if (lv2_ports::kControls[i].parameter == parameter) return lv2_ports::kFirstControlPort + i;
    return -1;
}

}  // namespace lv2_plugin
