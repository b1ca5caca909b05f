// A JACK client of the live tests: writes a steady 1 kHz sine with peaks at -18 dBFS to its
// two outputs, "tone:out_1" and "tone:out_2", until it is killed or the server ends.
// Usage: live_tone_client [CLIENT_NAME]; prints "ready" once its ports are active.
#include <jack/jack.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

jack_port_t* ports[2];
double phase = 0, step = 0;
const float amplitude = static_cast<float>(std::pow(10.0, -18.0 / 20.0));
std::atomic<bool> stopping{false};

int process(jack_nframes_t frames, void*) {
    float* left = static_cast<float*>(jack_port_get_buffer(ports[0], frames));
    float* right = static_cast<float*>(jack_port_get_buffer(ports[1], frames));
    for (jack_nframes_t i = 0; i < frames; ++i) {
        left[i] = right[i] = amplitude * static_cast<float>(std::sin(phase));
        phase += step;
        if (phase > 2 * std::numbers::pi) phase -= 2 * std::numbers::pi;
    }
    return 0;
}

void stop(int) { stopping.store(true); }
void ended(void*) { stopping.store(true); }

}  // namespace

int main(int argc, char** argv) {
    jack_client_t* client = jack_client_open(argc > 1 ? argv[1] : "tone", JackNoStartServer, nullptr);
    if (!client) {
        std::fprintf(stderr, "tone: no JACK server\n");
        return 1;
    }
    step = 2 * std::numbers::pi * 1000.0 / jack_get_sample_rate(client);
    ports[0] = jack_port_register(client, "out_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    ports[1] = jack_port_register(client, "out_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    jack_set_process_callback(client, process, nullptr);
    jack_on_shutdown(client, ended, nullptr);
    signal(SIGTERM, stop);
    signal(SIGINT, stop);
    if (!ports[0] || !ports[1] || jack_activate(client) != 0) return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    while (!stopping.load()) usleep(20000);
    jack_client_close(client);
    return 0;
}
