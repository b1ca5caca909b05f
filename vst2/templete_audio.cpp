// The audio path: trim and strip filters when "Process" is on, plain copy otherwise, then
// the selected meter measures the output.
#include <cstring>

#include "platform/clock.h"
#include "vst2/templete.h"

namespace {

void copyIfDistinct(const float* from, float* to, int frames) {
    if (from != to) std::memmove(to, from, sizeof(float) * static_cast<size_t>(frames));
}

}  // namespace

void Templete::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (!inputs || !outputs || !inputs[0] || !outputs[0] || sampleFrames <= 0) return;
    platform::InstanceLockGuard guard(lock_.get());
    const bool stereoIn = isInputConnected(1) && inputs[1] && inputStereo_.load(std::memory_order_relaxed) &&
                          inputs[1] != inputs[0];
    if (stereoIn)
        stereoPath(inputs, outputs, sampleFrames, true);
    else
        monoPath(inputs, outputs, sampleFrames);

    if (getEditor()) lastBlockTime_.store(platform::tickCountMilliseconds() * 0.001, std::memory_order_relaxed);
    blockDuration_.store(sampleFrames / static_cast<double>(getSampleRate() > 0.0f ? getSampleRate() : 44100.0f),
                         std::memory_order_relaxed);
}

void Templete::stereoPath(float** inputs, float** outputs, int frames, bool stereoIn) {
    const float* in1 = inputs[0];
    const float* in2 = stereoIn ? inputs[1] : inputs[0];
    float* out1 = outputs[0];
    float* out2 = (isOutputConnected(1) && outputs[1] && outputStereo_.load(std::memory_order_relaxed) &&
                   outputs[1] != outputs[0])
                      ? outputs[1]
                      : outputs[0];
    if (processing_.load(std::memory_order_relaxed)) {
        if (trim_.settled()) {
            const float g = trim_.gain();
            for (int i = 0; i < frames; ++i) {
                const float left = in1[i], right = in2[i];
                out1[i] = g * left;
                out2[i] = right * g;
            }
        } else {
            for (int i = 0; i < frames; ++i) {
                const float g = trim_.advance();
                const float left = in1[i], right = in2[i];
                out1[i] = g * left;
                out2[i] = right * g;
            }
        }
        if (filtersIn_.load(std::memory_order_relaxed)) filters_->processStereo(out1, out2, frames);
    } else {
        copyIfDistinct(in1, out1, frames);
        copyIfDistinct(in2, out2, frames);
    }
    feedMeter(out1, out2, frames, false);
}

void Templete::monoPath(float** inputs, float** outputs, int frames) {
    const float* in = inputs[0];
    float* out1 = outputs[0];
    float* out2 = (isOutputConnected(1) && outputs[1] && outputStereo_.load(std::memory_order_relaxed) &&
                   outputs[1] != outputs[0])
                      ? outputs[1]
                      : nullptr;
    if (processing_.load(std::memory_order_relaxed)) {
        if (trim_.settled()) {
            const float g = trim_.gain();
            for (int i = 0; i < frames; ++i) out1[i] = g * in[i];
        } else {
            for (int i = 0; i < frames; ++i) out1[i] = trim_.advance() * in[i];
        }
        if (filtersIn_.load(std::memory_order_relaxed)) filters_->processMono(out1, out1, out1, frames);
    } else {
        copyIfDistinct(in, out1, frames);
    }
    if (out2) copyIfDistinct(out1, out2, frames);
    feedMeter(out1, out1, frames, true);
}

void Templete::feedMeter(const float* left, const float* right, int frames, bool mono) {
    switch (meterType()) {
        case 0: mono ? vu_->processMono(left, frames) : vu_->processStereo(left, right, frames); break;
        case 1: mono ? rms_->processMono(left, frames) : rms_->processStereo(left, right, frames); break;
        case 2: mono ? ppm_->processMono(left, frames) : ppm_->processStereo(left, right, frames); break;
        default: break;
    }
}
