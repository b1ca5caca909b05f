// aldermark render IN.wav --at SECONDS --out F.png [--back] [--scale S]: the editor as a user
// sees it after the file has played up to SECONDS (with --back turned round to the meter's
// settings), drawn at display scale S.
// aldermark signal --out F.wav: the music-like test signal.
#include <algorithm>
#include <ostream>
#include <vector>

#include "tools/aldermark/audio_file.h"
#include "tools/aldermark/commands.h"
#include "tools/aldermark/editor_render.h"
#include "tools/aldermark/float_wav_writer.h"
#include "tools/aldermark/output_file.h"
#include "tools/aldermark/programme_signal.h"

namespace aldermark {
namespace {

// The input file comes first, before the options.
bool splitInput(const CommandArguments& args, std::string& input, CommandArguments& rest) {
    if (args.empty() || args.front().rfind("--", 0) == 0) return false;
    input = args.front();
    rest.assign(args.begin() + 1, args.end());
    return true;
}

}  // namespace

int runRender(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    static constexpr auto known =
        withSettingOptions({{"--at", true, false}, {"--out", true, false}, {"--back", false, false}, kScaleOption});
    std::string input, error;
    CommandArguments rest;
    if (!splitInput(args, input, rest)) return reportError(err, "render", "the first argument is the input IN.wav", kExitUsage);
    ParsedOptions options;
    RunSettings settings;
    double scale = 1;
    if (!parseOptions(rest, known, options, error) || !settings.read(options, EffectSource::kBuiltIn, error) ||
        !parseScaleOption(options, scale, error))
        return reportError(err, "render", error, kExitUsage);
    const std::string* at = options.value("--at");
    const std::string* output = options.value("--out");
    float seconds = 0;
    if (!at || !parseFloat(*at, seconds) || seconds < 0 || seconds > 3600)
        return reportError(err, "render", "--at SECONDS (0 to 3600) is required", kExitUsage);
    if (!output || output->empty()) return reportError(err, "render", "--out F.png is required", kExitUsage);
    if (!refuseOutputOverInputs(*output, {input}, error)) return reportError(err, "render", error);
    AudioFileReader reader;
    if (!reader.open(input, error)) return reportError(err, "render", error);
    // Past the end the file is looped, as the editor would go on showing it: say so.
    if (const auto frames = reader.frames(); frames && reader.sampleRate() > 0 &&
                                             seconds > static_cast<double>(*frames) / reader.sampleRate())
        err << "aldermark render: warning: --at " << *at << " lies past the end of '" << input << "' ("
            << static_cast<double>(*frames) / reader.sampleRate() << " s); the file is played looped up to it\n";
    FileLoop audio(reader, isStandardStream(input) ? "standard input" : "'" + input + "'");
    if (!settings.begin("render", err, error)) return reportError(err, "render", error);
    if (!renderEditorPicture(audio, seconds, settings.assignments(), *output, error, options.has("--back"), scale))
        return reportError(err, "render", error);
    if (!reader.warning().empty()) err << "aldermark render: warning: " << reader.warning() << "\n";
    if (!isStandardStream(*output)) out << "wrote " << *output << "\n";
    return kExitOk;
}

int runSignal(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    static constexpr OptionSpec known[] = {{"--out", true, false}, {"--seconds", true, false}};
    ParsedOptions options;
    std::string error;
    if (!parseOptions(args, known, options, error)) return reportError(err, "signal", error, kExitUsage);
    const std::string* output = options.value("--out");
    if (!output || output->empty()) return reportError(err, "signal", "--out F.wav is required", kExitUsage);
    float seconds = 10;
    if (const std::string* text = options.value("--seconds"); text && (!parseFloat(*text, seconds) || seconds <= 0 || seconds > 600))
        return reportError(err, "signal", "--seconds must be more than 0 and at most 600", kExitUsage);
    ProgrammeSignal signal;
    const auto frames = static_cast<std::uint64_t>(static_cast<double>(seconds) * signal.sampleRate());
    FloatWavWriter writer;
    if (!writer.open(*output, signal.sampleRate(), 2, frames, error)) return reportError(err, "signal", error);
    std::vector<float> left(4096), right(4096);
    for (std::uint64_t done = 0; done < frames;) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(left.size(), frames - done));
        signal.render(left.data(), right.data(), count);
        if (!writer.write(left.data(), right.data(), count)) break;  // finish() tells why
        done += count;
    }
    if (!writer.finish(error)) return reportError(err, "signal", error);
    if (!isStandardStream(*output)) out << "wrote " << *output << "\n";
    return kExitOk;
}

}  // namespace aldermark
