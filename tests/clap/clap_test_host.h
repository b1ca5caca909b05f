#pragma once
// A small CLAP host for the tests: loads the built .clap, makes instances through its
// factory, runs blocks with parameter events and moves state through streams that take or
// give only a few bytes per call.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "clap/clap_abi.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace clap_test {

// The plug-in's entry, loaded once for the whole test program.
inline const clap::PluginEntry* entry() {
    static const clap::PluginEntry* loaded = [] {
        std::string path = ALDERMARK_CLAP_FILE;
#if defined(_WIN32)
        if (!path.empty() && path[0] == '/') path = "Z:" + path;  // the Unix path as Wine sees it
        std::replace(path.begin(), path.end(), '/', '\\');
        HMODULE library = LoadLibraryA(path.c_str());
        void* symbol = library ? reinterpret_cast<void*>(GetProcAddress(library, "clap_entry")) : nullptr;
#else
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        void* symbol = library ? dlsym(library, "clap_entry") : nullptr;
#endif
        return static_cast<const clap::PluginEntry*>(symbol);
    }();
    return loaded;
}

inline const clap::PluginFactory* factory() {
    const clap::PluginEntry* e = entry();
    if (!e || !e->init(ALDERMARK_CLAP_FILE)) return nullptr;
    return static_cast<const clap::PluginFactory*>(e->getFactory(clap::kPluginFactoryId));
}

// What the host offers and what the plug-in asked of it.
struct Host {
    enum class Offers { kParams, kNothing, kNoLookup };
    explicit Host(Offers what = Offers::kParams) : offers(what) {
        record.hostData = this;
        if (what != Offers::kNoLookup) record.getExtension = extension;
        record.requestCallback = [](const clap::Host* h) { ++of(h).callbackRequests; };
    }
    static const void* CLAPCALL extension(const clap::Host* h, const char* id) {
        auto* self = static_cast<Host*>(h->hostData);
        if (self->offers != Offers::kParams) return nullptr;
        if (std::strcmp(id, clap::kExtParams) == 0) return &self->params;
        if (std::strcmp(id, clap::kExtGui) == 0) return &self->gui;
        return std::strcmp(id, clap::kExtState) == 0 ? &self->state : nullptr;
    }
    static Host& of(const clap::Host* h) { return *static_cast<Host*>(h->hostData); }
    Offers offers;
    int flushRequests = 0, rescans = 0, dirtyMarks = 0;
    std::atomic<int> callbackRequests{0};  // request_callback may come from any thread
    std::vector<std::pair<std::uint32_t, std::uint32_t>> resizeRequests;  // width, height
    clap::HostParams params = {[](const clap::Host* h, std::uint32_t) { ++of(h).rescans; }, nullptr,
                               [](const clap::Host* h) { ++of(h).flushRequests; }};
    clap::HostState state = {[](const clap::Host* h) { ++of(h).dirtyMarks; }};
    clap::HostGui gui = {nullptr,
                         [](const clap::Host* h, std::uint32_t w, std::uint32_t hh) {
                             of(h).resizeRequests.emplace_back(w, hh);
                             return true;
                         },
                         nullptr, nullptr, nullptr};
    clap::Host record = {clap::kVersion, nullptr, "test host", "", "", "1", nullptr, nullptr, nullptr, nullptr};
};

// A parameter event at a frame, in the host's plain units.
inline clap::EventParamValue paramEvent(clap::Id id, double value, std::uint32_t time = 0) {
    clap::EventParamValue e = {};
    e.header = {sizeof e, time, clap::kCoreEventSpace, clap::kEventParamValue, 0};
    e.paramId = id;
    e.noteId = -1, e.portIndex = -1, e.channel = -1, e.key = -1;
    e.value = value;
    return e;
}

struct EventList {
    std::vector<clap::EventParamValue> events;
    clap::InputEvents list = {this, [](const clap::InputEvents* l) {
                                  return static_cast<std::uint32_t>(static_cast<EventList*>(l->ctx)->events.size());
                              },
                              [](const clap::InputEvents* l, std::uint32_t i) -> const clap::EventHeader* {
                                  return &static_cast<EventList*>(l->ctx)->events.at(i).header;
                              }};
};

// What the plug-in sent: (event type, parameter id, value); refuses after `room` events.
struct SentEvents {
    struct Sent {
        std::uint16_t type;
        clap::Id id;
        double value;
        bool operator==(const Sent&) const = default;
    };
    std::vector<Sent> sent;
    std::size_t room = 1000;
    clap::OutputEvents list = {this, [](const clap::OutputEvents* l, const clap::EventHeader* e) {
                                   auto& self = *static_cast<SentEvents*>(l->ctx);
                                   if (self.sent.size() >= self.room) return false;
                                   const auto* body = reinterpret_cast<const clap::EventParamGesture*>(e);
                                   const double value = e->type == clap::kEventParamValue
                                                            ? reinterpret_cast<const clap::EventParamValue*>(e)->value
                                                            : 0.0;
                                   self.sent.push_back({e->type, body->paramId, value});
                                   return true;
                               }};
};

