// aldermark edit IN.wav: the plug-in's editor in a real window while the file plays through
// the effect in real time, streamed and looped, as in a host's session; the host requests of interest are
// printed as they come (see edit_session.h for the lines).
#include <ostream>

#include "tools/aldermark/audio_file.h"
#include "tools/aldermark/commands.h"
#include "tools/aldermark/edit_session.h"
#include "tools/aldermark/host_platform.h"
#include "tools/aldermark/output_file.h"
#include "tools/aldermark/plugin_instance.h"

namespace aldermark {
namespace {

constexpr long long kMaxIdleHz = 1000;
constexpr double kMaxSeconds = 86400;

}  // namespace

bool readSessionOptions(const ParsedOptions& options, EditSessionOptions& session, std::string& error) {
    if (const std::string* text = options.value("--idle-hz")) {
        long long hz = 0;
        if (!parseInteger(*text, hz) || hz < 1 || hz > kMaxIdleHz) {
            error = "--idle-hz must be a whole number from 1 to " + std::to_string(kMaxIdleHz) + ", got '" + *text + "'";
            return false;
        }
        session.idleHz = static_cast<int>(hz);
    }
    if (const std::string* text = options.value("--seconds")) {
        float seconds = 0;
        if (!parseFloat(*text, seconds) || seconds <= 0 || seconds > kMaxSeconds) {
            error = "--seconds must be more than 0 and at most 86400, got '" + *text + "'";
            return false;
        }
        session.seconds = seconds;
    }
    const std::vector<std::string> times = options.all("--screenshot-at");
    const std::vector<std::string> paths = options.all("--out");
    if (times.size() != paths.size()) {
        error = "each --screenshot-at S needs its own --out F.png (" + std::to_string(times.size()) + " times, " +
                std::to_string(paths.size()) + " files)";
        return false;
    }
    for (std::size_t i = 0; i < times.size(); ++i) {
        float at = 0;
        if (!parseFloat(times[i], at) || at < 0 || at > kMaxSeconds) {
            error = "--screenshot-at must be a time from 0 to 86400 seconds, got '" + times[i] + "'";
            return false;
        }
        if (session.seconds && at > *session.seconds) {
            error = "--screenshot-at " + times[i] + " comes after the end (--seconds " + *options.value("--seconds") + ")";
            return false;
        }
        if (paths[i].empty()) {
            error = "--out needs a file name";
            return false;
        }
        session.screenshots.push_back({at, paths[i]});
    }
    return parseScaleOption(options, session.scale, error);
}

int runEdit(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    // A session of the user's: the plug-in reads and writes the user's settings as in a host.
    static constexpr auto specs = withSettingOptions<false>(
        {kPluginOption, {"--idle-hz", true, false}, {"--seconds", true, false}, {"--screenshot-at", true, true},
         {"--out", true, true}, {"--save-state", true, false}, kScaleOption});
    if (args.empty() || args.front().rfind("--", 0) == 0)
        return reportError(err, "edit", "the first argument is the input IN.wav", kExitUsage);
    const std::string input = args.front();
    ParsedOptions options;
    PluginOptions pluginOptions;
    EditSessionOptions session;
    std::string error;
    if (!parseOptions(CommandArguments(args.begin() + 1, args.end()), specs, options, error) ||
        !readPluginOptions(options, pluginOptions, error, false) || !readSessionOptions(options, session, error))
        return reportError(err, "edit", error, kExitUsage);
    if (const std::string* state = options.value("--save-state")) {
        if (state->empty()) return reportError(err, "edit", "--save-state needs a file name", kExitUsage);
        session.statePath = *state;
    }

    std::vector<std::string> outputs = options.all("--out");
    if (!session.statePath.empty()) outputs.push_back(session.statePath);
    for (const std::string& output : outputs)
        if (!refuseOutputOverInputs(output, {input}, error)) return reportError(err, "edit", error);
    // The file is streamed on the session's audio thread and read again from the top at its
    // end, so a pipe, which cannot be read again, is no input for it.
    if (isStandardStream(input))
        return reportError(err, "edit", "edit plays its input looped: give a file, not standard input", kExitUsage);
    AudioFileReader reader;
    if (!reader.open(input, error)) return reportError(err, "edit", error);
    if (reader.frames().value_or(1) == 0) return reportError(err, "edit", "'" + input + "' holds no samples to play");
    FileLoop audio(reader, "'" + input + "'");
    PluginInstance plugin;
    if (!openPlugin(pluginOptions, plugin, error)) return reportError(err, "edit", error);
    pluginOptions.settings.printNotes("edit", err);
    const AEffect* effect = plugin.effect();
    if (!(effect->flags & effFlagsHasEditor)) return reportError(err, "edit", "the plug-in has no editor");
    if (!(effect->flags & effFlagsCanReplacing) || !effect->processReplacing)
        return reportError(err, "edit", "the plug-in does not offer processReplacing");

    host_platform::catchStopRequests();
    if (!runEditSession(plugin, audio, session, out, error)) return reportError(err, "edit", error);
    if (!reader.warning().empty()) err << "aldermark edit: warning: " << reader.warning() << "\n";
    return kExitOk;
}

}  // namespace aldermark
