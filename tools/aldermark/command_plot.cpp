// aldermark plot IN --out F.png: a picture of how the meter read a file over time (needles,
// holds, RMS pointer, reference line and overs), drawn with the toolkit's off-screen images.
#include <cmath>
#include <cstdio>
#include <ostream>

#include "tools/aldermark/commands.h"
#include "tools/aldermark/meter_plot.h"
#include "tools/aldermark/metered_file.h"
#include "tools/aldermark/output_file.h"
#include "tools/aldermark/progress.h"
#include "vst2/templete.h"

namespace aldermark {

int runPlot(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    static constexpr auto known = withSettingOptions({{"--input", true, false}, {"--out", true, false},
                                                      {"--width", true, false}, {"--height", true, false},
                                                      kQuietOption, kProgressOption});
    ParsedOptions options;
    std::string error;
    RunSettings settings;
    if (!parseOptions(args, known, options, error, 1) || !settings.read(options, EffectSource::kBuiltIn, error))
        return reportError(err, "plot", error, kExitUsage);
    std::string input = options.positionals().empty() ? "" : options.positionals().front();
    if (const std::string* given = options.value("--input")) input = *given;
    if (input.empty()) return reportError(err, "plot", "an input file is required (aldermark plot IN.wav --out F.png)", kExitUsage);
    const std::string* output = options.value("--out");
    if (!output || output->empty()) return reportError(err, "plot", "--out F.png is required", kExitUsage);
    long long width = MeterPlot::kMinimumWidth, height = MeterPlot::kMinimumHeight;
    auto readSize = [&](const char* name, long long& size, long long smallest) {
        const std::string* text = options.value(name);
        if (!text || (parseInteger(*text, size) && size >= smallest && size <= 8000)) return true;
        error = std::string(name) + " must be a whole number of pixels from " + std::to_string(smallest) +
                " to 8000, got '" + *text + "'";
        return false;
    };
    if (!readSize("--width", width, MeterPlot::kMinimumWidth) || !readSize("--height", height, MeterPlot::kMinimumHeight))
        return reportError(err, "plot", error, kExitUsage);
    if (!refuseOutputOverInputs(*output, {input}, error)) return reportError(err, "plot", error);

    if (!settings.begin("plot", err, error)) return reportError(err, "plot", error);
    MeteredFile file;
    if (!file.open(input, settings.assignments(), 512, error)) return reportError(err, "plot", error);
    if (!file.frames()) return reportError(err, "plot", input + ": the length must be known, so standard input cannot be plotted");
    const double seconds = static_cast<double>(*file.frames()) / file.sampleRate();
    MeterPlot plot(static_cast<int>(width), static_cast<int>(height), seconds);
    // A look every millisecond, so the columns hold the peaks between them.
    const auto perLook = static_cast<std::size_t>(std::max(1.0, std::round(file.sampleRate() / 1000.0)));
    Progress progress(err, "plot " + input, file.frames(), progressWhen(options));
    while (file.play(perLook) > 0) {
        plot.look(file.effect(), file.playedMs() / 1000.0);
        progress.update(file.played());
    }
    progress.finish();
    if (!file.warning().empty()) err << "aldermark plot: warning: " << file.warning() << "\n";

    const MeterDescription meter = describeMeter(file.effect());
    char title[256];
    std::snprintf(title, sizeof title, "%s  —  %s, reference %.1f dBFS%s%s", input.c_str(), meter.meter.c_str(),
                  meter.referenceDbfs, meter.precise ? ", precise" : "", meter.midSide ? ", mid/side" : "");
    if (!plot.save(*output, meter, title, file.channels(), error)) return reportError(err, "plot", error);
    out << "plot " << *output << "\n";
    return kExitOk;
}

}  // namespace aldermark
