// The LV2 plug-in: the format-neutral effect behind LV2's ports and its state extension.
//
// The UI in the same binary (lv2_ui.cpp) shows our editor on this instance.
//
// Threads, as LV2 has them: instantiate, activate, deactivate, cleanup and the state calls
// come from the host's main thread, run() from its audio thread, never at the same time as
// activate/deactivate. run() takes the effect's instance lock for the block; after its
// bounded wait times out the block runs without it rather than stalling the host.
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <numbers>

#include "lv2/lv2_instance.h"

namespace {

using lv2_plugin::Instance;
using lv2_ports::kControls;

const LV2_URID_Map* findMap(const LV2_Feature* const* features) {
    for (int i = 0; features && features[i]; ++i)
        if (std::strcmp(features[i]->URI, LV2_URID__map) == 0) return static_cast<const LV2_URID_Map*>(features[i]->data);
    return nullptr;
}

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features) {
    auto* instance = new (std::nothrow) Instance;
    if (!instance) return nullptr;
    // Without URIDs (simple hosts such as lv2apply) it meters and processes, and has no state.
    if (const LV2_URID_Map* map = findMap(features)) {
        instance->chunkKey = map->map(map->handle, lv2_ports::kChunkKeyUri);
        instance->chunkType = map->map(map->handle, LV2_ATOM__Chunk);
    }
    for (float& last : instance->lastControl) last = std::nanf("");
    instance->effect.setSampleRate(static_cast<float>(rate));
    instance->rate = rate > 0.0 ? rate : 44100.0;
    return instance;
}

void connectPort(LV2_Handle handle, uint32_t port, void* data) {
    auto* instance = static_cast<Instance*>(handle);
    if (port < 2) instance->audioIn[port] = static_cast<const float*>(data);
    else if (port < lv2_ports::kAudioPortCount) instance->audioOut[port - 2] = static_cast<float*>(data);
    else if (port < lv2_ports::kFirstOutputPort)
        instance->controls[port - lv2_ports::kFirstControlPort] = static_cast<const float*>(data);
    else if (port < lv2_ports::kPortCount) instance->outputs[port - lv2_ports::kFirstOutputPort] = static_cast<float*>(data);
}

// The selected meter's readings into the output ports, after the block that made them. The
// running values are read as they stand: the over latches the editor shows stay untouched.
void writeReadings(Instance& instance, uint32_t frames) {
    MeterModel* meter = instance.effect.selectedMeter();
    if (!meter) return;
    for (int ch = 0; ch < 2; ++ch) {
        const double overs = meter->oversCounted(ch);
        if (overs > instance.oversSeen[ch]) instance.ledSecondsLeft[ch] = lv2_ports::kOverLedSeconds;
        else instance.ledSecondsLeft[ch] -= frames / instance.rate;
        instance.oversSeen[ch] = overs;  // a reset counts from zero again
    }
    const bool rms = instance.effect.meterType() == 1;
    for (int i = 0; i < lv2_ports::kOutputCount; ++i) {
        float* out = instance.outputs[i];
        if (!out) continue;
        const lv2_ports::Output& o = lv2_ports::kOutputs[i];
        switch (o.reading) {
            case lv2_ports::kNeedle: *out = lv2_ports::readingDb(meter->current(MeterModel::kNeedle, o.channel)); break;
            case lv2_ports::kHold: {
                double hold = meter->current(MeterModel::kHold, o.channel);
                if (meter->holdMode() == 1) hold = std::max(hold, meter->heldMaximum(o.channel));
                *out = lv2_ports::readingDb(hold);
                break;
            }
            case lv2_ports::kRmsPointer: {
                const double q = rms ? meter->current(MeterModel::kMeanSquare, o.channel) : 0.0;
                *out = lv2_ports::readingDb(q > 0.0 ? std::sqrt(q) * std::numbers::sqrt2 : 0.0);
                break;
            }
            case lv2_ports::kOverLed: *out = instance.ledSecondsLeft[o.channel] > 0.0 ? 1.0f : 0.0f; break;
        }
    }
}

// A control's value reaches the effect when it differs from the one applied last, so a state
// restored since then stays until the host really moves the control.
void applyControls(Instance& instance) {
    for (int i = 0; i < lv2_ports::kControlCount; ++i) {
        if (!instance.controls[i]) continue;
        const float value = *instance.controls[i];
        if (std::isnan(value) || value == instance.lastControl[i]) continue;
        instance.lastControl[i] = value;
        instance.effect.setParameter(kControls[i].parameter, lv2_ports::normalised(kControls[i], value));
    }
}

// The controls as the host set them before the start count from the first sample, with no
// glide, as a VST 2.4 host's settings before resume do.
void activate(LV2_Handle handle) {
    auto& instance = *static_cast<Instance*>(handle);
    applyControls(instance);
    instance.effect.resume();
}

void deactivate(LV2_Handle handle) { static_cast<Instance*>(handle)->effect.suspend(); }

void run(LV2_Handle handle, uint32_t frames) {
    auto& instance = *static_cast<Instance*>(handle);
    applyControls(instance);
    instance.effect.process(instance.audioIn[0], instance.audioIn[1], instance.audioOut[0], instance.audioOut[1],
                            static_cast<int>(frames));
    writeReadings(instance, frames);
}

void cleanup(LV2_Handle handle) { delete static_cast<Instance*>(handle); }

LV2_State_Status save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state, uint32_t,
                      const LV2_Feature* const*) {
    auto& instance = *static_cast<Instance*>(handle);
    if (!instance.chunkKey) return LV2_STATE_ERR_NO_FEATURE;
    unsigned char chunk[MeterEffect::kChunkSize];
    instance.effect.saveState(chunk);
    return store(state, instance.chunkKey, chunk, sizeof chunk, instance.chunkType,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle state, uint32_t,
                         const LV2_Feature* const*) {
    auto& instance = *static_cast<Instance*>(handle);
    if (!instance.chunkKey) return LV2_STATE_ERR_NO_FEATURE;
    size_t size = 0;
    uint32_t type = 0, flags = 0;
    const void* chunk = retrieve(state, instance.chunkKey, &size, &type, &flags);
    if (!chunk) return LV2_STATE_ERR_NO_PROPERTY;
    if (type != instance.chunkType) return LV2_STATE_ERR_BAD_TYPE;
    instance.effect.loadState(chunk, static_cast<int>(size > MeterEffect::kChunkSize ? MeterEffect::kChunkSize : size));
    // The chunk wins over the ports: their present values count as applied.
    for (int i = 0; i < lv2_ports::kControlCount; ++i)
        if (instance.controls[i]) instance.lastControl[i] = *instance.controls[i];
    return LV2_STATE_SUCCESS;
}

const void* extensionData(const char* uri) {
    static const LV2_State_Interface kState = {save, restore};
    if (uri && std::strcmp(uri, LV2_STATE__interface) == 0) return &kState;
    return nullptr;
}

const LV2_Descriptor kDescriptor = {lv2_ports::kPluginUri, instantiate, connectPort, activate, run,
                                    deactivate,            cleanup,     extensionData};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
