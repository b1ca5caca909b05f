// Parameter texts and typed numbers: any value shown through every parameter's display, name
// and label (each within the host's 8 characters plus terminator), any text read as a
// typed number (the trim and frequency fields) and as a host's string-to-parameter request.
#include <string>

#include "controls/typed_number.h"
#include "fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static AEffect* effect = createEffect(fuzzhost::quietHost);  // one instance: texts keep no state
    if (!effect) return 0;
    fuzzhost::Bytes bytes(data, size);
    const auto index = static_cast<VstInt32>(bytes.take<std::uint8_t>() % 72);
    const auto value = bytes.take<float>();
    effect->setParameter(effect, index, value);
    char text[64];
    for (VstInt32 opcode : {effGetParamDisplay, effGetParamName, effGetParamLabel}) {
        std::memset(text, 0x55, sizeof text);
        effect->dispatcher(effect, opcode, index, 0, text, 0.0f);
        if (std::memchr(text, 0, 9) == nullptr) std::abort();  // longer than the host's buffer
    }
    const std::string typed(reinterpret_cast<const char*>(bytes.rest()), bytes.restSize());
    double number = 0;
    const char* rest = nullptr;
    if (editor::readTypedNumber(typed.c_str(), number, &rest)) {
        if (rest < typed.c_str() || rest > typed.c_str() + typed.size()) std::abort();
    }
    std::string request = typed.substr(0, 31);
    effect->dispatcher(effect, effString2Parameter, index, 0, request.data(), 0.0f);
    const float after = effect->getParameter(effect, index);
    if (index < effect->numParams && !(after >= 0.0f && after <= 1.0f)) std::abort();
    return 0;
}
