#pragma once
// The editor layer between the VST editor base and the plug-in's editor: links the editor to
// its effect, keeps the three paths it remembers (written to the settings store when the
// editor goes), hears the effect's program-name changes, and is the first to see every
// control edit of the window. Of the controls it acts on the manual button (tag 121), which
// opens the user manual named by the "ManualPath" setting.
//
// Threads: everything here runs on the host's user-interface thread (or, on Linux, under the
// GUI lock from the window's timer), like the editor's open, close and idle.
#include <cstdint>
#include <memory>
#include <string>

#include "editor/user_manual_button.h"
#include "platform/desktop_shell.h"
#include "toolkit/control.h"
#include "vst2/aeffguieditor.h"
#include "vst2/preset_system_effect.h"

class CPresetSystemEditor : public AEffGUIEditor, public CControlListener, public ProgramNameListener {
public:
    static constexpr std::int32_t kManualButtonTag = UserManualButton::kTag;
    static constexpr std::size_t kMaxRememberedPathBytes = 256;

    // Links the effect (which takes ownership of the editor and announces it), listens to its
    // program-name changes and fills the remembered paths: the working directory, and empty
    // bank and preset files. Initialises OLE for the thread on Windows.
    explicit CPresetSystemEditor(CPresetSystemEffect* effect);
    // Writes "CurrDir", "CurrBank" and "CurrPreset" to the settings store and stops listening.
    ~CPresetSystemEditor() override;

    // The first handler of every control edit: a press of the manual button opens the user
    // manual; everything else is left to the subclass.
    void valueChanged(CControl* control) override;
    // A gesture on a control reaches the host as a gesture on hostParameterFor(control).
    void controlBeginEdit(CControl* control) override;
    void controlEndEdit(CControl* control) override;
    // The editor shows no program name.
    void programNameChanged(const char* name) override;
    // Takes a message box down, forgets a manual still being opened (its outcome is not shown
    // later), then closes the base.
    void close() override;

protected:
    // The host parameter a control's gesture belongs to: its tag, unless a subclass maps its
    // own view tags to the parameter they set.
    virtual std::int32_t hostParameterFor(const CControl* control) const;
    // A gesture on `control` begins or ends: a manual button's next press opens it again.
    void noteGesture(const CControl* control);
    // For the subclass's idle step (GUI lock held): shows the outcome of a manual opening
    // that answers late (Linux) when it failed.
    void idlePresetSystem();
    // Shows a message: the system's modal box where there is one (owned by the frame's
    // window, or by none), else a box drawn inside the editor window. Nothing without either.
    virtual void showMessage(const char* caption, const char* text);

    const std::string& currentDirectory() const { return currentDirectory_; }
    const std::string& currentBank() const { return currentBank_; }
    const std::string& currentPreset() const { return currentPreset_; }
    // The box drawn in the window while it shows; null otherwise.
    CMessageBoxView* shownMessageBox() const { return message_.shown(); }
    // A manual opening is waiting for its late answer (see idlePresetSystem).
    bool isOpeningManual() const { return manual_.isOpening(); }

private:
    void* ownerWindow() const;

    CPresetSystemEffect* presetEffect_;  // not owned
    platform::OleThreadSession ole_;
    std::string currentDirectory_;  // UTF-8, at most kMaxRememberedPathBytes bytes each
    std::string currentBank_;
    std::string currentPreset_;
    UserManualButton manual_{[this](const char* caption, const char* text) { showMessage(caption, text); }};
    EditorMessage message_;
};
