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
        // Precise mode: the stretch goes through the detector first, as a whole. It gives the
        // plain samples (for the averaging detectors) and the peaks between samples (for the
        // peak detectors and the overs), aligned in time; a stereo stretch comes out already
        // in mid/side when that is on.
        double plain[2][kPrecise ? kStretch : 1], peak[2][kPrecise ? kStretch : 1];
        if constexpr (kPrecise) {
            for (int i = 0; i < length; ++i) {
                const StereoDouble frame = frameAt(start + i);
                plain[0][i] = frame[0];
                plain[1][i] = frame[1];
            }
            if constexpr (kMono)
                precise_.processMono(plain[0], peak[0], length);
            else
                precise_.processStereo(plain[0], plain[1], peak[0], peak[1], length, {kMidSide, mid});
        }
        constexpr bool kFormMidSideHere = kMidSide && (kMono || !kPrecise);
        for (int i = 0; i < length; ++i) {
            StereoDouble frame, framePeak;
            if constexpr (kPrecise) {
                frame = stereoPair(plain[0][i], plain[kMono ? 0 : 1][i]);
                framePeak = stereoPair(peak[0][i], peak[kMono ? 0 : 1][i]);
            } else {
                frame = framePeak = frameAt(start + i);
            }
            if constexpr (kFormMidSideHere) {
                frame = stereoPair((frame[0] + frame[1]) * mid, frame[0] - frame[1]);
                if constexpr (kPrecise)
                    framePeak = stereoPair((framePeak[0] + framePeak[1]) * mid, framePeak[0] - framePeak[1]);
                else
                    framePeak = frame;
            }
            step(frame, framePeak);
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
    StereoDouble overCount = overCount_, overRun = overRun_, overTally = overTally_;
    // The highest hold of the block, for the infinite hold; without display delay the hold
    // of every sample counts, so no peak between two looks of the panel is missed.
    StereoDouble highestHold = bothChannels(-1.0);
    double running[3][2] = {};
    forEachFrame<kPrecise, kMidSide, kDelay, kMono>(
        left, right, count, settings.midScale,
        [&](StereoDouble frame, StereoDouble framePeak) {
            const StereoDouble peakMagnitude = absolute(framePeak);
            const StereoMask over = peakMagnitude >= settings.overThreshold;
            overCount = countOvers(overCount, over, overLengths);
            // The tally counts a run once, when it reaches the over length.
            overRun = keepWhere(over, overRun + 1.0);
            overTally += keepWhere(overRun == overLengths, bothChannels(1.0));
            const StereoDouble hold = step(absolute(frame), peakMagnitude);
            if constexpr (!kDelay) highestHold = maximum(highestHold, hold);
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
    overRun_ = overRun;
    overTally_ = overTally;
    endBlock(running, settings.overLength, highestHold);
}
