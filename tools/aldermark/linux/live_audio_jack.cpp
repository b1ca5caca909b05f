// Live audio through JACK (jackd, or PipeWire's libjack). The server's threads only store
// atomics here (rate, block, xruns, the end of the server); everything that talks to the
// server runs on the main thread.
#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "tools/aldermark/live_audio.h"

namespace aldermark {
namespace {

// JACK's own messages would come on standard error before ours; what matters is said in
// our one line.
void quietJack(const char*) {}

class JackLiveAudio final : public LiveAudio {
public:
    JackLiveAudio(jack_client_t* client, jack_port_t* const (&inputs)[kLiveChannels],
                  jack_port_t* const (&outputs)[kLiveChannels])
        : client_(client), name_(jack_get_client_name(client)) {
        std::copy(std::begin(inputs), std::end(inputs), inputs_);
        std::copy(std::begin(outputs), std::end(outputs), outputs_);
        sampleRate_.store(jack_get_sample_rate(client));
        maxFrames_.store(jack_get_buffer_size(client));
        // Every callback is set before activation, as the server asks.
        jack_set_process_callback(client, &JackLiveAudio::onProcess, this);
        jack_set_sample_rate_callback(client, &JackLiveAudio::onSampleRate, this);
        jack_set_buffer_size_callback(client, &JackLiveAudio::onBufferSize, this);
        jack_set_xrun_callback(client, &JackLiveAudio::onXrun, this);
        jack_on_info_shutdown(client, &JackLiveAudio::onShutdown, this);
    }

    ~JackLiveAudio() override {
        deactivate();
        jack_client_close(client_);
    }

    const std::string& name() const override { return name_; }

    LiveFormat format() const override {
        return {static_cast<double>(sampleRate_.load()), static_cast<int>(maxFrames_.load())};
    }

    bool activate(LiveProcessor& processor, std::string& error) override {
        processor_ = &processor;
        if (jack_activate(client_) != 0) {
            error = "the JACK server did not start the client";
            return false;
        }
        active_ = true;
        return true;
    }

    void deactivate() override {
        // A server that shut down runs no more cycles; the call would only wait for it.
        if (active_ && !ended_.load()) jack_deactivate(client_);
        active_ = false;
    }

    std::vector<std::string> sourcesMatching(const std::string& pattern) override {
        const bool physical = pattern == "physical";
        const unsigned long flags = JackPortIsOutput | (physical ? JackPortIsPhysical : 0);
        const char** ports = jack_get_ports(client_, physical ? nullptr : pattern.c_str(), JACK_DEFAULT_AUDIO_TYPE, flags);
        std::vector<std::string> found;
        const std::string own = name_ + ":";
        for (const char** port = ports; port && *port; ++port)
            if (std::strncmp(*port, own.c_str(), own.size()) != 0) found.emplace_back(*port);
        if (ports) jack_free(ports);
        return found;
    }

    bool connect(const LiveConnection& connection, std::string& error) override {
        if (connection.channel < 1 || connection.channel > kLiveChannels) {
            error = "no channel " + std::to_string(connection.channel);
            return false;
        }
        jack_port_t* port = (connection.input ? inputs_ : outputs_)[connection.channel - 1];
        const char* ours = jack_port_name(port);
        const int result = connection.input ? jack_connect(client_, connection.peer.c_str(), ours)
                                            : jack_connect(client_, ours, connection.peer.c_str());
        if (result == 0 || result == EEXIST) return true;
        error = "cannot connect '" + connection.peer + "' " + (connection.input ? "to " : "from ") + ours;
        return false;
    }

    std::vector<LiveConnection> connections() override {
        std::vector<LiveConnection> all;
        if (ended_.load()) return all;
        for (int input = 1; input >= 0; --input)
            for (int channel = 0; channel < kLiveChannels; ++channel) {
                const char** peers = jack_port_get_connections((input ? inputs_ : outputs_)[channel]);
                for (const char** peer = peers; peer && *peer; ++peer) all.push_back({input == 1, channel + 1, *peer});
                if (peers) jack_free(peers);
            }
        return all;
    }

