#include <windows.h>
#include <shellapi.h>
#include <io.h>

#include "tools/aldermark/host_platform.h"
#include "tools/aldermark/windows/wide_text.h"

#include <atomic>
#include <filesystem>

namespace host_platform {
namespace {

using aldermark_windows::narrow;
using aldermark_windows::widen;

std::atomic<bool> stopAsked{false};

BOOL WINAPI onConsoleEvent(DWORD) {
    stopAsked.store(true);
    return TRUE;  // handled: the command stops by itself
}

// The system's text for an error code, on one line.
std::string systemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string message = length ? narrow(buffer, static_cast<int>(length)) : std::string{};
    if (buffer) LocalFree(buffer);
    // Some messages have a placeholder for the file name ("%1 is not a valid Win32 application").
    for (std::size_t at = message.find("%1"); at != std::string::npos; at = message.find("%1"))
        message.replace(at, 2, "the file");
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' ||
                                message.back() == '.'))
        message.pop_back();
    return message.empty() ? "Windows error " + std::to_string(code) : message;
}

}  // namespace

void* loadLibrary(const std::string& path, std::string& error) {
    // An absolute path keeps LoadLibrary from searching, and lets the plug-in's own
    // dependencies resolve from its folder.
    const std::wstring wide = widen(path);
    wchar_t full[32768];
    const DWORD length = GetFullPathNameW(wide.c_str(), 32768, full, nullptr);
    const std::wstring target = length > 0 && length < 32768 ? std::wstring(full, length) : wide;
    // No "bad image" message boxes: a command-line tool reports on stderr.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE library = LoadLibraryExW(target.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const DWORD code = GetLastError();
    SetErrorMode(previousMode);
    if (!library) error = systemMessage(code);
    return library;
}

SymbolAddress findSymbol(void* library, const char* name) {
    return reinterpret_cast<SymbolAddress>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void unloadLibrary(void* library) {
    if (library) FreeLibrary(static_cast<HMODULE>(library));
}

const char* pluginFileName() {
    return sizeof(void*) == 8 ? "ZEB Aldermark_x64.dll" : "ZEB Aldermark.dll";
}

std::string executableDirectory() {
    wchar_t buffer[32768];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
    if (length == 0 || length >= 32768) return {};
    std::wstring path(buffer, length);
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::string{} : narrow(path.substr(0, separator).c_str());
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    return last == '\\' || last == '/' ? folder + name : folder + "\\" + name;
}

bool makeFolder(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(widen(path), error);
    return std::filesystem::is_directory(widen(path), error);
}

std::FILE* openFile(const std::string& path, const char* mode) {
    return _wfopen(widen(path).c_str(), widen(mode).c_str());
}

std::vector<std::string> commandLineArguments(int, char**) {
    // The narrow argv is in the ANSI code page and loses characters; ask for the real text.
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(narrow(wide[i]));
    LocalFree(wide);
    return arguments;
}

void catchStopRequests() { SetConsoleCtrlHandler(&onConsoleEvent, TRUE); }

bool stopRequested() { return stopAsked.load(); }

bool standardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace host_platform
