// Feeds a generated programme-like signal (tone bursts and steps at several levels) through
// the three meter models and prints what their needles read, in dB relative to each meter's
// reference level.
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include "metering/ppm_meter.h"
#include "metering/rms_meter.h"
#include "metering/vu_meter.h"

namespace {

constexpr float kRate = 48000.0f;

struct Segment {
    const char* what;
    double levelDb;  // relative to the reference level; -200 for silence
    int milliseconds;
    double toneHz;
};

constexpr Segment kProgramme[] = {
    {"silence", -200.0, 300, 0.0},         {"1 kHz tone at reference", 0.0, 1500, 1000.0},
    {"step down 10 dB", -10.0, 1000, 1000.0}, {"burst +6 dB, 10 ms", 6.0, 10, 1000.0},
    {"back to -10 dB", -10.0, 700, 1000.0},  {"100 Hz tone -6 dB", -6.0, 1000, 100.0},
    {"silence", -200.0, 1500, 0.0},
};

// Makes the programme for a meter whose reference sits at `referenceGain` (linear, peak of a
// sine that reads 0 dB).
std::vector<float> programme(double referenceGain) {
    std::vector<float> out;
    double phase = 0.0;
    for (const Segment& s : kProgramme) {
        const double amplitude = s.levelDb < -150.0 ? 0.0 : referenceGain * std::pow(10.0, s.levelDb / 20.0);
        const int samples = static_cast<int>(kRate * s.milliseconds / 1000);
        for (int i = 0; i < samples; ++i) {
            out.push_back(static_cast<float>(amplitude * std::sin(phase)));
            phase += 2.0 * std::numbers::pi * s.toneHz / kRate;
        }
    }
    return out;
}

double toDb(double linear) { return linear > 1e-10 ? 20.0 * std::log10(linear) : -200.0; }

template <class Meter>
void show(const char* name, Meter& meter) {
    meter.setSampleRate(kRate);
    meter.reset();
    const std::vector<float> signal = programme(meter.referenceGain());
    std::printf("\n%s (reference %.1f dBFS)\n", name, toDb(meter.referenceGain()));
    std::printf("  %-26s %8s %10s %10s %10s\n", "segment", "end ms", "needle dB", "hold dB", "rms dB");
    size_t at = 0;
    int elapsed = 0;
    for (const Segment& s : kProgramme) {
        const int samples = static_cast<int>(kRate * s.milliseconds / 1000);
        for (int done = 0; done < samples; done += 512) {
            const int n = std::min(512, samples - done);
            meter.processStereo(signal.data() + at, signal.data() + at, n);
            at += n;
        }
        elapsed += s.milliseconds;
        // The RMS reading: a sine whose peak is the reference reads 0 dB.
        const double meanSquare = meter.current(MeterModel::kMeanSquare, 0);
        char rms[16] = "-";
        if (meter.valueCount() > MeterModel::kMeanSquare)
            std::snprintf(rms, sizeof rms, "%.1f", toDb(std::sqrt(meanSquare) * 1.4142));
        std::printf("  %-26s %8d %10.1f %10.1f %10s\n", s.what, elapsed,
                    toDb(meter.current(MeterModel::kNeedle, 0)), toDb(meter.current(MeterModel::kHold, 0)), rms);
    }
}

}  // namespace

int main() {
    VUmeter vu(nullptr);
    RMSMeter rms(nullptr);
    PPMmeter ppm(nullptr);
    show("VU3", vu);
    show("RMS3", rms);
    show("RAD3", ppm);
    return 0;
}
