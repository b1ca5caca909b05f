// The desktop on Windows: OLE for the editor's thread, the shell's "open" verb and the
// system's message box. The shell answers at once, so every request is answered when made.
#include "platform/desktop_shell.h"

#include <new>
#include <string>

#include "platform/windows/windows_lean.h"
#include <ole2.h>
#include <shellapi.h>

#include "platform/windows/wide_text.h"

namespace platform {

namespace {

class AnsweredRequest : public DocumentOpenRequest {
public:
    explicit AnsweredRequest(int code) : code_(code) {}
    std::optional<int> result() override { return code_; }

private:
    int code_;
};

int shellOpen(const char* utf8Path, HWND owner)
{
    std::wstring path;
    // An empty file name would make the shell open some folder instead.
    if (!utf8Path || !*utf8Path || !wideText(utf8Path, path)) return kDocumentNotFound;
    const auto answer = reinterpret_cast<INT_PTR>(ShellExecuteW(owner, L"open", path.c_str(), nullptr, nullptr, SW_SHOW));
    return answer > 32 ? kDocumentOpened : static_cast<int>(answer);
}

}  // namespace

OleThreadSession::OleThreadSession() : initialized_(SUCCEEDED(OleInitialize(nullptr))) {}

OleThreadSession::~OleThreadSession()
{
    if (initialized_) OleUninitialize();
}

std::unique_ptr<DocumentOpenRequest> openDocument(const char* utf8Path, void* ownerWindow,
                                                  std::chrono::milliseconds settleTime)
{
    (void)settleTime;
    int code = kDocumentOpenFailed;
    try {
        code = shellOpen(utf8Path, static_cast<HWND>(ownerWindow));
    } catch (...) {
    }
    return std::unique_ptr<DocumentOpenRequest>(new (std::nothrow) AnsweredRequest(code));
}

bool showSystemMessageBox(void* ownerWindow, const char* utf8Caption, const char* utf8Text)
{
    try {
        std::wstring caption, text;
        if (!wideText(utf8Caption ? utf8Caption : "", caption) || !wideText(utf8Text ? utf8Text : "", text))
            return false;
        return MessageBoxW(static_cast<HWND>(ownerWindow), text.c_str(), caption.c_str(), MB_OK) != 0;
    } catch (...) {
        return false;
    }
}

}  // namespace platform
