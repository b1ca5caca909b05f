#include "tools/aldermark/audio_loop.h"

#include <algorithm>
#include <chrono>

namespace aldermark {

RealTimeAudioLoop::RealTimeAudioLoop(AEffect* effect, LoopedAudio& audio, int blockSize)
    : effect_(effect), audio_(audio), blockSize_(blockSize) {
    // At least two of each: the file's channels go to the first two pins, the rest get
    // silence in and a scratch buffer out.
    const auto inputs = static_cast<std::size_t>(std::max(effect->numInputs, 2));
    const auto outputs = static_cast<std::size_t>(std::max(effect->numOutputs, 2));
    buffers_.assign(inputs + outputs, std::vector<float>(static_cast<std::size_t>(blockSize)));
    for (std::size_t pin = 0; pin < inputs; ++pin) inputs_.push_back(buffers_[pin].data());
    for (std::size_t pin = 0; pin < outputs; ++pin) outputs_.push_back(buffers_[inputs + pin].data());
}

void RealTimeAudioLoop::start() {
    if (thread_.joinable()) return;
    stopping_ = false;
    thread_ = std::thread(&RealTimeAudioLoop::run, this);
}

void RealTimeAudioLoop::stop() {
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void RealTimeAudioLoop::run() {
    using Clock = std::chrono::steady_clock;
    const auto blockTime = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(blockSize_) / audio_.sampleRate()));
    auto due = Clock::now();
    for (;;) {
        audio_.fill(inputs_[0], inputs_[1], blockSize_);
        for (std::size_t pin = 2; pin < inputs_.size(); ++pin) std::fill_n(inputs_[pin], blockSize_, 0.0f);
        effect_->processReplacing(effect_, inputs_.data(), outputs_.data(), blockSize_);
        blocks_.fetch_add(1, std::memory_order_relaxed);
        // Blocks go out at the pace of the clock; one that comes too late does not make
        // the next ones come faster.
        due += blockTime;
        const auto now = Clock::now();
        if (due < now - blockTime) due = now;
        std::unique_lock<std::mutex> lock(wakeMutex_);
        if (wake_.wait_until(lock, due, [this] { return stopping_; })) return;
    }
}

}  // namespace aldermark
