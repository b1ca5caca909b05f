#pragma once
// The host's audio thread for a session in real time: audio played through the plug-in's
// processReplacing in blocks, looped, paced by a steady clock at its sample rate (no audio
// device). The output goes nowhere.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

#include "tools/aldermark/looped_audio.h"
#include "vst2/aeffectx.h"

namespace aldermark {

class RealTimeAudioLoop {
public:
    // The effect must offer processReplacing; `audio` must outlive the loop, and from start()
    // to stop() only the loop's thread reads it. A source that cannot go on plays silence.
    RealTimeAudioLoop(AEffect* effect, LoopedAudio& audio, int blockSize);
    ~RealTimeAudioLoop() { stop(); }
    RealTimeAudioLoop(const RealTimeAudioLoop&) = delete;
    RealTimeAudioLoop& operator=(const RealTimeAudioLoop&) = delete;

    void start();
    // Returns once the thread has finished its block.
    void stop();
    std::size_t blocksPlayed() const { return blocks_.load(std::memory_order_relaxed); }

private:
    void run();

    AEffect* effect_;
    LoopedAudio& audio_;
    int blockSize_;
    std::vector<std::vector<float>> buffers_;  // every input pin, then every output pin
    std::vector<float*> inputs_, outputs_;
    std::atomic<std::size_t> blocks_{0};
    std::mutex wakeMutex_;                     // only for waiting between blocks
    std::condition_variable wake_;
    bool stopping_ = false;                    // under wakeMutex_
    std::thread thread_;
};

}  // namespace aldermark
