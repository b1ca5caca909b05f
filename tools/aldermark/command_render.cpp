// aldermark render IN.wav --at SECONDS --out F.png [--back]: the editor as a user sees it
// after the file has played up to SECONDS (with --back turned round to the meter's settings).
// aldermark signal --out F.wav: the music-like test signal.
#include <ostream>

#include "tools/aldermark/commands.h"
#include "tools/aldermark/editor_render.h"
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
    static constexpr OptionSpec known[] = {kSetOption, {"--at", true, false}, {"--out", true, false},
                                           {"--back", false, false}};
    std::string input, error;
    CommandArguments rest;
    if (!splitInput(args, input, rest)) return reportError(err, "render", "the first argument is the input IN.wav", kExitUsage);
    ParsedOptions options;
    std::vector<ParameterAssignment> assignments;
    if (!parseOptions(rest, known, options, error) ||
        !parseAssignments(options.all(kSetOption.name), assignments, error, AssignmentRange::kWithMeterSettings))
        return reportError(err, "render", error, kExitUsage);
    const std::string* at = options.value("--at");
    const std::string* output = options.value("--out");
    float seconds = 0;
    if (!at || !parseFloat(*at, seconds) || seconds < 0 || seconds > 3600)
        return reportError(err, "render", "--at SECONDS (0 to 3600) is required", kExitUsage);
    if (!output || output->empty()) return reportError(err, "render", "--out F.png is required", kExitUsage);
    WavAudio audio;
    if (!readWavFile(input, audio, error)) return reportError(err, "render", error);
    if (!renderEditorPicture(audio, seconds, assignments, *output, error, options.has("--back")))
        return reportError(err, "render", error);
    out << "wrote " << *output << "\n";
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
    if (!writeWavFile(*output, makeProgrammeSignal(seconds), WavSampleFormat::Float32, error))
        return reportError(err, "signal", error);
    out << "wrote " << *output << "\n";
    return kExitOk;
}

}  // namespace aldermark
