#pragma once
// Over thresholds of the VU and PPM meters: choice 0 is relative to the reference level,
// choices 1..3 are absolute sample levels (-3, -1 and 0 dBFS).

struct OverThreshold {
    double relative;  // compared with |sample| / reference gain
    double absolute;  // compared with |sample|

    // The same test as one threshold on |sample|, for a reference gain (linear).
    double onMagnitude(double referenceGain) const {
        const double fromRelative = relative * referenceGain;
        return fromRelative < absolute ? fromRelative : absolute;
    }

    static OverThreshold forChoice(int choice, double relativeLimit) {
        constexpr double kNever = 1e300;
        switch (choice) {
            case 0: return {relativeLimit, kNever};
            case 1: return {kNever, 0.7071};
            case 2: return {kNever, 0.8912509381337456};
            default: return {kNever, 1.0};
        }
    }
};
