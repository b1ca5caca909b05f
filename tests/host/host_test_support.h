#pragma once
// Helpers of the host tests: running a command, one-line errors, where the test plug-ins
// are, a scratch folder per test and what it holds, and a strict JSON syntax check for the
// reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tools/aldermark/commands.h"
#include "tools/aldermark/host_platform.h"

namespace host_test {

// What a command printed and answered.
struct Outcome {
    int code;
    std::string out;
    std::string err;
};

inline Outcome run(aldermark::CommandFunction command, const aldermark::CommandArguments& args) {
    std::ostringstream out, err;
    const int code = command(args, out, err);
    return {code, out.str(), err.str()};
}

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

inline std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// A one-line error that names the problem, and nothing on the output.
inline void expectError(const Outcome& outcome, int code, const std::string& part) {
    EXPECT_EQ(outcome.code, code) << outcome.err;
    EXPECT_TRUE(contains(outcome.err, part)) << outcome.err;
    EXPECT_EQ(count(outcome.err, "\n"), 1u) << outcome.err;
    EXPECT_TRUE(outcome.out.empty()) << outcome.out;
}

// A test plug-in variant built next to this test program ("host_test_plugin", …).
inline std::string modulePath(const std::string& name) {
    return host_platform::joinPath(host_platform::executableDirectory(), name + TEST_MODULE_SUFFIX);
}

inline std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// A fresh folder for the files of one test, removed afterwards.
class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        folder_ = std::filesystem::temp_directory_path() /
                  ("aldermark_host_test_" + std::to_string(stamp) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::string file(const std::string& name) const { return utf8(folder_ / name); }
    // The names in the folder, sorted: what a run left behind, temporary files included.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_))
            names.push_back(utf8(entry.path().filename()));
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path folder_;
};

// True when `text` is exactly one well-formed JSON value (with surrounding white space).
class JsonSyntax {
public:
    static bool valid(const std::string& text) {
        JsonSyntax parser(text);
        parser.space();
        if (!parser.value()) return false;
        parser.space();
        return parser.pos_ == text.size();
    }

private:
    explicit JsonSyntax(const std::string& text) : s_(text) {}
    bool more() const { return pos_ < s_.size(); }
    char peek() const { return more() ? s_[pos_] : '\0'; }
    void space() {
        while (more() && (peek() == ' ' || peek() == '\n' || peek() == '\r' || peek() == '\t')) ++pos_;
    }
    bool literal(const char* word) {
        const std::string w(word);
        if (s_.compare(pos_, w.size(), w) != 0) return false;
        pos_ += w.size();
        return true;
    }
    bool string() {
        if (peek() != '"') return false;
        for (++pos_; more(); ++pos_) {
            const auto c = static_cast<unsigned char>(s_[pos_]);
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (c < 0x20) return false;
            if (c == '\\') {
                ++pos_;
                if (peek() == 'u') {
                    for (int i = 0; i < 4; ++i) {
                        ++pos_;
                        if (!std::isxdigit(static_cast<unsigned char>(peek()))) return false;
                    }
                } else if (std::string("\"\\/bfnrt").find(peek()) == std::string::npos || !more()) {
                    return false;
                }
            }
        }
        return false;
    }
    bool number() {
        const std::size_t start = pos_;
        if (peek() == '-') ++pos_;
        if (!std::isdigit(static_cast<unsigned char>(peek()))) return false;
        if (peek() == '0' && pos_ + 1 < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_ + 1])))
            return false;
        while (std::isdigit(static_cast<unsigned char>(peek()))) ++pos_;
        if (peek() == '.') {
            ++pos_;
            if (!std::isdigit(static_cast<unsigned char>(peek()))) return false;
            while (std::isdigit(static_cast<unsigned char>(peek()))) ++pos_;
        }
        if (peek() == 'e' || peek() == 'E') {
            ++pos_;
            if (peek() == '+' || peek() == '-') ++pos_;
            if (!std::isdigit(static_cast<unsigned char>(peek()))) return false;
            while (std::isdigit(static_cast<unsigned char>(peek()))) ++pos_;
        }
        return pos_ > start;
    }
    template <typename Member>
    bool sequence(char close, Member member) {
        ++pos_;
        space();
        for (bool first = true;; first = false) {
            if (peek() == close && first) break;
            if (!member()) return false;
            space();
            if (peek() == close) break;
            if (peek() != ',') return false;
            ++pos_;
            space();
        }
        ++pos_;
        return true;
    }
    bool value() {
        switch (peek()) {
        case '{':
            return sequence('}', [&] {
                if (!string()) return false;
                space();
                if (peek() != ':') return false;
                ++pos_;
                space();
                return value();
            });
        case '[': return sequence(']', [&] { return value(); });
        case '"': return string();
        case 't': return literal("true");
        case 'f': return literal("false");
        case 'n': return literal("null");
        default: return number();
        }
    }

    const std::string& s_;
    std::size_t pos_ = 0;
};

}  // namespace host_test
