// The window tests' platform part on Windows (and Wine): aldermark.exe started with
// CreateProcess and read through pipes, its window found with FindWindowW, SendInput clicks.
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "tests/edit_window/edit_driver.h"
#include "tests/support/send_click_windows.h"
#include "tools/aldermark/edit_session.h"
#include "tools/aldermark/host_platform.h"
#include "tools/aldermark/windows/gdi_capture.h"
#include "tools/aldermark/windows/wide_text.h"

namespace edittest {
namespace {

using aldermark_windows::widen;

std::string besideTest(const char* relative) {
    return host_platform::joinPath(host_platform::executableDirectory(), relative);
}

// Reads a pipe, handing each piece to `take`, until the writer is gone or `finished` is set
// and nothing is left. Under Wine the end of a child's pipe does not always arrive, so the
// reader also stops once the process is known to have ended.
template <class Take>
void drain(HANDLE pipe, const std::atomic<bool>& finished, Take take) {
    char buffer[4096];
    for (;;) {
        DWORD available = 0, got = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) break;
        if (available == 0) {
            if (finished.load()) break;
            Sleep(5);
            continue;
        }
        if (!ReadFile(pipe, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) || got == 0) break;
        take(buffer, got);
    }
    CloseHandle(pipe);
}

class WindowsDriver : public EditDriver {
public:
    ~WindowsDriver() override {
        if (process_) {
            TerminateProcess(process_, 1);
            WaitForSingleObject(process_, INFINITE);
        }
        joinReaders();
        if (process_) CloseHandle(process_);
        if (dpiChanged_) restoreDesktopDpi();
    }

    bool setDesktopDpi(int dpi) override {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return false;
        if (!dpiChanged_) {
            DWORD size = sizeof savedDpi_, type = 0;
            hadDpi_ = RegQueryValueExW(key, L"LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&savedDpi_), &size) ==
                          ERROR_SUCCESS &&
                      type == REG_DWORD;
        }
        const DWORD value = static_cast<DWORD>(dpi);
        const bool written = RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                            sizeof value) == ERROR_SUCCESS;
        RegCloseKey(key);
        dpiChanged_ = dpiChanged_ || written;
        return written;
    }

    bool ready(std::string&) override { return true; }

    int run(const std::vector<std::string>& args) override { return start(args) ? waitForExit(120) : -1; }

    bool start(const std::vector<std::string>& args) override {
        output_.clear();
        {
            std::lock_guard<std::mutex> lock(errorsMutex_);
            errors_.clear();
        }
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
        if (!CreatePipe(&outRead, &outWrite, &inherit, 0) || !CreatePipe(&errRead, &errWrite, &inherit, 0)) return false;
        SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
        const std::wstring program = widen(besideTest(EDIT_TEST_HOST_PROGRAM));
        std::wstring commandLine = L"\"" + program + L"\"";
        for (const std::string& arg : args) commandLine += L" \"" + widen(arg) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = outWrite;
        startup.hStdError = errWrite;
        PROCESS_INFORMATION info{};
        const bool started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                            nullptr, &startup, &info) != FALSE;
        CloseHandle(outWrite);
        CloseHandle(errWrite);
        if (!started) {
            CloseHandle(outRead);
            CloseHandle(errRead);
            return false;
        }
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        finished_.store(false);
        outReader_ = std::thread([this, outRead] {
            std::string partial;
            drain(outRead, finished_, [&](const char* bytes, DWORD size) {
                partial.append(bytes, size);
                for (std::size_t end; (end = partial.find('\n')) != std::string::npos; partial.erase(0, end + 1))
                    output_.add(partial.substr(0, end));
            });
        });
        errReader_ = std::thread([this, errRead] {
            drain(errRead, finished_, [&](const char* bytes, DWORD size) {
                std::lock_guard<std::mutex> lock(errorsMutex_);
                errors_.append(bytes, size);
            });
        });
        return true;
    }

    std::string errors() override {
        std::lock_guard<std::mutex> lock(errorsMutex_);
        return errors_;
    }

    int waitForExit(double seconds) override {
        if (!process_) return -1;
        DWORD code = static_cast<DWORD>(-1);
        if (WaitForSingleObject(process_, static_cast<DWORD>(seconds * 1000)) != WAIT_OBJECT_0) {
            TerminateProcess(process_, static_cast<UINT>(-1));
            WaitForSingleObject(process_, INFINITE);
        } else {
            GetExitCodeProcess(process_, &code);
        }
        CloseHandle(process_);
        process_ = nullptr;
        joinReaders();  // everything it printed is in
        return static_cast<int>(code);
    }

    bool findWindow(double seconds) override {
        const std::wstring title = widen(aldermark::kEditWindowTitle);
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
        while (!(window_ = FindWindowW(nullptr, title.c_str()))) {
            if (GetTickCount64() > deadline) return false;
            Sleep(20);
        }
        return true;
    }

