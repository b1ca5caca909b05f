#include "tools/aldermark/output_file.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "tools/aldermark/host_files.h"
#include "tools/aldermark/host_platform.h"

namespace aldermark {

bool refuseOutputOverInputs(const std::string& output, std::initializer_list<std::string> inputs, std::string& error) {
    if (isStandardStream(output)) return true;
    for (const std::string& input : inputs) {
        if (isStandardStream(input) || !host_files::sameFile(output, input)) continue;
        error = "'" + output + "' is the same file as the input '" + input + "'; choose another output";
        return false;
    }
    return true;
}

bool OutputFile::open(const std::string& path, std::string& error) {
    discard();
    path_ = path;
    failure_.clear();
    if (isStandardStream(path)) {
        file_ = host_files::binaryStandardOutput();
        standardOutput_ = true;
        return true;
    }
    standardOutput_ = false;
    target_ = host_files::followLinks(path);
    if (host_files::isFolder(target_)) {
        error = "cannot write '" + path + "': it is a folder";
        return false;
    }
    std::string reason;
    file_ = host_files::createBeside(target_, temporary_, reason);
    if (!file_) {
        error = "cannot write '" + path + "': " + reason;
        return false;
    }
    return true;
}

void OutputFile::fail(const std::string& reason) {
    if (failure_.empty()) failure_ = reason.empty() ? "write failed" : reason;
}

bool OutputFile::write(const void* data, std::size_t size) {
    if (!file_) fail("the file is not open");
    if (!failure_.empty()) return false;
    if (size && std::fwrite(data, 1, size, file_) != size) fail(std::strerror(errno));
    return failure_.empty();
}

bool OutputFile::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (standardOutput_) fail("standard output cannot go back");
    if (!file_) fail("the file is not open");
    if (!failure_.empty()) return false;
    // Only headers go back, a few bytes from the start: the offset fits any fseek.
    if (offset > 0x7FFFFFFF || std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) {
        fail(std::strerror(errno));
        return false;
    }
    if (!write(data, size)) return false;
    if (std::fseek(file_, 0, SEEK_END) != 0) fail(std::strerror(errno));
    return failure_.empty();
}

bool OutputFile::commit(std::string& error) {
    if (!file_) fail("the file is not open");
    if (standardOutput_) {
        if (failure_.empty() && (std::fflush(file_) != 0 || std::ferror(file_))) fail(std::strerror(errno));
        file_ = nullptr;
        if (failure_.empty()) return true;
        error = "could not write standard output: " + failure_;
        return false;
    }
    std::string reason;
    if (failure_.empty() && !host_files::flushToDisk(file_, reason)) fail(reason);
    if (file_ && std::fclose(file_) != 0) fail(std::strerror(errno));
    file_ = nullptr;
    if (failure_.empty() && !host_files::replaceFile(temporary_, target_, reason)) fail("cannot replace it: " + reason);
    if (failure_.empty()) {
        temporary_.clear();
        return true;
    }
    discard();
    error = "cannot write '" + path_ + "': " + failure_;
    return false;
}

void OutputFile::discard() {
    if (file_ && !standardOutput_) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) host_files::removeFile(temporary_);
    temporary_.clear();
}

bool writeFileSafely(const std::string& path, const void* data, std::size_t size, std::string& error) {
    OutputFile file;
    if (!file.open(path, error)) return false;
    file.write(data, size);
    return file.commit(error);
}

namespace {

bool copyToStandardOutput(const std::string& path, std::string& error) {
    std::FILE* source = host_platform::openFile(path, "rb");
    if (!source) {
        error = "cannot read back '" + path + "': " + std::strerror(errno);
        return false;
    }
    OutputFile out;
    out.open("-", error);
    std::vector<unsigned char> buffer(1 << 16);
    for (std::size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), source)) > 0;) out.write(buffer.data(), got);
    const bool readFailed = std::ferror(source) != 0;
    std::fclose(source);
    if (readFailed) {
        error = "cannot read back '" + path + "'";
        return false;
    }
    return out.commit(error);
}

}  // namespace

bool writeThroughTemporaryFile(const std::string& path, const std::function<bool(const std::string&)>& writeFile,
                               std::string& error) {
    const bool toStandardOutput = isStandardStream(path);
    const std::string target = toStandardOutput
                                   ? host_platform::joinPath(host_files::temporaryFolder(), "aldermark-output")
                                   : host_files::followLinks(path);
    if (host_files::isFolder(target)) {
        error = "cannot write '" + path + "': it is a folder";
        return false;
    }
    std::string temporary, reason;
    std::FILE* reserved = host_files::createBeside(target, temporary, reason);
    if (!reserved) {
        error = "cannot write '" + path + "': " + reason;
        return false;
    }
    std::fclose(reserved);
    bool written = writeFile(temporary);
    if (written && toStandardOutput) {
        written = copyToStandardOutput(temporary, error);
    } else if (written) {
        std::FILE* again = host_platform::openFile(temporary, "ab");
        written = again && host_files::flushToDisk(again, reason);
        if (again && std::fclose(again) != 0) written = false;
        if (written && host_files::replaceFile(temporary, target, reason)) return true;
        error = "cannot write '" + path + "': " + (reason.empty() ? "the file could not be completed" : reason);
        written = false;
    } else {
        error = "cannot write '" + path + "'";
    }
    host_files::removeFile(temporary);
    return written;
}

}  // namespace aldermark
