// The CLAP plug-in behind a VST 2.4 effect record (format_bridge.h): the library's first
// plug-in; values travel as CLAP parameter events, the state through memory streams, the
// editor through the gui extension with this platform's window API.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

#include "clap/clap_abi.h"
#include "tools/aldermark/format_bridge.h"
#include "tools/aldermark/host_platform.h"

namespace aldermark {
namespace {

constexpr const char* kGuiApi = clap::kWindowApiOfThisSystem;

class ClapBridge final : public BridgedEffect {
public:
    explicit ClapBridge(audioMasterCallback host) : BridgedEffect(host) { host_.hostData = this; }

    ~ClapBridge() override {
        if (plugin_) {
            closeEditor();
            if (processing()) activate(false);
            plugin_->destroy(plugin_);
        }
        if (entry_) entry_->deinit();
        host_platform::unloadLibrary(library_);
    }

    bool open(const std::string& path, std::string& error) {
        library_ = host_platform::loadLibrary(path, error);
        if (!library_) return (error = "'" + path + "' is not a loadable CLAP library: " + error), false;
        entry_ = reinterpret_cast<const clap::PluginEntry*>(host_platform::findSymbol(library_, "clap_entry"));
        if (!entry_ || !entry_->init || !entry_->init(path.c_str()))
            return (entry_ = nullptr, error = "'" + path + "' has no CLAP entry that starts"), false;
        const auto* factory = static_cast<const clap::PluginFactory*>(entry_->getFactory(clap::kPluginFactoryId));
        const clap::PluginDescriptor* descriptor =
            factory && factory->getPluginCount(factory) > 0 ? factory->getPluginDescriptor(factory, 0) : nullptr;
        plugin_ = descriptor ? factory->createPlugin(factory, &host_, descriptor->id) : nullptr;
        if (!plugin_ || !plugin_->init(plugin_)) {
            if (plugin_) plugin_->destroy(plugin_);
            plugin_ = nullptr;
            return (error = "the CLAP plug-in in '" + path + "' could not be made"), false;
        }
        params_ = static_cast<const clap::PluginParams*>(plugin_->getExtension(plugin_, clap::kExtParams));
        state_ = static_cast<const clap::PluginState*>(plugin_->getExtension(plugin_, clap::kExtState));
        gui_ = static_cast<const clap::PluginGui*>(plugin_->getExtension(plugin_, clap::kExtGui));
        std::vector<Param> described;
        const std::uint32_t count = params_ ? std::min<std::uint32_t>(params_->count(plugin_), kMaxParams) : 0;
        for (std::uint32_t i = 0; i < count; ++i) {
            clap::ParamInfo info{};
            if (!params_->getInfo(plugin_, i, &info)) continue;
            ids_.push_back(info.id);
            described.push_back({info.name, info.minValue, info.maxValue, (info.flags & clap::kParamIsStepped) != 0,
                                 (info.flags & clap::kParamIsAutomatable) != 0});
        }
        describe(descriptor->name, descriptor->vendor, descriptor->id, std::move(described),
                 gui_ && gui_->isApiSupported(plugin_, kGuiApi, false));
        return true;
    }

private:
    static ClapBridge& of(const clap::Host* h) { return *static_cast<ClapBridge*>(h->hostData); }

    int indexOf(clap::Id id) const {
        const auto at = std::find(ids_.begin(), ids_.end(), id);
        return at == ids_.end() ? -1 : static_cast<int>(at - ids_.begin());
    }

    // The host's values since the last block, as events at its start.
    void takeEvents() {
        inCount_ = 0;
        takePending([&](int index, double value) {
            clap::EventParamValue& e = events_[inCount_++];
            e = {};
            e.header = {sizeof e, 0, clap::kCoreEventSpace, clap::kEventParamValue, 0};
            e.paramId = ids_[static_cast<std::size_t>(index)];
            e.noteId = -1, e.portIndex = -1, e.channel = -1, e.key = -1;
            e.value = value;
        });
    }

