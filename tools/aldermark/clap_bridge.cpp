// The CLAP plug-in behind a VST 2.4 effect record (format_bridge.h). One instance of the
// library's first plug-in; values travel as CLAP parameter events, the state as the chunk,
// the editor through the gui extension with the API of this platform.
#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "clap/clap_abi.h"
#include "tools/aldermark/format_bridge.h"
#include "tools/aldermark/host_platform.h"

namespace aldermark {
namespace {

#if defined(_WIN32)
constexpr const char* kGuiApi = clap::kWindowApiWin32;
#else
constexpr const char* kGuiApi = clap::kWindowApiX11;
#endif
constexpr int kMaxParams = 256;

void copyText(void* destination, const char* text, std::size_t capacity) {
    if (!destination || capacity == 0) return;
    const std::size_t n = text ? strnlen(text, capacity - 1) : 0;
    if (n) std::memcpy(destination, text, n);
    static_cast<char*>(destination)[n] = 0;
}

class ClapBridge final : public FormatBridge {
public:
    ClapBridge(audioMasterCallback host) : audioMaster_(host) {
        effect_.magic = kEffectMagic;
        effect_.dispatcher = [](AEffect* e, VstInt32 op, VstInt32 i, VstIntPtr v, void* p, float o) {
            return self(e)->dispatch(op, i, v, p, o);
        };
        effect_.setParameter = [](AEffect* e, VstInt32 i, float x) { self(e)->setParameter(i, x); };
        effect_.getParameter = [](AEffect* e, VstInt32 i) { return self(e)->getParameter(i); };
        effect_.processReplacing = [](AEffect* e, float** in, float** out, VstInt32 n) { self(e)->process(in, out, n); };
        effect_.object = this;
        effect_.numPrograms = 1;
        host_.hostData = this;
        host_.getExtension = [](const clap::Host* h, const char* id) -> const void* {
            ClapBridge& b = of(h);
            if (std::strcmp(id, clap::kExtParams) == 0) return &b.hostParams_;
            if (std::strcmp(id, clap::kExtState) == 0) return &b.hostState_;
            if (std::strcmp(id, clap::kExtGui) == 0) return &b.hostGui_;
            return nullptr;
        };
        host_.requestRestart = [](const clap::Host*) {};
        host_.requestProcess = [](const clap::Host*) {};
        host_.requestCallback = [](const clap::Host* h) { of(h).callbackWanted_.store(true); };
    }

