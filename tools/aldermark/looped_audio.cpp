#include "tools/aldermark/looped_audio.h"

#include <algorithm>

namespace aldermark {

std::size_t fillLoopedBlock(const WavAudio& audio, std::size_t position, float* left, float* right, int count) {
    const std::size_t frames = audio.frames();
    const std::vector<float>& first = audio.channels.front();
    const std::vector<float>& second = audio.channels.size() > 1 ? audio.channels[1] : first;
    for (int i = 0; i < count; ++i) {
        if (position >= frames) position = 0;
        left[i] = first[position];
        right[i] = second[position];
        ++position;
    }
    return position;
}

bool MemoryLoop::fill(float* left, float* right, int count) {
    if (audio_.frames() == 0) {
        std::fill_n(left, count, 0.0f);
        std::fill_n(right, count, 0.0f);
        error_ = "the audio holds no samples";
        return false;
    }
    position_ = fillLoopedBlock(audio_, position_, left, right, count);
    return true;
}

bool FileLoop::fill(float* left, float* right, int count) {
    const auto wanted = static_cast<std::size_t>(std::max(count, 0));
    std::size_t done = reader_.read(left, right, wanted);
    // At the end: from the top again, unless the file gives nothing even there.
    bool rewound = false;
    while (done < wanted) {
        if (rewound || !reader_.rewind()) {
            std::fill(left + done, left + wanted, 0.0f);
            std::fill(right + done, right + wanted, 0.0f);
            error_ = rewound ? name_ + " holds no samples to play"
                             : name_ + " ended and cannot be read again from the start";
            return false;
        }
        const std::size_t more = reader_.read(left + done, right + done, wanted - done);
        rewound = more == 0;
        done += more;
    }
    return true;
}

}  // namespace aldermark
