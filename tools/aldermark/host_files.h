#pragma once
// What the host's output files need from the operating system: telling whether two names
// lead to one file, a new file beside a target, replacing a file in one step, and binary
// standard streams. Paths are UTF-8. Linux and Windows each implement it in their own folder.
#include <cstdio>
#include <string>

namespace host_files {

// True when both paths lead to one existing file: the same device and inode (on Windows the
// same volume serial number and file index), so hard and symbolic links count as the file.
bool sameFile(const std::string& a, const std::string& b);

bool isFolder(const std::string& path);

// The file a symbolic link at `path` finally leads to, when it leads to one; otherwise `path`.
// Writing there keeps the link a link.
std::string followLinks(const std::string& path);

// Creates a new empty file with a name of its own in the folder of `target` and opens it for
// binary writing; when `target` exists the new file takes its permissions. Null with a
// one-line reason on failure.
std::FILE* createBeside(const std::string& target, std::string& createdPath, std::string& reason);

// Flushes `file` and waits until the system has it on the disk.
bool flushToDisk(std::FILE* file, std::string& reason);

// Renames `from` to `to` in one step, replacing `to` when it exists.
bool replaceFile(const std::string& from, const std::string& to, std::string& reason);
void removeFile(const std::string& path);

// Standard input and output for binary data (no newline translation on Windows).
std::FILE* binaryStandardInput();
std::FILE* binaryStandardOutput();

// The system's folder for temporary files.
std::string temporaryFolder();

// The user's folder for the settings of programs: $XDG_CONFIG_HOME, else ~/.config (Linux),
// %APPDATA% (Windows); empty when neither is known.
std::string userConfigFolder();

}  // namespace host_files