    void clientSize(int& width, int& height) override {
        RECT client{};
        if (!window_ || !GetClientRect(window_, &client)) client = RECT{};
        width = client.right - client.left;
        height = client.bottom - client.top;
    }

    void click(int x, int y) override {
        SetForegroundWindow(window_);
        testsupport::sendLeftClick(window_, POINT{x, y});
    }
    void rightClick(int x, int y) override {
        SetForegroundWindow(window_);
        testsupport::sendRightClick(window_, POINT{x, y});
    }

    void type(const std::string& text) override {
        SetForegroundWindow(window_);  // keys go to the foreground window of Wine's desktop
        for (char c : text) {
            INPUT inputs[2]{};
            for (INPUT& input : inputs) {
                input.type = INPUT_KEYBOARD;
                input.ki.wScan = static_cast<WORD>(static_cast<unsigned char>(c));
                input.ki.dwFlags = KEYEVENTF_UNICODE;
            }
            inputs[1].ki.dwFlags |= KEYEVENTF_KEYUP;
            SendInput(2, inputs, sizeof(INPUT));
            Sleep(20);
        }
    }

    void press(Key key) override {
        SetForegroundWindow(window_);
        const WORD codes[] = {VK_RETURN, VK_ESCAPE, VK_TAB, VK_BACK};
        INPUT inputs[2]{};
        for (INPUT& input : inputs) {
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = codes[static_cast<int>(key)];
        }
        inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, inputs, sizeof(INPUT));
        Sleep(20);
    }

    void closeWindow() override { PostMessageW(window_, WM_CLOSE, 0, 0); }
    void endSession() override { closeWindow(); }

    bool capture(aldermark::RgbaImage& image) override {
        int width = 0, height = 0;
        clientSize(width, height);
        POINT origin{0, 0};
        if (width <= 0 || !ClientToScreen(window_, &origin)) return false;
        // From the screen, as a user sees it: the window belongs to another process.
        HDC screen = GetDC(nullptr);
        const bool copied = aldermark_windows::copyPixels(screen, origin.x, origin.y, width, height, image);
        if (screen) ReleaseDC(nullptr, screen);
        return copied;
    }

    bool readPng(const std::string& path, aldermark::RgbaImage& image) override {
        const bool comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        bool ok = false;
        IWICImagingFactory* factory = nullptr;
        IWICBitmapDecoder* decoder = nullptr;
        IWICBitmapFrameDecode* frame = nullptr;
        IWICBitmapSource* rgba = nullptr;
        UINT width = 0, height = 0;
        if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                       reinterpret_cast<void**>(&factory))) &&
            SUCCEEDED(factory->CreateDecoderFromFilename(widen(path).c_str(), nullptr, GENERIC_READ,
                                                         WICDecodeMetadataCacheOnDemand, &decoder)) &&
            SUCCEEDED(decoder->GetFrame(0, &frame)) &&
            SUCCEEDED(WICConvertBitmapSource(GUID_WICPixelFormat32bppRGBA, frame, &rgba)) &&
            SUCCEEDED(rgba->GetSize(&width, &height))) {
            image.width = static_cast<int>(width);
            image.height = static_cast<int>(height);
            image.pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
            ok = SUCCEEDED(rgba->CopyPixels(nullptr, width * 4, static_cast<UINT>(image.pixels.size()),
                                            image.pixels.data()));
        }
        for (IUnknown* object : {static_cast<IUnknown*>(rgba), static_cast<IUnknown*>(frame),
                                 static_cast<IUnknown*>(decoder), static_cast<IUnknown*>(factory)})
            if (object) object->Release();
        if (comStarted) CoUninitialize();
        return ok;
    }

    std::string testEditorPlugin() const override { return besideTest(EDIT_TEST_EDITOR_PLUGIN); }

private:
    void joinReaders() {
        finished_.store(true);
        if (outReader_.joinable()) outReader_.join();
        if (errReader_.joinable()) errReader_.join();
    }

    static constexpr const wchar_t* kDesktopKey = L"Control Panel\\Desktop";
    void restoreDesktopDpi() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
        if (hadDpi_)
            RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&savedDpi_), sizeof savedDpi_);
        else
            RegDeleteValueW(key, L"LogPixels");
        RegCloseKey(key);
    }

    bool dpiChanged_ = false;
    bool hadDpi_ = false;
    DWORD savedDpi_ = 96;
    HANDLE process_ = nullptr;
    HWND window_ = nullptr;
    std::thread outReader_, errReader_;
    std::atomic<bool> finished_{false};  // the process has ended: the readers stop once drained
    std::mutex errorsMutex_;
    std::string errors_;
};

}  // namespace

std::unique_ptr<EditDriver> EditDriver::create() { return std::make_unique<WindowsDriver>(); }

}  // namespace edittest
