// The settings store on Linux: one text file per user (format in settings_file.h) at
// $XDG_CONFIG_HOME/Kestrune/ZEBDIALS300, with ~/.config standing in for an unset, empty or
// relative XDG_CONFIG_HOME. Readers never lock: a writer replaces the whole file with one
// rename, so a reader sees either the old or the new file. Writers serialise on a lock file
// beside the store, so two processes saving at once keep each other's values.
// A value the user's file lacks is looked up in the system's defaults: the same file name under
// each absolute folder of $XDG_CONFIG_DIRS (default /etc/xdg), in order. A package installed
// for every user (the manual's path) puts its values there; writers touch the user's file only.
#include "platform/settings_store.h"

#include "platform/linux/settings_file.h"
#include "platform/setting_limits.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;  // more is not ours; the rest is ignored
constexpr auto kWriterLockWait = std::chrono::seconds(5);

struct StorePaths {
    std::string folder;
    std::string file;
    std::string lockFile;
};

std::string configHome()
{
    // Relative paths are invalid for XDG_CONFIG_HOME and for our purposes for HOME too.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.config";

    long bufferSize = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(bufferSize > 0 ? static_cast<std::size_t>(bufferSize) : 16384, '\0');
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result &&
        result->pw_dir && result->pw_dir[0] == '/')
        return std::string(result->pw_dir) + "/.config";
    return {};
}

bool storePaths(StorePaths& paths)
{
    std::string base = configHome();
    if (base.empty()) return false;
    paths.folder = base + "/Kestrune";
    paths.file = paths.folder + "/ZEBDIALS300";
    paths.lockFile = paths.file + ".lock";
    return true;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and answers whether the close succeeded (it reports late write errors).
    bool reset()
    {
        if (fd_ < 0) return true;
        bool closed = ::close(fd_) == 0;
        fd_ = -1;
        return closed;
    }

private:
    int fd_;
};

// The store file's text, at most kMaxFileBytes of it. False when it cannot be read or is not a
// regular file (writers then leave it alone too); a missing file is an empty store when
// `missingIsEmpty`.
bool readStoreText(const std::string& path, std::string& text, bool missingIsEmpty)
{
    text.clear();
    // Non-blocking open, so a FIFO planted at the path cannot stall us; only regular files count.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.valid()) return missingIsEmpty && errno == ENOENT;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;

    char chunk[65536];
    while (text.size() < kMaxFileBytes) {
        ssize_t got = ::read(fd.get(), chunk, std::min(sizeof chunk, kMaxFileBytes - text.size()));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) break;
        text.append(chunk, static_cast<std::size_t>(got));
    }
    return true;
}

// Creates the folder and any missing parents (new ones private to the user).
bool makeFolders(const std::string& folder)
{
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Holds the writers' lock file; waits a bounded time so a stuck writer cannot hang the editor.
class WriterLock {
public:
    explicit WriterLock(const std::string& path)
        : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600))
    {
        if (!fd_.valid()) return;
        auto deadline = std::chrono::steady_clock::now() + kWriterLockWait;
        for (;;) {
            if (::flock(fd_.get(), LOCK_EX | LOCK_NB) == 0) break;
            if (errno == EINTR) continue;
            if (errno != EWOULDBLOCK) break;  // no flock on this file system: go on unlocked
            if (std::chrono::steady_clock::now() >= deadline) {
                fd_.reset();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        acquired_ = true;
    }
    bool acquired() const { return acquired_; }  // closing the descriptor releases the lock

private:
    FileDescriptor fd_;
    bool acquired_ = false;
};

bool writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t put = ::write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

// Writes a temporary file beside the store, flushes it to disk and renames it over the store.
bool replaceStoreFile(const StorePaths& paths, const std::string& text)
{
    std::string temporary = paths.file + ".XXXXXX";
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd.valid()) return false;
    bool written = writeAll(fd.get(), text) && ::fsync(fd.get()) == 0;
    written = fd.reset() && written;
    if (!written || ::rename(temporary.c_str(), paths.file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable; the new file is in place either way.
    FileDescriptor folder(::open(paths.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid()) ::fsync(folder.get());
    return true;
}

bool validBatch(const SettingBlob* values, std::size_t count)
{
    if (!values || count == 0) return false;
    for (std::size_t i = 0; i < count; ++i) {
        const SettingBlob& value = values[i];
        if (!value.name || !isStorableSettingName(value.name) || !value.data ||
            !isStorableSettingSize(value.size))
            return false;
    }
    return true;
}

// The stored hex digits of `name` (the user's, else the system's default), empty when the value
// is missing or no store can be read; `text` receives the text the answer points into.
std::string_view storedHex(const char* name, std::string& text)
{
    StorePaths paths;
    if (storePaths(paths) && readStoreText(paths.file, text, false)) {
        std::string_view hex = settings_file::findHex(text, name);
        if (!hex.empty()) return hex;
    }
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    for (std::string_view rest = dirs && *dirs ? dirs : "/etc/xdg";;) {
        const std::size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        if (!folder.empty() && folder[0] == '/' &&
            readStoreText(std::string(folder) + "/Kestrune/ZEBDIALS300", text, false)) {
            std::string_view hex = settings_file::findHex(text, name);
            if (!hex.empty()) return hex;
        }
        if (colon == std::string_view::npos) return {};
        rest.remove_prefix(colon + 1);
    }
}

}  // namespace

bool readSettingBytes(const char* name, void* out, std::size_t size)
{
    try {
        if (!name || !out || !isStorableSettingName(name) || !isStorableSettingSize(size)) return false;
        std::string text;
        std::string_view hex = storedHex(name, text);
        if (hex.size() != size * 2) return false;
        settings_file::decodeHex(hex, static_cast<unsigned char*>(out));
        return true;
    } catch (...) {
        return false;
    }
}

bool writeSettings(const SettingBlob* values, std::size_t count)
{
    try {
        if (!validBatch(values, count)) return false;
        StorePaths paths;
        if (!storePaths(paths) || !makeFolders(paths.folder)) return false;
        WriterLock lock(paths.lockFile);
        if (!lock.acquired()) return false;

        std::string text;
        if (!readStoreText(paths.file, text, true)) return false;
        settings_file::Entries entries = settings_file::parse(text);
        for (std::size_t i = 0; i < count; ++i) {
            const auto* bytes = static_cast<const unsigned char*>(values[i].data);
            entries.insert_or_assign(std::string(values[i].name),
                                     settings_file::Bytes(bytes, bytes + values[i].size));
        }
        return replaceStoreFile(paths, settings_file::format(entries));
    } catch (...) {
        return false;
    }
}

bool writeSettingTexts(const SettingText* values, std::size_t count)
{
    try {
        if (!values || count == 0) return false;
        std::vector<SettingBlob> blobs;
        blobs.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            if (!values[i].utf8) return false;
            blobs.push_back({values[i].name, values[i].utf8, std::strlen(values[i].utf8) + 1});
        }
        return writeSettings(blobs.data(), blobs.size());
    } catch (...) {
        return false;
    }
}

bool readSettingText(const char* name, std::string& utf8)
{
    try {
        if (!name || !isStorableSettingName(name)) return false;
        std::string text;
        std::string_view hex = storedHex(name, text);
        if (hex.empty() || hex.size() / 2 > kMaxSettingTextBytes) return false;
        std::string bytes(hex.size() / 2, '\0');
        settings_file::decodeHex(hex, reinterpret_cast<unsigned char*>(bytes.data()));
        bytes.resize(std::min(bytes.find('\0'), bytes.size()));
        utf8 = std::move(bytes);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace platform
