#pragma once
// One filter section of the strip filters: a second-order high-pass or low-pass, or a
// first-order low-pass, run in direct form I with double-precision state over float audio.

#include <algorithm>
#include <cmath>
#include <numbers>

class FilterSection {
public:
    enum Kind : int { kHighPass = 1, kLowPass = 8, kFirstOrderLowPass = 9 };

    // Starts at 44.1 kHz, 1 kHz, Q 1, disabled: a pass-through until configured.
    FilterSection() { design(); }

    // Rates outside 20 kHz ... 400 kHz (or not a number) are taken as 44.1 kHz.
    void setSampleRate(double rate)
    {
        rate_ = (rate >= kLowestRate && rate <= kHighestRate) ? rate : kDefaultRate;
        design();
    }

    // Unknown kinds are ignored so the section never runs an undefined design.
    void setKind(int kind)
    {
        if (kind != kHighPass && kind != kLowPass && kind != kFirstOrderLowPass) return;
        kind_ = kind;
        design();
    }

    // Non-finite or non-positive values are ignored: they have no meaningful design.
    void setFrequency(double hz)
    {
        if (!(std::isfinite(hz) && hz > 0.0)) return;
        frequency_ = hz;
        design();
    }

    // Q is held to 0.0001 ... 1000, beyond which the design loses its precision.
    void setQ(double q)
    {
        if (std::isnan(q)) return;
        q_ = std::clamp(q, kLowestQ, kHighestQ);
        design();
    }

    void setEnabled(bool on)
    {
        enabled_ = on ? 1 : 0;
        design();
    }

    // Filters count samples in place. A disabled section leaves them as they are and
    // forgets its history, so switching it back on starts from silence.
    void process(float* samples, int count)
    {
        if (!enabled_) {
            clear();
            return;
        }
        if (samples == nullptr || count <= 0) return;
        double x1 = x1_, x2 = x2_, y1 = y1_, y2 = y2_;
        for (int i = 0; i < count; ++i) {
            const double x = samples[i];
            const double y = step(x, x1, x2, y1, y2);
            x2 = x1;
            x1 = x;
            y2 = y1;
            y1 = y;
            samples[i] = static_cast<float>(y);
        }
        keepState(x1, x2, y1, y2);
    }

    // Filters the two channels of a stereo pair in one pass (the same as process() on each);
    // the two independent recursions then overlap instead of waiting on each other.
    static void processPair(FilterSection& left, FilterSection& right, float* l, float* r, int count)
    {
        if (!left.enabled_ || !right.enabled_ || l == nullptr || r == nullptr || count <= 0) {
            left.process(l, count);
            right.process(r, count);
            return;
        }
        double lx1 = left.x1_, lx2 = left.x2_, ly1 = left.y1_, ly2 = left.y2_;
        double rx1 = right.x1_, rx2 = right.x2_, ry1 = right.y1_, ry2 = right.y2_;
        for (int i = 0; i < count; ++i) {
            const double lx = l[i], rx = r[i];
            const double ly = left.step(lx, lx1, lx2, ly1, ly2);
            const double ry = right.step(rx, rx1, rx2, ry1, ry2);
            lx2 = lx1; lx1 = lx; ly2 = ly1; ly1 = ly;
            rx2 = rx1; rx1 = rx; ry2 = ry1; ry1 = ry;
            l[i] = static_cast<float>(ly);
            r[i] = static_cast<float>(ry);
        }
        left.keepState(lx1, lx2, ly1, ly2);
        right.keepState(rx1, rx2, ry1, ry2);
    }

    void clear() { x1_ = x2_ = y1_ = y2_ = 0.0; }

