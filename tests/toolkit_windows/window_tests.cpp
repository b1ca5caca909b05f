// The Win32 window with real messages: a top-level window stands in for the host's, the
// frame's child window lives inside it, and input arrives as window messages (posted the
// way the system posts them, or made by SendInput).
#include <gtest/gtest.h>
#include <windows.h>
#include <wincodec.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/send_click_windows.h"
#include "tests/toolkit_windows/windows_test_support.h"

using namespace winsupport;

namespace {

const wchar_t* hostClass() {
    static const wchar_t* name = [] {
        WNDCLASSW info{};
        info.lpfnWndProc = DefWindowProcW;
        info.hInstance = GetModuleHandleW(nullptr);
        info.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
        info.lpszClassName = L"AldermarkTestHost";
        RegisterClassW(&info);
        return L"AldermarkTestHost";
    }();
    return name;
}

// The host application's top-level window, made once: Wine takes seconds to take a
// top-level window down without a window manager.
HWND hostTopLevel() {
    static HWND window = [] {
        HWND made = CreateWindowExW(0, hostClass(), L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40, 400,
                                    300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(made);
        UpdateWindow(made);
        return made;
    }();
    return window;
}

// The window a host hands to the plug-in: a child of its top-level window.
struct HostWindow {
    HWND window = nullptr;
    HostWindow(int x = 0, int y = 0, int width = 320, int height = 200) {
        window = CreateWindowExW(0, hostClass(), L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width, height,
                                 hostTopLevel(), nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~HostWindow() {
        if (window && IsWindow(window)) DestroyWindow(window);
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
};

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Pumps messages and runs the frame's idle (as a host and the editor would) until `done`
// holds or two seconds passed.
bool idleUntil(CFrame* frame, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < deadline) {
        pumpMessages();
        if (frame) frame->idle();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

HWND frameWindow(CFrame* frame) {
    return frame->getPlatformWindow() ? static_cast<HWND>(frame->getPlatformWindow()->nativeHandle()) : nullptr;
}

LPARAM at(int x, int y) { return MAKELPARAM(x, y); }

LPARAM screenAt(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    return MAKELPARAM(point.x, point.y);
}

struct Recorder : CControlListener {
    std::vector<float> values;
    std::function<void(CControl*)> onChange;
    void valueChanged(CControl* control) override {
        values.push_back(control->getValue());
        if (onChange) onChange(control);
    }
};

// Logs the mouse events it gets with their button states.
class InputProbe : public CView {
public:
    explicit InputProbe(const CRect& size) : CView(size) {}
    std::vector<std::string> log;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& b) override { return record("down", b, where); }
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& b) override { return record("up", b, where); }
    CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& b) override {
        return record("enter", b, where);
    }
    CMouseEventResult onMouseExited(CPoint&, const CButtonState& b) override {
        CPoint none;
        return record("exit", b, none, false);
    }
    bool onWheel(const CPoint& where, float distance, const CButtonState& b) override {
        CPoint point = where;
        record(distance > 0 ? "wheel+" : "wheel-", b, point);
        wheelDistances.push_back(distance);
        return true;
    }
    std::vector<float> wheelDistances;
    std::vector<CPoint> points;  // local coordinates of the events that carry one

private:
    CMouseEventResult record(const char* what, const CButtonState& buttons, CPoint& where, bool keep = true) {
        char text[48];
        std::snprintf(text, sizeof text, "%s %#x", what, static_cast<unsigned>(buttons.getButtonState()));
        log.push_back(text);
        if (keep) points.push_back(where);
        return kMouseEventHandled;
    }
};

CColor windowPixel(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    if (colour == CLR_INVALID) return CColor{0, 0, 0, 0};
    return CColor{GetRValue(colour), GetGValue(colour), GetBValue(colour), 255};
}

// Copies what the window shows on screen into a PNG (WIC, straight from the screen's pixels).
bool saveWindowPng(HWND window, const wchar_t* path) {
    RECT client{};
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, dib);
    HDC screen = GetDC(window);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY) != FALSE;
    ReleaseDC(window, screen);
    bool saved = false;
    IWICImagingFactory* factory = nullptr;
    IWICBitmap* bitmap = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
    if (copied && SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        saved = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                           __uuidof(IWICImagingFactory), reinterpret_cast<void**>(&factory))) &&
                SUCCEEDED(factory->CreateBitmapFromMemory(static_cast<UINT>(width), static_cast<UINT>(height),
                                                          GUID_WICPixelFormat32bppBGR, static_cast<UINT>(width) * 4,
                                                          static_cast<UINT>(width * height * 4),
                                                          static_cast<BYTE*>(bits), &bitmap)) &&
                SUCCEEDED(factory->CreateStream(&stream)) &&
                SUCCEEDED(stream->InitializeFromFilename(path, GENERIC_WRITE)) &&
                SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
                SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
                SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
                SUCCEEDED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) &&
                SUCCEEDED(frame->SetPixelFormat(&format)) && SUCCEEDED(frame->WriteSource(bitmap, nullptr)) &&
                SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
        for (IUnknown* object : std::initializer_list<IUnknown*>{frame, encoder, stream, bitmap, factory})
            if (object) object->Release();
        CoUninitialize();
    }
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(dib);
    return saved;
}

}  // namespace

