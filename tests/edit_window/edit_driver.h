#pragma once
// What the edit command's window tests need from the platform: running aldermark as a
// separate process with its output read line by line, finding its window, and real input
// (XTest on Linux, SendInput on Windows).
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tools/aldermark/png_writer.h"

namespace edittest {

// The lines a process printed, as they arrive from a reader thread.
class OutputLines {
public:
    void add(std::string line) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            lines_.push_back(std::move(line));
        }
        changed_.notify_all();
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.clear();
    }
    // True once `line` was printed; false when `seconds` passed first.
    bool waitFor(const std::string& line, double seconds) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::duration<double>(seconds), [&] { return findLocked(line) >= 0; });
    }
    // Where `line` first came, or -1.
    int position(const std::string& line) {
        std::lock_guard<std::mutex> lock(mutex_);
        return findLocked(line);
    }
    std::vector<std::string> all() {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }
    // Every line on one, for failure messages.
    std::string text() {
        std::string joined;
        for (const std::string& line : all()) joined += line + " | ";
        return joined;
    }

private:
    int findLocked(const std::string& line) const {
        for (std::size_t i = 0; i < lines_.size(); ++i)
            if (lines_[i] == line) return static_cast<int>(i);
        return -1;
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
};

class EditDriver {
public:
    virtual ~EditDriver() = default;
    // Linux: with an X server of its own; Windows: on the display Wine draws to.
    static std::unique_ptr<EditDriver> create();
    // False with the reason when windows cannot be opened here.
    virtual bool ready(std::string& why) = 0;

    // The desktop's DPI the processes started from now on see (96 is 100 %). Linux: Xft.dpi
    // in the private server's resources; Windows: LogPixels of the current user, put back as
    // it was when the driver goes.
    virtual bool setDesktopDpi(int dpi) = 0;

    // Runs `aldermark ARGS` to its end; its exit code, or -1 when it had to be killed.
    virtual int run(const std::vector<std::string>& args) = 0;
    // Starts `aldermark ARGS`; its standard output arrives in output(), which holds only
    // the latest process's lines.
    virtual bool start(const std::vector<std::string>& args) = 0;
    OutputLines& output() { return output_; }
    // What it wrote to standard error so far.
    virtual std::string errors() = 0;
    // Waits for the started process to end: its exit code, or -1 when it was killed after `seconds`.
    virtual int waitForExit(double seconds) = 0;

    // Looks for the edit command's window for up to `seconds`.
    virtual bool findWindow(double seconds) = 0;
    virtual void clientSize(int& width, int& height) = 0;
    // A left click at a point of the client area, through the system's input.
    virtual void click(int x, int y) = 0;
    virtual void rightClick(int x, int y) = 0;
    // Keys as the user types them on the keyboard: plain ASCII text, or one of the keys below.
    enum class Key { Return, Escape, Tab, Backspace };
    virtual void type(const std::string& text) = 0;
    virtual void press(Key key) = 0;
    // As the user closes the window (the window manager's close request).
    virtual void closeWindow() = 0;
    // As a session manager ends a program: SIGTERM on Linux; on Windows, where a console
    // program has no such message from outside, the window's close request.
    virtual void endSession() = 0;

    // What the screen shows of the window's client area now, read by the test itself.
    virtual bool capture(aldermark::RgbaImage& image) = 0;
    // A PNG read by the platform's own decoder (libpng through cairo, WIC).
    virtual bool readPng(const std::string& path, aldermark::RgbaImage& image) = 0;

    // The test plug-in with an editor that asks for sizes.
    virtual std::string testEditorPlugin() const = 0;

protected:
    OutputLines output_;
};

}  // namespace edittest
