#pragma once
// What the command-line host needs from the operating system: loading a shared library,
// finding the executable's folder, opening files and reading the command line, all with
// UTF-8 paths, and stop requests from outside. Linux and Windows each implement it in their own folder.
#include <cstdio>
#include <string>
#include <vector>

namespace host_platform {

// An exported function's address, cast to its real type by the caller.
using SymbolAddress = void (*)();

// Loads the library at `path`; null with a one-line reason in `error` on failure.
void* loadLibrary(const std::string& path, std::string& error);
// Null when the library does not export `name`.
SymbolAddress findSymbol(void* library, const char* name);
void unloadLibrary(void* library);

// File name of the plug-in binary for this platform and pointer width.
const char* pluginFileName();
// Folder of the running executable without a trailing separator; empty when unknown.
std::string executableDirectory();
// Joins a folder and a file name with the platform's separator.
std::string joinPath(const std::string& folder, const std::string& name);

// Makes the folder (and its parents) unless it exists; false when it cannot.
bool makeFolder(const std::string& path);

// fopen with a UTF-8 path; null on failure, errno set.
std::FILE* openFile(const std::string& path, const char* mode);
// The program's arguments (without the program name) as UTF-8.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// From now on an interrupt or termination request (SIGINT, SIGTERM, SIGHUP; Ctrl+C, the
// console closing) asks the running command to stop, instead of ending the process.
void catchStopRequests();
bool stopRequested();

// Whether standard error is a terminal someone watches (progress is shown there only).
bool standardErrorIsTerminal();

}  // namespace host_platform
