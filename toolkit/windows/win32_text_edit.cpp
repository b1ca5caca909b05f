#include "toolkit/windows/win32_text_edit.h"

#include <cmath>
#include <string>

#include "toolkit/windows/com_support.h"

namespace toolkit::windows {

std::unique_ptr<Win32TextEdit> Win32TextEdit::create(HWND parent, const NativeTextEditRequest& request,
                                                     std::function<void(bool)> done) {
    if (!parent || !IsWindow(parent) || !isFinite(request.rect) || request.rect.isEmpty()) return nullptr;
    std::unique_ptr<Win32TextEdit> edit(new Win32TextEdit(std::move(done)));
    DWORD style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
    if (request.align == 1) style |= ES_CENTER;
    else if (request.align == 2) style |= ES_RIGHT;
    const std::wstring text = widen(request.text);
    const CRect& r = request.rect;
    const int left = static_cast<int>(std::lround(r.left));
    const int top = static_cast<int>(std::lround(r.top));
    edit->edit_ = CreateWindowExW(0, L"EDIT", text.c_str(), style, left, top,
                                  static_cast<int>(std::lround(r.right)) - left,
                                  static_cast<int>(std::lround(r.bottom)) - top, parent, nullptr,
                                  reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (!edit->edit_) return nullptr;
    edit->parent_ = parent;

    // The label's face at its size, normal weight.
    const std::wstring family = widen(request.fontFamily);
    const double size = std::isfinite(request.fontSize) && request.fontSize > 0 && request.fontSize < 1000 ? request.fontSize : 12;
    edit->font_ = CreateFontW(-static_cast<int>(std::lround(size)), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                              DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                              DEFAULT_PITCH, family.empty() ? L"Arial" : family.c_str());
    if (edit->font_) SendMessageW(edit->edit_, WM_SETFONT, reinterpret_cast<WPARAM>(edit->font_), FALSE);
    edit->textColour_ = RGB(request.fontColor.red, request.fontColor.green, request.fontColor.blue);
    edit->backColour_ = RGB(request.backColor.red, request.backColor.green, request.backColor.blue);
    edit->background_ = CreateSolidBrush(edit->backColour_);

    SetWindowLongPtrW(edit->edit_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(edit.get()));
    edit->original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit->edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32TextEdit::editProc)));
    SendMessageW(edit->edit_, EM_SETSEL, 0, -1);
    SetFocus(edit->edit_);
    return edit;
}

Win32TextEdit::~Win32TextEdit() {
    done_ = nullptr;  // closing is not an edit outcome
    if (edit_ && IsWindow(edit_)) {
        const bool hadFocus = GetFocus() == edit_;
        // The system's procedure alone sees the window out.
        SetWindowLongPtrW(edit_, GWLP_USERDATA, 0);
        SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        DestroyWindow(edit_);
        // The keyboard goes back to the frame's window.
        if (hadFocus && parent_ && IsWindow(parent_)) SetFocus(parent_);
    }
    if (font_) DeleteObject(font_);
    if (background_) DeleteObject(background_);
}

std::string Win32TextEdit::text() const {
    // A box taken down with its parent keeps what it showed last.
    if (!edit_ || !IsWindow(edit_)) return lastText_;
    return windowText();
}

std::string Win32TextEdit::windowText() const {
    const int length = GetWindowTextLengthW(edit_);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(edit_, wide.data(), length + 1);
    return narrow(wide.c_str(), copied);
}

void Win32TextEdit::typeKey(const CKeyEvent& key) {
    if (!edit_ || !IsWindow(edit_)) return;
    if (key.character) {
        // As the keyboard would: one WM_CHAR per UTF-16 unit.
        wchar_t units[2];
        int count = 1;
        if (key.character >= 0x10000) {
            const char32_t c = key.character - 0x10000;
            units[0] = static_cast<wchar_t>(0xD800 + (c >> 10));
            units[1] = static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
            count = 2;
        } else {
            units[0] = static_cast<wchar_t>(key.character);
        }
        for (int i = 0; i < count; ++i) SendMessageW(edit_, WM_CHAR, units[i], 1);
        return;
    }
    WPARAM virtualKey = 0;
    switch (key.virtualKey) {
        case VirtualKey::Back: SendMessageW(edit_, WM_CHAR, 0x08, 1); return;  // the edit erases on the character
        case VirtualKey::Tab: virtualKey = VK_TAB; break;
        case VirtualKey::Return: virtualKey = VK_RETURN; break;
        case VirtualKey::Escape: virtualKey = VK_ESCAPE; break;
        case VirtualKey::Left: virtualKey = VK_LEFT; break;
        case VirtualKey::Right: virtualKey = VK_RIGHT; break;
        case VirtualKey::Home: virtualKey = VK_HOME; break;
        case VirtualKey::End: virtualKey = VK_END; break;
        case VirtualKey::Delete: virtualKey = VK_DELETE; break;
        case VirtualKey::Up: virtualKey = VK_UP; break;
        case VirtualKey::Down: virtualKey = VK_DOWN; break;
        default: return;
    }
    SendMessageW(edit_, WM_KEYDOWN, virtualKey, 1);
}

HBRUSH Win32TextEdit::colour(HDC dc) const {
    SetTextColor(dc, textColour_);
    SetBkColor(dc, backColour_);
    return background_;
}

void Win32TextEdit::finish(bool accepted) {
    if (!done_) return;
    lastText_ = windowText();
    auto done = std::move(done_);
    done_ = nullptr;
    done(accepted);  // only records the outcome; the frame closes us later
}

LRESULT CALLBACK Win32TextEdit::editProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32TextEdit*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

LRESULT Win32TextEdit::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETDLGCODE:
            // Every key is ours while editing, so hosts' dialogs and accelerators keep off.
            return CallWindowProcW(original_, edit_, message, wParam, lParam) | DLGC_WANTALLKEYS;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_TAB) {
                finish(true);
                return 0;
            }
            if (wParam == VK_ESCAPE) {
                finish(false);
                return 0;
            }
            break;
        case WM_CHAR:
            // Their characters would only beep or insert a tab.
            if (wParam == L'\r' || wParam == L'\n' || wParam == L'\t' || wParam == 0x1B) return 0;
            break;
        case WM_KILLFOCUS: finish(true); break;
        case WM_DESTROY:
            // Taken down with its parent: that ends the edit like a loss of focus.
            lastText_ = windowText();
            finish(true);
            break;
        case WM_NCDESTROY: {
            const WNDPROC original = original_;
            SetWindowLongPtrW(edit_, GWLP_USERDATA, 0);
            HWND window = edit_;
            edit_ = nullptr;
            return CallWindowProcW(original, window, message, wParam, lParam);
        }
        default: break;
    }
    return CallWindowProcW(original_, edit_, message, wParam, lParam);
}

}  // namespace toolkit::windows
