#include "tools/aldermark/edit_session.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <ostream>

#include "tools/aldermark/audio_loop.h"
#include "tools/aldermark/editor_window.h"
#include "tools/aldermark/host_platform.h"
#include "tools/aldermark/output_file.h"
#include "tools/aldermark/plugin_instance.h"

namespace aldermark {
namespace {

using Clock = std::chrono::steady_clock;

// Prints the requests as they come, from whichever thread, one whole line each; passes
// size requests on to the window.
class RequestPrinter : public HostRequestListener {
public:
    explicit RequestPrinter(std::ostream& out) : out_(out) {}

    void attach(EditorWindow* window) { window_.store(window); }

    void automated(VstInt32 index, float value) override {
        char text[64];
        std::snprintf(text, sizeof text, "automate %d %.4f", static_cast<int>(index), static_cast<double>(value));
        line(text);
    }
    void editBegun(VstInt32 index) override { line("begin " + std::to_string(index)); }
    void editEnded(VstInt32 index) override { line("end " + std::to_string(index)); }

    bool sizeWindowRequested(VstInt32 width, VstInt32 height) override {
        EditorWindow* window = window_.load();
        if (!window || width <= 0 || height <= 0 || width > kMaxClientSide || height > kMaxClientSide) return false;
        window->requestClientSize(width, height);
        line("size " + std::to_string(width) + " " + std::to_string(height));
        return true;
    }

    void line(const std::string& text) {
        std::lock_guard<std::mutex> lock(mutex_);
        out_ << text << '\n';
        out_.flush();
    }

private:
    std::ostream& out_;
    std::mutex mutex_;
    std::atomic<EditorWindow*> window_{nullptr};
};

// Saves the effect's state as a host saves it with a project: the bytes of its chunk.
bool saveState(PluginInstance& plugin, const std::string& path, RequestPrinter& printer, std::string& error) {
    void* data = nullptr;
    const VstIntPtr size = plugin.dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || !data) {
        error = "the plug-in gave no state to save";
        return false;
    }
    if (!writeFileSafely(path, data, static_cast<std::size_t>(size), error)) return false;
    printer.line("state " + path);
    return true;
}

// The editor's rectangle as width and height; false when the plug-in gave none we can use.
bool editorSize(PluginInstance& plugin, int& width, int& height) {
    ERect* rect = nullptr;
    plugin.dispatch(effEditGetRect, 0, 0, &rect);
    if (!rect) return false;
    const int w = rect->right - rect->left, h = rect->bottom - rect->top;
    if (w <= 0 || h <= 0) return false;
    width = w;
    height = h;
    return true;
}

bool saveScreenshot(EditorWindow& window, const std::string& path, std::string& error) {
    RgbaImage image;
    if (!window.capture(image, error)) {
        error = "screenshot '" + path + "': " + error;
        return false;
    }
    const std::vector<unsigned char> png = encodePng(image);
    return writeFileSafely(path, png.data(), png.size(), error);
}

// Until the window closes, a stop is asked for, the time is up or a screenshot fails: idles
// the editor at its rate, takes the screenshots when they are due and serves the window.
bool runWindowLoop(PluginInstance& plugin, EditorWindow& window, SessionAudio& audio,
                   const EditSessionOptions& options, RequestPrinter& printer, std::string& error) {
    std::vector<Screenshot> shots = options.screenshots;
    std::stable_sort(shots.begin(), shots.end(),
                     [](const Screenshot& a, const Screenshot& b) { return a.atSeconds < b.atSeconds; });
    const auto start = Clock::now();
    const auto at = [start](double seconds) {
        return start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    };
    const auto idlePeriod = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / options.idleHz));
    const auto end = options.seconds ? at(*options.seconds) : Clock::time_point::max();
    auto nextIdle = start;
    std::size_t nextShot = 0;
    for (;;) {
        if (window.closedByUser() || host_platform::stopRequested()) return true;
        if (!audio.service(plugin, error)) return false;
        const auto now = Clock::now();
        if (now >= nextIdle) {
            plugin.dispatch(effEditIdle);
            nextIdle += idlePeriod;
            if (nextIdle <= now) nextIdle = now + idlePeriod;  // fell behind: no burst of idles
        }
        // One screenshot a turn: after a stall the window gets its messages (the editor's
        // repaint among them) between two overdue ones.
        if (nextShot < shots.size() && now >= at(shots[nextShot].atSeconds)) {
            if (!saveScreenshot(window, shots[nextShot].path, error)) return false;
            printer.line("screenshot " + shots[nextShot].path);
            ++nextShot;
        }
        // The screenshots all fall within the session: the last are taken before it ends.
        if (now >= end && nextShot == shots.size()) return true;
        auto wakeAt = std::min(nextIdle, end);
        if (nextShot < shots.size()) wakeAt = std::min(wakeAt, at(shots[nextShot].atSeconds));
        // Rounded up: a wait cut to 0 ms would spin until the moment comes. A stop request is
        // looked at every 100 ms at least, whatever the idle rate.
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(wakeAt - Clock::now()).count();
        window.handleEvents(static_cast<int>(std::clamp<long long>(wait, 0, 100)));
    }
}

