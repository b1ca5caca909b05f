// What the settings panels cost on the GUI side, for each meter, drawn off-screen on the real
// effect with both strips open (the panel fills the 586 x 261 window): turning round to the
// panel and back by mouse clicks, each with the repaint it causes (turning back also stores
// the Global settings), and a full redraw of the shown panel.
//
// The stores are written to a private folder (XDG_CONFIG_HOME), never to the user's own.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "bench/open_editor.h"
#include "controls/selectors.h"
#include "views/back_panel.h"
#include "views/meter_panel.h"

namespace {

// A folder of our own under TMPDIR, removed when the program ends.
struct PrivateSettingsFolder {
    std::string path = (std::filesystem::temp_directory_path() / "aldermark-settings-bench-XXXXXX").string();
    bool made = mkdtemp(path.data()) != nullptr;
    ~PrivateSettingsFolder() {
        std::error_code ignored;
        if (made) std::filesystem::remove_all(path, ignored);
    }
};

bool usePrivateSettingsFolder() {
    static const PrivateSettingsFolder folder;
    return folder.made && setenv("XDG_CONFIG_HOME", folder.path.c_str(), 1) == 0;
}

// One effect with its editor open off-screen on meter `meter` (0 VU, 1 RMS, 2 PPM), strips open.
struct OpenEditor : bench::OpenEditor {
    explicit OpenEditor(int meter) : bench::OpenEditor(meter, true, false) {}
    CZEBMeterFULLPANEL* front() const { return editor->panel(editor->currentMeter()); }
    void click(const CPoint& where) const {
        frame()->platformOnMouseDown(where, CButtonState(kLButton));
        frame()->platformOnMouseUp(where, CButtonState(kLButton));
    }
    void turnRound() const { click(front()->meterSelector()->getViewSize().getCenter()); }
    void turnBack() const { click(CPoint(298, 96)); }  // an empty spot of every panel
};

void TurnRound(benchmark::State& state) {
    if (!usePrivateSettingsFolder()) return state.SkipWithError("no private settings folder");
    OpenEditor open(static_cast<int>(state.range(0)));
    if (!open.editor) return state.SkipWithError("no editor");
    for (auto _ : state) {
        open.turnRound();
        open.frame()->idle();
        state.PauseTiming();
        open.turnBack();
        open.frame()->idle();
        state.ResumeTiming();
    }
    if (open.front()->isSettingsPanelShown()) state.SkipWithError("the panel did not turn back");
}

void TurnBackAndStore(benchmark::State& state) {
    if (!usePrivateSettingsFolder()) return state.SkipWithError("no private settings folder");
    OpenEditor open(static_cast<int>(state.range(0)));
    if (!open.editor) return state.SkipWithError("no editor");
    for (auto _ : state) {
        state.PauseTiming();
        open.turnRound();
        open.frame()->idle();
        state.ResumeTiming();
        open.turnBack();
        open.frame()->idle();
    }
    if (open.front()->isSettingsPanelShown()) state.SkipWithError("the panel did not turn back");
}

void FullRedrawOfThePanel(benchmark::State& state) {
    OpenEditor open(static_cast<int>(state.range(0)));
    if (!open.editor) return state.SkipWithError("no editor");
    open.turnRound();
    if (!open.front()->isSettingsPanelShown()) return state.SkipWithError("no settings panel");
    open.frame()->idle();
    for (auto _ : state) {
        open.frame()->invalid();
        open.frame()->idle();
    }
}

}  // namespace

// Argument: the meter, 0 VU, 1 RMS, 2 PPM.
BENCHMARK(TurnRound)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(TurnBackAndStore)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(FullRedrawOfThePanel)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
