#pragma once
// A window standing in for the host's: the parent that effEditOpen receives. Linux: an X
// window on the display that DISPLAY names; Windows: a top-level Win32 window.
namespace testsupport {

class TestHostWindow {
public:
    explicit TestHostWindow(int width = 586, int height = 195);
    ~TestHostWindow();
    TestHostWindow(const TestHostWindow&) = delete;
    TestHostWindow& operator=(const TestHostWindow&) = delete;

    bool valid() const { return handle_ != nullptr; }
    // As a host passes it: the X Window id or the HWND.
    void* handle() const { return handle_; }
    // Shows or hides the host's window (and with it the editor inside).
    void setShown(bool shown);
    // Lets the window system deliver what is pending for about `milliseconds` (Win32:
    // dispatches messages, the editor's timer among them; X11: waits).
    void pump(int milliseconds);
    // How many windows lie directly inside this one (the editor's, once it opened here).
    int childCount() const;
    // A value that is no window at all, as a broken host might pass.
    static void* bogusHandle();

private:
    void* handle_ = nullptr;
    void* connection_ = nullptr;  // X11: the Display
};

}  // namespace testsupport
