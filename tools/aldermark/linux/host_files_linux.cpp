#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include "tools/aldermark/host_files.h"

namespace host_files {

bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {}, second {};
    if (stat(a.c_str(), &first) != 0 || stat(b.c_str(), &second) != 0) return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool isFolder(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string followLinks(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) return path;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    return error ? path : target.string();
}

std::FILE* createBeside(const std::string& target, std::string& createdPath, std::string& reason) {
    const std::filesystem::path targetPath(target);
    const std::filesystem::path folder = targetPath.has_parent_path() ? targetPath.parent_path() : ".";
    struct stat existing {};
    const bool exists = stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name(1, '.');
        name.append(targetPath.filename().string()).append(1, '.');
        name.append(std::to_string(random() % 1000000)).append(".part");
        const std::string path = (folder / name).string();
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            reason = std::string("cannot create a file in its folder: ") + std::strerror(errno);
            return nullptr;
        }
        if (exists) fchmod(fd, existing.st_mode & 07777);  // as it was; the umask applies otherwise
        std::FILE* file = fdopen(fd, "wb");
        if (!file) {
            reason = std::strerror(errno);
            close(fd);
            unlink(path.c_str());
            return nullptr;
        }
        createdPath = path;
        return file;
    }
    reason = "cannot find a free temporary name in its folder";
    return nullptr;
}

bool flushToDisk(std::FILE* file, std::string& reason) {
    if (std::fflush(file) != 0 || fsync(fileno(file)) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    return true;
}

bool replaceFile(const std::string& from, const std::string& to, std::string& reason) {
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    reason = std::strerror(errno);
    return false;
}

void removeFile(const std::string& path) { unlink(path.c_str()); }

std::FILE* binaryStandardInput() { return stdin; }
std::FILE* binaryStandardOutput() { return stdout; }

std::string temporaryFolder() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    return error ? std::string("/tmp") : folder.string();
}

std::string userConfigFolder() {
    // Relative paths are not valid here (the desktop convention for config folders ignores them).
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.config";
    return {};
}

}  // namespace host_files
