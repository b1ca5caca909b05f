#include "tools/aldermark/meter_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "toolkit/backend.h"
#include "toolkit/draw_context.h"
#include "tools/aldermark/output_file.h"
#include "vst2/templete.h"

namespace aldermark {
namespace {

constexpr double kTopDb = 12.0, kBottomDb = -40.0;  // the axis, relative to the reference
constexpr int kLeftMargin = 64, kRightMargin = 24, kTopMargin = 44, kBottomMargin = 40;

constexpr CColor kBackground{28, 29, 32, 255}, kGrid{62, 64, 70, 255}, kAxisText{170, 170, 176, 255};
constexpr CColor kReference{214, 170, 70, 255}, kOver{235, 40, 40, 255};
// Per channel: needle, hold, RMS pointer.
constexpr CColor kNeedle[2] = {{96, 170, 255, 255}, {255, 140, 80, 255}};
constexpr CColor kHold[2] = {{170, 210, 255, 150}, {255, 200, 160, 150}};
constexpr CColor kRms[2] = {{40, 110, 200, 255}, {200, 90, 40, 255}};

// A time step that gives the axis between about six and twelve labels.
double timeStep(double seconds) {
    static constexpr double kSteps[] = {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 15, 30,
                                        60,   120,  300,  600, 900, 1800, 3600, 7200};
    for (double step : kSteps)
        if (seconds / step <= 12.0) return step;
    return 14400.0;
}

std::string timeLabel(double seconds, double step) {
    char text[32];
    if (step >= 60.0)
        std::snprintf(text, sizeof text, "%d:%02d", static_cast<int>(seconds) / 60, static_cast<int>(seconds) % 60);
    else
        std::snprintf(text, sizeof text, step < 1.0 ? "%.2f s" : "%.0f s", seconds);
    return text;
}

}  // namespace

MeterPlot::MeterPlot(int width, int height, double seconds)
    : width_(std::max(width, kMinimumWidth)),
      height_(std::max(height, kMinimumHeight)),
      columns_(static_cast<size_t>(width_ - kLeftMargin - kRightMargin)) {
    secondsPerColumn_ = std::max(seconds, 0.001) / static_cast<double>(columns_.size());
}

void MeterPlot::look(Templete& effect, double seconds) {
    MeterModel* meter = effect.selectedMeter();
    if (!meter) return;
    const int last = static_cast<int>(columns_.size()) - 1;
    const int x = std::clamp(static_cast<int>(seconds / secondsPerColumn_), 0, last);
    Column& column = columns_[static_cast<size_t>(x)];
    const bool hasRms = effect.meterType() == 1;
    for (int ch = 0; ch < 2; ++ch) {
        column.needle[ch] = std::max(column.needle[ch], meter->displayValue(MeterModel::kNeedle, ch, 1.0));
        column.hold[ch] = std::max(column.hold[ch], meter->displayValue(MeterModel::kHold, ch, 1.0));
        if (hasRms) {
            const double q = meter->displayValue(MeterModel::kMeanSquare, ch, 1.0);
            column.rms[ch] = std::max(column.rms[ch], std::sqrt(q > 0.0 ? q : 0.0) * 1.4142);
        }
        const double overs = meter->oversCounted(ch);
        if (overs > oversSeen_[ch]) column.over[ch] = true;
        oversSeen_[ch] = overs;
    }
    lastColumn_ = std::max(lastColumn_, x);
}

bool MeterPlot::save(const std::string& path, const MeterDescription& meter, const std::string& title, int channels,
                     std::string& error) const {
    auto image = toolkit::createOffscreen(width_, height_);
    if (!image) {
        error = "no picture of " + std::to_string(width_) + " x " + std::to_string(height_) + " could be made";
        return false;
    }
    image->clear(kBackground);
    CDrawContext c(image->surface());
    const double plotBottom = height_ - kBottomMargin, plotHeight = plotBottom - kTopMargin;
    auto yOf = [&](double db) {
        return kTopMargin + (kTopDb - std::clamp(db, kBottomDb, kTopDb)) / (kTopDb - kBottomDb) * plotHeight;
    };
    auto font = SharedPointer<CFontDesc>::adopt(new CFontDesc("Arial", 13));
    c.setFont(font.get());

    // dB grid every 6 dB, the reference (0 dB) stronger.
    c.setLineWidth(1);
    for (double db = kBottomDb + 4; db <= kTopDb; db += 6.0) {
        const double y = std::round(yOf(db)) + 0.5;
        c.setFrameColor(db == 0.0 ? kReference : kGrid);
        c.drawLine(CPoint(kLeftMargin, y), CPoint(width_ - kRightMargin, y));
        c.setFontColor(db == 0.0 ? kReference : kAxisText);
        char label[16];
        std::snprintf(label, sizeof label, "%+.0f", db);
        c.drawString(db == 0.0 ? "0 dB" : label, CRect(0, y - 9, kLeftMargin - 8, y + 9), kRightText);
    }
    // Time grid.
    const double seconds = secondsPerColumn_ * static_cast<double>(columns_.size());
    const double step = timeStep(seconds);
    c.setFontColor(kAxisText);
    for (double t = 0; t <= seconds + 1e-9; t += step) {
        const double x = std::round(kLeftMargin + t / secondsPerColumn_) + 0.5;
        c.setFrameColor(kGrid);
        c.drawLine(CPoint(x, kTopMargin), CPoint(x, plotBottom));
        c.drawString(timeLabel(t, step).c_str(), CRect(x - 40, plotBottom + 6, x + 40, plotBottom + 24), kCenterText);
    }

    // The series, a line per reading and channel; columns no look reached are left out.
    const int last = std::min(lastColumn_, static_cast<int>(columns_.size()) - 1);
    auto series = [&](auto value, CColor color, double lineWidth) {
        c.setFrameColor(color);
        c.setLineWidth(lineWidth);
        bool drawing = false;
        CPoint previous;
        for (int x = 0; x <= last; ++x) {
            const double v = value(columns_[static_cast<size_t>(x)]);
            if (v < 0.0) {
                drawing = false;
                continue;
            }
            const CPoint point(kLeftMargin + x + 0.5, yOf(v > 0.0 ? 20.0 * std::log10(v) : kBottomDb));
            if (drawing) c.drawLine(previous, point);
            previous = point;
            drawing = true;
        }
    };
    for (int ch = channels - 1; ch >= 0; --ch) {
        series([ch](const Column& k) { return k.hold[ch]; }, kHold[ch], 1.0);
        if (meter.hasRms) series([ch](const Column& k) { return k.rms[ch]; }, kRms[ch], 1.5);
        series([ch](const Column& k) { return k.needle[ch]; }, kNeedle[ch], 1.5);
    }
    // Overs: a red tick above the plot, a row per channel.
    c.setFrameColor(kOver);
    c.setLineWidth(1);
    for (int x = 0; x <= last; ++x)
        for (int ch = 0; ch < channels; ++ch)
            if (columns_[static_cast<size_t>(x)].over[ch])
                c.drawLine(CPoint(kLeftMargin + x + 0.5, kTopMargin - 12 + 6 * ch),
                           CPoint(kLeftMargin + x + 0.5, kTopMargin - 7 + 6 * ch));

    // Title on the left, legend on the right half.
    c.setFontColor(CColor{225, 225, 230, 255});
    c.drawString(title.c_str(), CRect(kLeftMargin, 6, width_ / 2.0 - 10, 24), kLeftText);
    const char* names[2] = {meter.midSide ? "mid" : "left", meter.midSide ? "side" : "right"};
    double x = width_ / 2.0;
    for (int ch = 0; ch < channels; ++ch)
        for (auto [color, what] : {std::pair{kNeedle[ch], "needle"}, {kHold[ch], "hold"}, {kRms[ch], "RMS"}}) {
            if (std::string(what) == "RMS" && !meter.hasRms) continue;
            const std::string label = std::string(names[ch]) + " " + what;
            c.setFillColor(color);
            c.drawRect(CRect(x, 11, x + 10, 21), kDrawFilled);
            c.setFontColor(kAxisText);
            c.drawString(label.c_str(), CRect(x + 14, 6, x + 120, 26), kLeftText);
            x += 28 + 7.0 * static_cast<double>(label.size());
        }
    c.setFontColor(kOver);
    c.drawString("over", CRect(width_ - kRightMargin - 40, kTopMargin - 16, width_ - kRightMargin, kTopMargin - 2),
                 kRightText);
    return writeThroughTemporaryFile(path, [&](const std::string& file) { return image->savePng(file.c_str()); }, error);
}

}  // namespace aldermark
