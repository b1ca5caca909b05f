// What `aldermark COMMAND --help` prints after the command's synopsis: each option with its
// default.
#include <cstring>

#include "tools/aldermark/commands.h"

namespace aldermark {
namespace {

struct HelpText {
    const char* command;
    const char* text;
};

constexpr const char* kMeterOptions =
    "  --set NAME=VALUE   a parameter or meter setting by name in its own unit (aldermark info\n"
    "                     --settings lists them), or INDEX=VALUE with a normalised value 0..1\n"
    "  --meter vu|rms|ppm, --reference DBFS, --precise, --hold off|on|inf, --trim DB, --ms\n"
    "                     shortcuts for the meter, its reference and precise mode, the hold,\n"
    "                     the trim (which switches Process on) and mid/side\n"
    "  --settings user    start from the user's stored settings (read, never written); by\n"
    "                     default a run starts from the factory settings\n";

constexpr HelpText kTexts[] = {
    {"info",
     "Loads the plug-in and prints what a host learns of it, as JSON.\n"
     "  --plugin PATH      the plug-in binary (default: the one next to this program)\n"
     "  --settings         a table of every parameter and meter setting: index, name, text, range, unit\n"},
    {"process",
     "Runs an audio file through the plug-in and writes its output as 32-bit float WAV.\n"
     "  IN                 the input file (--input IN works too; - reads standard input)\n"
     "  --output OUT       the output file (- writes standard output); never one of the inputs\n"
     "  --block N          frames per processReplacing call (default 512)\n"
     "  --plugin PATH      the plug-in binary (default: the one next to this program)\n"
     "  --quiet, --progress  no progress on standard error, or progress even when it is no\n"
     "                     terminal (default: after a second, on a terminal)\n"},
    {"meter",
     "Meters audio files with the plug-in's own meters and prints what the meter panel reads.\n"
     "  IN...              input files (--input IN works too; - reads standard input)\n"
     "  --every MS         a row every MS milliseconds (default 10), read at the frame nearest\n"
     "                     each time; a file shorter than that gives one row at its end\n"
     "  --linear           the panel's linear values (1 = reference) at the end of the first block\n"
     "                     after each --every time, LEDs as 1 lit, 0 latched, -1 off, as\n"
     "                     earlier versions printed them\n"
     "  --summary          per file: highest needle and hold in dB and when, the RMS pointer's\n"
     "                     highest and average (RMS3), the inter-sample peak in dBFS (our own\n"
     "                     4x/2x estimate of the meter's input, not a BS.1770 true-peak\n"
     "                     measurement), the overs the meter counted, the reading at the end\n"
     "  --format csv|json  CSV (default) or JSON: one object for the table, one object per file\n"
     "                     and line for the summary\n"
     "  --block N          frames per block at most (default 512)\n"
     "  --quiet, --progress  no progress on standard error, or progress even when it is no\n"
     "                     terminal (default: after a second, on a terminal)\n"
     "Readings are in dB relative to the meter's reference (0 dB = at the reference); -inf is\n"
     "silence. LEDs: lit (an over now), latched (an over since the start), off.\n"},
    {"plot",
     "Draws how the meter read a file: needles, holds and RMS pointer over time on a dB axis\n"
     "with the reference line, and a red mark above the plot where an over was counted.\n"
     "  IN                 the input file (--input IN works too); its length must be known\n"
     "  --out F.png        the picture; never one of the inputs\n"
     "  --width W          pixels, 1200 to 8000 (default 1200)\n"
     "  --height H         pixels, 400 to 8000 (default 400)\n"
     "  --quiet, --progress  as for meter\n"},
    {"render",
     "Draws the plug-in's editor off-screen after the file played up to --at seconds.\n"
     "  IN                 the input file (looped when shorter)\n"
     "  --at SECONDS       0 to 3600\n"
     "  --out F.png        the picture; never one of the inputs\n"
     "  --back             turned round to the settings panel of the shown meter\n"
     "  --scale S          display scale, 1 to 3 (default 1): the picture is round(586 S) wide\n"},
    {"signal",
     "Writes a music-like test signal (peaks about -6.5 dBFS, programme about -21 dBFS RMS).\n"
     "  --out F.wav        the file (- writes standard output)\n"
     "  --seconds S        length, up to 600 (default 10)\n"},
    {"edit",
     "Opens the plug-in's editor in a window and plays IN through the effect in real time, looped.\n"
     "  IN                 the input file\n"
     "  --idle-hz N        effEditIdle calls a second, 1 to 1000 (default 30)\n"
     "  --seconds S        end after S seconds (default: when the window closes)\n"
     "  --screenshot-at S --out F.png   save the window S seconds after it opened (repeatable)\n"
     "  --save-state F     keep the effect's state (its chunk) in F at the end\n"
     "  --scale S          display scale for the editor, 1 to 3 (default 1), sent as hosts do\n"
     "  --plugin PATH      the plug-in binary (default: the one next to this program)\n"},
    {"live",
     "Meters what the system plays or records: a JACK client (jackd, or PipeWire through\n"
     "pipewire-jack) with two inputs the effect meters and two outputs that pass its signal on,\n"
     "the editor in a window titled after the client. Its state and connections are kept per\n"
     "client name in ~/.config/aldermark/live.\n"
     "  --connect REGEX    feed the inputs from the output ports matching REGEX (e.g.\n"
     "                     system:capture_); 'physical' takes the physical capture ports (repeatable;\n"
     "                     default: the connections saved last time)\n"
     "  --name NAME        the client's name (default aldermark)\n"
     "  --fresh            start from the defaults, not from the state saved last time\n"
     "  --error-window     show a failure to start in a window too (for the desktop menu)\n"
     "  --idle-hz N        effEditIdle calls a second, 1 to 1000 (default 60)\n"
     "  --seconds S        end after S seconds (default: when the window closes)\n"
     "  --screenshot-at S --out F.png   save the window S seconds after it opened (repeatable)\n"
     "  --plugin PATH      the plug-in binary (default: the one next to this program)\n"},
    {"demo",
     "Prints the three meters' readings of a tone programme and draws three editor pictures.\n"
     "  --pictures DIR     where the pictures go (default: none are drawn)\n"},
    {"validate",
     "Runs host-compatibility tests against any VST 2.4 binary.\n"
     "  BINARY             the plug-in\n"
     "  --strictness N     1 to 10 (default 5)\n"
     "  --seed N           the random tests' seed (default 1)\n"
     "  --skip-editor      leave out the editor tests (they need a display)\n"},
};

}  // namespace

const char* commandHelp(const char* command) {
    for (const HelpText& help : kTexts)
        if (std::strcmp(help.command, command) == 0) return help.text;
    return "";
}

const char* settingOptionsHelp() { return kMeterOptions; }

}  // namespace aldermark
