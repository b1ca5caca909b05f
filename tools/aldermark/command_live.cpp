// aldermark live: the plug-in meters what the audio server plays or records, with its
// editor in a window titled after the client, as a small standalone tool. The effect's state
// and the client's connections are kept per client name between runs (live_state.h).
#include <ostream>
#include <set>

#include "tools/aldermark/commands.h"
#include "tools/aldermark/edit_session.h"
#include "tools/aldermark/host_platform.h"
#include "tools/aldermark/live_audio.h"
#include "tools/aldermark/live_session.h"
#include "tools/aldermark/live_state.h"
#include "tools/aldermark/message_window.h"
#include "tools/aldermark/plugin_instance.h"

namespace aldermark {
namespace {

constexpr const char* kDefaultClientName = "aldermark";
constexpr int kLiveIdleHz = 60;

std::string windowTitle(const std::string& clientName) { return "ZEB Aldermark \xE2\x80\x94 " + clientName; }

// Where the sources found for the --connect patterns go: one source feeds both inputs, two
// or more feed input 1 and 2 in the order found.
std::vector<LiveConnection> inputsFrom(const std::vector<std::string>& sources) {
    if (sources.size() == 1) return {{true, 1, sources[0]}, {true, 2, sources[0]}};
    std::vector<LiveConnection> connections;
    for (std::size_t i = 0; i < sources.size() && i < kLiveChannels; ++i)
        connections.push_back({true, static_cast<int>(i) + 1, sources[i]});
    return connections;
}

// Connects what --connect asks for (else the inputs saved last time) and the saved
// outputs; what cannot be made is a warning, and the meter runs on.
std::vector<LiveConnection> makeConnections(LiveAudio& live, const std::vector<std::string>& patterns,
                                            const LiveState& saved, std::ostream& out, std::ostream& err) {
    std::vector<LiveConnection> wanted;
    if (!patterns.empty()) {
        std::vector<std::string> sources;
        std::set<std::string> seen;
        for (const std::string& pattern : patterns) {
            const std::vector<std::string> found = live.sourcesMatching(pattern);
            if (found.empty())
                err << "aldermark live: warning: --connect " << pattern << ": no output port matches it\n";
            for (const std::string& source : found)
                if (seen.insert(source).second) sources.push_back(source);
        }
        wanted = inputsFrom(sources);
    }
    for (const LiveConnection& connection : saved.connections)
        if (!connection.input || patterns.empty()) wanted.push_back(connection);
    std::vector<LiveConnection> made;
    for (const LiveConnection& connection : wanted) {
        std::string error;
        if (live.connect(connection, error)) {
            made.push_back(connection);
            out << "connect " << (connection.input ? "in_" : "out_") << connection.channel << " " << connection.peer
                << std::endl;
        } else {
            err << "aldermark live: warning: " << error << "\n";
        }
    }
    return made;
}

bool readClientName(const ParsedOptions& options, std::string& name, std::string& error) {
    name = kDefaultClientName;
    if (const std::string* given = options.value("--name")) name = *given;
    const int longest = LiveAudio::maxNameLength();
    if (name.empty() || name.find(':') != std::string::npos || static_cast<int>(name.size()) > longest) {
        error = "--name must be 1 to " + std::to_string(longest) + " bytes without ':', got '" + name + "'";
        return false;
    }
    return true;
}

// The chunk kept last time, then the settings of the command line over it.
void restoreState(PluginInstance& plugin, const LiveState& saved, const PluginOptions& options) {
    if (saved.chunk.empty()) return;
    std::vector<unsigned char> chunk = saved.chunk;  // the plug-in may keep the pointer only during the call
    plugin.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data());
    for (const ParameterAssignment& assignment : options.settings.assignments())
        plugin.setParameter(assignment.index, assignment.value);
}

bool saveState(PluginInstance& plugin, const std::vector<LiveConnection>& connections, const std::string& path,
               std::string& error) {
    LiveState state;
    state.connections = connections;
    void* data = nullptr;
    const VstIntPtr size = plugin.dispatch(effGetChunk, 0, 0, &data);
    if (size > 0 && data) state.chunk.assign(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
    return writeLiveState(path, state, error);
}

int runLiveSession(const CommandArguments& args, std::ostream& out, std::ostream& err, bool& showInWindow,
                   std::string& failure) {
    static constexpr auto specs = withSettingOptions(
        {kPluginOption, {"--connect", true, true}, {"--name", true, false}, {"--fresh", false, false},
         {"--error-window", false, false}, {"--idle-hz", true, false}, {"--seconds", true, false},
         {"--screenshot-at", true, true}, {"--out", true, true}});
    ParsedOptions options;
    PluginOptions pluginOptions;
    EditSessionOptions session;
    session.idleHz = kLiveIdleHz;
    std::string name, error;
    const bool parsed = parseOptions(args, specs, options, error);
    showInWindow = parsed && options.has("--error-window");
    if (!parsed || !readPluginOptions(options, pluginOptions, error) || !readSessionOptions(options, session, error) ||
        !readClientName(options, name, error)) {
        failure = error;
        return kExitUsage;
    }
    const auto fail = [&failure](const std::string& why) {
        failure = why;
        return kExitFailure;
    };

    // The user's config folder, before the run's private store takes its place.
    const std::string statePath = liveStatePath(name);
    LiveState saved;
    if (!options.has("--fresh") && !statePath.empty() && !readLiveState(statePath, saved, error)) {
        err << "aldermark live: warning: " << error << "; starting from the defaults\n";
        saved = {};
    }
    if (!pluginOptions.settings.begin("live", err, error)) return fail(error);
    std::unique_ptr<LiveAudio> live = LiveAudio::open(name, error);
    if (!live) return fail(error);

    PluginInstance plugin;
    if (!openPlugin(pluginOptions, plugin, error)) return fail(error);
    pluginOptions.settings.printNotes("live", err);
    const AEffect* effect = plugin.effect();
    if (!(effect->flags & effFlagsHasEditor)) return fail("the plug-in has no editor");
    if (!(effect->flags & effFlagsCanReplacing) || !effect->processReplacing)
        return fail("the plug-in does not offer processReplacing");
    restoreState(plugin, saved, pluginOptions);
    if (!saved.chunk.empty()) out << "restored " << statePath << std::endl;

    out << "client " << live->name() << std::endl;
    session.title = windowTitle(live->name());
    const std::vector<std::string> patterns = options.all("--connect");
    LiveSessionAudio audio(
        *live, [&] { return makeConnections(*live, patterns, saved, out, err); },
        [&out](const std::string& line) { out << line << std::endl; });
    host_platform::catchStopRequests();
    showInWindow = false;  // from here on the meter's window is there to see
    const bool ran = runEditSession(plugin, audio, session, out, error);
    std::string saveError;
    if (statePath.empty())
        err << "aldermark live: warning: no config folder (HOME is not set): the state is not kept\n";
    else if (saveState(plugin, audio.lastConnections(), statePath, saveError))
        out << "saved " << statePath << std::endl;
    else
        err << "aldermark live: warning: the state was not saved: " << saveError << "\n";
    out << "xruns " << live->xruns() << std::endl;
    if (!ran) return fail(error);
    return kExitOk;
}

}  // namespace

int runLive(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    bool showInWindow = false;
    std::string failure;
    const int code = runLiveSession(args, out, err, showInWindow, failure);
    if (code == kExitOk) return code;
    // Started from a menu there is no terminal to read the reason on.
    if (showInWindow) showMessageWindow(windowTitle("not started"), "aldermark live: " + failure);
    return reportError(err, "live", failure, code);
}

}  // namespace aldermark
