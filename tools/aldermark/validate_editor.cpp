// The editor as hosts treat it: opened cold and warm, while audio runs, before the host has
// told a rate or block size, under a storm of parameter changes, idled in a tight loop or
// not at all, and with the state saved and restored from another thread while it shows.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tools/aldermark/editor_window.h"
#include "tools/aldermark/plugin_instance.h"
#include "tools/aldermark/validation.h"
#include "tools/aldermark/validation_audio.h"

namespace aldermark {
namespace {

// The host's window with the plug-in's editor inside; it follows the editor's size requests.
class EditorHost : public HostRequestListener {
public:
    explicit EditorHost(PluginInstance& plugin) : plugin_(plugin) {}
    ~EditorHost() override {
        close();
        plugin_.setListener(nullptr);
    }

    bool open(TestOutcome& outcome) {
        if (!window_) {
            int width = 320, height = 240;
            ERect* rect = nullptr;
            plugin_.dispatch(effEditGetRect, 0, 0, &rect);
            if (rect && rect->right > rect->left && rect->bottom > rect->top) {
                width = rect->right - rect->left;
                height = rect->bottom - rect->top;
            }
            std::string error;
            window_ = EditorWindow::create("aldermark validate", width, height, error);
            if (!outcome.expect(window_ != nullptr, [&] { return "no window for the editor: " + error; })) return false;
            plugin_.setListener(this);
            window_->show();
        }
        open_ = plugin_.dispatch(effEditOpen, 0, 0, window_->nativeHandle()) != 0;
        return outcome.expect(open_, [] { return "effEditOpen failed although an editor is announced"; });
    }

    // `count` idle calls, each followed by the window's events (waiting up to `wait` ms).
    void idle(int count, int wait = 0) {
        for (int i = 0; i < count; ++i) {
            plugin_.dispatch(effEditIdle);
            window_->handleEvents(wait);
        }
    }
    void events(int milliseconds) { window_->handleEvents(milliseconds); }
    bool capture(RgbaImage& image, std::string& error) { return window_->capture(image, error); }

    void close() {
        if (open_) plugin_.dispatch(effEditClose);
        open_ = false;
    }

