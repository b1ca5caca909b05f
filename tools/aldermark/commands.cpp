#include <ostream>

#include "tools/aldermark/commands.h"
#include "tools/aldermark/host_platform.h"
#include "tools/aldermark/plugin_instance.h"
#include "vst2/templete.h"

namespace aldermark {

void printUsage(std::span<const Command> table, std::ostream& stream) {
    stream << "usage: aldermark <command> [options]\n\ncommands:\n";
    for (const Command& command : table) stream << "  " << command.name << " " << command.synopsis << "\n";
    stream << "\n'aldermark COMMAND --help' lists a command's options and their defaults; 'aldermark --version'\n"
              "prints the version.";
    stream << "\nWithout --plugin the plug-in is '" << host_platform::pluginFileName()
           << "' next to this program; --plugin and validate also take a .clap file and, on Linux, an\n"
              "LV2 bundle folder or plug-in URI.\n--set takes NAME=VALUE in the setting's unit or INDEX=VALUE with a value 0..1.\n"
              "\nedit opens the plug-in's editor in a window and plays IN.wav through the effect in real\n"
              "time, looped, until the window is closed, the process is interrupted or --seconds S have\n"
              "passed; it calls effEditIdle N times a second (1 to 1000, default 30). Each --screenshot-at S\n"
              "(seconds after the editor opened) saves the window as a PNG: the first with the first --out,\n"
              "the second with the second, and so on. --save-state F keeps the effect's state (its chunk,\n"
              "as a host saves it with a project) in F when the session ends.\n"
              "It prints one line per host request as it comes:\n"
              "  open W H        the editor is open, the window's client area W x H\n"
              "  size W H        the plug-in asked for a W x H client area and got it\n"
              "  begin I, end I  a gesture on parameter I starts, ends\n"
              "  automate I V    the plug-in set parameter I to V\n"
              "  screenshot F    the window was saved as F\n"
              "  state F         the effect's state was saved as F\n";
}

void printCommandHelp(const Command& command, std::ostream& stream) {
    stream << "usage: aldermark " << command.name << " " << command.synopsis << "\n\n" << commandHelp(command.name);
    if (std::string(command.synopsis).find("--set") != std::string::npos) stream << settingOptionsHelp();
}

int reportError(std::ostream& err, const char* command, const std::string& message, int code) {
    err << "aldermark" << (command ? " " : "") << (command ? command : "") << ": " << message << "\n";
    return code;
}

namespace {

int dispatchCommand(std::span<const Command> table, const CommandArguments& args, std::ostream& out,
                    std::ostream& err) {
    if (args.empty()) return reportError(err, nullptr, "no command given (try 'aldermark help')", kExitUsage);
    const std::string& name = args.front();
    if (name == "help" || name == "--help" || name == "-h") {
        printUsage(table, out);
        return kExitOk;
    }
    if (name == "--version" || name == "version") {
        out << "aldermark " << kVersion << "\n";
        return kExitOk;
    }
    for (const Command& command : table) {
        if (name != command.name) continue;
        const CommandArguments rest(args.begin() + 1, args.end());
        for (const std::string& arg : rest)
            if (arg == "--help" || arg == "-h") {
                printCommandHelp(command, out);
                return kExitOk;
            }
        return command.run(rest, out, err);
    }
    return reportError(err, nullptr, "unknown command '" + name + "' (try 'aldermark help')", kExitUsage);
}

}  // namespace

int runCommandLine(std::span<const Command> table, const CommandArguments& args, std::ostream& out,
                   std::ostream& err) {
    const int code = dispatchCommand(table, args, out, err);
    // Output that never arrived (a full disk, a closed pipe) is a failure, however the
    // command itself went.
    out.flush();
    if (!out) return reportError(err, nullptr, "could not write standard output", code ? code : kExitFailure);
    return code;
}

std::string defaultPluginPath() {
    return host_platform::joinPath(host_platform::executableDirectory(), host_platform::pluginFileName());
}

bool readPluginOptions(const ParsedOptions& options, PluginOptions& plugin, std::string& error, bool storeOption) {
    const std::string* path = options.value(kPluginOption.name);
    if (path && path->empty()) {
        error = "--plugin needs a path";
        return false;
    }
    plugin.path = path ? *path : defaultPluginPath();
    return plugin.settings.read(options, EffectSource::kLoaded, error, storeOption);
}

bool openPlugin(const PluginOptions& options, PluginInstance& plugin, std::string& error) {
    if (!plugin.load(options.path, error)) return false;
    const bool ours = plugin.effect()->uniqueID == Templete::kUniqueId;
    if (!options.settings.checkPlugin(ours, plugin.text(effGetEffectName), plugin.effect()->numParams, error))
        return false;
    for (const ParameterAssignment& assignment : options.settings.assignments())
        plugin.setParameter(assignment.index, assignment.value);
    return true;
}

}  // namespace aldermark
