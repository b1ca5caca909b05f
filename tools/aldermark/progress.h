#pragma once
// Progress of long work on standard error: shown only when the work has taken more than a
// second and standard error is a terminal (or it was asked for), as one line rewritten in
// place, and cleared at the end.
#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "tools/aldermark/arguments.h"

namespace aldermark {

// --quiet never shows progress, --progress always does, otherwise a terminal decides.
enum class ProgressWhen { kTerminal, kNever, kAlways };
constexpr OptionSpec kQuietOption{"--quiet", false, false};
constexpr OptionSpec kProgressOption{"--progress", false, false};
inline ProgressWhen progressWhen(const ParsedOptions& options) {
    return options.has(kQuietOption.name)      ? ProgressWhen::kNever
           : options.has(kProgressOption.name) ? ProgressWhen::kAlways
                                               : ProgressWhen::kTerminal;
}

class Progress {
public:
    Progress(std::ostream& err, std::string what, std::optional<std::uint64_t> total, ProgressWhen when);
    ~Progress() { finish(); }
    // Where the work stands (in the unit of `total`).
    void update(std::uint64_t done);
    // Clears the line, if one was shown.
    void finish();

private:
    using Clock = std::chrono::steady_clock;
    std::ostream& err_;
    std::string what_;
    std::optional<std::uint64_t> total_;
    bool allowed_;
    Clock::time_point start_, lastShown_;
    bool shown_ = false;
};

}  // namespace aldermark