    ~ClapBridge() override {
        if (plugin_) {
            closeEditor();
            setActive(false);
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
        descriptor_ = factory && factory->getPluginCount(factory) > 0 ? factory->getPluginDescriptor(factory, 0) : nullptr;
        plugin_ = descriptor_ ? factory->createPlugin(factory, &host_, descriptor_->id) : nullptr;
        if (!plugin_ || !plugin_->init(plugin_)) {
            if (plugin_) plugin_->destroy(plugin_);
            plugin_ = nullptr;
            return (error = "the CLAP plug-in in '" + path + "' could not be made"), false;
        }
        params_ = static_cast<const clap::PluginParams*>(plugin_->getExtension(plugin_, clap::kExtParams));
        state_ = static_cast<const clap::PluginState*>(plugin_->getExtension(plugin_, clap::kExtState));
        gui_ = static_cast<const clap::PluginGui*>(plugin_->getExtension(plugin_, clap::kExtGui));
        const std::uint32_t count = params_ ? std::min<std::uint32_t>(params_->count(plugin_), kMaxParams) : 0;
        for (std::uint32_t i = 0; i < count; ++i) {
            clap::ParamInfo info{};
            if (params_->getInfo(plugin_, i, &info)) info_.push_back(info);
        }
        effect_.numParams = static_cast<VstInt32>(info_.size());
        effect_.numInputs = effect_.numOutputs = 2;
        effect_.flags = effFlagsCanReplacing | effFlagsProgramChunks |
                        (gui_ && gui_->isApiSupported(plugin_, kGuiApi, false) ? effFlagsHasEditor : 0);
        std::uint32_t hash = 2166136261u;  // FNV-1a of the plug-in id: four stable capitals
        for (const char* c = descriptor_->id; *c; ++c) hash = (hash ^ static_cast<unsigned char>(*c)) * 16777619u;
        VstInt32 id = 0;
        for (int i = 0; i < 4; ++i, hash /= 26) id = id << 8 | static_cast<VstInt32>('A' + hash % 26);
        effect_.uniqueID = id;
        effect_.version = 1;
        return true;
    }

    AEffect* effect() override { return &effect_; }

private:
    static ClapBridge* self(AEffect* e) { return static_cast<ClapBridge*>(e->object); }
    static ClapBridge& of(const clap::Host* h) { return *static_cast<ClapBridge*>(h->hostData); }

    // ---- values: normalised over each parameter's range, stepped ones on their steps
    double plainOf(VstInt32 index, float x) const {
        const clap::ParamInfo& p = info_[static_cast<std::size_t>(index)];
        const double v = p.minValue + std::clamp(static_cast<double>(x), 0.0, 1.0) * (p.maxValue - p.minValue);
        return p.flags & clap::kParamIsStepped ? std::round(v) : v;
    }
    float normalisedOf(VstInt32 index, double plain) const {
        const clap::ParamInfo& p = info_[static_cast<std::size_t>(index)];
        return p.maxValue > p.minValue ? static_cast<float>((plain - p.minValue) / (p.maxValue - p.minValue)) : 0.0f;
    }
    bool isParam(VstInt32 index) const { return index >= 0 && index < effect_.numParams; }

    void setParameter(VstInt32 index, float x) {
        if (!isParam(index) || !std::isfinite(x)) return;
        const auto slot = static_cast<std::size_t>(index);
        pending_[slot].store(plainOf(index, x), std::memory_order_relaxed);
        pendingMask_[slot / 64].fetch_or(std::uint64_t{1} << (slot % 64), std::memory_order_release);
    }
    float getParameter(VstInt32 index) {
        if (!isParam(index)) return 0.0f;
        const auto slot = static_cast<std::size_t>(index);
        if (pendingMask_[slot / 64].load(std::memory_order_acquire) & (std::uint64_t{1} << (slot % 64)))
            return normalisedOf(index, pending_[slot].load(std::memory_order_relaxed));
        double plain = 0;
        return params_ && params_->getValue(plugin_, info_[slot].id, &plain) ? normalisedOf(index, plain) : 0.0f;
    }

    // The values set since the last block, as events at its start.
    std::uint32_t takePending() {
        std::uint32_t n = 0;
        for (std::size_t word = 0; word < pendingMask_.size(); ++word) {
            std::uint64_t bits = pendingMask_[word].exchange(0, std::memory_order_acq_rel);
            for (; bits; bits &= bits - 1) {
                const std::size_t i = word * 64 + static_cast<std::size_t>(std::countr_zero(bits));
                clap::EventParamValue& e = events_[n++];
                e = {};
                e.header = {sizeof e, 0, clap::kCoreEventSpace, clap::kEventParamValue, 0};
                e.paramId = info_[i].id;
                e.noteId = -1, e.portIndex = -1, e.channel = -1, e.key = -1;
                e.value = pending_[i].load(std::memory_order_relaxed);
            }
        }
        return n;
    }

    // What the plug-in sends (its editor's gestures and values) reaches the VST 2.4 host.
    bool fromPlugin(const clap::EventHeader* e) {
        if (!e || e->spaceId != clap::kCoreEventSpace) return true;
        const auto* gesture = reinterpret_cast<const clap::EventParamGesture*>(e);
        const VstInt32 index = indexOf(gesture->paramId);
        if (index < 0) return true;
        if (e->type == clap::kEventParamGestureBegin) audioMaster_(&effect_, audioMasterBeginEdit, index, 0, nullptr, 0);
        if (e->type == clap::kEventParamGestureEnd) audioMaster_(&effect_, audioMasterEndEdit, index, 0, nullptr, 0);
        if (e->type == clap::kEventParamValue && e->size >= sizeof(clap::EventParamValue))
            audioMaster_(&effect_, audioMasterAutomate, index, 0, nullptr,
                         normalisedOf(index, reinterpret_cast<const clap::EventParamValue*>(e)->value));
        return true;
    }
    VstInt32 indexOf(clap::Id id) const {
        for (std::size_t i = 0; i < info_.size(); ++i)
            if (info_[i].id == id) return static_cast<VstInt32>(i);
        return -1;
    }

    void process(float** in, float** out, VstInt32 frames) {
        if (frames <= 0 || !out || !out[0] || !out[1]) return;
        if (!processing_.load(std::memory_order_acquire)) {
            for (int c = 0; c < 2; ++c) std::fill(out[c], out[c] + frames, 0.0f);
            return;
        }
        inCount_ = takePending();
        float* inputs[2] = {in ? in[0] : nullptr, in ? in[1] : nullptr};
        clap::AudioBuffer input = {inputs, nullptr, 2, 0, 0};
        clap::AudioBuffer output = {out, nullptr, 2, 0, 0};
        const clap::Process p = {-1, static_cast<std::uint32_t>(frames), nullptr, &input, &output, 1, 1,
                                 &inEvents_, &outEvents_};
        plugin_->process(plugin_, &p);
    }

    // Main thread, while not processing: values set meanwhile and the plug-in's own changes.
    void flush() {
        if (!params_ || processing_.load(std::memory_order_acquire)) return;
        inCount_ = takePending();
        params_->flush(plugin_, &inEvents_, &outEvents_);
    }

    void setActive(bool on) {
        if (on == processing_.load()) return;
        if (on) {
            flush();
            if (!plugin_->activate(plugin_, sampleRate_ > 0 ? sampleRate_ : 44100.0, 1,
                                   static_cast<std::uint32_t>(std::max(blockSize_, 1))))
                return;
            plugin_->startProcessing(plugin_);
            processing_.store(true, std::memory_order_release);
        } else {
            processing_.store(false, std::memory_order_release);
            plugin_->stopProcessing(plugin_);
            plugin_->deactivate(plugin_);
        }
    }

    // Main thread: the callbacks and flushes the plug-in asked for.
    void idle() {
        if (callbackWanted_.exchange(false)) plugin_->onMainThread(plugin_);
        if (flushWanted_.exchange(false)) flush();
    }

    // ---- the editor
    bool editorSize(ERect** rect) {
        if (!rect || !ensureEditor()) return false;
        std::uint32_t w = 0, h = 0;
        if (!gui_->getSize(plugin_, &w, &h)) return false;
        rect_ = {0, 0, static_cast<VstInt16>(h), static_cast<VstInt16>(w)};
        *rect = &rect_;
        return true;
    }
    bool ensureEditor() {
        if (!(effect_.flags & effFlagsHasEditor)) return false;
        if (!editorCreated_) editorCreated_ = gui_->create(plugin_, kGuiApi, false);
        return editorCreated_;
    }
    bool openEditor(void* parent) {
        if (!parent || !ensureEditor()) return false;
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
    void closeEditor() {
        if (editorCreated_) gui_->destroy(plugin_);
        editorCreated_ = false;
    }

    // ---- state as the chunk
    VstIntPtr saveChunk(void** data) {
        if (!data || !state_) return 0;
        chunk_.clear();
        clap::OutputStream out = {this, [](const clap::OutputStream* s, const void* bytes, std::uint64_t size) {
                                      auto& chunk = static_cast<ClapBridge*>(s->ctx)->chunk_;
                                      chunk.insert(chunk.end(), static_cast<const unsigned char*>(bytes),
                                                   static_cast<const unsigned char*>(bytes) + size);
                                      return static_cast<std::int64_t>(size);
                                  }};
        if (!state_->save(plugin_, &out)) return 0;
        *data = chunk_.data();
        return static_cast<VstIntPtr>(chunk_.size());
    }
    VstIntPtr loadChunk(const void* data, VstIntPtr size) {
        if (!data || size <= 0 || !state_) return 0;
        struct Reader {
            const unsigned char* at;
            std::uint64_t left;
        } reader{static_cast<const unsigned char*>(data), static_cast<std::uint64_t>(size)};
        clap::InputStream in = {&reader, [](const clap::InputStream* s, void* buffer, std::uint64_t want) {
                                    auto& r = *static_cast<Reader*>(s->ctx);
                                    const std::uint64_t n = std::min(want, r.left);
                                    if (n) std::memcpy(buffer, r.at, n);
                                    r.at += n, r.left -= n;
                                    return static_cast<std::int64_t>(n);
                                }};
        return state_->load(plugin_, &in) ? 1 : 0;
    }

    bool anyPending() const {
        for (const auto& word : pendingMask_)
            if (word.load(std::memory_order_acquire)) return true;
        return false;
    }

    VstIntPtr dispatch(VstInt32 op, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
        // While nothing is processed, what the host set reaches the plug-in before anything
        // it asks: as with a VST 2.4 effect, a value set is a value in the state.
        if (!processing_.load(std::memory_order_acquire) && (anyPending() || flushWanted_.exchange(false))) flush();
        switch (op) {
            case effSetSampleRate: sampleRate_ = std::isfinite(opt) ? opt : 0.0; return 0;
            case effSetBlockSize: blockSize_ = static_cast<int>(std::clamp<VstIntPtr>(value, 0, 1 << 20)); return 0;
            case effMainsChanged: setActive(value != 0); return 0;
            case effGetParamName:
            case effGetParamLabel:
            case effGetParamDisplay: return paramText(op, index, ptr);
            case effString2Parameter: return textToParam(index, static_cast<const char*>(ptr));
            case effCanBeAutomated: return isParam(index) && (info_[static_cast<std::size_t>(index)].flags & clap::kParamIsAutomatable);
            case effGetChunk: return saveChunk(static_cast<void**>(ptr));
            case effSetChunk: return loadChunk(ptr, value);
            case effEditGetRect: return editorSize(static_cast<ERect**>(ptr));
            case effEditOpen: return openEditor(ptr);
            case effEditClose: closeEditor(); return 0;
            case effEditIdle: idle(); return 0;
            case effGetProgram: return 0;
            case effSetProgramName: copyText(programName_, static_cast<const char*>(ptr), sizeof programName_); return 0;
            case effGetProgramName: copyText(ptr, programName_, kVstMaxProgNameLen); return 0;
            case effGetProgramNameIndexed: copyText(ptr, index == 0 ? programName_ : "", kVstMaxProgNameLen); return index == 0;
            case effGetEffectName: copyText(ptr, descriptor_->name, kVstMaxEffectNameLen); return 1;
            case effGetVendorString: copyText(ptr, descriptor_->vendor, kVstMaxVendorStrLen); return 1;
            case effGetProductString: copyText(ptr, descriptor_->name, kVstMaxProductStrLen); return 1;
            case effGetPlugCategory: return kPlugCategAnalysis;
            case effGetVstVersion: return kVstVersion;
            case effGetInputProperties:
            case effGetOutputProperties: return pinProperties(op == effGetInputProperties, index, ptr);
            case effCanDo: return -1;
            default: return 0;
        }
    }

    VstIntPtr paramText(VstInt32 op, VstInt32 index, void* ptr) {
        if (!isParam(index) || !ptr) return 0;
        const clap::ParamInfo& p = info_[static_cast<std::size_t>(index)];
        char text[256] = {};
        if (op == effGetParamName) copyText(text, p.name, sizeof text);
        if (op == effGetParamDisplay && params_)
            params_->valueToText(plugin_, p.id, plainOf(index, getParameter(index)), text, sizeof text);
        copyText(ptr, text, kVstMaxParamStrLen + 1);  // a VST 2.4 host's room
        return 1;
    }
    VstIntPtr textToParam(VstInt32 index, const char* text) {
        if (!text) return 1;  // asked whether typed values are understood
        double plain = 0;
        if (!isParam(index) || !params_ || !params_->textToValue(plugin_, info_[static_cast<std::size_t>(index)].id, text, &plain))
            return 0;
        setParameter(index, normalisedOf(index, plain));
        return 1;
    }
    static VstIntPtr pinProperties(bool input, VstInt32 index, void* ptr) {
        if (!ptr || index < 0 || index > 1) return 0;
        auto& pin = *static_cast<VstPinProperties*>(ptr);
        pin = {};
        copyText(pin.label, input ? (index ? "In R" : "In L") : (index ? "Out R" : "Out L"), sizeof pin.label);
        pin.flags = kVstPinIsActive | (index == 0 ? kVstPinIsStereo : 0);
        pin.arrangementType = kSpeakerArrStereo;
        return 1;
    }

    AEffect effect_{};
    audioMasterCallback audioMaster_;
    void* library_ = nullptr;
    const clap::PluginEntry* entry_ = nullptr;  // initialised while set
    const clap::PluginDescriptor* descriptor_ = nullptr;
    const clap::Plugin* plugin_ = nullptr;
    const clap::PluginParams* params_ = nullptr;
    const clap::PluginState* state_ = nullptr;
    const clap::PluginGui* gui_ = nullptr;
    std::vector<clap::ParamInfo> info_;  // in the plug-in's order: index = VST parameter
    double sampleRate_ = 44100.0;        // Hz, as the host set it
    int blockSize_ = 512;                // frames, as the host set it
    std::atomic<bool> processing_{false};
    std::atomic<bool> callbackWanted_{false}, flushWanted_{false};
    bool editorCreated_ = false;
    ERect rect_{};
    char programName_[kVstMaxProgNameLen] = "Default";
    std::vector<unsigned char> chunk_;  // the last saved state, handed to the host

    // Values set by the host, waiting for the next block or flush.
    std::array<std::atomic<double>, kMaxParams> pending_{};
    std::array<std::atomic<std::uint64_t>, kMaxParams / 64> pendingMask_{};
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

    clap::Host host_ = {clap::kVersion, nullptr, "aldermark", "ZEB", "", "1", nullptr, nullptr, nullptr, nullptr};
    clap::HostParams hostParams_ = {[](const clap::Host*, std::uint32_t) {}, [](const clap::Host*, clap::Id, std::uint32_t) {},
                                    [](const clap::Host* h) { of(h).flushWanted_.store(true); }};
    clap::HostState hostState_ = {[](const clap::Host*) {}};
    clap::HostGui hostGui_ = {[](const clap::Host*) {},
                              [](const clap::Host* h, std::uint32_t w, std::uint32_t hh) {
                                  ClapBridge& b = of(h);
                                  return b.audioMaster_(&b.effect_, audioMasterSizeWindow, static_cast<VstInt32>(w),
                                                        static_cast<VstIntPtr>(hh), nullptr, 0) != 0;
                              },
                              [](const clap::Host*) { return false; }, [](const clap::Host*) { return false; },
                              [](const clap::Host*, bool) {}};
};

}  // namespace

bool isClapPath(const std::string& path) { return path.size() > 5 && path.compare(path.size() - 5, 5, ".clap") == 0; }

std::unique_ptr<FormatBridge> openClapBridge(const std::string& path, audioMasterCallback host, std::string& error) {
    auto bridge = std::make_unique<ClapBridge>(host);
    if (!bridge->open(path, error)) return nullptr;
    return bridge;
}

}  // namespace aldermark
