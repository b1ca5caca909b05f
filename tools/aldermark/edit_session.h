#pragma once
// A session with the plug-in's editor open in a real window while audio plays through the
// effect in real time: the work of `aldermark edit` (a file, looped) and `aldermark live`
// (the audio server's) once their options are read.
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "tools/aldermark/looped_audio.h"

namespace aldermark {

class PluginInstance;

struct Screenshot {
    double atSeconds;  // after the editor opened and the audio started
    std::string path;  // PNG
};

struct EditSessionOptions {
    std::string title;                      // of the window; empty: kEditWindowTitle
    int idleHz = 30;                        // effEditIdle calls a second
    std::optional<double> seconds;          // stop after this long; otherwise when asked to
    std::vector<Screenshot> screenshots;    // in any order
    std::string statePath;                  // where the effect's state is saved at the end; empty: not saved
    double scale = 1;                       // the editor's display scale, stated before it opens
};

class ParsedOptions;
// --idle-hz, --seconds, --scale and the --screenshot-at/--out pairs; false with a one-line
// reason.
bool readSessionOptions(const ParsedOptions& options, EditSessionOptions& session, std::string& error);

// The window's title, which tests and users find it by.
constexpr const char* kEditWindowTitle = "ZEB Aldermark \xE2\x80\x94 aldermark edit";
constexpr int kEditBlockSize = 512;  // frames a processReplacing call

// What plays through the effect while its editor is open. Every call is made on the
// session's (main) thread; what the audio's own thread does is the implementation's.
class SessionAudio {
public:
    virtual ~SessionAudio() = default;
    // What the effect is told before it resumes.
    virtual double sampleRate() const = 0;
    virtual int blockSize() const = 0;
    // Starts and stops calling processReplacing of the resumed effect; stop() returns once
    // no call is running.
    virtual bool start(PluginInstance& plugin, std::string& error) = 0;
    virtual void stop() = 0;
    // Each turn of the window loop: false ends the session, with `error` saying why.
    virtual bool service(PluginInstance&, std::string&) { return true; }
};

// Runs the session on the loaded plug-in (which must have an editor and processReplacing)
// and reports the host requests of interest on `out`, one flushed line each:
//   open W H       the editor is open in a window with a client area of W x H
//   size W H       the plug-in asked for a client area of W x H (and got it)
//   begin I        a gesture on parameter I starts
//   automate I V   parameter I was set to V (four decimals)
//   end I          the gesture on parameter I ends
//   screenshot F   the window was saved as F
//   state F        the effect's state (its chunk, as a host keeps it with a project) was saved as F
// False with a one-line reason when the window, the editor or a screenshot failed; the
// plug-in is left suspended and its editor closed either way.
// `audio` is read by the session's audio thread while it plays.
bool runEditSession(PluginInstance& plugin, LoopedAudio& audio, const EditSessionOptions& options,
                    std::ostream& out, std::string& error);
// The same with any audio; a failure of `audio.service` ends the session as a failure.
bool runEditSession(PluginInstance& plugin, SessionAudio& audio, const EditSessionOptions& options,
                    std::ostream& out, std::string& error);

}  // namespace aldermark