    // What the plug-in sends (its editor's gestures and values) reaches the VST 2.4 host.
    bool fromPlugin(const clap::EventHeader* e) {
        if (!e || e->spaceId != clap::kCoreEventSpace || e->size < sizeof(clap::EventParamGesture)) return true;
        const int index = indexOf(reinterpret_cast<const clap::EventParamGesture*>(e)->paramId);
        if (e->type == clap::kEventParamGestureBegin) tellBeginEdit(index);
        if (e->type == clap::kEventParamGestureEnd) tellEndEdit(index);
        if (e->type == clap::kEventParamValue && e->size >= sizeof(clap::EventParamValue))
            tellValue(index, reinterpret_cast<const clap::EventParamValue*>(e)->value);
        return true;
    }

    void processBlock(float** in, float** out, std::uint32_t frames) override {
        takeEvents();
        float* inputs[2] = {in ? in[0] : nullptr, in ? in[1] : nullptr};
        clap::AudioBuffer input = {inputs, nullptr, 2, 0, 0};
        clap::AudioBuffer output = {out, nullptr, 2, 0, 0};
        const clap::Process p = {-1, frames, nullptr, &input, &output, 1, 1, &inEvents_, &outEvents_};
        plugin_->process(plugin_, &p);
    }

    bool activate(bool on) override {
        if (!on) {
            plugin_->stopProcessing(plugin_);
            plugin_->deactivate(plugin_);
            return true;
        }
        flush();
        if (!plugin_->activate(plugin_, sampleRate(), 1, static_cast<std::uint32_t>(blockSize()))) return false;
        plugin_->startProcessing(plugin_);
        return true;
    }

    // Main thread. While processing, the blocks carry the values both ways.
    void flush() override {
        if (callbackWanted_.exchange(false)) plugin_->onMainThread(plugin_);
        if (processing() || !params_ || (!anyPending() && !flushWanted_.exchange(false))) return;
        takeEvents();
        params_->flush(plugin_, &inEvents_, &outEvents_);
    }

    double plainValue(int index) override {
        double value = 0;
        return params_ && params_->getValue(plugin_, ids_[static_cast<std::size_t>(index)], &value) ? value : 0.0;
    }
    std::string display(int index, double plain) override {
        char text[256] = {};
        if (params_) params_->valueToText(plugin_, ids_[static_cast<std::size_t>(index)], plain, text, sizeof text);
        return text;
    }
    bool parse(int index, const char* text, double& plain) override {
        return params_ && params_->textToValue(plugin_, ids_[static_cast<std::size_t>(index)], text, &plain);
    }

    bool saveState(std::vector<unsigned char>& chunk) override {
        if (!state_) return false;
        chunk.clear();
        clap::OutputStream out = {&chunk, [](const clap::OutputStream* s, const void* bytes, std::uint64_t size) {
                                      auto& to = *static_cast<std::vector<unsigned char>*>(s->ctx);
                                      to.insert(to.end(), static_cast<const unsigned char*>(bytes),
                                                static_cast<const unsigned char*>(bytes) + size);
                                      return static_cast<std::int64_t>(size);
                                  }};
        return state_->save(plugin_, &out);
    }
    bool loadState(const unsigned char* data, std::size_t size) override {
        struct Reader {
            const unsigned char* at;
            std::uint64_t left;
        } reader{data, size};
        clap::InputStream in = {&reader, [](const clap::InputStream* s, void* buffer, std::uint64_t want) {
                                    auto& r = *static_cast<Reader*>(s->ctx);
                                    const std::uint64_t n = std::min(want, r.left);
                                    if (n) std::memcpy(buffer, r.at, n);
                                    r.at += n, r.left -= n;
                                    return static_cast<std::int64_t>(n);
                                }};
        return state_ && state_->load(plugin_, &in);
    }

