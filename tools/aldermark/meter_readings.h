#pragma once
// What `aldermark meter` and `aldermark plot` read from the effect's selected meter: the
// panel's readings at a moment, the meter's description for a report's header, and a
// whole-file summary. Readings are linear relative to the meter's reference (1 = reference)
// until they are written, in dB or as they are.
#include <string>
#include <vector>

#include "metering/inter_sample_detector.h"

class Templete;

namespace aldermark {

// How the meter was set up for a run.
struct MeterDescription {
    std::string meter;        // "VU3", "RMS3" or "RAD3"
    double referenceDbfs = 0; // the level that reads 0 dB on the meter
    bool precise = false;
    bool midSide = false;
    std::string integration;  // the integration setting's own text, e.g. "300ms"
    bool hasRms = false;      // RMS3 shows an RMS pointer
};
MeterDescription describeMeter(Templete& effect);

// One look at the meter, as the panel takes it (the over LEDs' read-out consumes the overs);
// `infiniteHold`: in hold mode 1 the hold shows the held maximum, as on the panel.
struct PanelReading {
    double needle[2] = {}, hold[2] = {}, rms[2] = {};
    int led[2] = {-1, -1};  // 1 lit now, 0 latched (an over since the last clear), -1 off
};
PanelReading readPanel(Templete& effect, bool infiniteHold = true);

// dB of a linear reading ("-inf" for silence and the VU's resting position below the scale).
double decibels(double linear);
// "%.2f" of a dB value, "-inf" when not finite.
std::string formatDecibels(double db);
const char* ledText(int state);  // "lit", "latched" or "off"

// The summary of one file: maxima and when they happened, the RMS pointer, the inter-sample
// peak (our own 4x/2x estimate of the output, not a BS.1770 true-peak measurement), the overs
// the meter counted and the reading at the end.
class MeterSummary {
public:
    MeterSummary(double sampleRate, int channels);
    // After each block: the block's output samples (what the meter measured) and the time at
    // its end. Runs on the command's thread; the effect's audio calls are done by then.
    void addBlock(Templete& effect, const float* left, const float* right, int frames, double endSeconds);

    struct Channel {
        double maxNeedle = -1, maxNeedleSeconds = 0;
        double maxHold = -1, maxHoldSeconds = 0;
        double maxRms = -1, rmsSum = 0;  // RMS pointer, linear
        double truePeak = 0;             // linear full scale
        double overs = 0;
        double finalNeedle = 0;
    };
    int channels() const { return channels_; }
    const Channel& channel(int c) const { return channel_[c]; }
    double averageRms(int c) const { return looks_ ? channel_[c].rmsSum / looks_ : 0.0; }
    double seconds() const { return seconds_; }

private:
    int channels_;
    Channel channel_[2];
    long long looks_ = 0;
    double seconds_ = 0;
    InterSampleDetector peaks_;
};

// The summary as a CSV header and row, or as one JSON object on one line (with its line
// break).
std::string summaryCsvHeader();
std::string summaryCsvRow(const std::string& file, const MeterDescription& meter, const MeterSummary& summary);
std::string summaryJson(const std::string& file, const MeterDescription& meter, const MeterSummary& summary);

}  // namespace aldermark