    // Read-outs.
    double sampleRate() const { return rate_; }
    int kind() const { return kind_; }
    double frequency() const { return frequency_; }
    double q() const { return q_; }
    bool enabled() const { return enabled_ != 0; }
    double b0() const { return b0_; }
    double b1() const { return b1_; }
    double b2() const { return b2_; }
    double a1() const { return a1_; }
    double a2() const { return a2_; }

private:
    // One output sample (direct form I). The newest output's term comes last: each sample
    // waits on it, so everything else is summed while it is still being computed.
    double step(double x, double x1, double x2, double y1, double y2) const
    {
        double y = (b0_ * x + b1_ * x1) + (b2_ * x2 - a2_ * y2) - a1_ * y1;
        y += kDenormalFlush;  // values below the flush step vanish instead of
        y -= kDenormalFlush;  // decaying through the slow denormal range
        return y;
    }

    // A non-finite input sample would otherwise poison the history for good.
    void keepState(double x1, double x2, double y1, double y2)
    {
        if (std::isfinite(y1) && std::isfinite(y2) && std::isfinite(x1) && std::isfinite(x2)) {
            x1_ = x1; x2_ = x2; y1_ = y1; y2_ = y2;
        } else {
            clear();
        }
    }

    static constexpr double kDefaultRate = 44100.0;
    static constexpr double kLowestRate = 20000.0;
    static constexpr double kHighestRate = 400000.0;
    static constexpr double kLowestQ = 0.0001;
    static constexpr double kHighestQ = 1000.0;
    static constexpr double kDenormalFlush = 1e-30;

    void design()
    {
        b1_ = b2_ = a1_ = a2_ = 0.0;
        b0_ = 1.0;
        if (!enabled_) return;

        constexpr double twoPi = 2.0 * std::numbers::pi;
        if (kind_ == kFirstOrderLowPass) {
            // One pole placed so that the gain is -3 dB at the frequency, unity at DC. Past
            // Nyquist the corner would fold back down and at the rate itself the pole would
            // sit on the unit circle, so it stops at Nyquist.
            const double k = 2.0 - std::cos(twoPi * std::fmin(frequency_, 0.5 * rate_) / rate_);
            a1_ = std::sqrt(k * k - 1.0) - k;
            b0_ = 1.0 + a1_;
            return;
        }

        // Second order. Near Nyquist the bilinear design peaks, so Q is eased off there.
        const double f = std::fmin(frequency_, 0.499 * rate_);
        const double w0 = twoPi * f / rate_;
        const double cosW0 = std::cos(w0);
        const double qe = kind_ == kHighPass ? (1.0 - std::pow(f / (0.5001 * rate_), 6.0)) * q_
                                             : (1.0 - std::pow(f / (0.50001 * rate_), 8.0)) * q_;
        const double alpha = std::sin(w0) / (2.0 * qe);
        const double a0 = 1.0 + alpha;
        if (kind_ == kHighPass) {
            b0_ = b2_ = (1.0 + cosW0) / 2.0 / a0;
            b1_ = -(1.0 + cosW0) / a0;
        } else {
            b0_ = b2_ = (1.0 - cosW0) / 2.0 / a0;
            b1_ = (1.0 - cosW0) / a0;
        }
        a1_ = -2.0 * cosW0 / a0;
        a2_ = (1.0 - alpha) / a0;
    }

    double rate_ = kDefaultRate;  // sample rate, Hz
    int kind_ = kHighPass;        // Kind of response
    double frequency_ = 1000.0;   // corner frequency, Hz (before the design's limits)
    double q_ = 1.0;              // quality factor of the second-order designs
    int enabled_ = 0;             // 0: pass-through (b0 = 1), 1: filtering
    double b0_ = 1.0;             // feed-forward coefficients, a0 normalised to 1
    double b1_ = 0.0;
    double b2_ = 0.0;
    double a1_ = 0.0;             // feedback coefficients (subtracted)
    double a2_ = 0.0;
    double x1_ = 0.0;             // previous input sample, full scale = 1
    double x2_ = 0.0;             // input sample before that
    double y1_ = 0.0;             // previous output sample
    double y2_ = 0.0;             // output sample before that
};
