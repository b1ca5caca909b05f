#include <dlfcn.h>
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include "tools/aldermark/host_platform.h"

#include <atomic>
#include <filesystem>

namespace host_platform {
namespace {

std::atomic<bool> stopAsked{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void onStopSignal(int) { stopAsked.store(true); }

}  // namespace

void* loadLibrary(const std::string& path, std::string& error) {
    // dlopen searches the library path for names without a slash; a plug-in path never means that.
    const std::string local = path.find('/') == std::string::npos ? "./" + path : path;
    void* library = dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        error = reason ? reason : "unknown loader error";
        // The loader repeats the path in front of its reason; the caller names the file already.
        if (error.rfind(local + ": ", 0) == 0) error.erase(0, local.size() + 2);
    }
    return library;
}

SymbolAddress findSymbol(void* library, const char* name) {
    return reinterpret_cast<SymbolAddress>(dlsym(library, name));
}

void unloadLibrary(void* library) {
#if defined(__SANITIZE_ADDRESS__)
    // The leak check runs at exit and names what it finds by the loaded libraries' symbols;
    // memory of an unloaded plug-in could not be named, and what its static data holds
    // would count as lost. Sanitizer builds keep plug-ins loaded.
    (void)library;
#else
    if (library) dlclose(library);
#endif
}

const char* pluginFileName() {
    return "ZEB Aldermark.so";
}

std::string executableDirectory() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return {};
    std::string path(buffer, static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash);
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool makeFolder(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

std::FILE* openFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return arguments;
}

void catchStopRequests() {
    struct sigaction action {};
    action.sa_handler = &onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool stopRequested() { return stopAsked.load(); }

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace host_platform
