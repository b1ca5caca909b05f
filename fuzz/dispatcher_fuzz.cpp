// Random host calls: opcodes, indices, values and floats as a careless host might send them,
// with pointers always to buffers of ours (zeroed, large enough for any answer), and a block
// of audio now and then.
#include <vector>

#include "fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    AEffect* effect = createEffect(fuzzhost::quietHost);
    if (!effect) return 0;
    fuzzhost::Bytes bytes(data, size);
    alignas(16) static std::uint8_t buffer[65536];
    alignas(16) static std::uint8_t second[4096];
    for (int call = 0; call < 64 && bytes.restSize() > 0; ++call) {
        const auto opcode = static_cast<VstInt32>(bytes.take<std::uint8_t>() % 82);
        const auto index = bytes.take<VstInt32>();
        auto value = static_cast<VstIntPtr>(bytes.take<std::int32_t>());
        const auto opt = bytes.take<float>();
        if (opcode == effClose) continue;  // closed once, at the end
        std::memset(buffer, 0, sizeof buffer);
        std::memset(second, 0, sizeof second);
        void* pointer = buffer;
        switch (opcode) {
            case effSetChunk: {  // value is the size of what pointer holds
                const std::size_t n = std::min<std::size_t>(bytes.restSize(), static_cast<std::uint16_t>(value));
                std::memcpy(buffer, bytes.rest(), n);
                value = static_cast<VstIntPtr>(n);
                break;
            }
            case effSetSpeakerArrangement: case effGetSpeakerArrangement:  // value is a pointer too
                value = reinterpret_cast<VstIntPtr>(second);
                break;
            case effSetProgramName: case effCanDo: case effString2Parameter:  // text from the fuzzer
                std::memcpy(buffer, bytes.rest(), std::min<std::size_t>(bytes.restSize(), 31));
                break;
            default: break;
        }
        if (opcode == effEditOpen) pointer = nullptr;  // no window of ours to offer
        effect->dispatcher(effect, opcode, index, value, pointer, opt);
        if (bytes.take<std::uint8_t>() % 4 == 0) {
            effect->setParameter(effect, index, opt);
            fuzzhost::processAndCheck(effect, static_cast<int>(bytes.take<std::uint8_t>()));
        }
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return 0;
}