    void automated(VstInt32, float) override {}
    void editBegun(VstInt32) override {}
    void editEnded(VstInt32) override {}
    bool sizeWindowRequested(VstInt32 width, VstInt32 height) override {
        if (width <= 0 || height <= 0 || width > kMaxClientSide || height > kMaxClientSide) return false;
        window_->requestClientSize(width, height);
        return true;
    }

private:
    PluginInstance& plugin_;
    std::unique_ptr<EditorWindow> window_;
    bool open_ = false;
};

// Runs `body` with a fresh instance that has an editor; skips when there is none, or when
// `noDisplay` says why no window can be shown.
void withEditor(ValidationContext& context, TestOutcome& outcome, const std::string& noDisplay,
                void (*body)(ValidationContext&, PluginInstance&, EditorHost&, TestOutcome&)) {
    if (context.options().skipEditor) return outcome.skip("--skip-editor");
    PluginInstance plugin;
    if (!context.open(plugin, outcome)) return;
    if (!(plugin.effect()->flags & effFlagsHasEditor)) return outcome.skip("no editor");
    if (!noDisplay.empty()) return outcome.skip(noDisplay);
    EditorHost host(plugin);
    body(context, plugin, host, outcome);
}

void coldAndWarm(ValidationContext&, PluginInstance& plugin, EditorHost& host, TestOutcome& outcome) {
    if (!host.open(outcome)) return;  // cold: straight after loading, never resumed
    host.idle(5);
    host.close();
    startProcessing(plugin, 44100.0f, 512);
    for (int warm = 0; warm < 3; ++warm) {
        if (!host.open(outcome)) return;
        host.idle(5);
        host.close();
    }
    stopProcessing(plugin);
}

void whileProcessing(ValidationContext& context, PluginInstance& plugin, EditorHost& host, TestOutcome& outcome) {
    startProcessing(plugin, 48000.0f, 256);
    BackgroundAudio audio(*plugin.effect(), 256, context.options().seed);
    for (int round = 0; round < 3; ++round) {
        if (!host.open(outcome)) break;
        host.idle(20, 2);
        host.close();
    }
    audio.stop();
    outcome.expect(!audio.sawNonFiniteOutput(), [] { return "non-finite output while the editor opened"; });
    stopProcessing(plugin);
}

void unknownRateAndBlock(ValidationContext& context, PluginInstance& plugin, EditorHost& host, TestOutcome& outcome) {
    startProcessing(plugin, 0.0f, 0);
    if (!host.open(outcome)) return;
    host.idle(5);
    HostBuffers buffers(*plugin.effect(), 256);
    buffers.fill(TestSignal::kNoise, 256, context.random());
    buffers.process(*plugin.effect(), 256);
    host.idle(5);
    outcome.expect(buffers.outputsFinite(256), [] { return "non-finite output at rate 0, block size 0"; });
    host.close();
    stopProcessing(plugin);
}

void parameterStorm(ValidationContext& context, PluginInstance& plugin, EditorHost& host, TestOutcome& outcome) {
    const VstInt32 count = plugin.effect()->numParams;
    startProcessing(plugin, 44100.0f, 512);
    BackgroundAudio audio(*plugin.effect(), 512, context.options().seed);
    if (host.open(outcome)) {
        const int changes = context.scaled(100, 1000);
        for (int change = 0; change < changes && count > 0; ++change) {
            plugin.setParameter(context.randomBelow(count), context.randomUnit());
            if (change % 10 == 9) host.idle(1);
        }
        host.idle(5);
        host.close();
    }
    audio.stop();
    outcome.expect(!audio.sawNonFiniteOutput(), [] { return "non-finite output while parameters changed"; });
    stopProcessing(plugin);
}

void idleFastAndNever(ValidationContext& context, PluginInstance& plugin, EditorHost& host, TestOutcome& outcome) {
    startProcessing(plugin, 44100.0f, 512);
    if (!host.open(outcome)) return;
    for (int i = 0; i < context.scaled(200, 2000); ++i) plugin.dispatch(effEditIdle);
    host.events(0);
    // Audio for a while without a single idle: the editor must not depend on it.
    {
        BackgroundAudio audio(*plugin.effect(), 512, context.options().seed);
        host.events(200);
        audio.stop();
        outcome.expect(!audio.sawNonFiniteOutput(), [] { return "non-finite output while idle was not called"; });
    }
    host.idle(3);
    host.close();
    stopProcessing(plugin);
}

void stateFromAnotherThread(ValidationContext& context, PluginInstance& plugin, EditorHost& host,
                            TestOutcome& outcome) {
    if (!(plugin.effect()->flags & effFlagsProgramChunks)) return outcome.skip("no state chunk");
    startProcessing(plugin, 44100.0f, 512);
    BackgroundAudio audio(*plugin.effect(), 512, context.options().seed);
    if (host.open(outcome)) {
        std::atomic<bool> done{false};
        std::atomic<int> emptyStates{0};
        std::thread saver([&] {
            for (int i = 0; i < context.scaled(10, 60); ++i) {
                std::string state = saveChunk(plugin);
                if (state.empty()) emptyStates.fetch_add(1);
                plugin.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(state.size()), state.data());
            }
            done.store(true);
        });
        while (!done.load()) host.idle(1, 1);
        saver.join();
        host.idle(3);
        host.close();
        outcome.expect(emptyStates.load() == 0, [] { return "getChunk gave no state while the editor was open"; });
    }
    audio.stop();
    outcome.expect(!audio.sawNonFiniteOutput(), [] { return "non-finite output while the state was restored"; });
    stopProcessing(plugin);
}

// Pixels that differ between two pictures; pictures of different sizes differ everywhere.
long differingPixels(const RgbaImage& a, const RgbaImage& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size())
        return static_cast<long>(std::max(a.pixels.size(), b.pixels.size()) / 4);
    long count = 0;
    for (std::size_t i = 0; i + 3 < a.pixels.size(); i += 4)
        if (std::memcmp(&a.pixels[i], &b.pixels[i], 4) != 0) ++count;
    return count;
}

// What the editor shows after quiet, then after loud audio, once the display has settled.
struct QuietAndLoud {
    RgbaImage quiet, loud;
};

