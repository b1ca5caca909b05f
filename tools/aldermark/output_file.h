#pragma once
// Output files that are never left half written. A file is written under a temporary name
// in its target's folder and renamed into place only once complete, so a failure (a full
// disk, an error, an interruption) leaves an existing file as it was and no partial file
// behind. "-" writes to standard output. Every write is checked.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>

namespace aldermark {

// The name that stands for standard input or output where a command takes a file.
inline bool isStandardStream(const std::string& path) { return path == "-"; }

// False with a one-line reason when `output` is one of `inputs`: the same file however it is
// reached (the same path, a hard link, a symbolic link). Writing it would destroy the input.
bool refuseOutputOverInputs(const std::string& output, std::initializer_list<std::string> inputs, std::string& error);

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile() { discard(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Starts the file `path` (a symbolic link is followed: its target is written), or
    // standard output for "-". False with a one-line reason naming `path`.
    bool open(const std::string& path, std::string& error);
    // False once any write failed; the first failure is what commit() reports.
    bool write(const void* data, std::size_t size);
    // Overwrites `size` bytes at `offset` from the start and goes on at the end again: for a
    // header completed when the size is known. Files only, not standard output.
    bool writeAt(std::uint64_t offset, const void* data, std::size_t size);
    bool isStandardOutput() const { return standardOutput_; }
    // Flushes and closes the file and renames it into place (standard output: flushes it).
    // False with a one-line reason when any write, the flush, the close or the rename failed;
    // then the target is as it was before.
    bool commit(std::string& error);
    // Gives the file up: the temporary file goes, the target stays as it was.
    void discard();

private:
    void fail(const std::string& reason);

    std::FILE* file_ = nullptr;
    std::string path_;       // as the user named it, for messages
    std::string target_;     // the file that is replaced
    std::string temporary_;  // what is written until commit()
    std::string failure_;    // the first failure, empty while all is well
    bool standardOutput_ = false;
};

// `size` bytes as the whole file `path` ("-": standard output).
bool writeFileSafely(const std::string& path, const void* data, std::size_t size, std::string& error);

// For encoders that write a file by name themselves (the picture encoders of the toolkit):
// `writeFile` gets a temporary file name and answers whether it wrote it; that file then
// replaces `path`, or for "-" is copied to standard output.
bool writeThroughTemporaryFile(const std::string& path, const std::function<bool(const std::string&)>& writeFile,
                               std::string& error);

}  // namespace aldermark
