#include "platform/working_directory.h"

#include <cstdlib>
#include <memory>

#include <unistd.h>

namespace platform {

std::string workingDirectory(std::size_t maxBytes)
{
    try {
        // glibc sizes the buffer itself; the path may be longer than PATH_MAX.
        std::unique_ptr<char, decltype(&std::free)> path(::getcwd(nullptr, 0), &std::free);
        if (!path || path.get()[0] != '/') return {};
        std::string text(path.get());
        cutUtf8(text, maxBytes);
        return text;
    } catch (...) {
        return {};
    }
}

}  // namespace platform
