// A stand-in for the ALSA sequencer, preloaded (LD_PRELOAD) into hosts whose engine will not
// start without one, on machines that have no /dev/snd/seq. It answers the sequencer calls
// that take a handle as a sequencer with no other clients would: our own client and ports
// exist, nothing is ever received, what is sent goes nowhere. The calls on info records
// (sizeof, get_*, set_*) stay libasound's own, so the records keep its layout.
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <vector>

namespace {

struct StandIn {
    int wakeup[2] = {-1, -1};  // a pipe nobody writes to: its read end is never ready
    int nextPort = 0;
    std::vector<unsigned char> tempo;  // the queue tempo record last set, libasound's layout
};

template <typename Function>
Function libasound(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

StandIn* from(void* handle) { return static_cast<StandIn*>(handle); }

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int snd_seq_open(void** handle, const char*, int, int) {
    if (!handle) return -EINVAL;
    auto* seq = new StandIn;
    if (pipe2(seq->wakeup, O_CLOEXEC | O_NONBLOCK) != 0) {
        delete seq;
        return -errno;
    }
    *handle = seq;
    return 0;
}

__attribute__((visibility("default"))) int snd_seq_close(void* handle) {
    StandIn* seq = from(handle);
    if (!seq) return -EINVAL;
    close(seq->wakeup[0]);
    close(seq->wakeup[1]);
    delete seq;
    return 0;
}

// The first number the kernel gives a user client.
__attribute__((visibility("default"))) int snd_seq_client_id(void*) { return 128; }
__attribute__((visibility("default"))) int snd_seq_set_client_name(void*, const char*) { return 0; }

__attribute__((visibility("default"))) int snd_seq_create_simple_port(void* handle, const char*, unsigned, unsigned) {
    return from(handle)->nextPort++;
}
__attribute__((visibility("default"))) int snd_seq_delete_simple_port(void*, int) { return 0; }
__attribute__((visibility("default"))) int snd_seq_get_port_info(void*, int, void*) { return 0; }
__attribute__((visibility("default"))) int snd_seq_set_port_info(void*, int, void*) { return 0; }

__attribute__((visibility("default"))) int snd_seq_poll_descriptors_count(void*, short) { return 1; }
__attribute__((visibility("default"))) int snd_seq_poll_descriptors(void* handle, pollfd* fds, unsigned space,
                                                                    short events) {
    if (!fds || space < 1) return 0;
    fds[0] = {from(handle)->wakeup[0], static_cast<short>(events & POLLIN), 0};
    return 1;
}

// Input: never an event.
__attribute__((visibility("default"))) int snd_seq_event_input(void*, void** event) {
    if (event) *event = nullptr;
    return -EAGAIN;
}
__attribute__((visibility("default"))) int snd_seq_event_input_pending(void*, int) { return 0; }
__attribute__((visibility("default"))) int snd_seq_drop_input(void*) { return 0; }

// Output: accepted and dropped.
__attribute__((visibility("default"))) int snd_seq_event_output(void*, void*) { return 0; }
__attribute__((visibility("default"))) int snd_seq_event_output_direct(void*, void*) { return 0; }
__attribute__((visibility("default"))) int snd_seq_drain_output(void*) { return 0; }
__attribute__((visibility("default"))) int snd_seq_drop_output(void*) { return 0; }
__attribute__((visibility("default"))) int snd_seq_remove_events(void*, void*) { return 0; }

// One queue that never advances.
__attribute__((visibility("default"))) int snd_seq_alloc_queue(void*) { return 0; }
__attribute__((visibility("default"))) int snd_seq_free_queue(void*, int) { return 0; }
__attribute__((visibility("default"))) int snd_seq_control_queue(void*, int, int, int, void*) { return 0; }
__attribute__((visibility("default"))) int snd_seq_set_queue_timer(void*, int, void*) { return 0; }
__attribute__((visibility("default"))) int snd_seq_get_queue_status(void*, int, void* status) {
    const auto size = libasound<std::size_t (*)()>("snd_seq_queue_status_sizeof");
    if (!status || !size) return -EINVAL;
    std::memset(status, 0, size());
    return 0;
}
__attribute__((visibility("default"))) int snd_seq_set_queue_tempo(void* handle, int, void* tempo) {
    const auto size = libasound<std::size_t (*)()>("snd_seq_queue_tempo_sizeof");
    if (!tempo || !size) return -EINVAL;
    const auto* bytes = static_cast<const unsigned char*>(tempo);
    from(handle)->tempo.assign(bytes, bytes + size());
    return 0;
}
// Until a tempo is set: 120 BPM, 96 ticks per quarter, no skew (a skew base of 0 would divide by zero).
__attribute__((visibility("default"))) int snd_seq_get_queue_tempo(void* handle, int, void* tempo) {
    const auto size = libasound<std::size_t (*)()>("snd_seq_queue_tempo_sizeof");
    if (!tempo || !size) return -EINVAL;
    const std::vector<unsigned char>& kept = from(handle)->tempo;
    if (kept.size() == size()) {
        std::memcpy(tempo, kept.data(), kept.size());
        return 0;
    }
    std::memset(tempo, 0, size());
    using SetUnsigned = void (*)(void*, unsigned);
    using SetInt = void (*)(void*, int);
    if (auto set = libasound<SetUnsigned>("snd_seq_queue_tempo_set_tempo")) set(tempo, 500000);
    if (auto set = libasound<SetInt>("snd_seq_queue_tempo_set_ppq")) set(tempo, 96);
    if (auto set = libasound<SetUnsigned>("snd_seq_queue_tempo_set_skew")) set(tempo, 0x10000);
    if (auto set = libasound<SetUnsigned>("snd_seq_queue_tempo_set_skew_base")) set(tempo, 0x10000);
    return 0;
}

// Nobody else is there to list or connect to.
__attribute__((visibility("default"))) int snd_seq_get_any_client_info(void*, int, void*) { return -ENOENT; }
__attribute__((visibility("default"))) int snd_seq_get_any_port_info(void*, int, int, void*) { return -ENOENT; }
__attribute__((visibility("default"))) int snd_seq_query_next_client(void*, void*) { return -ENOENT; }
__attribute__((visibility("default"))) int snd_seq_query_next_port(void*, void*) { return -ENOENT; }
__attribute__((visibility("default"))) int snd_seq_query_port_subscribers(void*, void*) { return -ENOENT; }
__attribute__((visibility("default"))) int snd_seq_subscribe_port(void*, void*) { return -ENOENT; }
__attribute__((visibility("default"))) int snd_seq_unsubscribe_port(void*, void*) { return -ENOENT; }

}  // extern "C"
