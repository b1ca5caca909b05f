#pragma once
// The subcommands of the aldermark tool. A subcommand is one function in its own
// command_*.cpp and one entry in the table of main.cpp; it gets the arguments after its
// name, writes results to `out` and one-line errors to `err`, and returns the exit code.
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "tools/aldermark/arguments.h"
#include "tools/aldermark/run_settings.h"

namespace aldermark {

class PluginInstance;

using CommandArguments = std::vector<std::string>;
using CommandFunction = int (*)(const CommandArguments& args, std::ostream& out, std::ostream& err);

struct Command {
    const char* name;
    const char* synopsis;  // the options, as shown in the usage text
    CommandFunction run;
};

enum ExitCode { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

// Runs the subcommand named by args[0]; "help" or "--help" prints the usage. Fails (exit
// code 1 unless the command failed already) when `out` could not be written.
int runCommandLine(std::span<const Command> table, const CommandArguments& args, std::ostream& out,
                   std::ostream& err);
void printUsage(std::span<const Command> table, std::ostream& stream);
// `aldermark COMMAND --help`: the synopsis and every option with its default.
void printCommandHelp(const Command& command, std::ostream& stream);
const char* commandHelp(const char* command);  // help_texts.cpp
const char* settingOptionsHelp();
inline constexpr const char* kVersion = ALDERMARK_VERSION;
// Writes "aldermark <command>: <message>" as one line and returns `code`.
int reportError(std::ostream& err, const char* command, const std::string& message, int code = kExitFailure);

// Options of every command that loads the plug-in: --plugin PATH and the settings
// (run_settings.h).
struct PluginOptions {
    std::string path;  // the default plug-in next to this program when --plugin is absent
    RunSettings settings;
};
constexpr OptionSpec kPluginOption{"--plugin", true, false};
constexpr OptionSpec kSetOption = kSettingOptions[0];
// `storeOption`: whether --settings chooses the settings store (run_settings.h).
bool readPluginOptions(const ParsedOptions& options, PluginOptions& plugin, std::string& error,
                       bool storeOption = true);
std::string defaultPluginPath();
// Loads and opens the plug-in, checks that the settings suit it, then applies them through
// setParameter in order.
bool openPlugin(const PluginOptions& options, PluginInstance& plugin, std::string& error);

int runInfo(const CommandArguments& args, std::ostream& out, std::ostream& err);
int runProcess(const CommandArguments& args, std::ostream& out, std::ostream& err);
// These two build the effect from the plug-in's code instead of loading its binary.
int runMeter(const CommandArguments& args, std::ostream& out, std::ostream& err);
int runPlot(const CommandArguments& args, std::ostream& out, std::ostream& err);
int runDemo(const CommandArguments& args, std::ostream& out, std::ostream& err);
int runRender(const CommandArguments& args, std::ostream& out, std::ostream& err);
int runSignal(const CommandArguments& args, std::ostream& out, std::ostream& err);
// The plug-in's editor in a real window while a file plays through it in real time.
int runEdit(const CommandArguments& args, std::ostream& out, std::ostream& err);
// The plug-in metering the audio server's ports live, with its editor in a window.
int runLive(const CommandArguments& args, std::ostream& out, std::ostream& err);
// The host-compatibility tests against any VST 2.4 binary.
int runValidate(const CommandArguments& args, std::ostream& out, std::ostream& err);

}  // namespace aldermark
