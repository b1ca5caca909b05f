#include "tools/aldermark/validation_audio.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "tools/aldermark/plugin_instance.h"

namespace aldermark {
namespace {

constexpr int kGuardFrames = 64;
// A NaN with a payload no arithmetic produces, so that only an untouched guard has it.
constexpr std::uint32_t kGuardBits = 0x7fa5a5a5u;

float guardValue() {
    float value;
    std::memcpy(&value, &kGuardBits, sizeof value);
    return value;
}

bool isGuard(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits == kGuardBits;
}

}  // namespace

const char* signalName(TestSignal signal) {
    switch (signal) {
    case TestSignal::kNoise: return "noise";
    case TestSignal::kSilence: return "silence";
    case TestSignal::kSquare: return "full-scale square";
    case TestSignal::kNaN: return "NaN";
    case TestSignal::kPlusInfinity: return "+Inf";
    case TestSignal::kMinusInfinity: return "-Inf";
    case TestSignal::kSubnormal: return "subnormals";
    }
    return "?";
}

HostBuffers::HostBuffers(const AEffect& effect, int capacity) : capacity_(capacity) {
    const int inputs = std::max(effect.numInputs, 1), outputs = std::max(effect.numOutputs, 1);
    inputs_.assign(static_cast<std::size_t>(inputs), std::vector<float>(static_cast<std::size_t>(capacity)));
    outputs_.assign(static_cast<std::size_t>(outputs),
                    std::vector<float>(static_cast<std::size_t>(capacity + kGuardFrames)));
    for (auto& buffer : inputs_) inputPointers_.push_back(buffer.data());
    for (auto& buffer : outputs_) outputPointers_.push_back(buffer.data());
}

void HostBuffers::fill(TestSignal signal, int frames, std::mt19937_64& random) {
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (std::size_t pin = 0; pin < inputs_.size(); ++pin) {
        float* samples = inputs_[pin].data();
        for (int i = 0; i < frames; ++i) {
            switch (signal) {
            case TestSignal::kNoise: samples[i] = noise(random); break;
            case TestSignal::kSilence: samples[i] = 0.0f; break;
            case TestSignal::kSquare: samples[i] = ((squarePhase_ + i) / 50) % 2 ? 1.0f : -1.0f; break;
            case TestSignal::kNaN: samples[i] = std::numeric_limits<float>::quiet_NaN(); break;
            case TestSignal::kPlusInfinity: samples[i] = std::numeric_limits<float>::infinity(); break;
            case TestSignal::kMinusInfinity: samples[i] = -std::numeric_limits<float>::infinity(); break;
            case TestSignal::kSubnormal:
                samples[i] = std::numeric_limits<float>::denorm_min() * static_cast<float>(1 + i % 1000) *
                             (i % 2 ? 1.0f : -1.0f);
                break;
            }
        }
    }
    squarePhase_ += frames;
}

void HostBuffers::process(AEffect& effect, int frames) {
    lastFrames_ = std::clamp(frames, 0, capacity_);
    for (auto& buffer : outputs_)
        std::fill(buffer.begin() + lastFrames_, buffer.begin() + lastFrames_ + kGuardFrames, guardValue());
    effect.processReplacing(&effect, inputPointers_.data(), outputPointers_.data(), lastFrames_);
}

bool HostBuffers::outputsFinite(int frames) const {
    for (const auto& buffer : outputs_)
        for (int i = 0; i < frames; ++i)
            if (!std::isfinite(buffer[static_cast<std::size_t>(i)])) return false;
    return true;
}

bool HostBuffers::guardsIntact() const {
    for (const auto& buffer : outputs_)
        for (int i = 0; i < kGuardFrames; ++i)
            if (!isGuard(buffer[static_cast<std::size_t>(lastFrames_ + i)])) return false;
    return true;
}

bool HostBuffers::outputsEqualInputs(int frames) const {
    const std::size_t pins = std::min(inputs_.size(), outputs_.size());
    for (std::size_t pin = 0; pin < pins; ++pin)
        if (std::memcmp(inputs_[pin].data(), outputs_[pin].data(), sizeof(float) * static_cast<std::size_t>(frames)))
            return false;
    return true;
}

BackgroundAudio::BackgroundAudio(AEffect& effect, int blockSize, std::uint64_t seed)
    : effect_(effect), buffers_(effect, blockSize), blockSize_(blockSize), random_(seed) {
    thread_ = std::thread([this] {
        while (!stopping_.load()) {
            buffers_.fill(TestSignal::kNoise, blockSize_, random_);
            buffers_.process(effect_, blockSize_);
            if (!buffers_.outputsFinite(blockSize_)) nonFinite_.store(true);
            blocks_.fetch_add(1);
            // A real audio thread leaves gaps between blocks; other threads get the lock then.
            std::this_thread::yield();
        }
    });
}

void BackgroundAudio::waitForBlocks(long count) const {
    const long target = blocks_.load() + count;
    while (blocks_.load() < target && thread_.joinable() && !stopping_.load()) std::this_thread::yield();
}

void BackgroundAudio::stop() {
    stopping_.store(true);
    if (thread_.joinable()) thread_.join();
}

void startProcessing(PluginInstance& plugin, float sampleRate, VstInt32 blockSize) {
    plugin.setProcessing(sampleRate, blockSize);
    plugin.dispatch(effMainsChanged, 0, 1);
    plugin.dispatch(effStartProcess);
}

void stopProcessing(PluginInstance& plugin) {
    plugin.dispatch(effStopProcess);
    plugin.dispatch(effMainsChanged, 0, 0);
}

}  // namespace aldermark
