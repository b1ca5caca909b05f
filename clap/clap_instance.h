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
#include <memory>

#include "clap/clap_abi.h"
#include "clap/parameter_queue.h"
#include "core/meter_effect.h"

// What lives with an instance while the host shows its editor (clap_gui.cpp); the instance
// library itself builds and is tested without the editor's libraries.
class ClapEditorPart {
public:
    virtual ~ClapEditorPart() = default;
    // Main thread, when the host answers request_callback: what the editor asked of the host.
    virtual void onMainThread() = 0;
};

class ClapInstance final : private FormatLink {
public:
    // Once, by the plug-in binary before any instance: the gui extension record it offers
    // (null: none, as in a build without the editor).
    static void offerGui(const void* guiExtension) { guiExtension_ = guiExtension; }

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
    const clap::Host* host() const { return host_; }
    // Main thread: the editor part while the host has created the editor.
    ClapEditorPart* editorPart() const { return editorPart_.get(); }
    void setEditorPart(std::unique_ptr<ClapEditorPart> part) { editorPart_ = std::move(part); }
    // Any thread: asks the host for a main-thread callback (onMainThread).
    void requestMainThread() const {
        if (host_->requestCallback) host_->requestCallback(host_);
    }

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
    void onMainThread();
    bool saveState(const clap::OutputStream* stream) const;
    bool loadState(const clap::InputStream* stream);

    struct Thunks;

    clap::Plugin plugin_;
    const clap::Host* host_;
    const clap::HostParams* hostParams_ = nullptr;  // null when the host has none
    const clap::HostState* hostState_ = nullptr;    // likewise
    MeterEffect effect_{*this};
    ParameterQueue toHost_;                          // editor changes not yet told to the host
    std::atomic<bool> stateChanged_{false};          // the host is yet to hear the state changed
    std::unique_ptr<ClapEditorPart> editorPart_;     // goes before the effect it shows
    static inline const void* guiExtension_ = nullptr;
};
