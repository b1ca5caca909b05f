#pragma once
// Shared pieces of the editor-base tests: a small effect with a host that records gestures, an
// editor that records its messages and can open an off-screen frame, and a settings scope
// that keeps the tests away from the user's real remembered paths and manual.
#include <string>
#include <vector>

#include "tests/platform/store_sandbox.h"
#include "tests/support/wait_until.h"
#include "toolkit/frame.h"
#include "vst2/preset_system_editor.h"

namespace presettest {

constexpr double kPatience = 20;  // seconds; starting processes can be slow on a loaded machine

// What the host heard: "begin <index>" and "end <index>".
std::vector<std::string>& hostGestures();

class TestEffect : public CPresetSystemEffect {
public:
    TestEffect();
    void processReplacing(float**, float**, VstInt32) override {}
};

class TestEditor : public CPresetSystemEditor {
public:
    struct Message {
        std::string caption;
        std::string text;
        bool operator==(const Message&) const = default;
    };

    using CPresetSystemEditor::CPresetSystemEditor;
    using CPresetSystemEditor::currentBank;
    using CPresetSystemEditor::currentDirectory;
    using CPresetSystemEditor::currentPreset;
    using CPresetSystemEditor::idlePresetSystem;
    using CPresetSystemEditor::isOpeningManual;
    using CPresetSystemEditor::shownMessageBox;

    std::vector<Message> messages;      // every message asked for, in order
    bool showMessagesForReal = false;   // also show them as the editor would
    std::vector<std::string> programNames;

    void showMessage(const char* caption, const char* text) override;
    void programNameChanged(const char* name) override;
    // Tag 68 stands for a view that edits parameter 1 (as a typed value would).
    std::int32_t hostParameterFor(const CControl* control) const override;

    // An off-screen frame of the editor's size, as open() would make a window.
    bool openOffscreen(double width = 586, double height = 195);
    // A real window inside the host's `parent`, as open() would make it.
    bool openWindow(void* parent);
    void close() override;
    // Runs the idle step until no manual opening waits for its answer; false when one still does.
    bool settle();
};

// A control with `tag` at `value` (pressed: its max, 1), as the window would pass it on.
SharedPointer<CControl> controlWith(std::int32_t tag, float value = 1);

// For its lifetime the store holds none of "CurrDir", "CurrBank", "CurrPreset" and
// "ManualPath" unless a test writes them; afterwards the user's values are back. Linux: a
// fresh store in a temporary folder. Windows: the real key, its values saved and restored.
class SettingsScope {
public:
    SettingsScope();
    ~SettingsScope();
    SettingsScope(const SettingsScope&) = delete;
    SettingsScope& operator=(const SettingsScope&) = delete;

private:
    platform_test::StoreSandbox sandbox_;
#ifdef _WIN32
    struct Saved {
        bool existed = false;
        unsigned long type = 0;
        std::vector<unsigned char> data;
    };
    Saved saved_[4];
#endif
};

inline constexpr const char* kRememberedNames[] = {"CurrDir", "CurrBank", "CurrPreset"};

bool writeManualPath(const std::string& path);
// A text the store holds, or "<missing>".
std::string storedText(const char* name);

}  // namespace presettest
