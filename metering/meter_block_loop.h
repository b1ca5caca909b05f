#pragma once
// The per-sample loop the three meter models share, kept apart from the model's interface:
// it is only needed where a model's block processing is compiled.
#include "metering/meter_model.h"

template <bool kPrecise, bool kMidSide, bool kDelay, bool kMono, class Step, class Record, class Flush>
void MeterModel::forEachFrame(const float* left, const float* right, int count, double mid, Step&& step,
                              Record&& record, Flush&& flush) {
    auto runStretch = [&](int start, int length, auto sanitise) {
        auto frameAt = [&](int n) {
            const StereoDouble frame = kMono ? bothChannels(left[n]) : stereoPair(left[n], right[n]);
            if constexpr (decltype(sanitise)::value)
                return sanitised(frame);
            else
                return frame;
        };
        // Precise mode: the stretch goes through the detector first, as a whole.
        double estimate[2][kPrecise ? kStretch : 1];
        if constexpr (kPrecise) {
            for (int i = 0; i < length; ++i) {
                const StereoDouble frame = frameAt(start + i);
                estimate[0][i] = frame[0];
                estimate[1][i] = frame[1];
            }
            if constexpr (kMono)
                precise_.processMono(estimate[0], length);
            else
                precise_.processStereo(estimate[0], estimate[1], length);
        }
        for (int i = 0; i < length; ++i) {
            StereoDouble frame;
            if constexpr (kPrecise)
                frame = stereoPair(estimate[0][i], estimate[kMono ? 0 : 1][i]);
            else
                frame = frameAt(start + i);
            if constexpr (kMidSide) frame = stereoPair((frame[0] + frame[1]) * mid, frame[0] - frame[1]);
            step(frame);
            if constexpr (kDelay) {
                if (++decimationCounter_ >= decimationLength_) record();
            }
        }
    };
    for (int start = 0; start < count; start += kStretch) {
        const int length = count - start > kStretch ? kStretch : count - start;
        if (allFinite(left + start, length) && (kMono || allFinite(right + start, length)))
            runStretch(start, length, std::false_type{});
        else
            runStretch(start, length, std::true_type{});
        flush();
    }
}

template <bool kPrecise, bool kMidSide, bool kDelay, bool kMono, class Step, class Snapshot, class Flush>
void MeterModel::runBlock(const float* left, const float* right, int count, const BlockSettings& settings,
                          Step&& step, Snapshot&& snapshot, Flush&& flush) {
    const StereoDouble overLengths = bothChannels(settings.overLength);
    StereoDouble overCount = overCount_;
    double running[3][2] = {};
    forEachFrame<kPrecise, kMidSide, kDelay, kMono>(
        left, right, count, settings.midScale,
        [&](StereoDouble frame) {
            const StereoDouble magnitude = absolute(frame);
            overCount = countOvers(overCount, magnitude >= settings.overThreshold, overLengths);
            step(magnitude);
        },
        [&] {
            snapshot(running);
            overCount_ = overCount;
            recordHistory(running, settings.overLength);
            overCount = overCount_;
        },
        flush);
    snapshot(running);
    overCount_ = overCount;
    endBlock(running, settings.overLength);
}