bool showQuietThenLoud(ValidationContext& context, PluginInstance& plugin, EditorHost& host, HostBuffers& buffers,
                       QuietAndLoud& shown, TestOutcome& outcome) {
    constexpr int kBlock = 512;
    auto play = [&](TestSignal signal, double seconds) {
        for (int done = 0; done < static_cast<int>(seconds * 44100); done += kBlock) {
            buffers.fill(signal, kBlock, context.random());
            buffers.process(*plugin.effect(), kBlock);
        }
    };
    // Needles take their time, longer on a busy machine: the picture is taken once it has
    // held still for two looks 100 ms apart (or after 3 s, for an editor that never rests).
    auto settleAndCapture = [&](RgbaImage& image) {
        std::string error;
        auto capture = [&](RgbaImage& into) {
            host.idle(10, 10);
            return outcome.expect(host.capture(into, error), [&] { return "the editor's window cannot be read: " + error; });
        };
        if (!capture(image)) return false;
        for (int look = 0, still = 0; look < 30 && still < 2; ++look) {
            RgbaImage next;
            if (!capture(next)) return false;
            still = differingPixels(next, image) == 0 ? still + 1 : 0;
            image = std::move(next);
        }
        return true;
    };
    // Loud first, so that what loud audio leaves for good (a hold, an over count) shows in
    // both pictures, as it will after the broken input.
    play(TestSignal::kSquare, 1.0);
    play(TestSignal::kSilence, 3.0);
    if (!settleAndCapture(shown.quiet)) return false;
    play(TestSignal::kSquare, 1.0);
    return settleAndCapture(shown.loud);
}

// A meter that lets a NaN into its averages shows nothing ever after: the editor must still
// tell quiet from loud audio after broken input.
void displayAfterBrokenInput(ValidationContext& context, PluginInstance& plugin, EditorHost& host,
                             TestOutcome& outcome) {
    startProcessing(plugin, 44100.0f, 512);
    HostBuffers buffers(*plugin.effect(), 512);
    QuietAndLoud before, after;
    if (!host.open(outcome) || !showQuietThenLoud(context, plugin, host, buffers, before, outcome)) return;
    const long contrast = differingPixels(before.quiet, before.loud);
    if (contrast <= 0) {
        host.close();
        return outcome.skip("the editor does not show the audio");
    }
    for (TestSignal broken : {TestSignal::kNaN, TestSignal::kPlusInfinity, TestSignal::kMinusInfinity}) {
        buffers.fill(broken, 512, context.random());
        buffers.process(*plugin.effect(), 512);
    }
    // Broken input may rightly leave a mark (an over light, a hold at full scale), so the
    // pictures are not compared with the earlier ones: quiet and loud must still look at
    // least half as different as they did.
    if (showQuietThenLoud(context, plugin, host, buffers, after, outcome))
        outcome.expect(differingPixels(after.quiet, after.loud) * 2 >= contrast, [&] {
            return "after broken input the editor no longer tells quiet from loud (" +
                   std::to_string(differingPixels(after.quiet, after.loud)) + " pixels differ, " +
                   std::to_string(contrast) + " before)";
        });
    host.close();
    stopProcessing(plugin);
}

}  // namespace

void validateEditor(ValidationContext& context) {
    const struct {
        const char* name;
        void (*body)(ValidationContext&, PluginInstance&, EditorHost&, TestOutcome&);
    } tests[] = {{"open and close, cold and warm", coldAndWarm},
                 {"open while processing", whileProcessing},
                 {"open at sample rate 0 and block size 0", unknownRateAndBlock},
                 {"parameters randomised with the editor open", parameterStorm},
                 {"idle called fast and not at all", idleFastAndNever},
                 {"state saved and restored from another thread while open", stateFromAnotherThread},
                 {"display follows the audio again after non-finite input", displayAfterBrokenInput}};
    // A machine without a display (a headless build server) is no fault of the plug-in's:
    // decided once, the editor tests then say so and how to run them.
    std::string noDisplay;
    if (!context.options().skipEditor && !EditorWindow::displayAvailable(noDisplay))
        noDisplay = "no display (" + noDisplay + "): run under xvfb-run -a, or pass --skip-editor";
    for (const auto& test : tests)
        context.run("editor", test.name,
                    [&](TestOutcome& outcome) { withEditor(context, outcome, noDisplay, test.body); });
}

}  // namespace aldermark
