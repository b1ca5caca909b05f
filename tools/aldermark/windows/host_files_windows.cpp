#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "tools/aldermark/host_files.h"
#include "tools/aldermark/windows/wide_text.h"

namespace host_files {
namespace {

using aldermark_windows::narrow;
using aldermark_windows::widen;

std::string errorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = length ? narrow(buffer, static_cast<int>(length)) : std::string{};
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text.empty() ? "Windows error " + std::to_string(code) : text;
}

// The volume and index that name a file, whichever path leads there.
bool fileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    // No access rights needed; backup semantics also open folders.
    HANDLE handle = CreateFileW(widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    return known;
}

}  // namespace

bool sameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    if (!fileIdentity(a, first) || !fileIdentity(b, second)) return false;
    return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber && first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

bool isFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string followLinks(const std::string& path) {
    std::error_code error;
    const std::filesystem::path wide(widen(path));
    if (!std::filesystem::is_symlink(wide, error)) return path;
    const std::filesystem::path target = std::filesystem::canonical(wide, error);
    return error ? path : narrow(target.c_str());
}

std::FILE* createBeside(const std::string& target, std::string& createdPath, std::string& reason) {
    const std::filesystem::path targetPath(widen(target));
    const std::filesystem::path folder = targetPath.has_parent_path() ? targetPath.parent_path() : L".";
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name = L"." + targetPath.filename().wstring() + L"." +
                                  std::to_wstring(random() % 1000000) + L".part";
        const std::filesystem::path path = folder / name;
        HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD code = GetLastError();
            if (code == ERROR_FILE_EXISTS) continue;
            reason = "cannot create a file in its folder: " + errorText(code);
            return nullptr;
        }
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
        std::FILE* file = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
        if (!file) {
            reason = std::strerror(errno);
            if (fd >= 0) _close(fd);
            else CloseHandle(handle);
            DeleteFileW(path.c_str());
            return nullptr;
        }
        createdPath = narrow(path.c_str());
        return file;
    }
    reason = "cannot find a free temporary name in its folder";
    return nullptr;
}

bool flushToDisk(std::FILE* file, std::string& reason) {
    if (std::fflush(file) != 0 || _commit(_fileno(file)) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    return true;
}

bool replaceFile(const std::string& from, const std::string& to, std::string& reason) {
    if (MoveFileExW(widen(from).c_str(), widen(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    reason = errorText(GetLastError());
    return false;
}

void removeFile(const std::string& path) { DeleteFileW(widen(path).c_str()); }

std::FILE* binaryStandardInput() {
    _setmode(_fileno(stdin), _O_BINARY);
    return stdin;
}

std::FILE* binaryStandardOutput() {
    std::fflush(stdout);  // text written so far goes out as text
    _setmode(_fileno(stdout), _O_BINARY);
    return stdout;
}

std::string temporaryFolder() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    return error ? std::string(".") : narrow(folder.c_str());
}

std::string userConfigFolder() {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    return appData && appData[0] ? narrow(appData) : std::string();
}

}  // namespace host_files
