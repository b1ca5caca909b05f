#pragma once
// What the fuzz targets share: a quiet host, the effect made as a host makes it, settings kept
// in a private folder, one code path on every machine, and a check that processing leaves
// finite samples.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "metering/inter_sample_detector.h"
#include "vst2/aeffect.h"
#include "vst2/create_effect.h"

namespace fuzzhost {

inline VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// The meter stores never reach the user's own settings.
inline void usePrivateSettings() {
    static std::string folder = [] {
        char pattern[] = "/tmp/aldermark-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        return std::string(made ? made : "/tmp");
    }();
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    setenv("XDG_CONFIG_DIRS", folder.c_str(), 1);
}

// Reads the fuzzer's bytes in order; past the end every read is zero.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    template <typename T>
    T take() {
        T value{};
        const std::size_t n = std::min(sizeof(T), size_ - used_);
        if (n) std::memcpy(&value, data_ + used_, n);
        used_ += n;
        return value;
    }
    const std::uint8_t* rest() const { return data_ + used_; }
    std::size_t restSize() const { return size_ - used_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t used_ = 0;
};

// One block of a quiet tone through processReplacing; stops the run if any output sample is
// not finite (the input always is).
inline void processAndCheck(AEffect* effect, int frames) {
    static float left[256], right[256], outLeft[256], outRight[256];
    frames = std::max(0, std::min(frames, 256));
    for (int i = 0; i < frames; ++i) left[i] = right[i] = 0.25f * std::sin(0.05f * static_cast<float>(i));
    float* inputs[2] = {left, right};
    float* outputs[2] = {outLeft, outRight};
    effect->processReplacing(effect, inputs, outputs, frames);
    for (int i = 0; i < frames; ++i)
        if (!std::isfinite(outLeft[i]) || !std::isfinite(outRight[i])) std::abort();
}

}  // namespace fuzzhost

// Every target that makes effects keeps their settings private, before the first input, and
// takes the same code path on every processor (the wide-vector estimate gives the same
// results, but other coverage would steer the fuzzer elsewhere).
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzhost::usePrivateSettings();
    InterSampleDetector::useWideVectors(false);
    return 0;
}
