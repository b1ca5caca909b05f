#pragma once
// A plug-in of another format seen as a VST 2.4 effect record, so that every command and the
// validator's whole battery speak to a CLAP plug-in as they speak to a VST 2.4 binary. The
// bridge plays the host of its format: it maps the record's calls onto the format's (values
// normalised over each parameter's range, the state as the chunk, the editor in the host's
// window) and the format's requests onto the VST 2.4 host callback.
//
// Threads: as a VST 2.4 host has them. The dispatcher's editor and state calls come from the
// host's main thread; processReplacing from the audio thread; setParameter from any thread
// (the change travels as an event with the next block, or a flush while not processing).
#include <memory>
#include <string>

#include "vst2/aeffectx.h"

namespace aldermark {

class FormatBridge {
public:
    virtual ~FormatBridge() = default;
    // The record the host talks to; valid for the bridge's life.
    virtual AEffect* effect() = 0;
};

// Whether `path` names a plug-in this host bridges rather than loads as VST 2.4.
bool isClapPath(const std::string& path);

// Loads the CLAP library at `path` and makes its first plug-in; null with a one-line reason.
std::unique_ptr<FormatBridge> openClapBridge(const std::string& path, audioMasterCallback host, std::string& error);

}  // namespace aldermark
