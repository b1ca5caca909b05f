// aldermark meter: runs audio files through an effect built from the plug-in's own code,
// driven through its AEffect record like a host, and prints what the meter panel reads: a
// table of readings in dB relative to the meter's reference (or, with --linear, the panel's
// own values at block ends, as earlier versions printed them), or a summary per file.
#include <cmath>
#include <cstdio>
#include <memory>
#include <ostream>

#include "tools/aldermark/commands.h"
#include "tools/aldermark/json_writer.h"
#include "tools/aldermark/meter_readings.h"
#include "tools/aldermark/metered_file.h"
#include "tools/aldermark/progress.h"
#include "vst2/templete.h"

namespace aldermark {
namespace {

enum class Output { kDecibels, kLinear, kSummary };

struct MeterOptions {
    Output output = Output::kDecibels;
    bool json = false;
    long long block = 512;  // frames per processReplacing call
    long long every = 10;   // ms between rows
    std::vector<ParameterAssignment> assignments;
    ProgressWhen progress = ProgressWhen::kTerminal;
};

// --linear: appends ",value" (or just "," for an empty cell) to a CSV row.
void appendCell(std::string& row, const double* value) {
    row += ',';
    if (!value) return;
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", *value);
    row += text;
}

// --linear: one CSV row of what the panel reads from the selected meter now.
std::string linearRow(Templete& effect, double timeMs) {
    char time[32];
    std::snprintf(time, sizeof time, "%.6g", timeMs);
    std::string row = time;
    if (!effect.selectedMeter()) return row + ",,,,,,,,";
    const PanelReading r = readPanel(effect, false);
    const double led[2] = {static_cast<double>(r.led[0]), static_cast<double>(r.led[1])};
    const bool hasRms = effect.meterType() == 1;
    for (const double* v : {&r.needle[0], &r.needle[1], &r.hold[0], &r.hold[1]}) appendCell(row, v);
    appendCell(row, hasRms ? &r.rms[0] : nullptr);
    appendCell(row, hasRms ? &r.rms[1] : nullptr);
    appendCell(row, &led[0]);
    appendCell(row, &led[1]);
    return row;
}

// The dB table, as CSV rows or as the rows of one JSON object.
class DecibelTable {
public:
    DecibelTable(std::ostream& out, bool json, const MeterDescription& meter, const std::string& file)
        : out_(out), json_(json), meter_(meter) {
        if (json_) {
            document_.beginObject();
            document_.member("file", file);
            document_.member("meter", meter.meter);
            document_.member("reference_dbfs", std::round(meter.referenceDbfs * 10.0) / 10.0);
            document_.member("precise", meter.precise);
            document_.member("mid_side", meter.midSide);
            document_.member("integration", meter.integration);
            document_.key("columns");
            document_.beginArray(true);
            for (const char* column : kColumns) document_.value(column);
            document_.endArray();
            document_.key("rows");
            document_.beginArray();
            return;
        }
        char reference[16];
        std::snprintf(reference, sizeof reference, "%.1f", meter.referenceDbfs);
        out_ << "# " << meter.meter << ", reference " << reference << " dBFS, precise " << (meter.precise ? "on" : "off")
             << ", " << (meter.midSide ? "mid/side" : "left/right") << ", integration " << meter.integration
             << "; readings in dB relative to the reference\n";
        for (const char* column : kColumns) out_ << column << (column == kColumns[8] ? "\n" : ",");
    }
    void row(double timeMs, const PanelReading& r) {
        const double cells[6] = {decibels(r.needle[0]), decibels(r.needle[1]), decibels(r.hold[0]),
                                 decibels(r.hold[1]), decibels(r.rms[0]), decibels(r.rms[1])};
        const int shown = meter_.hasRms ? 6 : 4;
        if (json_) {
            document_.beginArray(true);
            document_.value(timeMs);
            for (int i = 0; i < 6; ++i) {
                if (i < shown && std::isfinite(cells[i]))
                    document_.value(std::round(cells[i] * 100.0) / 100.0);
                else
                    document_.nullValue();
            }
            document_.value(ledText(r.led[0]));
            document_.value(ledText(r.led[1]));
            document_.endArray();
            return;
        }
        char time[32];
        std::snprintf(time, sizeof time, "%.6g", timeMs);
        out_ << time;
        for (int i = 0; i < 6; ++i) out_ << "," << (i < shown ? formatDecibels(cells[i]) : "");
        out_ << "," << ledText(r.led[0]) << "," << ledText(r.led[1]) << "\n";
    }
    void finish() {
        if (!json_) return;
        document_.endArray();
        document_.endObject();
        out_ << document_.text();  // ends with its line break
    }

private:
    static constexpr const char* kColumns[9] = {"time_ms", "needle_l_db", "needle_r_db", "hold_l_db", "hold_r_db",
                                                 "rms_l_db",  "rms_r_db",    "led_l",     "led_r"};
    std::ostream& out_;
    bool json_;
    MeterDescription meter_;
    JsonWriter document_;
};

// Meters one file. A block never crosses the next moment a reading is wanted, so each
// reading is taken at the frame nearest its time.
int meterFile(const std::string& path, const MeterOptions& o, std::ostream& out, std::ostream& err) {
    MeteredFile file;
    std::string error;
    if (!file.open(path, o.assignments, static_cast<std::size_t>(o.block), error))
        return reportError(err, "meter", error);
    Templete& object = file.effect();
    const double rate = file.sampleRate();
    const bool stereo = file.channels() > 1;
    const MeterDescription meter = describeMeter(object);
    std::unique_ptr<DecibelTable> table;
    if (o.output == Output::kDecibels)
        table = std::make_unique<DecibelTable>(out, o.json, meter, path);
    else if (o.output == Output::kLinear)
        out << "time_ms,needle_l,needle_r,hold_l,hold_r,rms_l,rms_r,led_l,led_r\n";
    MeterSummary summary(rate, stereo ? 2 : 1);

    // The summary looks every millisecond; the table at every --every ms.
    const double lookMs = o.output == Output::kSummary ? 1.0 : static_cast<double>(o.every);
    long long nextLook = 1;
    auto frameOfLook = [&](long long k) { return static_cast<std::uint64_t>(std::llround(k * lookMs * rate / 1000.0)); };
    double nextLinearRowMs = static_cast<double>(o.every);
    bool rowWritten = false;
    Progress progress(err, "meter " + path, file.frames(), o.progress);
    for (;;) {
        std::size_t wanted = static_cast<std::size_t>(o.block);
        if (o.output != Output::kLinear) {
            const std::uint64_t look = frameOfLook(nextLook);
            wanted = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, look > file.played() ? look - file.played() : 1));
        }
        const std::size_t count = file.play(wanted);
        if (count == 0) break;
        const double timeMs = file.playedMs();
        switch (o.output) {
            case Output::kLinear:
                if (timeMs >= nextLinearRowMs) {
                    out << linearRow(object, timeMs) << "\n";
                    while (nextLinearRowMs <= timeMs) nextLinearRowMs += static_cast<double>(o.every);
                }
                break;
            case Output::kSummary:
                summary.addBlock(object, file.outputLeft(), file.outputRight(), static_cast<int>(count), timeMs / 1000.0);
                break;
            case Output::kDecibels:
                if (file.played() >= frameOfLook(nextLook)) {
                    table->row(static_cast<double>(nextLook * o.every), readPanel(object));
                    rowWritten = true;
                }
                break;
        }
        while (file.played() >= frameOfLook(nextLook)) ++nextLook;
        progress.update(file.played());
    }
    progress.finish();
    if (!file.warning().empty()) err << "aldermark meter: warning: " << file.warning() << "\n";
    // A file shorter than one interval still gives its reading at the end.
    if (table && !rowWritten) table->row(file.playedMs(), readPanel(object));
    if (table) table->finish();
    if (o.output == Output::kSummary)
        out << (o.json ? summaryJson(path, meter, summary) : summaryCsvRow(path, meter, summary) + "\n");
    return kExitOk;
}

}  // namespace

