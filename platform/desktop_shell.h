#pragma once
// What the desktop offers a plug-in editor: OLE for the editor's thread, opening a document
// with the application the user has for its type, and the system's message box.
//
// Result codes of a document opening follow the Windows shell on every system: above 32 the
// document opened, 31 no application is associated with its type, anything else failed.
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

namespace platform {

// OLE for the calling thread while the object lives (Windows OleInitialize/OleUninitialize;
// only a successful initialisation is undone). Nothing on other systems.
class OleThreadSession {
public:
    OleThreadSession();
    ~OleThreadSession();
    OleThreadSession(const OleThreadSession&) = delete;
    OleThreadSession& operator=(const OleThreadSession&) = delete;
    bool initialized() const { return initialized_; }

private:
    bool initialized_ = false;
};

inline constexpr int kDocumentOpened = 33;            // any code above 32 means opened
inline constexpr int kNoApplicationForDocument = 31;
inline constexpr int kDocumentNotFound = 2;
inline constexpr int kDocumentOpenFailed = 0;

enum class DocumentOpenOutcome { Opened, NoApplication, Failed };
inline DocumentOpenOutcome classifyDocumentOpenResult(std::intptr_t code)
{
    if (code > 32) return DocumentOpenOutcome::Opened;
    return code == kNoApplicationForDocument ? DocumentOpenOutcome::NoApplication : DocumentOpenOutcome::Failed;
}

// One request to open a document. Windows answers at once; on Linux the desktop's opener runs
// as a process of its own and answers later, so the caller asks again from its idle.
class DocumentOpenRequest {
public:
    virtual ~DocumentOpenRequest() = default;
    // The result code once known, nothing while the desktop is still at it. Never waits.
    virtual std::optional<int> result() = 0;
};

// A request that has had no answer for this long has opened the document: the desktop's opener
// may wait for the viewer it started, and the viewer's exit says nothing about the opening.
inline constexpr std::chrono::milliseconds kDocumentOpenSettleTime{5000};

// Asks the desktop to open the document at `utf8Path` (Windows: ShellExecuteW "open"; Linux:
// xdg-open from PATH, the path as its one argument, never through a shell). An empty path is
// never handed on and answers kDocumentNotFound; a missing xdg-open answers
// kNoApplicationForDocument. `ownerWindow` (may be null) owns any window the system shows on
// the way. Dropping the request forgets it and leaves no process behind to be reaped. Null only
// when memory runs out.
std::unique_ptr<DocumentOpenRequest> openDocument(const char* utf8Path, void* ownerWindow,
                                                  std::chrono::milliseconds settleTime = kDocumentOpenSettleTime);

// Shows the system's modal message box with an OK button, owned by `ownerWindow` (may be
// null), and returns once the user dismissed it. False where the system has none (Linux) or
// it could not be shown: the caller shows the message itself.
bool showSystemMessageBox(void* ownerWindow, const char* utf8Caption, const char* utf8Text);

}  // namespace platform
