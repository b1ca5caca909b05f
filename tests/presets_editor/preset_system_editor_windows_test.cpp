// The editor base on Windows: the user manual's messages are the system's own message box,
// read and dismissed here by a watcher thread.
#include "tests/presets_editor/editor_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <thread>

#include "platform/windows/windows_lean.h"

namespace fs = std::filesystem;
using presettest::TestEditor;
using presettest::TestEffect;

namespace {

std::string utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// What the system showed: the box's caption, its texts and its owner.
struct SeenBox {
    bool found = false;
    std::wstring caption;
    std::wstring text;
    HWND owner = nullptr;
};

// Watches `thread` for a message box, reads it and presses OK; stops when asked or after a while.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(DWORD thread) : worker_([this, thread] { watch(thread); }) {}
    ~MessageBoxWatcher() { finish(); }
    SeenBox finish() {
        stop_ = true;
        if (worker_.joinable()) worker_.join();
        return seen_;
    }

private:
    static BOOL CALLBACK findBox(HWND window, LPARAM found) {
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        if (std::wcscmp(name, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    static BOOL CALLBACK readText(HWND child, LPARAM seen) {
        wchar_t name[32] = {}, text[512] = {};
        GetClassNameW(child, name, 32);
        if (_wcsicmp(name, L"Static") == 0 && GetWindowTextW(child, text, 512) > 0)
            reinterpret_cast<SeenBox*>(seen)->text += text;
        return TRUE;
    }
    void watch(DWORD thread) {
        const DWORD deadline = GetTickCount() + 30000;
        while (!stop_ && GetTickCount() < deadline) {
            HWND box = nullptr;
            EnumThreadWindows(thread, findBox, reinterpret_cast<LPARAM>(&box));
            if (box) {
                wchar_t caption[512] = {};
                GetWindowTextW(box, caption, 512);
                seen_.caption = caption;
                EnumChildWindows(box, readText, reinterpret_cast<LPARAM>(&seen_));
                seen_.owner = GetWindow(box, GW_OWNER);
                seen_.found = true;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(10);
        }
    }

    std::atomic<bool> stop_{false};
    SeenBox seen_;
    std::thread worker_;
};

class WindowsEditorMessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / fs::path(u8"aldermark manual \u00F6");
        fs::create_directories(folder_);
        std::ofstream(folder_ / "manual.aldermark-no-such-type") << "nothing opens this";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    // Presses the manual button of a fresh editor and answers what the system showed.
    SeenBox pressManualButton(TestEditor& editor) {
        MessageBoxWatcher watcher(GetCurrentThreadId());
        editor.valueChanged(presettest::controlWith(CPresetSystemEditor::kManualButtonTag).get());
        return watcher.finish();
    }

    presettest::SettingsScope scope_;
    fs::path folder_;
};

// Which message belongs to which answer is checked on every system; here, that it reaches the
// user as the system's box with exactly its caption and text.
TEST_F(WindowsEditorMessagesTest, TheManualsMessagesAreTheSystemsMessageBox) {
    struct Case {
        std::string manualPath;
        std::wstring caption;
        std::wstring text;
    };
    const Case cases[] = {
        {utf8Of(folder_ / "missing.pdf"), L"", L"Could not open user manual"},
        {utf8Of(folder_ / "manual.aldermark-no-such-type"), L"Could not open manual file",
         L"Make sure Acrobat Reader is installed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.manualPath);
        presettest::SettingsScope scope;
        ASSERT_TRUE(presettest::writeManualPath(c.manualPath));
        TestEffect effect;
        auto* editor = new TestEditor(&effect);
        editor->showMessagesForReal = true;
        const SeenBox seen = pressManualButton(*editor);
        ASSERT_TRUE(seen.found);
        EXPECT_TRUE(seen.caption == c.caption) << "caption differs";
        EXPECT_TRUE(seen.text == c.text) << "text differs";
        EXPECT_EQ(seen.owner, nullptr);  // no window open, no owner
        EXPECT_EQ(editor->shownMessageBox(), nullptr);  // the system's box, not the drawn one
    }
}

LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    return DefWindowProcW(window, message, w, l);
}

TEST_F(WindowsEditorMessagesTest, TheBoxBelongsToTheEditorsWindow) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = hostProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"AldermarkTestHost";
    RegisterClassW(&windowClass);
    HWND host = CreateWindowExW(0, windowClass.lpszClassName, L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40,
                                40, 586, 195, nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(host, nullptr);

    TestEffect effect;
    auto* editor = new TestEditor(&effect);
    editor->showMessagesForReal = true;
    ASSERT_TRUE(editor->openWindow(host));
    const SeenBox seen = pressManualButton(*editor);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(GetAncestor(seen.owner, GA_ROOT), host);
    editor->close();
    DestroyWindow(host);
}

}  // namespace
