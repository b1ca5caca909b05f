#include "tools/aldermark/meter_readings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/aldermark/json_writer.h"
#include "vst2/templete.h"

namespace aldermark {
namespace {

// The selected meter's settings by role: first setting index, integration and precise.
struct MeterIndices {
    const char* name;
    int integration, precise;
};
MeterIndices indicesOf(int type) {
    switch (type) {
        case 1: return {"RMS3", RMSMeter::kIntegration, RMSMeter::kPrecise};
        case 2: return {"RAD3", PPMmeter::kIntegration, PPMmeter::kPrecise};
        default: return {"VU3", VUmeter::kIntegration, VUmeter::kPrecise};
    }
}

double referenceGainOf(Templete& effect) {
    switch (effect.meterType()) {
        case 1: return effect.rmsMeter()->referenceGain();
        case 2: return effect.ppmMeter()->referenceGain();
        default: return effect.vuMeter()->referenceGain();
    }
}

std::string number(double value, const char* format = "%.2f") {
    if (!std::isfinite(value)) return value < 0 ? "-inf" : "";
    char text[40];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A CSV cell: quoted when it holds a separator, a quote or a line break.
std::string csvCell(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

void jsonDecibels(JsonWriter& json, const char* name, double db) {
    json.key(name);
    if (std::isfinite(db))
        json.value(std::round(db * 100.0) / 100.0);
    else
        json.nullValue();
}

}  // namespace

MeterDescription describeMeter(Templete& effect) {
    MeterDescription d;
    const MeterIndices indices = indicesOf(effect.meterType());
    MeterModel* model = effect.selectedMeter();
    d.meter = indices.name;
    d.referenceDbfs = 20.0 * std::log10(referenceGainOf(effect));
    if (std::fabs(d.referenceDbfs) < 0.005) d.referenceDbfs = 0.0;
    d.precise = model && model->getSetting(indices.precise) >= 0.5f;
    d.midSide = model && model->midSide() != 0;
    char text[32] = {};
    if (model) model->getSettingText(indices.integration, text);
    d.integration = text;
    d.hasRms = effect.meterType() == 1;
    return d;
}

PanelReading readPanel(Templete& effect, bool infiniteHold) {
    PanelReading r;
    MeterModel* meter = effect.selectedMeter();
    if (!meter) return r;
    for (int ch = 0; ch < 2; ++ch) {
        r.needle[ch] = meter->displayValue(MeterModel::kNeedle, ch, 1.0);
        r.hold[ch] = meter->displayValue(MeterModel::kHold, ch, 1.0);
        if (infiniteHold && meter->holdMode() == 1) r.hold[ch] = std::max(r.hold[ch], meter->heldMaximum(ch));
        const double q = meter->displayValue(MeterModel::kMeanSquare, ch, 1.0);
        r.rms[ch] = std::sqrt(q > 0.0 ? q : 0.0) * 1.4142;
        const double led = meter->overLed(ch);
        r.led[ch] = led > 0.5 ? 1 : led > -0.5 ? 0 : -1;
    }
    return r;
}

double decibels(double linear) {
    return linear > 0.0 ? 20.0 * std::log10(linear) : -HUGE_VAL;
}

std::string formatDecibels(double db) { return std::isfinite(db) ? number(db) : "-inf"; }

const char* ledText(int state) { return state > 0 ? "lit" : state == 0 ? "latched" : "off"; }

MeterSummary::MeterSummary(double sampleRate, int channels) : channels_(channels == 1 ? 1 : 2) {
    peaks_.init(sampleRate);
}

void MeterSummary::addBlock(Templete& effect, const float* left, const float* right, int frames, double endSeconds) {
    MeterModel* meter = effect.selectedMeter();
    if (!meter || frames <= 0) return;
    // The inter-sample estimate of what the meter measured, in the detector's stretches.
    constexpr int kStretch = InterSampleDetector::kMaxStretch;
    for (int start = 0; start < frames; start += kStretch) {
        const int n = std::min(kStretch, frames - start);
        double plain[2][kStretch], peak[2][kStretch];
        for (int i = 0; i < n; ++i) {
            plain[0][i] = left[start + i];
            plain[1][i] = (right ? right : left)[start + i];
        }
        peaks_.processStereo(plain[0], plain[1], peak[0], peak[1], n, {});
        for (int c = 0; c < channels_; ++c)
            for (int i = 0; i < n; ++i) channel_[c].truePeak = std::max(channel_[c].truePeak, std::fabs(peak[c][i]));
    }
    const bool hasRms = effect.meterType() == 1;
    for (int c = 0; c < channels_; ++c) {
        Channel& ch = channel_[c];
        const double needle = meter->displayValue(MeterModel::kNeedle, c, 1.0);
        const double hold = meter->displayValue(MeterModel::kHold, c, 1.0);
        if (needle > ch.maxNeedle) ch.maxNeedle = needle, ch.maxNeedleSeconds = endSeconds;
        if (hold > ch.maxHold) ch.maxHold = hold, ch.maxHoldSeconds = endSeconds;
        if (hasRms) {
            const double q = meter->displayValue(MeterModel::kMeanSquare, c, 1.0);
            const double rms = std::sqrt(q > 0.0 ? q : 0.0) * 1.4142;
            ch.maxRms = std::max(ch.maxRms, rms);
            ch.rmsSum += rms;
        }
        ch.overs = meter->oversCounted(c);
        ch.finalNeedle = needle;
    }
    ++looks_;
    seconds_ = endSeconds;
}

std::string summaryCsvHeader() {
    std::string header = "file,meter,reference_dbfs,precise,mid_side,integration,seconds";
    for (const char* side : {"l", "r"})
        for (const char* column : {"max_needle_db", "max_needle_s", "max_hold_db", "max_hold_s", "max_rms_db",
                                   "average_rms_db", "true_peak_dbtp", "overs", "final_db"})
            header += std::string(",") + column + "_" + side;
    return header;
}

std::string summaryCsvRow(const std::string& file, const MeterDescription& meter, const MeterSummary& summary) {
    std::string row = csvCell(file) + "," + meter.meter + "," + number(meter.referenceDbfs, "%.1f") + "," +
                      (meter.precise ? "on" : "off") + "," + (meter.midSide ? "on" : "off") + "," +
                      csvCell(meter.integration) + "," + number(summary.seconds(), "%.3f");
    for (int c = 0; c < 2; ++c) {
        if (c >= summary.channels()) {
            row += ",,,,,,,,,";
            continue;
        }
        const MeterSummary::Channel& ch = summary.channel(c);
        const std::string rms = meter.hasRms ? formatDecibels(decibels(ch.maxRms)) : "";
        const std::string average = meter.hasRms ? formatDecibels(decibels(summary.averageRms(c))) : "";
        row += "," + formatDecibels(decibels(ch.maxNeedle)) + "," + number(ch.maxNeedleSeconds, "%.3f") + "," +
               formatDecibels(decibels(ch.maxHold)) + "," + number(ch.maxHoldSeconds, "%.3f") + "," + rms + "," +
               average + "," + formatDecibels(decibels(ch.truePeak)) + "," + number(ch.overs, "%.0f") + "," +
               formatDecibels(decibels(ch.finalNeedle));
    }
    return row;
}

std::string summaryJson(const std::string& file, const MeterDescription& meter, const MeterSummary& summary) {
    JsonWriter json;
    json.beginObject(true);
    json.member("file", file);
    json.member("meter", meter.meter);
    json.member("reference_dbfs", std::round(meter.referenceDbfs * 10.0) / 10.0);
    json.member("precise", meter.precise);
    json.member("mid_side", meter.midSide);
    json.member("integration", meter.integration);
    json.member("seconds", std::round(summary.seconds() * 1000.0) / 1000.0);
    json.key("channels");
    json.beginArray(true);
    for (int c = 0; c < summary.channels(); ++c) {
        const MeterSummary::Channel& ch = summary.channel(c);
        json.beginObject(true);
        json.member("channel", c == 0 ? (meter.midSide ? "mid" : "left") : (meter.midSide ? "side" : "right"));
        jsonDecibels(json, "max_needle_db", decibels(ch.maxNeedle));
        json.member("max_needle_s", std::round(ch.maxNeedleSeconds * 1000.0) / 1000.0);
        jsonDecibels(json, "max_hold_db", decibels(ch.maxHold));
        json.member("max_hold_s", std::round(ch.maxHoldSeconds * 1000.0) / 1000.0);
        if (meter.hasRms) {
            jsonDecibels(json, "max_rms_db", decibels(ch.maxRms));
            jsonDecibels(json, "average_rms_db", decibels(summary.averageRms(c)));
        }
        jsonDecibels(json, "true_peak_dbtp", decibels(ch.truePeak));
        json.member("overs", static_cast<std::int64_t>(ch.overs));
        jsonDecibels(json, "final_db", decibels(ch.finalNeedle));
        json.endObject();
    }
    json.endArray();
    json.endObject();
    return json.text();
}

}  // namespace aldermark
