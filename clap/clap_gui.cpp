// The gui extension: one MeterEditor per instance while the host has created the editor.
// The host's calls come on its main thread. The editor draws from its own timer (a thread of
// its own on Linux), and what it asks of the host there, gestures and values aside, waits
// for the main thread: a resize request is kept and the host asked for a callback.
#include "clap/clap_gui.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

#include "clap/clap_abi.h"
#include "clap/clap_instance.h"
#include "editor/manual_button_host.h"
#include "editor/meter_editor.h"

namespace {

constexpr const char* kOurApi = clap::kWindowApiOfThisSystem;

class ClapGui final : public ClapEditorPart, public ManualButtonHost {
public:
    explicit ClapGui(ClapInstance& instance) : instance_(instance), editor_(instance.effect(), *this, lock_) {
        showMessagesIn(&editor_);
        const clap::Host* host = instance.host();
        if (host->getExtension) hostGui_ = static_cast<const clap::HostGui*>(host->getExtension(host, clap::kExtGui));
        if (hostGui_ && !hostGui_->requestResize) hostGui_ = nullptr;
    }
    ~ClapGui() override { close(); }

    bool setParent(const clap::Window* window) {
        if (!window || !window->api || std::strcmp(window->api, kOurApi) != 0) return false;
#if defined(_WIN32)
        void* parent = window->win32;
#else
        void* parent = reinterpret_cast<void*>(static_cast<std::uintptr_t>(window->x11));
#endif
        if (!parent || !editor_.open(parent)) return false;
        instance_.effect().setEditorAttached(true);
        return true;
    }

    void close() {
        instance_.effect().setEditorAttached(false);
        editor_.stopTimer();
        {
            EditorLock lock(lock_);
            editorClosing();
        }
        editor_.close();
    }

    // The host's scale, absolute (1 = 100 %); the size get_size answers follows it.
    bool setScale(double scale) {
        if (!std::isfinite(scale) || !(scale > 0)) return false;
        editor_.setHostScale(scale);
        return true;
    }

    // Under the lock: the editor's timer may be resizing it (the desktop's scale changed).
    void size(std::uint32_t* width, std::uint32_t* height) {
        EditorLock lock(lock_);
        *width = static_cast<std::uint32_t>(editor_.width());
        *height = static_cast<std::uint32_t>(editor_.height());
    }

    void onMainThread() override {
        const std::uint64_t size = pendingResize_.exchange(0, std::memory_order_acq_rel);
        if (size && hostGui_)
            hostGui_->requestResize(instance_.host(), static_cast<std::uint32_t>(size >> 32),
                                    static_cast<std::uint32_t>(size & 0xFFFFFFFFu));
    }

private:
    // EditorHost, under the editor's lock. Gestures travel with the values, in order.
    void beginEdit(std::int32_t index) override { instance_.beginGesture(index); }
    void endEdit(std::int32_t index) override { instance_.endGesture(index); }
    bool requestResize(int width, int height) override {
        if (!hostGui_ || width <= 0 || height <= 0) return false;
        pendingResize_.store(static_cast<std::uint64_t>(width) << 32 | static_cast<std::uint32_t>(height),
                             std::memory_order_release);
        instance_.requestMainThread();
        return true;
    }

    ClapInstance& instance_;
    const clap::HostGui* hostGui_ = nullptr;  // null when the host cannot resize our window
    EditorMutex lock_;
    MeterEditor editor_;
    std::atomic<std::uint64_t> pendingResize_{0};  // width << 32 | height; 0: none waiting
};

ClapGui* guiOf(const clap::Plugin* plugin) {
    ClapInstance* instance = ClapInstance::from(plugin);
    return instance ? static_cast<ClapGui*>(instance->editorPart()) : nullptr;
}

bool CLAPCALL isApiSupported(const clap::Plugin*, const char* api, bool isFloating) {
    return !isFloating && api && std::strcmp(api, kOurApi) == 0;
}

bool CLAPCALL preferredApi(const clap::Plugin*, const char** api, bool* isFloating) {
    if (!api || !isFloating) return false;
    *api = kOurApi;
    *isFloating = false;
    return true;
}

bool CLAPCALL create(const clap::Plugin* plugin, const char* api, bool isFloating) {
    ClapInstance* instance = ClapInstance::from(plugin);
    if (!instance || !isApiSupported(plugin, api, isFloating)) return false;
    if (!instance->editorPart()) instance->setEditorPart(std::make_unique<ClapGui>(*instance));
    return true;
}

void CLAPCALL destroy(const clap::Plugin* plugin) {
    if (ClapInstance* instance = ClapInstance::from(plugin)) instance->setEditorPart(nullptr);
}

bool CLAPCALL setScale(const clap::Plugin* plugin, double scale) {
    ClapGui* gui = guiOf(plugin);
    return gui && gui->setScale(scale);
}

bool CLAPCALL getSize(const clap::Plugin* plugin, std::uint32_t* width, std::uint32_t* height) {
    ClapGui* gui = guiOf(plugin);
    if (!gui || !width || !height) return false;
    gui->size(width, height);
    return true;
}

// The size follows the strips the user opens, not the host's dragging.
bool CLAPCALL canResize(const clap::Plugin*) { return false; }
bool CLAPCALL resizeHints(const clap::Plugin* plugin, clap::GuiResizeHints* hints) {
    if (!guiOf(plugin) || !hints) return false;
    *hints = {false, false, false, 0, 0};
    return true;
}
bool CLAPCALL adjustSize(const clap::Plugin* plugin, std::uint32_t* width, std::uint32_t* height) {
    return getSize(plugin, width, height);
}
bool CLAPCALL setSize(const clap::Plugin* plugin, std::uint32_t width, std::uint32_t height) {
    std::uint32_t w = 0, h = 0;
    return getSize(plugin, &w, &h) && w == width && h == height;
}

bool CLAPCALL setParent(const clap::Plugin* plugin, const clap::Window* window) {
    ClapGui* gui = guiOf(plugin);
    return gui && gui->setParent(window);
}

bool CLAPCALL setTransient(const clap::Plugin*, const clap::Window*) { return false; }
void CLAPCALL suggestTitle(const clap::Plugin*, const char*) {}

// Embedded, the editor is seen when the host's window is; it pauses itself while unseen.
bool CLAPCALL show(const clap::Plugin* plugin) { return guiOf(plugin) != nullptr; }
bool CLAPCALL hide(const clap::Plugin* plugin) { return guiOf(plugin) != nullptr; }

const clap::PluginGui kGui = {isApiSupported, preferredApi, create,   destroy,     setScale,
                              getSize,        canResize,    resizeHints, adjustSize, setSize,
                              setParent,      setTransient, suggestTitle, show,       hide};

}  // namespace

const clap::PluginGui* clapGuiExtension() { return &kGui; }