TEST(WindowsWindow, RefusesMissingParents) {
    struct NoFrame : toolkit::IPlatformFrameCallbacks {
        void platformDrawRect(toolkit::IDrawSurface&, const CRect&) override {}
        CMouseEventResult platformOnMouseDown(CPoint, CButtonState) override { return kMouseEventNotHandled; }
        CMouseEventResult platformOnMouseUp(CPoint, CButtonState) override { return kMouseEventNotHandled; }
        CMouseEventResult platformOnMouseMoved(CPoint, CButtonState) override { return kMouseEventNotHandled; }
        void platformOnMouseExited(CPoint, CButtonState) override {}
        bool platformOnMouseWheel(CPoint, float, CButtonState) override { return false; }
        bool platformOnKeyDown(const CKeyEvent&) override { return false; }
        void platformOnFocusLost() override {}
    } callbacks;
    EXPECT_EQ(toolkit::createPlatformWindow(nullptr, 10, 10, callbacks), nullptr);
    EXPECT_EQ(toolkit::createPlatformWindow(reinterpret_cast<void*>(0x1234), 10, 10, callbacks), nullptr)
        << "not a window";
    HostWindow host;
    ASSERT_NE(host.window, nullptr);
    EXPECT_EQ(toolkit::createPlatformWindow(host.window, 0, 10, callbacks), nullptr);
    auto window = toolkit::createPlatformWindow(host.window, 30, 20, callbacks);
    ASSERT_NE(window, nullptr);
    HWND child = static_cast<HWND>(window->nativeHandle());
    EXPECT_EQ(GetParent(child), host.window);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    EXPECT_TRUE((style & WS_CHILD) && (style & WS_VISIBLE) && (style & WS_CLIPSIBLINGS));
    EXPECT_TRUE(window->setSize(50, 40));
    RECT client{};
    GetClientRect(child, &client);
    EXPECT_EQ(client.right, 50);
    EXPECT_EQ(client.bottom, 40);
    EXPECT_FALSE(window->setSize(-1, 40));
    window.reset();
    EXPECT_FALSE(IsWindow(child));
}

TEST(WindowsWindow, AClickReachesTheButtonAndTheWindowShowsIt) {
    HostWindow host;
    ASSERT_NE(host.window, nullptr);
    auto* frame = new CFrame(CRect(0, 0, 240, 100), host.window);
    ASSERT_TRUE(frame->isOpen());
    HWND child = frameWindow(frame);
    ASSERT_TRUE(IsWindow(child));
    Recorder listener;
    auto* bitmap = new CBitmap(kTwoFrameButton);
    auto* button = new COnOffButton(CRect(20, 20, 40, 40), &listener, 7, bitmap);
    bitmap->forget();
    frame->addView(button);
    auto* caption = new CTextLabel(CRect(60, 15, 230, 45), "ZEB Aldermark", nullptr, kNoFrame);
    caption->setFontColor(CColor{230, 220, 200, 255});
    caption->setBackColor(CColor{30, 30, 60, 255});
    frame->addView(caption);
    frame->setBackgroundColor(CColor{30, 30, 60, 255});
    frame->idle();
    pumpMessages();
    EXPECT_TRUE(closeTo(windowPixel(child, 30, 30), kRedCColor)) << describe(windowPixel(child, 30, 30));

    PostMessageW(child, WM_MOUSEMOVE, 0, at(30, 30));
    PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, at(30, 30));
    PostMessageW(child, WM_LBUTTONUP, 0, at(30, 30));
    ASSERT_TRUE(idleUntil(frame, [&] { return !listener.values.empty(); }));
    EXPECT_EQ(listener.values, std::vector<float>{1.f});
    // The next idle repaints the window with the button's lower (on) half.
    ASSERT_TRUE(idleUntil(frame, [&] { return closeTo(windowPixel(child, 30, 30), kGreenCColor); }))
        << describe(windowPixel(child, 30, 30));
    EXPECT_TRUE(closeTo(windowPixel(child, 100, 50), CColor{30, 30, 60, 255})) << describe(windowPixel(child, 100, 50));

    // An exposure is answered from the back buffer, without drawing the views again.
    InvalidateRect(child, nullptr, TRUE);
    UpdateWindow(child);
    EXPECT_TRUE(closeTo(windowPixel(child, 30, 30), kGreenCColor));

    // Pictures of the frame: rendered off-screen, and as the window shows it.
    auto shot = toolkit::renderFrame(*frame);
    ASSERT_NE(shot, nullptr);
    EXPECT_TRUE(shot->savePng("toolkit_windows_frame.png"));
    EXPECT_TRUE(saveWindowPng(child, L"toolkit_windows_window.png"));
    frame->close();
    EXPECT_FALSE(IsWindow(child));
}

