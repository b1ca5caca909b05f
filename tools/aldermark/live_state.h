#pragma once
// What `aldermark live` keeps between runs, per client name asked for: the effect's state
// (its chunk, as a host keeps it with a project) and the connections of the client's ports.
// A text file of its own in the user's config folder:
//   aldermark live state 1
//   input 1 system:capture_1          (our input 1 is fed by that port)
//   output 2 other client:in_R        (our output 2 feeds that port; names may hold spaces)
//   chunk 596 0a1b…                   (the chunk's bytes in hexadecimal)
#include <string>
#include <vector>

#include "tools/aldermark/live_audio.h"

namespace aldermark {

struct LiveState {
    std::vector<unsigned char> chunk;  // empty: none kept
    std::vector<LiveConnection> connections;
};

// "<config>/aldermark/live/<name>.state", the name with every byte other than letters,
// digits, '-', '_' and '.' written as %XX; empty when the config folder is unknown. Read it
// before a private settings store takes the config folder's place.
std::string liveStatePath(const std::string& clientName);

std::string formatLiveState(const LiveState& state);
// False with a one-line reason for a text that is no state of ours or is damaged.
bool parseLiveState(const std::string& text, LiveState& state, std::string& error);

// A missing file is an empty state, not a failure.
bool readLiveState(const std::string& path, LiveState& state, std::string& error);
// Makes the folder, writes beside the file and renames it into place.
bool writeLiveState(const std::string& path, const LiveState& state, std::string& error);

}  // namespace aldermark
