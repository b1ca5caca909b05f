#pragma once
// Audio for the validator: the host's buffers for every pin, the test signals, and the
// checks on what the plug-in wrote. Each output buffer has a guard zone behind the block,
// so that a plug-in writing past the frames it was given is caught.
#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "vst2/aeffectx.h"

namespace aldermark {

class PluginInstance;

enum class TestSignal { kNoise, kSilence, kSquare, kNaN, kPlusInfinity, kMinusInfinity, kSubnormal };

// Whether a signal is one a host may hand over from a broken source.
constexpr bool isNonFinite(TestSignal signal) {
    return signal == TestSignal::kNaN || signal == TestSignal::kPlusInfinity || signal == TestSignal::kMinusInfinity;
}
const char* signalName(TestSignal signal);

class HostBuffers {
public:
    HostBuffers(const AEffect& effect, int capacity);

    int capacity() const { return capacity_; }
    // Writes `frames` of the signal into every input (the square's phase runs on).
    void fill(TestSignal signal, int frames, std::mt19937_64& random);
    // Calls processReplacing for `frames` (at most the capacity) with fresh guard zones.
    void process(AEffect& effect, int frames);

    bool outputsFinite(int frames) const;
    bool guardsIntact() const;
    // Outputs equal to the inputs bit for bit (a plug-in that passes audio through).
    bool outputsEqualInputs(int frames) const;

private:
    int capacity_;
    int lastFrames_ = 0;
    long squarePhase_ = 0;
    std::vector<std::vector<float>> inputs_, outputs_;  // outputs have the guard zone behind
    std::vector<float*> inputPointers_, outputPointers_;
};

// The host's audio thread, processing noise back to back until stopped; it notes whether
// any output was not finite.
class BackgroundAudio {
public:
    BackgroundAudio(AEffect& effect, int blockSize, std::uint64_t seed);
    ~BackgroundAudio() { stop(); }
    BackgroundAudio(const BackgroundAudio&) = delete;
    BackgroundAudio& operator=(const BackgroundAudio&) = delete;

    void stop();
    long blocks() const { return blocks_.load(); }
    // Returns once `count` more blocks went through (or the thread is stopped).
    void waitForBlocks(long count) const;
    bool sawNonFiniteOutput() const { return nonFinite_.load(); }

private:
    AEffect& effect_;
    HostBuffers buffers_;
    int blockSize_;
    std::mt19937_64 random_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> nonFinite_{false};
    std::atomic<long> blocks_{0};
    std::thread thread_;
};

// Resumes the effect at a rate and block size the way a host does.
void startProcessing(PluginInstance& plugin, float sampleRate, VstInt32 blockSize);
void stopProcessing(PluginInstance& plugin);

}  // namespace aldermark