    bool ended(std::string& reason) const override {
        if (!ended_.load(std::memory_order_acquire)) return false;
        reason = endReason_;
        return true;
    }

    int xruns() const override { return xruns_.load(); }

private:
    // The server's real-time thread: buffers are asked for again every cycle.
    static int onProcess(jack_nframes_t frames, void* arg) {
        auto* self = static_cast<JackLiveAudio*>(arg);
        const float* in[kLiveChannels];
        float* out[kLiveChannels];
        for (int channel = 0; channel < kLiveChannels; ++channel) {
            in[channel] = static_cast<const float*>(jack_port_get_buffer(self->inputs_[channel], frames));
            out[channel] = static_cast<float*>(jack_port_get_buffer(self->outputs_[channel], frames));
        }
        self->processor_->process(in, out, static_cast<int>(frames));
        return 0;
    }
    // The server's notification thread.
    static int onSampleRate(jack_nframes_t rate, void* arg) {
        static_cast<JackLiveAudio*>(arg)->sampleRate_.store(rate);
        return 0;
    }
    static int onBufferSize(jack_nframes_t frames, void* arg) {
        static_cast<JackLiveAudio*>(arg)->maxFrames_.store(frames);
        return 0;
    }
    static int onXrun(void* arg) {
        static_cast<JackLiveAudio*>(arg)->xruns_.fetch_add(1);
        return 0;
    }
    // A thread of the library's, like a signal handler: the reason is copied (it dies on
    // return) into room kept for it, then the flag is raised.
    static void onShutdown(jack_status_t, const char* reason, void* arg) {
        auto* self = static_cast<JackLiveAudio*>(arg);
        std::strncpy(self->endReason_, reason ? reason : "", sizeof self->endReason_ - 1);
        self->ended_.store(true, std::memory_order_release);
    }

    jack_client_t* client_;
    std::string name_;
    jack_port_t* inputs_[kLiveChannels] = {};
    jack_port_t* outputs_[kLiveChannels] = {};
    LiveProcessor* processor_ = nullptr;
    bool active_ = false;
    std::atomic<jack_nframes_t> sampleRate_{0};
    std::atomic<jack_nframes_t> maxFrames_{0};
    std::atomic<int> xruns_{0};
    std::atomic<bool> ended_{false};
    char endReason_[256] = {};
};

}  // namespace

int LiveAudio::maxNameLength() { return jack_client_name_size() - 1; }

std::unique_ptr<LiveAudio> LiveAudio::open(const std::string& name, std::string& error) {
    jack_set_error_function(quietJack);
    jack_set_info_function(quietJack);
    jack_status_t status{};
    jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (!client) {
        if (status & JackServerFailed)
            error = "no JACK server is running: start one (jackd, QjackCtl, or PipeWire with pipewire-jack) and try again";
        else if (status & JackVersionError)
            error = "the JACK server speaks another protocol version than this libjack";
        else
            error = "the JACK server refused the client '" + name + "'";
        return nullptr;
    }
    static const char* const kInputNames[] = {"in_1", "in_2"};
    static const char* const kOutputNames[] = {"out_1", "out_2"};
    jack_port_t* inputs[kLiveChannels] = {};
    jack_port_t* outputs[kLiveChannels] = {};
    for (int channel = 0; channel < kLiveChannels; ++channel) {
        inputs[channel] = jack_port_register(client, kInputNames[channel], JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        outputs[channel] =
            jack_port_register(client, kOutputNames[channel], JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        if (!inputs[channel] || !outputs[channel]) {
            error = "the JACK server did not register the ports of '" + std::string(jack_get_client_name(client)) + "'";
            jack_client_close(client);
            return nullptr;
        }
    }
    return std::make_unique<JackLiveAudio>(client, inputs, outputs);
}

}  // namespace aldermark
