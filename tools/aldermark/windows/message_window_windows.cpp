// The message window on Windows: a message box.
#include <windows.h>

#include "tools/aldermark/message_window.h"
#include "tools/aldermark/windows/wide_text.h"

namespace aldermark {

bool showMessageWindow(const std::string& title, const std::string& message) {
    using aldermark_windows::widen;
    return MessageBoxW(nullptr, widen(message).c_str(), widen(title).c_str(), MB_OK | MB_ICONERROR) != 0;
}

}  // namespace aldermark