    bool ensureEditor() {
        if (!editorCreated_) editorCreated_ = gui_->create(plugin_, kGuiApi, false);
        return editorCreated_;
    }
    bool editorSize(int& width, int& height) override {
        std::uint32_t w = 0, h = 0;
        if (!ensureEditor() || !gui_->getSize(plugin_, &w, &h)) return false;
        width = static_cast<int>(w), height = static_cast<int>(h);
        return true;
    }
    bool openEditor(void* parent) override {
        if (!ensureEditor()) return false;
        clap::Window window{kGuiApi, {0}};
#if defined(_WIN32)
        window.win32 = parent;
#else
        window.x11 = static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(parent));
#endif
        if (!gui_->setParent(plugin_, &window)) {
            closeEditor();
            return false;
        }
        gui_->show(plugin_);
        return true;
    }
    void closeEditor() override {
        if (editorCreated_) gui_->destroy(plugin_);
        editorCreated_ = false;
    }
    void idleEditor() override { flush(); }

    void* library_ = nullptr;
    const clap::PluginEntry* entry_ = nullptr;  // initialised while set
    const clap::Plugin* plugin_ = nullptr;
    const clap::PluginParams* params_ = nullptr;
    const clap::PluginState* state_ = nullptr;
    const clap::PluginGui* gui_ = nullptr;
    std::vector<clap::Id> ids_;  // the parameter of each VST index
    bool editorCreated_ = false;
    std::atomic<bool> callbackWanted_{false}, flushWanted_{false};  // the plug-in's requests

    std::array<clap::EventParamValue, kMaxParams> events_{};
    std::uint32_t inCount_ = 0;
    clap::InputEvents inEvents_ = {this, [](const clap::InputEvents* l) { return static_cast<ClapBridge*>(l->ctx)->inCount_; },
                                   [](const clap::InputEvents* l, std::uint32_t i) -> const clap::EventHeader* {
                                       auto* b = static_cast<ClapBridge*>(l->ctx);
                                       return i < b->inCount_ ? &b->events_[i].header : nullptr;
                                   }};
    clap::OutputEvents outEvents_ = {this, [](const clap::OutputEvents* l, const clap::EventHeader* e) {
                                         return static_cast<ClapBridge*>(l->ctx)->fromPlugin(e);
                                     }};

    clap::HostParams hostParams_ = {[](const clap::Host*, std::uint32_t) {}, [](const clap::Host*, clap::Id, std::uint32_t) {},
                                    [](const clap::Host* h) { of(h).flushWanted_.store(true); }};
    clap::HostState hostState_ = {[](const clap::Host*) {}};
    clap::HostGui hostGui_ = {[](const clap::Host*) {},
                              [](const clap::Host* h, std::uint32_t w, std::uint32_t hh) {
                                  return of(h).tellSize(static_cast<int>(w), static_cast<int>(hh));
                              },
                              [](const clap::Host*) { return false; }, [](const clap::Host*) { return false; },
                              [](const clap::Host*, bool) {}};
    clap::Host host_ = {clap::kVersion,
                        nullptr,
                        "aldermark",
                        "ZEB",
                        "",
                        "1",
                        [](const clap::Host* h, const char* id) -> const void* {
                            ClapBridge& b = of(h);
                            if (std::strcmp(id, clap::kExtParams) == 0) return &b.hostParams_;
                            if (std::strcmp(id, clap::kExtState) == 0) return &b.hostState_;
                            return std::strcmp(id, clap::kExtGui) == 0 ? &b.hostGui_ : nullptr;
                        },
                        [](const clap::Host*) {},
                        [](const clap::Host*) {},
                        [](const clap::Host* h) { of(h).callbackWanted_.store(true); }};
};

}  // namespace

std::unique_ptr<FormatBridge> openClapBridge(const std::string& path, audioMasterCallback host, std::string& error) {
    auto bridge = std::make_unique<ClapBridge>(host);
    if (!bridge->open(path, error)) return nullptr;
    return bridge;
}

}  // namespace aldermark
