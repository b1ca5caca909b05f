#pragma once
// A picture of a file's metering: the needles (left/right or mid/side), the holds and the RMS
// pointer over time on a dB axis relative to the reference, with the reference line and a
// mark where an over was counted. Each column of the picture shows the highest reading of its
// stretch of time, so no peak falls between two columns.
#include <string>
#include <vector>

#include "tools/aldermark/meter_readings.h"

class Templete;

namespace aldermark {

class MeterPlot {
public:
    static constexpr int kMinimumWidth = 1200, kMinimumHeight = 400;

    // A plot `width` columns wide of a file lasting `seconds` (or less).
    MeterPlot(int width, int height, double seconds);

    // After each block (at most a millisecond of audio): the meter's readings now, at the
    // time the block ends. Runs on the command's thread.
    void look(Templete& effect, double seconds);

    // Draws the plot and saves it as PNG through the safe-output path; false with a reason.
    bool save(const std::string& path, const MeterDescription& meter, const std::string& title, int channels,
              std::string& error) const;

    // What a column holds: the highest readings of its stretch (linear, relative to the
    // reference; -1 where nothing was seen) and whether an over was counted in it.
    struct Column {
        double needle[2] = {-1, -1}, hold[2] = {-1, -1}, rms[2] = {-1, -1};
        bool over[2] = {};
    };
    const std::vector<Column>& columns() const { return columns_; }

private:
    int width_, height_;
    double secondsPerColumn_;
    std::vector<Column> columns_;
    double oversSeen_[2] = {};
    int lastColumn_ = -1;  // the last column a look reached
};

}  // namespace aldermark