TEST(WindowsWindow, MouseStatesWheelAndLeaveAreTranslated) {
    HostWindow host;
    ASSERT_NE(host.window, nullptr);
    auto* frame = new CFrame(CRect(0, 0, 240, 100), host.window);
    HWND child = frameWindow(frame);
    ASSERT_TRUE(IsWindow(child));
    auto* probe = new InputProbe(CRect(20, 20, 80, 80));
    frame->addView(probe);
    frame->idle();

    PostMessageW(child, WM_MOUSEMOVE, 0, at(50, 50));
    PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, at(50, 50));
    PostMessageW(child, WM_LBUTTONUP, 0, at(50, 50));
    PostMessageW(child, WM_LBUTTONDBLCLK, MK_LBUTTON, at(50, 50));
    PostMessageW(child, WM_LBUTTONUP, 0, at(50, 50));
    PostMessageW(child, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), screenAt(child, 30, 40));
    PostMessageW(child, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, static_cast<WORD>(-2 * WHEEL_DELTA)),
                 screenAt(child, 30, 40));
    PostMessageW(child, WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, at(60, 60));
    PostMessageW(child, WM_RBUTTONUP, MK_CONTROL, at(60, 60));
    PostMessageW(child, WM_MOUSELEAVE, 0, 0);
    ASSERT_TRUE(idleUntil(frame, [&] { return probe->log.size() >= 10; })) << probe->log.size();
    const std::vector<std::string> expected{"enter 0",   "down 0x2",    "up 0x2",    "down 0x402", "up 0x2",
                                            "wheel+ 0",  "wheel- 0x10", "down 0x28", "up 0x28",    "exit 0"};
    EXPECT_EQ(probe->log, expected);
    ASSERT_EQ(probe->wheelDistances.size(), 2u);
    EXPECT_FLOAT_EQ(probe->wheelDistances[0], 1.f);
    EXPECT_FLOAT_EQ(probe->wheelDistances[1], -2.f);
    // Wheel positions arrive in screen coordinates and are taken back to the window's.
    ASSERT_GE(probe->points.size(), 7u);
    EXPECT_EQ(probe->points[1], CPoint(50, 50));
    EXPECT_EQ(probe->points[5], CPoint(30, 40));
    frame->close();
}

TEST(WindowsWindow, SendInputClicksReachTheButton) {
    HostWindow host(30, 30);
    ASSERT_NE(host.window, nullptr);
    auto* frame = new CFrame(CRect(0, 0, 200, 100), host.window);
    HWND child = frameWindow(frame);
    ASSERT_TRUE(IsWindow(child));
    Recorder listener;
    auto* bitmap = new CBitmap(kTwoFrameButton);
    frame->addView(new COnOffButton(CRect(40, 40, 60, 60), &listener, 3, bitmap));
    bitmap->forget();
    frame->idle();
    pumpMessages();

    ASSERT_EQ(testsupport::sendLeftClick(child, POINT{50, 50}), 2u);
    EXPECT_TRUE(idleUntil(frame, [&] { return !listener.values.empty(); }))
        << "the system's own input did not reach the window";
    EXPECT_EQ(listener.values, std::vector<float>{1.f});
    frame->close();
}

