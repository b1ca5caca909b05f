// aldermark: the command-line host of ZEB Aldermark. Each subcommand is a function in its
// own command_*.cpp and an entry in the table below.
#include <exception>
#include <iostream>
#include <new>

#include "tools/aldermark/commands.h"
#include "tools/aldermark/host_platform.h"

namespace {

const aldermark::Command kCommands[] = {
    {"info", "[--plugin PATH] [--set INDEX=VALUE]...", aldermark::runInfo},
    {"process", "[--plugin PATH] --input IN.wav --output OUT.wav [--block N] [--set INDEX=VALUE]...",
     aldermark::runProcess},
    {"meter", "IN... [--every MS] [--linear | --summary] [--format csv|json] [--block N] [--set INDEX=VALUE]...",
     aldermark::runMeter},
    {"plot", "IN.wav --out F.png [--width W] [--height H] [--set INDEX=VALUE]...", aldermark::runPlot},
    {"render", "IN.wav --at SECONDS --out F.png [--back] [--set INDEX=VALUE]...", aldermark::runRender},
    {"signal", "--out F.wav [--seconds S]", aldermark::runSignal},
    {"edit",
     "IN.wav [--plugin PATH] [--set INDEX=VALUE]... [--idle-hz N] [--seconds S] [--screenshot-at S --out F.png]... [--save-state F]",
     aldermark::runEdit},
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
