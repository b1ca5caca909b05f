#pragma once
// The native single-line editor of text edits: a Win32 "EDIT" child window, subclassed so
// that Enter and Tab take the text, Escape drops it and a loss of focus takes it.
#include <windows.h>

#include <functional>
#include <memory>

#include "toolkit/backend.h"

namespace toolkit::windows {

class Win32TextEdit : public INativeTextEdit {
public:
    // Null when the edit window cannot be made. `parent` is the frame's window, `request.rect`
    // in its client coordinates.
    static std::unique_ptr<Win32TextEdit> create(HWND parent, const NativeTextEditRequest& request,
                                                 std::function<void(bool accepted)> done);
    ~Win32TextEdit() override;
    Win32TextEdit(const Win32TextEdit&) = delete;
    Win32TextEdit& operator=(const Win32TextEdit&) = delete;

    std::string text() const override;
    void typeKey(const CKeyEvent& key) override;
    HWND handle() const { return edit_; }
    // For the parent's WM_CTLCOLOREDIT: the colours of the text being edited.
    HBRUSH colour(HDC dc) const;

private:
    explicit Win32TextEdit(std::function<void(bool)> done) : done_(std::move(done)) {}
    static LRESULT CALLBACK editProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void finish(bool accepted);
    std::string windowText() const;

    HWND edit_ = nullptr;
    HWND parent_ = nullptr;
    WNDPROC original_ = nullptr;   // the system's edit procedure
    HFONT font_ = nullptr;
    HBRUSH background_ = nullptr;
    COLORREF textColour_ = 0;
    COLORREF backColour_ = 0;
    std::function<void(bool)> done_;  // called once; cleared after
    std::string lastText_;            // UTF-8, kept for when the window is gone
};

}  // namespace toolkit::windows
