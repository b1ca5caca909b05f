// Any bytes as a saved state: setChunk must take or refuse them safely, and what the effect
// then saves must load back to the very same bytes.
#include <vector>

#include "fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    AEffect* effect = createEffect(fuzzhost::quietHost);
    if (!effect) return 0;
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    // The host hands over a copy of exactly the stored size.
    std::vector<std::uint8_t> chunk(data, data + size);
    effect->dispatcher(effect, effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data(), 0.0f);
    for (VstInt32 i = 0; i < effect->numParams; ++i) {
        const float value = effect->getParameter(effect, i);
        if (!(value >= 0.0f && value <= 1.0f)) std::abort();
    }
    fuzzhost::processAndCheck(effect, 64);
    void* saved = nullptr;
    const VstIntPtr savedSize = effect->dispatcher(effect, effGetChunk, 0, 0, &saved, 0.0f);
    if (savedSize > 0 && saved) {
        const std::vector<std::uint8_t> first(static_cast<const std::uint8_t*>(saved),
                                              static_cast<const std::uint8_t*>(saved) + savedSize);
        std::vector<std::uint8_t> again = first;
        effect->dispatcher(effect, effSetChunk, 0, static_cast<VstIntPtr>(again.size()), again.data(), 0.0f);
        void* resaved = nullptr;
        const VstIntPtr resavedSize = effect->dispatcher(effect, effGetChunk, 0, 0, &resaved, 0.0f);
        if (resavedSize != savedSize || !resaved || std::memcmp(resaved, first.data(), first.size()) != 0) std::abort();
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return 0;
}