TEST(WindowsWindow, ClosingTheFrameFromAClickHandlerIsSafe) {
    HostWindow host;
    ASSERT_NE(host.window, nullptr);
    auto* frame = new CFrame(CRect(0, 0, 100, 60), host.window);
    HWND child = frameWindow(frame);
    Recorder listener;
    CFrame* toClose = frame;
    listener.onChange = [&toClose](CControl*) {
        if (toClose) toClose->close();
        toClose = nullptr;
    };
    auto* bitmap = new CBitmap(kTwoFrameButton);
    frame->addView(new COnOffButton(CRect(0, 0, 20, 20), &listener, 1, bitmap));
    bitmap->forget();
    SendMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, at(5, 5));  // closes the frame inside the procedure
    EXPECT_EQ(listener.values.size(), 1u);
    EXPECT_FALSE(IsWindow(child));
    // Messages still on their way find no window.
    PostMessageW(child, WM_LBUTTONUP, 0, at(5, 5));
    pumpMessages();
}

TEST(WindowsWindow, TheHostTakingItsWindowFirstIsSafe) {
    auto host = std::make_unique<HostWindow>();
    ASSERT_NE(host->window, nullptr);
    auto* frame = new CFrame(CRect(0, 0, 100, 60), host->window);
    HWND child = frameWindow(frame);
    frame->idle();
    host.reset();  // the host's window and our child go
    EXPECT_FALSE(IsWindow(child));
    frame->invalid();
    frame->idle();
    EXPECT_TRUE(frame->setSize(120, 70));  // the frame itself still follows
    frame->close();
}

TEST(WindowsWindow, FramesShareTheWindowClassWhileAnyIsOpen) {
    HostWindow host;
    ASSERT_NE(host.window, nullptr);
    auto* first = new CFrame(CRect(0, 0, 50, 50), host.window);
    auto* second = new CFrame(CRect(0, 0, 50, 50), host.window);
    ASSERT_TRUE(first->isOpen());
    ASSERT_TRUE(second->isOpen());
    wchar_t firstClass[64] = {}, secondClass[64] = {};
    GetClassNameW(frameWindow(first), firstClass, 64);
    GetClassNameW(frameWindow(second), secondClass, 64);
    EXPECT_STREQ(firstClass, secondClass);
    first->close();
    EXPECT_TRUE(IsWindow(frameWindow(second)));
    second->close();
    auto* third = new CFrame(CRect(0, 0, 50, 50), host.window);
    EXPECT_TRUE(third->isOpen()) << "the class comes back after the last window went";
    third->close();
}