// A file looped at the pace of the clock on a thread of the session's own.
class PacedFileAudio final : public SessionAudio {
public:
    explicit PacedFileAudio(LoopedAudio& audio) : audio_(audio) {}
    double sampleRate() const override { return audio_.sampleRate(); }
    int blockSize() const override { return kEditBlockSize; }
    bool start(PluginInstance& plugin, std::string&) override {
        player_ = std::make_unique<RealTimeAudioLoop>(plugin.effect(), audio_, kEditBlockSize);
        player_->start();
        return true;
    }
    void stop() override { player_.reset(); }

private:
    LoopedAudio& audio_;
    std::unique_ptr<RealTimeAudioLoop> player_;
};

}  // namespace

bool runEditSession(PluginInstance& plugin, LoopedAudio& audio, const EditSessionOptions& options,
                    std::ostream& out, std::string& error) {
    PacedFileAudio paced(audio);
    return runEditSession(plugin, paced, options, out, error);
}

bool runEditSession(PluginInstance& plugin, SessionAudio& audio, const EditSessionOptions& options,
                    std::ostream& out, std::string& error) {
    // The size it answers before opening, corrected after opening (as Ardour and Renoise
    // do); a plug-in that answers nothing yet gets a window of some size to open in.
    // Stated as hosts that scale VST 2.4 editors do, before the size is asked for.
    if (options.scale != 1)
        plugin.dispatch(effVendorSpecific, kVendorScaleIndex, kVendorScaleValue, nullptr,
                        static_cast<float>(options.scale));
    int width = 320, height = 240;
    editorSize(plugin, width, height);
    const std::string title = options.title.empty() ? kEditWindowTitle : options.title;
    std::unique_ptr<EditorWindow> window = EditorWindow::create(title, width, height, error);
    if (!window) return false;
    RequestPrinter printer(out);
    printer.attach(window.get());
    plugin.setListener(&printer);
    window->show();

    plugin.setProcessing(static_cast<float>(audio.sampleRate()), audio.blockSize());
    plugin.dispatch(effMainsChanged, 0, 1);
    plugin.dispatch(effStartProcess);
    const bool opened = plugin.dispatch(effEditOpen, 0, 0, window->nativeHandle()) != 0;
    bool ok = false;
    if (opened) {
        if (editorSize(plugin, width, height)) window->requestClientSize(width, height);
        window->handleEvents(0);
        printer.line("open " + std::to_string(width) + " " + std::to_string(height));
        ok = audio.start(plugin, error) && runWindowLoop(plugin, *window, audio, options, printer, error);
        audio.stop();
    } else {
        error = "the plug-in's editor did not open in the window";
    }
    plugin.dispatch(effStopProcess);
    plugin.dispatch(effMainsChanged, 0, 0);
    // The editor goes before the window it lives in, and before the effect.
    if (opened) plugin.dispatch(effEditClose);
    if (ok && !options.statePath.empty()) ok = saveState(plugin, options.statePath, printer, error);
    plugin.setListener(nullptr);
    window.reset();
    return ok;
}

}  // namespace aldermark
