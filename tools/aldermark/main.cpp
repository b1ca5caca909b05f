// aldermark: the command-line host of ZEB Aldermark. Each subcommand is a function in its
// own command_*.cpp and an entry in the table below.
#include <exception>
#include <iostream>
#include <new>

#include "tools/aldermark/commands.h"
#include "tools/aldermark/host_platform.h"

namespace {

const aldermark::Command kCommands[] = {
    {"info", "[--plugin PATH] [--set NAME=VALUE]... [--settings]", aldermark::runInfo},
    {"process",
     "IN --output OUT [--plugin PATH] [--block N] [--set NAME=VALUE]... [--meter M] [--settings user]",
     aldermark::runProcess},
    {"meter",
     "IN... [--every MS] [--linear | --summary] [--format csv|json] [--block N] [--set NAME=VALUE]... [--meter M] "
     "[--settings user]",
     aldermark::runMeter},
    {"plot", "IN --out F.png [--width W] [--height H] [--set NAME=VALUE]... [--meter M] [--settings user]",
     aldermark::runPlot},
    {"render", "IN --at SECONDS --out F.png [--back] [--set NAME=VALUE]... [--meter M] [--settings user]",
     aldermark::runRender},
    {"signal", "--out F.wav [--seconds S]", aldermark::runSignal},
    {"edit",
     "IN.wav [--plugin PATH] [--set NAME=VALUE]... [--meter M] [--idle-hz N] [--seconds S] [--screenshot-at S --out F.png]... [--save-state F]",
     aldermark::runEdit},
    {"live",
     "[--connect REGEX]... [--name NAME] [--fresh] [--set NAME=VALUE]... [--meter M] [--settings user] [--seconds S] "
     "[--screenshot-at S --out F.png]...",
     aldermark::runLive},
    {"demo", "[--pictures DIR]", aldermark::runDemo},
    {"validate", "BINARY [--strictness 1..10] [--seed N] [--skip-editor]", aldermark::runValidate},
};

}  // namespace

int main(int argc, char** argv) {
    try {
        return aldermark::runCommandLine(kCommands, host_platform::commandLineArguments(argc, argv), std::cout,
                                         std::cerr);
    } catch (const std::bad_alloc&) {
        std::cerr << "aldermark: out of memory\n";
    } catch (const std::exception& failure) {
        std::cerr << "aldermark: " << failure.what() << "\n";
    }
    return aldermark::kExitFailure;
}