TEST(WindowsWindow, KeysReachTheFocusedView) {
    struct KeyProbe : CView {
        explicit KeyProbe(const CRect& size) : CView(size) {}
        std::vector<CKeyEvent> keys;
        bool onKeyDown(const CKeyEvent& key) override {
            keys.push_back(key);
            return true;
        }
    };
    HostWindow host;
    auto* frame = new CFrame(CRect(0, 0, 100, 60), host.window);
    HWND child = frameWindow(frame);
    auto* probe = new KeyProbe(CRect(0, 0, 50, 50));
    frame->addView(probe);
    frame->setFocusView(probe);
    PostMessageW(child, WM_KEYDOWN, VK_LEFT, 0);
    PostMessageW(child, WM_CHAR, L'a', 0);
    PostMessageW(child, WM_CHAR, 0xD83D, 0);  // U+1F600 in two halves
    PostMessageW(child, WM_CHAR, 0xDE00, 0);
    PostMessageW(child, WM_CHAR, 0x08, 0);    // Backspace's character: it came as a key already
    PostMessageW(child, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(idleUntil(frame, [&] { return probe->keys.size() >= 4; }));
    ASSERT_EQ(probe->keys.size(), 4u);
    EXPECT_EQ(probe->keys[0].virtualKey, VirtualKey::Left);
    EXPECT_EQ(probe->keys[1].character, U'a');
    EXPECT_EQ(probe->keys[2].character, U'\U0001F600');
    EXPECT_EQ(probe->keys[3].virtualKey, VirtualKey::Escape);
    EXPECT_TRUE(SendMessageW(child, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS);
    frame->close();
}

namespace {

// A frame with one text edit inside a host window, and the edit box it opens.
struct EditFixture {
    HostWindow host;
    CFrame* frame = nullptr;
    CTextEdit* edit = nullptr;
    Recorder listener;

    explicit EditFixture(CHoriTxtAlign align = kCenterText) {
        frame = new CFrame(CRect(0, 0, 200, 60), host.window);
        edit = new CTextEdit(CRect(10, 10, 150, 30), &listener, 69, "Master Track");
        edit->setHoriAlign(align);
        frame->addView(edit);
        frame->idle();
    }
    ~EditFixture() {
        if (frame) frame->close();
    }
    HWND child() const { return frameWindow(frame); }
    HWND openBox() {
        PostMessageW(child(), WM_LBUTTONDOWN, MK_LBUTTON, at(40, 20));
        PostMessageW(child(), WM_LBUTTONUP, 0, at(40, 20));
        HWND box = nullptr;
        idleUntil(frame, [&] { return (box = FindWindowExW(child(), nullptr, L"EDIT", nullptr)) != nullptr; });
        return box;
    }
    std::string boxText(HWND box) const {
        wchar_t text[256] = {};
        GetWindowTextW(box, text, 256);
        char out[512] = {};
        WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, nullptr, nullptr);
        return out;
    }
};

}  // namespace

TEST(WindowsTextEdit, EnterTakesTheTypedText) {
    EditFixture f;
    HWND box = f.openBox();
    ASSERT_NE(box, nullptr) << "no native edit box opened";
    EXPECT_TRUE(f.edit->isTextEditing());
    EXPECT_EQ(f.boxText(box), "Master Track");
    const LONG style = GetWindowLongW(box, GWL_STYLE);
    EXPECT_TRUE(style & ES_AUTOHSCROLL);
    EXPECT_TRUE(style & ES_CENTER) << "follows the label's alignment";
    RECT boxRect{};
    GetWindowRect(box, &boxRect);
    MapWindowPoints(nullptr, f.child(), reinterpret_cast<POINT*>(&boxRect), 2);
    EXPECT_EQ(boxRect.left, 10);
    EXPECT_EQ(boxRect.top, 10);
    EXPECT_EQ(boxRect.right, 150);
    EXPECT_EQ(boxRect.bottom, 30);
    EXPECT_TRUE(SendMessageW(box, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS) << "the box asks for every key";

    SetWindowTextW(box, L"Drums \u00e9");
    SendMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(idleUntil(f.frame, [&] { return !IsWindow(box); })) << "the box closes from idle";
    EXPECT_EQ(f.edit->getText(), "Drums \xc3\xa9");
    EXPECT_FALSE(f.edit->isTextEditing());
    EXPECT_EQ(f.listener.values.size(), 1u);
}

TEST(WindowsTextEdit, TabTakesTheTextAndEscapeDropsIt) {
    {
        EditFixture f(kRightText);
        HWND box = f.openBox();
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(GetWindowLongW(box, GWL_STYLE) & ES_RIGHT);
        SetWindowTextW(box, L"Bus 2");
        SendMessageW(box, WM_KEYDOWN, VK_TAB, 0);
        ASSERT_TRUE(idleUntil(f.frame, [&] { return !IsWindow(box); }));
        EXPECT_EQ(f.edit->getText(), "Bus 2");
    }
    {
        EditFixture f;
        HWND box = f.openBox();
        ASSERT_NE(box, nullptr);
        SetWindowTextW(box, L"thrown away");
        SendMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
        ASSERT_TRUE(idleUntil(f.frame, [&] { return !IsWindow(box); }));
        EXPECT_EQ(f.edit->getText(), "Master Track");
        EXPECT_FALSE(f.edit->isTextEditing());
        EXPECT_TRUE(f.listener.values.empty());
    }
}

TEST(WindowsTextEdit, LosingTheFocusTakesTheText) {
    EditFixture f;
    HWND box = f.openBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetFocus(), box) << "the box has the keyboard";
    SetWindowTextW(box, L"Vocals");
    SetFocus(f.host.window);
    ASSERT_TRUE(idleUntil(f.frame, [&] { return !IsWindow(box); }));
    EXPECT_EQ(f.edit->getText(), "Vocals");
    EXPECT_EQ(f.listener.values.size(), 1u);
}

TEST(WindowsTextEdit, ClosingTheFrameWithTheBoxOpenDropsIt) {
    EditFixture f;
    HWND box = f.openBox();
    ASSERT_NE(box, nullptr);
    SetWindowTextW(box, L"never taken");
    f.frame->close();
    f.frame = nullptr;
    EXPECT_FALSE(IsWindow(box));
    pumpMessages();
}

TEST(WindowsTextEdit, ABoxTakenDownWithItsWindowKeepsTheTypedText) {
    EditFixture f;
    HWND box = f.openBox();
    ASSERT_NE(box, nullptr);
    SetWindowTextW(box, L"Typed");
    HostWindow otherHost;
    ASSERT_TRUE(f.frame->open(otherHost.window));  // the old window and its box go at once
    EXPECT_FALSE(IsWindow(box));
    ASSERT_TRUE(idleUntil(f.frame, [&] { return !f.edit->isTextEditing(); }));
    EXPECT_EQ(f.edit->getText(), "Typed");
    f.frame->close();
    f.frame = nullptr;
}