int runMeter(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    static constexpr auto known = withSettingOptions({{"--input", true, false},   {"--block", true, false},
                                           {"--every", true, false}, {"--linear", false, false}, {"--summary", false, false},
                                           {"--format", true, false}, kQuietOption,      kProgressOption});
    ParsedOptions options;
    std::string error;
    MeterOptions o;
    RunSettings settings;
    if (!parseOptions(args, known, options, error, 64) || !settings.read(options, EffectSource::kBuiltIn, error))
        return reportError(err, "meter", error, kExitUsage);
    o.assignments = settings.assignments();
    std::vector<std::string> inputs = options.positionals();
    if (const std::string* input = options.value("--input")) inputs.insert(inputs.begin(), *input);
    if (inputs.empty()) return reportError(err, "meter", "an input file is required (aldermark meter IN.wav)", kExitUsage);
    if (const std::string* text = options.value("--block"); text && (!parseInteger(*text, o.block) || o.block < 1 || o.block > (1 << 20)))
        return reportError(err, "meter", "--block must be a whole number from 1 to 1048576, got '" + *text + "'", kExitUsage);
    if (const std::string* text = options.value("--every"); text && (!parseInteger(*text, o.every) || o.every < 1 || o.every > 3600000))
        return reportError(err, "meter", "--every must be a whole number of milliseconds from 1, got '" + *text + "'", kExitUsage);
    if (options.has("--linear") && options.has("--summary"))
        return reportError(err, "meter", "--linear and --summary exclude each other", kExitUsage);
    o.progress = progressWhen(options);
    o.output = options.has("--summary") ? Output::kSummary : options.has("--linear") ? Output::kLinear : Output::kDecibels;
    if (const std::string* format = options.value("--format")) {
        if (*format != "csv" && *format != "json")
            return reportError(err, "meter", "--format is csv or json, got '" + *format + "'", kExitUsage);
        o.json = *format == "json";
    }
    if (o.json && o.output == Output::kLinear)
        return reportError(err, "meter", "--linear writes CSV only", kExitUsage);
    if (inputs.size() > 1 && o.output != Output::kSummary)
        return reportError(err, "meter", "several input files need --summary", kExitUsage);

    if (!settings.begin("meter", err, error)) return reportError(err, "meter", error);
    if (o.output == Output::kSummary && !o.json) out << summaryCsvHeader() << "\n";
    for (const std::string& input : inputs)
        if (const int code = meterFile(input, o, out, err); code != kExitOk) return code;
    return kExitOk;
}

}  // namespace aldermark
