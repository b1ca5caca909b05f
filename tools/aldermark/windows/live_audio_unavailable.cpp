// Windows has no live audio yet; a WASAPI capture client would take this file's place.
#include "tools/aldermark/live_audio.h"

namespace aldermark {

int LiveAudio::maxNameLength() { return 63; }

std::unique_ptr<LiveAudio> LiveAudio::open(const std::string&, std::string& error) {
    error = "live audio is not available on Windows yet";
    return nullptr;
}

}  // namespace aldermark
