// The models against the detectors written out one sample at a time exactly as defined
// (compare, choose the coefficient, step, flush every sample), over programme-like material:
// noise bursts of changing loudness with silent gaps, in blocks of uneven length, so needles
// rise and fall every few samples, holds are raised, wait, fall and are raised again, and
// sections of the VU bank change.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "metering/meter_settings_store.h"
#include "test_owner.h"

namespace {

constexpr double kRate = 48000.0;

std::vector<float> programme(int channel) {
    std::vector<float> out(3 * 48000);
    unsigned noise = 99u + static_cast<unsigned>(channel);
    for (size_t i = 0; i < out.size(); ++i) {
        noise = noise * 1664525u + 1013904223u;
        const double white = (noise >> 8) / 16777216.0 - 0.5;
        const double envelope = 0.9 * std::fabs(std::sin(i * 2.0 * std::numbers::pi / 21000.0));
        const bool gap = (i / 6000) % 4 == 3;  // 125 ms of silence every half second
        out[i] = gap ? 0.0f : static_cast<float>(envelope * (white + 0.4 * std::sin(i * 0.05)));
    }
    return out;
}

double flush(double v) { return (v + 1e-14) - 1e-14; }

// Needle, hold and mean square of one channel of the RMS and PPM meters.
struct PeakReference {
    double attack, release, holdLength, inverseGain, averaging;
    double needle = 0.0, hold = 0.0, meanSquare = 0.0;
    int holdCounter = 0;

    void step(float sample) {
        const double c = std::fabs(static_cast<double>(sample)) * inverseGain;
        needle = flush(needle + (c - needle) * (c > needle ? attack : release));
        if (hold < needle) {
            hold = needle;
            holdCounter = 0;
        }
        if (holdCounter >= holdLength) hold = flush(hold - hold * release);
        ++holdCounter;
        meanSquare = flush(meanSquare + (c * c - meanSquare) * averaging);
    }
};

// One channel of the VU needle: sixteen cookbook low-pass sections sharing their state.
struct VuReference {
    double b[16][3], a[16][2];
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0, guard = 1e-12;
    int section = 0;
    double needle = -0.05, hold = 0.0, holdLength, holdRelease, inverseGain;
    int holdCounter = 0;

