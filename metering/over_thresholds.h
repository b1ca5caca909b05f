#pragma once
// Over thresholds of the VU and PPM meters: choice 0 is relative to the reference level,
// choices 1..3 are absolute sample levels (-3, -1 and 0 dBFS).

struct OverThreshold {
    double relative;  // compare with |sample| / reference gain
    double absolute;  // compare with |sample|

    bool isOver(double level, double magnitude) const { return level >= relative || magnitude >= absolute; }

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
