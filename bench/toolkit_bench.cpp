// Toolkit drawing costs: a full off-screen redraw of an editor-sized frame of bitmaps,
// lines and text, and an idle with nothing to repaint.
#include <benchmark/benchmark.h>

#include <cairo.h>

#include <cmath>
#include <map>
#include <vector>

#include "platform/resources.h"
#include "toolkit/offscreen.h"
#include "toolkit/toolkit.h"

namespace {

enum BenchResource : int { kBackground = 1, kStrip, kButton, kKnobStrip, kLeds };

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    auto* out = static_cast<std::vector<unsigned char>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

// A PNG with a gradient and some marks, so it is no flat colour the renderer could skip.
std::vector<unsigned char> makeImage(int width, int height) {
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(image);
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, width, height);
    cairo_pattern_add_color_stop_rgba(gradient, 0, 0.9, 0.85, 0.7, 1);
    cairo_pattern_add_color_stop_rgba(gradient, 1, 0.3, 0.25, 0.2, 0.9);
    cairo_set_source(cr, gradient);
    cairo_paint(cr);
    cairo_pattern_destroy(gradient);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.8);
    for (int x = 0; x < width; x += 7) {
        cairo_move_to(cr, x + 0.5, 0);
        cairo_line_to(cr, x + 0.5, height / 4.0);
    }
    cairo_stroke(cr);
    cairo_destroy(cr);
    std::vector<unsigned char> png;
    cairo_surface_write_to_png_stream(image, appendBytes, &png);
    cairo_surface_destroy(image);
    return png;
}

const std::map<int, std::vector<unsigned char>>& images() {
    static const std::map<int, std::vector<unsigned char>> table{
        {kBackground, makeImage(586, 169)}, {kStrip, makeImage(586, 92)}, {kButton, makeImage(30, 24)},
        {kKnobStrip, makeImage(40, 40 * 31)}, {kLeds, makeImage(20, 60)}};
    return table;
}

// Two needle movements: lines as the meter displays draw them.
class NeedlesView : public CView {
public:
    explicit NeedlesView(const CRect& size) : CView(size) {}
    void draw(CDrawContext* context) override {
        const CPoint pivot(size_.left + 126, size_.top + 149.8);
        context->setLineWidth(2.4);
        for (int needle = 0; needle < 3; ++needle) {
            const double angle = (50 + needle * 25) * 3.14159265 / 180;
            context->setFrameColor(CColor{static_cast<std::uint8_t>(80 * needle), 40, 30, 255});
            context->drawLine(CPoint(pivot.x + 3 * std::cos(angle), pivot.y - 3 * std::sin(angle)),
                              CPoint(pivot.x + 120 * std::cos(angle), pivot.y - 120 * std::sin(angle)));
        }
        setDirty(false);
    }
};

struct EditorSizedFrame {
    CFrame* frame = new CFrame(CRect(0, 0, 586, 261));

    EditorSizedFrame() {
        frame->openOffscreen();
        auto* background = new CBitmap(kBackground);
        auto* meters = new CViewContainer(CRect(0, 0, 586, 169));
        meters->setBackground(background);
        background->forget();
        auto* leds = new CBitmap(kLeds);
        for (int side = 0; side < 2; ++side) {
            meters->addView(new NeedlesView(CRect(12 + 265 * side, 18, 262 + 265 * side, 134)));
            auto* led = new CMovieBitmap(CRect(222 + 265 * side, 32, 242 + 265 * side, 52), nullptr, 67, 3, 20, leds);
            led->setValue(0.5f);
            meters->addView(led);
        }
        leds->forget();
        auto* hint = new CTextLabel(CRect(304, 0, 496, 14), "Click and drag to adjust RMS reference level");
        hint->setTransparency(true);
        meters->addView(hint);
        frame->addView(meters);

        auto* strip = new CViewContainer(CRect(0, 169, 586, 261));
        auto* stripBackground = new CBitmap(kStrip);
        strip->setBackground(stripBackground);
        stripBackground->forget();
        auto* button = new CBitmap(kButton);
        auto* knobs = new CBitmap(kKnobStrip);
        for (int i = 0; i < 8; ++i) {
            strip->addView(new COnOffButton(CRect(10 + 40 * i, 5, 40 + 40 * i, 17), nullptr, i, button));
            auto* knob = new CAnimKnob(CRect(10 + 60 * i, 30, 50 + 60 * i, 70), nullptr, 20 + i, 31, 40, knobs);
            knob->setValue(i / 8.f);
            strip->addView(knob);
            auto* value = new CTextLabel(CRect(10 + 60 * i, 72, 60 + 60 * i, 88), "-18.0 dB");
            value->setTransparency(true);
            strip->addView(value);
        }
        button->forget();
        knobs->forget();
        frame->addView(strip);
        frame->idle();  // first paint: decodes, font set-up
    }
    ~EditorSizedFrame() { frame->forget(); }
};

void BM_FullOffscreenRedraw(benchmark::State& state) {
    EditorSizedFrame editor;
    for (auto _ : state) {
        editor.frame->invalid();
        editor.frame->idle();
    }
    state.counters["paints"] = editor.frame->getOffscreenWindow()->paintCount();
}
BENCHMARK(BM_FullOffscreenRedraw)->Unit(benchmark::kMillisecond);

void BM_IdleWithNothingInvalidated(benchmark::State& state) {
    EditorSizedFrame editor;
    const int paintsBefore = editor.frame->getOffscreenWindow()->paintCount();
    for (auto _ : state) editor.frame->idle();
    if (editor.frame->getOffscreenWindow()->paintCount() != paintsBefore) state.SkipWithError("idle repainted");
}
BENCHMARK(BM_IdleWithNothingInvalidated)->Unit(benchmark::kMicrosecond);

}  // namespace

// The benchmark's own images, in place of the library's resources.
namespace platform {
bool findResource(ResourceType type, int id, const unsigned char** data, std::size_t* size) {
    if (type != ResourceType::Png || !data || !size) return false;
    auto found = images().find(id);
    if (found == images().end()) return false;
    *data = found->second.data();
    *size = found->second.size();
    return true;
}
}  // namespace platform

BENCHMARK_MAIN();
