// The audio path: trim and strip filters when "Process" is on, plain copy otherwise, then
// the selected meter measures the output.
#include <cstring>

#include "core/meter_effect.h"
#include "platform/clock.h"

namespace {

void copyIfDistinct(const float* from, float* to, int frames) {
    if (from != to) std::memmove(to, from, sizeof(float) * static_cast<size_t>(frames));
}

}  // namespace

void MeterEffect::process(const float* in1, const float* in2, float* out1, float* out2, int frames) {
    if (!in1 || !out1 || frames <= 0) return;
    platform::InstanceLockGuard guard(lock_.get());
    if (out2 == out1) out2 = nullptr;
    if (in2 && in2 != in1)
        stereoPath(in1, in2, out1, out2 ? out2 : out1, frames);
    else
        monoPath(in1, out1, out2, frames);

    if (editorAttached_.load(std::memory_order_relaxed))
        lastBlockTime_.store(platform::tickCountMilliseconds() * 0.001, std::memory_order_relaxed);
    const float rate = sampleRate();
    blockDuration_.store(frames / static_cast<double>(rate > 0.0f ? rate : 44100.0f), std::memory_order_relaxed);
}

void MeterEffect::stereoPath(const float* in1, const float* in2, float* out1, float* out2, int frames) {
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

void MeterEffect::monoPath(const float* in, float* out1, float* out2, int frames) {
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

void MeterEffect::feedMeter(const float* left, const float* right, int frames, bool mono) {
    switch (meterType()) {
        case 0: mono ? vu_->processMono(left, frames) : vu_->processStereo(left, right, frames); break;
        case 1: mono ? rms_->processMono(left, frames) : rms_->processStereo(left, right, frames); break;
        case 2: mono ? ppm_->processMono(left, frames) : ppm_->processStereo(left, right, frames); break;
        default: break;
    }
}
