// What the editor costs on the GUI side, for each meter face, drawn off-screen on the real
// effect: a full redraw of the 586 x 195 window, a frame in which only the needles, hold
// markers and LEDs moved, and an idle step in which nothing changed. The ...AtScale variants
// draw the same at a display scale (second argument, per cent: 200 is 1172 x 390). Also what
// a change of the user's zoom costs, and one look at the desktop's scale as an open window
// takes it twice a second (on Linux against the X server of $DISPLAY, if any).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "bench/open_editor.h"
#include "editor/meter_editor.h"
#include "toolkit/backend.h"
#include "toolkit/offscreen.h"
#include "views/meter_display.h"
#include "views/meter_panel.h"

#if !defined(_WIN32)
#include <X11/Xlib.h>  // last: its macros would clash with the headers above
#endif

namespace {

// The face `meter` (0 VU, 1 RMS, 2 PPM) with its hold markers on, at display scale `scale`.
struct OpenEditor : bench::OpenEditor {
    explicit OpenEditor(int meter, bool stripsOpen = false, double scale = 1)
        : bench::OpenEditor(meter, stripsOpen, true) {
        if (!editor || scale == 1) return;
        editor->setContentScale(scale);
        editor->idleStep();
    }
};

void redrawAll(benchmark::State& state, double scale) {
    OpenEditor open(static_cast<int>(state.range(0)), false, scale);
    if (!open.editor) return state.SkipWithError("no editor");
    for (auto _ : state) {
        open.frame()->invalid();
        open.frame()->idle();
    }
}

void FullRedraw(benchmark::State& state) { redrawAll(state, 1); }
void FullRedrawAtScale(benchmark::State& state) { redrawAll(state, static_cast<double>(state.range(1)) / 100); }

// Needle values as programme material moves them: a few dB up and down every frame.
void moveNeedles(benchmark::State& state, bool stripsOpen, double scale) {
    OpenEditor open(static_cast<int>(state.range(0)), stripsOpen, scale);
    if (!open.editor) return state.SkipWithError("no editor");
    CZEBMeterFULLPANEL* panel = open.editor->panel(static_cast<int>(state.range(0)));
    std::vector<float> levels;
    for (int i = 0; i < 97; ++i) levels.push_back(static_cast<float>(std::pow(10.0, (-6.0 + 5.0 * std::sin(i * 0.7)) / 20.0)));
    std::size_t step = 0;
    double painted = 0;
    for (auto _ : state) {
        for (int channel = 0; channel < 2; ++channel) {
            CZEBMeter2* meter = panel->meter(channel);
            const float level = levels[(step + static_cast<std::size_t>(channel) * 13) % levels.size()];
            meter->setNeedleValue(level);
            meter->setHoldValue(level * 1.2f);
            meter->setLedState(step % 40 < 20 ? -1 : 1);
            if (auto* rms = dynamic_cast<CZEBRMSMeter2*>(meter)) rms->setRmsValue(level * 0.5f);
            meter->invalidateChanges();
        }
        open.frame()->idle();
        painted += open.frame()->getOffscreenWindow()->lastPaintedRect().getWidth() *
                   open.frame()->getOffscreenWindow()->lastPaintedRect().getHeight();
        ++step;
    }
    state.counters["px_around_paints"] = benchmark::Counter(painted, benchmark::Counter::kAvgIterations);
}

// Second argument: both strips open.
void NeedlesOnlyFrame(benchmark::State& state) { moveNeedles(state, state.range(1) != 0, 1); }
// Second argument: the scale in per cent; strips closed.
void NeedlesOnlyFrameAtScale(benchmark::State& state) {
    moveNeedles(state, false, static_cast<double>(state.range(1)) / 100);
}

// Opening or closing the filters strip: layout, window resize and the redraw it causes.
void StripToggle(benchmark::State& state) {
    OpenEditor open(static_cast<int>(state.range(0)));
    if (!open.editor) return state.SkipWithError("no editor");
    float shown = 0;
    for (auto _ : state) {
        shown = 1 - shown;
        open.effect->setParameter(open.effect, 7, shown);
        open.editor->idleStep();
    }
}

// From 100 % to 200 % and back, as from the zoom menu: the new size and its first frame.
void ZoomChange(benchmark::State& state) {
    OpenEditor open(static_cast<int>(state.range(0)));
    if (!open.editor) return state.SkipWithError("no editor");
    double zoom = 1;
    for (auto _ : state) {
        zoom = zoom == 1 ? 2 : 1;
        open.editor->meterEditor()->setUserZoom(zoom);
        open.editor->idleStep();
    }
}

// One look as an open editor's timer takes it: the desktop's scale over the window's own
// connection and where the window is. Linux: in a window on $DISPLAY's server.
void DesktopScaleLook(benchmark::State& state) {
#if defined(_WIN32)
    state.SkipWithError("measured on Linux: the Windows look is two user32 calls");
#else
    Display* display = XOpenDisplay(nullptr);
    if (!display) return state.SkipWithError("no X server on $DISPLAY");
    const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 586, 195, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);
    {
        AEffect* effect = createEffect(bench::quietHost);
        auto* editor = dynamic_cast<TemepleteEditor*>(static_cast<Templete*>(effect->object)->getEditor());
        void* handle = reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent));
        if (editor && effect->dispatcher(effect, effEditOpen, 0, 0, handle, 0.0f) == 1) {
            toolkit::IPlatformWindow* window = editor->getFrame()->getPlatformWindow();
            int x = 0, y = 0;
            for (auto _ : state) {
                benchmark::DoNotOptimize(window->desktopScale());
                benchmark::DoNotOptimize(window->screenOrigin(x, y));
            }
            effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
        } else {
            state.SkipWithError("the editor did not open");
        }
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
#endif
}

void IdleWithNothingChanged(benchmark::State& state) {
    OpenEditor open(static_cast<int>(state.range(0)));
    if (!open.editor) return state.SkipWithError("no editor");
    const int paintsBefore = open.frame()->getOffscreenWindow()->paintCount();
    for (auto _ : state) open.editor->idleStep();
    if (open.frame()->getOffscreenWindow()->paintCount() != paintsBefore) state.SkipWithError("idle repainted");
}

}  // namespace

// Argument: the face, 0 VU, 1 RMS, 2 PPM.
BENCHMARK(FullRedraw)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(NeedlesOnlyFrame)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMicrosecond);
// Arguments: the face, the scale in per cent.
BENCHMARK(FullRedrawAtScale)->ArgsProduct({{0, 1, 2}, {150, 200, 300}})->Unit(benchmark::kMicrosecond);
BENCHMARK(NeedlesOnlyFrameAtScale)->ArgsProduct({{0, 1, 2}, {150, 200, 300}})->Unit(benchmark::kMicrosecond);
BENCHMARK(StripToggle)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(ZoomChange)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(DesktopScaleLook)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(IdleWithNothingChanged)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