// Streams moving at most `step` bytes per call; `failAt` bytes in, the call fails.
struct TrickleOut {
    std::vector<unsigned char> bytes;
    std::size_t step = 1, failAt = SIZE_MAX;
    clap::OutputStream stream = {this, [](const clap::OutputStream* s, const void* data, std::uint64_t size) {
                                     auto& self = *static_cast<TrickleOut*>(s->ctx);
                                     if (self.bytes.size() >= self.failAt) return std::int64_t{-1};
                                     const std::size_t n = std::min<std::uint64_t>(size, self.step);
                                     const auto* p = static_cast<const unsigned char*>(data);
                                     self.bytes.insert(self.bytes.end(), p, p + n);
                                     return static_cast<std::int64_t>(n);
                                 }};
};
struct TrickleIn {
    std::vector<unsigned char> bytes;
    std::size_t step = 1, at = 0, failAt = SIZE_MAX;
    clap::InputStream stream = {this, [](const clap::InputStream* s, void* data, std::uint64_t size) {
                                    auto& self = *static_cast<TrickleIn*>(s->ctx);
                                    if (self.at >= self.failAt) return std::int64_t{-1};
                                    const std::size_t n = std::min<std::uint64_t>({size, self.step, self.bytes.size() - self.at});
                                    if (n > 0) std::memcpy(data, self.bytes.data() + self.at, n);
                                    self.at += n;
                                    return static_cast<std::int64_t>(n);
                                }};
};

// One block on `in` and `out` (outputs may be the inputs); either event list may be null, as a
// host may pass it.
inline std::int32_t processBlock(const clap::Plugin* plugin, std::vector<float*> in, std::vector<float*> out,
                                 std::uint32_t frames, const clap::InputEvents* events, const clap::OutputEvents* sent) {
    clap::AudioBuffer input = {in.data(), nullptr, static_cast<std::uint32_t>(in.size()), 0, 0};
    clap::AudioBuffer output = {out.data(), nullptr, static_cast<std::uint32_t>(out.size()), 0, 0};
    const clap::Process p = {0, frames, nullptr, &input, &output, 1, 1, events, sent};
    return plugin->process(plugin, &p);
}

// One instance made through the factory and initialised; active at `rate` unless that is
// nullopt and activate() comes later. True once initialised and, where asked, active.
class Instance {
public:
    explicit Instance(Host& host, std::optional<double> rate = 48000.0) {
        const clap::PluginFactory* f = factory();
        plugin_ = f ? f->createPlugin(f, &host.record, "com.kestrune-zeb.aldermark") : nullptr;
        ready_ = plugin_ && plugin_->init(plugin_);
        if (!ready_) ADD_FAILURE() << "no instance from " << ALDERMARK_CLAP_FILE;
        else if (rate) activate(*rate, 4096);
    }
    void activate(double rate, std::uint32_t maxFrames) {
        active_ = plugin_->activate(plugin_, rate, 1, maxFrames) && plugin_->startProcessing(plugin_);
        ready_ = ready_ && active_;
    }
    ~Instance() {
        if (!plugin_) return;
        if (active_) plugin_->stopProcessing(plugin_), plugin_->deactivate(plugin_);
        plugin_->destroy(plugin_);
        entry()->deinit();
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    explicit operator bool() const { return ready_; }
    const clap::Plugin* plugin() const { return plugin_; }
    template <class Extension> const Extension* ext(const char* id) const {
        return static_cast<const Extension*>(plugin_->getExtension(plugin_, id));
    }
    const clap::PluginParams& params() const { return *ext<clap::PluginParams>(clap::kExtParams); }
    const clap::PluginState& state() const { return *ext<clap::PluginState>(clap::kExtState); }

    // One block with these events, in order; what the plug-in sends goes to `sent`, if given.
    std::int32_t process(std::vector<float*> in, std::vector<float*> out, std::uint32_t frames,
                         std::vector<clap::EventParamValue> events = {}, SentEvents* sent = nullptr) {
        EventList list{std::move(events)};
        SentEvents ignored;
        return processBlock(plugin_, std::move(in), std::move(out), frames, &list.list, sent ? &sent->list : &ignored.list);
    }
    std::vector<unsigned char> save(std::size_t step = 7) const {
        TrickleOut out;
        out.step = step;
        EXPECT_TRUE(state().save(plugin_, &out.stream));
        return out.bytes;
    }
    bool load(const std::vector<unsigned char>& bytes, std::size_t step = 3, std::size_t failAt = SIZE_MAX) {
        TrickleIn in;
        in.bytes = bytes, in.step = step, in.failAt = failAt;
        return state().load(plugin_, &in.stream);
    }

private:
    const clap::Plugin* plugin_ = nullptr;
    bool ready_ = false, active_ = false;
};

}  // namespace clap_test
