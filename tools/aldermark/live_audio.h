#pragma once
// Live audio for the standalone meter: a client of the system's audio server with two
// inputs and two outputs. Linux: a JACK client (jackd, or PipeWire through pipewire-jack);
// Windows has no implementation yet (a WASAPI capture file would sit beside the JACK one).
//
// The contract every implementation keeps:
// - open() never starts a server; the name granted may differ from the one asked for.
// - The processor set by activate() is called on the server's real-time thread with the
//   inputs (read only) and the outputs of one cycle. A cycle may be longer than the largest
//   block last announced (PipeWire changes it before it says so): process() takes any count.
// - Rate and largest-block changes and a shutdown of the server are only recorded where
//   they happen (atomics); the main thread reads them through format() and ended().
// - Connections are made and read on the main thread only, after activate().
#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace aldermark {

constexpr int kLiveChannels = 2;

// Called on the server's real-time thread: no allocation, no locks, no I/O.
class LiveProcessor {
public:
    virtual ~LiveProcessor() = default;
    virtual void process(const float* const* inputs, float* const* outputs, int frames) = 0;
};

struct LiveFormat {
    double sampleRate = 0;  // Hz
    int maxFrames = 0;      // the largest block the server announced
    bool operator==(const LiveFormat&) const = default;
};

// One connection of our ports: "input 1 <- system:capture_1", "output 2 -> other:in".
struct LiveConnection {
    bool input;        // our input (fed by `peer`) or our output (feeding `peer`)
    int channel;       // 1 or 2
    std::string peer;  // the other port's full name
    bool operator==(const LiveConnection&) const = default;
};

class LiveAudio {
public:
    virtual ~LiveAudio() = default;

    // Main thread. A client named `name` with its ports registered, not yet active; null
    // with a one-line reason when no server runs (the reason names what to start) or the
    // server refuses the client.
    static std::unique_ptr<LiveAudio> open(const std::string& name, std::string& error);
    // The longest client name the server takes, in bytes.
    static int maxNameLength();

    // Main thread: the name the server granted.
    virtual const std::string& name() const = 0;
    // Any thread: the server's rate and largest block as last announced.
    virtual LiveFormat format() const = 0;
    // Main thread: starts calling `processor` (which must outlive deactivate()).
    virtual bool activate(LiveProcessor& processor, std::string& error) = 0;
    // Main thread: stops calling the processor; returns once it is no longer running.
    virtual void deactivate() = 0;

    // Main thread: the server's output ports whose names match `pattern` (a regular
    // expression as the server matches it), or the physical capture ports for "physical";
    // never our own.
    virtual std::vector<std::string> sourcesMatching(const std::string& pattern) = 0;
    // Main thread: connects as `connection` says; false with the server's reason.
    virtual bool connect(const LiveConnection& connection, std::string& error) = 0;
    // Main thread: every connection of our four ports now.
    virtual std::vector<LiveConnection> connections() = 0;

    // Any thread: true once the server shut down or dropped the client; `reason` is its text.
    virtual bool ended(std::string& reason) const = 0;
    // Any thread: cycles the server reported late since activation.
    virtual int xruns() const = 0;
};

}  // namespace aldermark
