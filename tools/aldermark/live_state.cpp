#include "tools/aldermark/live_state.h"

#include <cerrno>
#include <cstdio>
#include <sstream>

#include "tools/aldermark/arguments.h"
#include "tools/aldermark/host_files.h"
#include "tools/aldermark/host_platform.h"
#include "tools/aldermark/output_file.h"

namespace aldermark {
namespace {

constexpr const char* kHeader = "aldermark live state 1";
constexpr std::size_t kMaxChunk = 1 << 20;       // far more than any state of ours
constexpr std::size_t kMaxStateFile = 4 << 20;  // bytes read at most

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool parseChunk(const std::string& rest, std::vector<unsigned char>& chunk) {
    const std::size_t space = rest.find(' ');
    if (space == std::string::npos) return false;
    long long size = 0;
    const std::string hex = rest.substr(space + 1);
    if (!parseInteger(rest.substr(0, space), size) || size <= 0 || static_cast<std::size_t>(size) > kMaxChunk ||
        hex.size() != static_cast<std::size_t>(size) * 2)
        return false;
    chunk.resize(static_cast<std::size_t>(size));
    for (std::size_t i = 0; i < chunk.size(); ++i) {
        const int high = hexDigit(hex[2 * i]), low = hexDigit(hex[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        chunk[i] = static_cast<unsigned char>(high * 16 + low);
    }
    return true;
}

}  // namespace

std::string liveStatePath(const std::string& clientName) {
    const std::string config = host_files::userConfigFolder();
    if (config.empty()) return {};
    std::string file;
    for (const char c : clientName) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_' || (c == '.' && !file.empty());
        if (plain) {
            file += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            file += escaped;
        }
    }
    return host_platform::joinPath(host_platform::joinPath(host_platform::joinPath(config, "aldermark"), "live"),
                                   file + ".state");
}

std::string formatLiveState(const LiveState& state) {
    std::string text = std::string(kHeader) + "\n";
    for (const LiveConnection& connection : state.connections)
        text += std::string(connection.input ? "input " : "output ") + std::to_string(connection.channel) + " " +
                connection.peer + "\n";
    if (!state.chunk.empty()) {
        text += "chunk " + std::to_string(state.chunk.size()) + " ";
        static const char kDigits[] = "0123456789abcdef";
        for (const unsigned char byte : state.chunk) {
            text += kDigits[byte >> 4];
            text += kDigits[byte & 15];
        }
        text += "\n";
    }
    return text;
}

bool parseLiveState(const std::string& text, LiveState& state, std::string& error) {
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kHeader) {
        error = "it is no state of aldermark live";
        return false;
    }
    LiveState read;
    int number = 1;
    while (std::getline(lines, line)) {
        ++number;
        if (line.empty()) continue;
        const std::size_t space = line.find(' ');
        const std::string word = line.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
        bool good = false;
        if (word == "input" || word == "output") {
            // "1 peer name": one channel digit, a space, a name that is not empty.
            if (rest.size() > 2 && (rest[0] == '1' || rest[0] == '2') && rest[1] == ' ') {
                read.connections.push_back({word == "input", rest[0] - '0', rest.substr(2)});
                good = true;
            }
        } else if (word == "chunk") {
            good = read.chunk.empty() && parseChunk(rest, read.chunk);
        }
        if (!good) {
            error = "line " + std::to_string(number) + " is damaged";
            return false;
        }
    }
    state = std::move(read);
    return true;
}

bool readLiveState(const std::string& path, LiveState& state, std::string& error) {
    state = {};
    std::FILE* file = host_platform::openFile(path, "rb");
    if (!file) {
        if (errno == ENOENT) return true;
        error = "cannot read '" + path + "'";
        return false;
    }
    std::string text;
    char buffer[8192];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text.size() < kMaxStateFile) text.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || text.size() >= kMaxStateFile) {
        error = "cannot read '" + path + "'";
        return false;
    }
    if (!parseLiveState(text, state, error)) {
        error = "'" + path + "': " + error;
        return false;
    }
    return true;
}

bool writeLiveState(const std::string& path, const LiveState& state, std::string& error) {
    const std::string folder = path.substr(0, path.find_last_of("/\\"));
    if (!host_platform::makeFolder(folder)) {
        error = "cannot make the folder '" + folder + "'";
        return false;
    }
    const std::string text = formatLiveState(state);
    return writeFileSafely(path, text.data(), text.size(), error);
}

}  // namespace aldermark
