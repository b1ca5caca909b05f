#include "tools/aldermark/progress.h"

#include <cstdio>
#include <ostream>

#include "tools/aldermark/host_platform.h"

namespace aldermark {

Progress::Progress(std::ostream& err, std::string what, std::optional<std::uint64_t> total, ProgressWhen when)
    : err_(err),
      what_(std::move(what)),
      total_(total),
      allowed_(when == ProgressWhen::kAlways ||
               (when == ProgressWhen::kTerminal && host_platform::standardErrorIsTerminal())),
      start_(Clock::now()),
      lastShown_(start_) {}

void Progress::update(std::uint64_t done) {
    if (!allowed_) return;
    const Clock::time_point now = Clock::now();
    if (now - start_ < std::chrono::seconds(1) || now - lastShown_ < std::chrono::milliseconds(250)) return;
    lastShown_ = now;
    char text[64];
    if (total_ && *total_ > 0)
        std::snprintf(text, sizeof text, "%3.0f %%", 100.0 * static_cast<double>(done) / static_cast<double>(*total_));
    else
        std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(done));
    err_ << "\r" << what_ << ": " << text << std::flush;
    shown_ = true;
}

void Progress::finish() {
    if (!shown_) return;
    err_ << "\r" << std::string(what_.size() + 16, ' ') << "\r" << std::flush;
    shown_ = false;
}

}  // namespace aldermark
