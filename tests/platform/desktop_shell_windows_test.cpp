// The desktop on Windows: the shell's answers to opening documents, and OLE per thread.
#include "platform/desktop_shell.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>

#include "platform/windows/windows_lean.h"
#include <objbase.h>

namespace fs = std::filesystem;

namespace {

std::string utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

class ShellOpenTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / fs::path(u8"Aldermark shell \u00F6 test");
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    std::string file(const char* name, const char* content) const {
        std::ofstream(folder_ / name, std::ios::binary) << content;
        return utf8Of(folder_ / name);
    }
    int openAndAnswer(const std::string& path) const {
        auto request = platform::openDocument(path.c_str(), nullptr);
        EXPECT_TRUE(request);
        if (!request) return -1;
        const std::optional<int> answer = request->result();
        EXPECT_TRUE(answer.has_value()) << "the shell answers at once";
        return answer.value_or(-1);
    }
    platform::OleThreadSession ole_;
    fs::path folder_;
};

TEST_F(ShellOpenTest, TheShellsAnswersKeepTheirMeaning) {
    const std::string batch = file("opens.bat", "@exit 0\r\n");
    const std::string unassociated = file("manual.aldermark-no-such-type", "not a document");
    const std::string missing = utf8Of(folder_ / "missing manual.pdf");

    EXPECT_EQ(platform::classifyDocumentOpenResult(openAndAnswer(batch)), platform::DocumentOpenOutcome::Opened);
    EXPECT_EQ(openAndAnswer(unassociated), platform::kNoApplicationForDocument);
    const int missingAnswer = openAndAnswer(missing);
    EXPECT_LE(missingAnswer, 32);
    EXPECT_NE(missingAnswer, platform::kNoApplicationForDocument);
}

TEST_F(ShellOpenTest, AnEmptyPathIsNeverHandedToTheShell) {
    // The shell would open some folder for an empty file name.
    EXPECT_EQ(openAndAnswer(""), platform::kDocumentNotFound);
    auto request = platform::openDocument(nullptr, nullptr);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->result(), platform::kDocumentNotFound);
}

TEST(OleThreadSessionTest, OnlyASuccessfulInitialisationIsUndone) {
    std::thread([] {
        {
            platform::OleThreadSession outer;
            EXPECT_TRUE(outer.initialized());
            platform::OleThreadSession nested;  // S_FALSE: initialised again, undone again
            EXPECT_TRUE(nested.initialized());
        }
        // Both were undone: the thread may now choose the multi-threaded apartment.
        HRESULT multi = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        EXPECT_EQ(multi, S_OK);
        {
            platform::OleThreadSession refused;  // OLE needs a single-threaded apartment
            EXPECT_FALSE(refused.initialized());
        }
        // The refused session left the thread's own initialisation alone.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
        CoUninitialize();
        CoUninitialize();
    }).join();
}

}  // namespace
