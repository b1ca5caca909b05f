#pragma once
// One CLAP plug-in instance: the format-neutral effect behind CLAP's plug-in record and its
// params, state, audio-ports and latency extensions.
//
// Threads, as CLAP has them: creation, init, destroy, activate, deactivate, the parameter
// queries, state and the editor's calls come from the host's main thread; start/stop
// processing, reset and process from its audio thread, and params.flush from the audio
// thread while active, the main thread otherwise. process() takes the effect's instance lock
// per stretch of frames; after its bounded wait times out the stretch runs without it
// rather than stalling the host.
#include <atomic>

#include "clap/clap_abi.h"
#include "clap/parameter_queue.h"
#include "core/meter_effect.h"

class ClapInstance final : private FormatLink {
public:
    // `host` outlives the instance (the host's promise); its extensions are asked for in init.
    ClapInstance(const clap::Host* host, const clap::PluginDescriptor* descriptor);
    ClapInstance(const ClapInstance&) = delete;
    ClapInstance& operator=(const ClapInstance&) = delete;

    const clap::Plugin* plugin() const { return &plugin_; }
    // The instance behind a plug-in record this library made, or null.
    static ClapInstance* from(const clap::Plugin* plugin);

    // For the editor (main thread): the effect, and the brackets of a gesture on host
    // parameter `index` (0..16) that reach the host as gesture events around its values.
    MeterEffect& effect() { return effect_; }
    void beginGesture(int index) { sendToHost(ParameterQueue::Kind::kGestureBegin, index, 0.0); }
    void endGesture(int index) { sendToHost(ParameterQueue::Kind::kGestureEnd, index, 0.0); }

private:
    // FormatLink: the editor set a parameter (main thread); the host hears it as a value event,
    // or, for what only the chunk holds (the label, the meter settings), that the state changed.
    void automateParameter(int index, float value) override;
    void hostParameterChanged(int, float) override {}  // CLAP hosts ask for values when they need them

    void sendToHost(ParameterQueue::Kind kind, int index, double plainValue);
    void applyEvent(const clap::EventHeader& event);
    void runFrames(const clap::Process& process, std::uint32_t from, std::uint32_t to);
    void drainToHost(const clap::OutputEvents* out);

    bool init();
    bool activate(double sampleRate);
    clap::ProcessStatus process(const clap::Process& process);
    const void* extension(const char* id) const;
    void flush(const clap::InputEvents* in, const clap::OutputEvents* out);
    bool saveState(const clap::OutputStream* stream) const;
    bool loadState(const clap::InputStream* stream);

    struct Thunks;

    clap::Plugin plugin_;
    const clap::Host* host_;
    const clap::HostParams* hostParams_ = nullptr;  // null when the host has none
    const clap::HostState* hostState_ = nullptr;    // likewise
    MeterEffect effect_{*this};
    ParameterQueue toHost_;                          // editor changes not yet told to the host
};
