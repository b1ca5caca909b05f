#pragma once
// The time laws shared by the meter models. A time setting x (0..1) becomes a nominal index
// n = x'·20 in quarter steps; two correction tables bend a few of those steps so that the
// scale hits round values. All index arithmetic is single precision and the table lookups are
// exact equalities on it.

namespace meter_times {

// x' = floor(x·80)·0.0125 (the RMS and PPM time settings).
float quantiseDown(float x);
// x' = round(x·80)·0.0125 (the VU hold time).
float quantiseNearest(float x);
// Needle integration time in ms from a quantised x': 101^(e·0.05) − 1, e from the first table.
double integrationMs(float quantised);
// Hold, averaging and return times in ms from a quantised x': 100^(e·0.05)·100, second table.
double longTimeMs(float quantised);

// Per-sample coefficient of a one-pole follower that leaves the fraction `remaining` of a
// step after timeMs: 1 − remaining^(1/(fs·T·0.001)). Attack uses 0.01, return 0.0625.
double approachCoefficient(double remaining, double sampleRate, double timeMs);

}  // namespace meter_times
