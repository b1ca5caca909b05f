#include "tools/aldermark/live_session.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace aldermark {
namespace {

// Connections are looked at about once a second, for the state saved after a shutdown.
constexpr int kServicesPerSnapshot = 30;

LiveFormat usable(LiveFormat format) {
    if (!(format.sampleRate > 0)) format.sampleRate = 48000;
    format.maxFrames = std::clamp(format.maxFrames, 1, kMaxLiveBlock);
    return format;
}

}  // namespace

LiveSessionAudio::LiveSessionAudio(LiveAudio& live, Connector afterActivation,
                                   std::function<void(const std::string&)> note)
    : live_(live), afterActivation_(std::move(afterActivation)), note_(std::move(note)),
      applied_(usable(live.format())) {}

bool LiveSessionAudio::start(PluginInstance& plugin, std::string& error) {
    preparePins(plugin.effect(), applied_.maxFrames);
    held_.store(false);
    if (!live_.activate(*this, error)) return false;
    const std::vector<LiveConnection> made = afterActivation_ ? afterActivation_() : std::vector<LiveConnection>{};
    // The server shows a new connection to its clients only from its next cycle on, so
    // what was just made counts until the next look.
    connections_ = live_.connections();
    for (const LiveConnection& connection : made)
        if (std::find(connections_.begin(), connections_.end(), connection) == connections_.end())
            connections_.push_back(connection);
    return true;
}

void LiveSessionAudio::stop() {
    std::string reason;
    if (!live_.ended(reason)) connections_ = live_.connections();
    holdProcessing();
    live_.deactivate();
}

bool LiveSessionAudio::service(PluginInstance& plugin, std::string& error) {
    std::string reason;
    if (live_.ended(reason)) {
        error = "the JACK server shut down" + (reason.empty() ? std::string() : " (" + reason + ")");
        return false;
    }
    if (++servicesSinceSnapshot_ >= kServicesPerSnapshot) {
        servicesSinceSnapshot_ = 0;
        std::vector<LiveConnection> seen = live_.connections();
        // A server going down drops every connection first: such a look is not kept.
        if (!live_.ended(reason)) connections_ = std::move(seen);
    }
    const LiveFormat now = live_.format();
    if (now.sampleRate <= 0 || now.maxFrames <= 0 || usable(now) == applied_) return true;
    // The effect is suspended and resumed with the new rate and block, as a host does.
    holdProcessing();
    applied_ = usable(now);
    plugin.dispatch(effStopProcess);
    plugin.dispatch(effMainsChanged, 0, 0);
    plugin.setProcessing(static_cast<float>(applied_.sampleRate), applied_.maxFrames);
    plugin.dispatch(effMainsChanged, 0, 1);
    plugin.dispatch(effStartProcess);
    preparePins(plugin.effect(), applied_.maxFrames);
    held_.store(false);
    note_("format " + std::to_string(static_cast<long long>(applied_.sampleRate)) + " " +
          std::to_string(applied_.maxFrames));
    return true;
}

void LiveSessionAudio::holdProcessing() {
    held_.store(true);
    // Either the cycle now running saw the flag down and is seen here, or every later
    // cycle sees it up (both atomics are sequentially consistent). A server that stalls
    // gets two seconds.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (inCycle_.load() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

void LiveSessionAudio::preparePins(AEffect* effect, int maxFrames) {
    effect_ = effect;
    chunkFrames_ = maxFrames;
    effectInputs_ = std::clamp(effect->numInputs, 0, kMaxPins);
    effectOutputs_ = std::clamp(effect->numOutputs, 0, kMaxPins);
    silence_.assign(static_cast<std::size_t>(maxFrames), 0.0f);
    scratch_.assign(static_cast<std::size_t>(maxFrames), 0.0f);
    inputPins_.assign(static_cast<std::size_t>(std::max(effectInputs_, 1)), silence_.data());
    outputPins_.assign(static_cast<std::size_t>(std::max(effectOutputs_, 1)), scratch_.data());
}

void LiveSessionAudio::process(const float* const* inputs, float* const* outputs, int frames) {
    inCycle_.store(true);
    if (held_.load() || frames <= 0) {
        for (int channel = 0; channel < kLiveChannels; ++channel)
            if (frames > 0) std::memcpy(outputs[channel], inputs[channel], sizeof(float) * static_cast<std::size_t>(frames));
        inCycle_.store(false);
        return;
    }
    const int passed = std::min(effectOutputs_, kLiveChannels);
    for (int at = 0; at < frames; at += chunkFrames_) {
        const int count = std::min(chunkFrames_, frames - at);
        // Pins beyond our two channels read silence and write into scratch.
        for (int pin = 0; pin < std::min(effectInputs_, kLiveChannels); ++pin)
            inputPins_[static_cast<std::size_t>(pin)] = const_cast<float*>(inputs[pin] + at);
        for (int pin = 0; pin < passed; ++pin) outputPins_[static_cast<std::size_t>(pin)] = outputs[pin] + at;
        effect_->processReplacing(effect_, inputPins_.data(), outputPins_.data(), count);
    }
    // An effect with fewer outputs than our channels leaves the others silent.
    for (int channel = passed; channel < kLiveChannels; ++channel)
        std::memset(outputs[channel], 0, sizeof(float) * static_cast<std::size_t>(frames));
    inCycle_.store(false);
}

}  // namespace aldermark
