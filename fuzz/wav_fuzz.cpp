// Any bytes as a WAV file for the command-line host: decoded or refused with a reason, and
// what decodes is planar audio of one or two equal channels.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/aldermark/wav_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    aldermark::WavAudio audio;
    std::string error;
    if (aldermark::decodeWav(data, size, audio, error)) {
        if (audio.channels.empty() || audio.channels.size() > aldermark::kMaxWavChannels) std::abort();
        for (const auto& channel : audio.channels)
            if (channel.size() != audio.frames()) std::abort();
    } else if (error.empty()) {
        std::abort();  // a refusal always says why
    }
    return 0;
}