    VuReference(double cutoff, double q0, double q15, double holdSamples, double release, double gain)
        : holdLength(holdSamples), holdRelease(release), inverseGain(1.0 / gain) {
        for (int i = 0; i < 16; ++i) {
            const double q = q0 - i * (q0 - q15) / 15.0;
            const double qc = q * (1.0 - std::pow(cutoff / (0.50001 * kRate), 8.0));
            const double w0 = 2.0 * std::numbers::pi * cutoff / kRate;
            const double alpha = std::sin(w0) / (2.0 * qc), a0 = 1.0 + alpha;
            b[i][0] = b[i][2] = (1.0 - std::cos(w0)) / 2.0 / a0;
            b[i][1] = (1.0 - std::cos(w0)) / a0;
            a[i][0] = -2.0 * std::cos(w0) / a0;
            a[i][1] = (1.0 - alpha) / a0;
        }
    }
    void step(float sample) {
        const double u = std::fabs(static_cast<double>(sample)) * inverseGain * 1.56 + guard;
        guard = -guard;
        const int s = section;
        const double y = b[s][0] * u + b[s][1] * x1 + b[s][2] * x2 - a[s][0] * y1 - a[s][1] * y2;
        x2 = x1;
        x1 = u;
        y2 = y1;
        y1 = y;
        const float f = static_cast<float>(y);
        section = static_cast<int>(15.0f * std::fmin(std::fmax(f, 0.0f), 1.0f) + 0.5f);
        needle = f;
        if (needle >= hold) {
            hold = needle;
            holdCounter = 0;
        }
        if (holdCounter >= holdLength) hold -= hold * holdRelease;
        ++holdCounter;
    }
};

// Feeds the programme in blocks of 1, 37, 300, 512 and 1000 frames, calling `check` after each.
template <class Meter, class Check>
void feedInUnevenBlocks(Meter& meter, const std::vector<float>& left, const std::vector<float>& right,
                        Check&& check) {
    const int lengths[] = {1, 37, 300, 512, 1000};
    size_t at = 0;
    for (int b = 0; at < left.size(); ++b) {
        const int n = static_cast<int>(std::min<size_t>(lengths[b % 5], left.size() - at));
        meter.processStereo(left.data() + at, right.data() + at, n);
        at += static_cast<size_t>(n);
        check(at);
    }
}

class Reference : public ::testing::Test {
protected:
    void SetUp() override {
        for (MeterModel* m : {static_cast<MeterModel*>(owner.rms.get()), static_cast<MeterModel*>(owner.ppm.get()),
                              static_cast<MeterModel*>(owner.vu.get())})
            m->setSampleRate(static_cast<float>(kRate));
    }
    FreshProcessDefaults fresh;
    TestOwner owner;
    const std::vector<float> left = programme(0), right = programme(1);
};

void expectClose(double model, double reference, size_t at, const char* what) {
    EXPECT_NEAR(model, reference, 1e-9 * std::fabs(reference) + 1e-13) << what << " after " << at << " samples";
}

TEST_F(Reference, RmsMeterFollowsTheSampleBySampleDefinition) {
    RMSMeter& rms = *owner.rms;
    for (float integration : {0.0f, 0.3f, 1.0f}) {
        SCOPED_TRACE(integration);
        rms.setSetting(72, 0.6f);          // reference -2 dBFS
        rms.setSetting(73, integration);   // 0, 6.4 and 100 ms
        rms.setSetting(74, 0.2f);          // averaging
        rms.setSetting(75, 0.0f);          // hold 0.1 s, so holds fall between bursts
        rms.setSetting(76, 0.0f);          // return 0.1 s: the longest attack meets the fastest return
        rms.reset();
        PeakReference ref[2];
        for (PeakReference& r : ref)
            r = {rms.attackCoefficient(), rms.returnCoefficient(), rms.holdLength(), 1.0 / rms.referenceGain(),
                 rms.averagingCoefficient()};
        size_t done = 0;
        feedInUnevenBlocks(rms, left, right, [&](size_t at) {
            for (; done < at; ++done) {
                ref[0].step(left[done]);
                ref[1].step(right[done]);
            }
            for (int ch = 0; ch < 2; ++ch) {
                expectClose(rms.current(MeterModel::kNeedle, ch), ref[ch].needle, at, "needle");
                expectClose(rms.current(MeterModel::kHold, ch), ref[ch].hold, at, "hold");
                expectClose(rms.current(MeterModel::kMeanSquare, ch), ref[ch].meanSquare, at, "mean square");
            }
        });
        if (HasFailure()) return;
    }
}

TEST_F(Reference, PpmMeterFollowsTheSampleBySampleDefinition) {
    PPMmeter& ppm = *owner.ppm;
    ppm.setSetting(93, 0.75f);  // reference -6 dBFS
    ppm.setSetting(94, 0.2f);
    ppm.setSetting(95, 0.05f);
    ppm.setSetting(96, 0.3f);
    ppm.reset();
    PeakReference ref[2];
    for (PeakReference& r : ref)
        r = {ppm.attackCoefficient(), ppm.returnCoefficient(), ppm.holdLength(), 1.0 / ppm.referenceGain(), 0.0};
    size_t done = 0;
    feedInUnevenBlocks(ppm, left, right, [&](size_t at) {
        for (; done < at; ++done) {
            ref[0].step(left[done]);
            ref[1].step(right[done]);
        }
        for (int ch = 0; ch < 2; ++ch) {
            expectClose(ppm.current(MeterModel::kNeedle, ch), ref[ch].needle, at, "needle");
            expectClose(ppm.current(MeterModel::kHold, ch), ref[ch].hold, at, "hold");
        }
    });
}

TEST_F(Reference, VuNeedleFollowsTheSampleBySampleDefinition) {
    VUmeter& vu = *owner.vu;
    vu.setSetting(83, 0.75f);  // reference -6 dBFS
    vu.setSetting(84, 0.0f);   // fastest needle, so it swings through many sections
    vu.setSetting(85, 0.0f);   // hold 0.1 s
    vu.setSetting(86, 0.0f);   // type A
    vu.reset();
    const double t = vu.integrationMs();
    const double release = 1.0 - std::pow(0.0625, 1.0 / (kRate * t * 0.001));
    VuReference ref[2] = {{857.6 / (t * 310.0 / 300.0), 0.68, 0.55, vu.holdLength(), release, vu.referenceGain()},
                          {857.6 / (t * 310.0 / 300.0), 0.68, 0.55, vu.holdLength(), release, vu.referenceGain()}};
    size_t done = 0;
    int sectionsSeen = 0;
    feedInUnevenBlocks(vu, left, right, [&](size_t at) {
        for (; done < at; ++done) {
            ref[0].step(left[done]);
            ref[1].step(right[done]);
        }
        for (int ch = 0; ch < 2; ++ch) {
            // The needle is single precision; a rounding apart at a section boundary can pick
            // the neighbouring section for a sample, which moves the needle far less than this.
            EXPECT_NEAR(vu.current(MeterModel::kNeedle, ch), ref[ch].needle, 1e-5) << "after " << at;
            EXPECT_NEAR(vu.current(MeterModel::kHold, ch), ref[ch].hold, 1e-5) << "after " << at;
            sectionsSeen |= 1 << vu.section(ch);
        }
    });
    EXPECT_GE(__builtin_popcount(static_cast<unsigned>(sectionsSeen)), 10);
}

}  // namespace
