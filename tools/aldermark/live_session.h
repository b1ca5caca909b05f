#pragma once
// The server's audio through the effect while its editor is open: the session audio of
// `aldermark live`. The server's real-time thread calls processReplacing in blocks no
// longer than the effect was told; a change of rate or largest block is applied on the
// session's thread between two cycles (the cycles in between pass the audio on untouched).
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "tools/aldermark/edit_session.h"
#include "tools/aldermark/live_audio.h"
#include "tools/aldermark/plugin_instance.h"

namespace aldermark {

// The most frames one processReplacing call gets, however large the server's blocks.
constexpr int kMaxLiveBlock = 8192;

class LiveSessionAudio final : public SessionAudio, private LiveProcessor {
public:
    // `afterActivation` runs on the session's thread once the client is active (where
    // connections can be made) and returns those it made; `note` gets one line for each
    // change of format.
    using Connector = std::function<std::vector<LiveConnection>()>;
    LiveSessionAudio(LiveAudio& live, Connector afterActivation, std::function<void(const std::string&)> note);

    double sampleRate() const override { return applied_.sampleRate; }
    int blockSize() const override { return applied_.maxFrames; }
    bool start(PluginInstance& plugin, std::string& error) override;
    void stop() override;
    bool service(PluginInstance& plugin, std::string& error) override;

    // The connections as last seen while the server ran (it drops them on deactivation).
    const std::vector<LiveConnection>& lastConnections() const { return connections_; }

private:
    void process(const float* const* inputs, float* const* outputs, int frames) override;
    // Session thread: makes the real-time thread pass audio on without the effect, and
    // waits (bounded) until a cycle that may still use it has ended.
    void holdProcessing();
    // Session thread, processing held: pins and scratch buffers for the effect as it is.
    void preparePins(AEffect* effect, int maxFrames);

    LiveAudio& live_;
    Connector afterActivation_;
    std::function<void(const std::string&)> note_;
    LiveFormat applied_;  // what the effect was told last
    std::vector<LiveConnection> connections_;
    int servicesSinceSnapshot_ = 0;

    // Written by the session thread only while processing is held.
    AEffect* effect_ = nullptr;
    int chunkFrames_ = 0;
    int effectInputs_ = 0, effectOutputs_ = 0;
    std::vector<float> silence_, scratch_;
    std::vector<float*> inputPins_, outputPins_;

    std::atomic<bool> held_{true};       // the real-time thread leaves the effect alone
    std::atomic<bool> inCycle_{false};   // the real-time thread is inside a cycle
};

}  // namespace aldermark
