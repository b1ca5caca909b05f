// The editor base on every system: the effect link, the remembered paths written when it goes,
// the manual button and its messages, and what it leaves alone.
#include "tests/presets_editor/editor_fixture.h"

#include "platform/working_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#ifndef _WIN32
#include "tests/support/fake_xdg_open.h"
#endif

namespace fs = std::filesystem;
using presettest::TestEditor;
using presettest::TestEffect;

namespace {

const TestEditor::Message kOpenFailed{"", "Could not open user manual"};
const TestEditor::Message kNoApplication{"Could not open manual file", "Make sure Acrobat Reader is installed"};

std::string utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Linked at construction; an editor the effect let go of is never called again.
TEST(PresetSystemEditorTest, ConstructionLinksTheEffectAndListensToProgramNames) {
    presettest::SettingsScope scope;
    TestEffect effect;
    EXPECT_EQ(effect.getAeffect()->flags & effFlagsHasEditor, 0);
    auto* editor = new TestEditor(&effect);
    EXPECT_EQ(effect.getEditor(), editor);
    EXPECT_NE(effect.getAeffect()->flags & effFlagsHasEditor, 0);
    EXPECT_EQ(editor->getEffect(), &effect);
    char name[] = "Drum Bus";
    effect.setProgramName(name);
    EXPECT_EQ(editor->programNames, std::vector<std::string>{"Drum Bus"});
    EXPECT_TRUE(editor->messages.empty());

    effect.setEditor(nullptr);
    EXPECT_EQ(effect.getAeffect()->flags & effFlagsHasEditor, 0);
    delete editor;
    char after[] = "After";
    effect.setProgramName(after);  // must not reach the deleted editor
    auto* second = new TestEditor(&effect);  // owned by the effect, destroyed with it
    EXPECT_EQ(effect.getEditor(), second);
}

// The working directory at construction, cut to 256 bytes at a character boundary; the bank
// and preset files empty. Nothing is written before the editor goes.
TEST(PresetSystemEditorTest, DestructionWritesTheRememberedPaths) {
    const fs::path saved = fs::current_path();
    std::string longName;
    for (int i = 0; i < 120; ++i) longName += "\xC3\xB6";  // 240 bytes, 120 characters
    for (const std::string& folderName : {std::string("Aldermark paths"), longName}) {
        presettest::SettingsScope scope;
        const fs::path folder = fs::temp_directory_path() / fs::path(std::u8string(folderName.begin(), folderName.end()));
        fs::create_directories(folder);
        fs::current_path(folder);
        const std::string whole = utf8Of(fs::current_path());

        auto effect = std::make_unique<TestEffect>();
        auto* editor = new TestEditor(effect.get());
        const std::string remembered = editor->currentDirectory();
        EXPECT_EQ(remembered, platform::workingDirectory(256));
        if (whole.size() <= 256) {
            EXPECT_EQ(remembered, whole);
        } else {
            EXPECT_GE(remembered.size(), 255u);  // a 2-byte character may not fit the last byte
            EXPECT_LE(remembered.size(), 256u);
            EXPECT_EQ(whole.compare(0, remembered.size(), remembered), 0);
            EXPECT_NE(static_cast<unsigned char>(whole[remembered.size()]) & 0xC0, 0x80);
        }
        EXPECT_EQ(editor->currentBank(), "");
        EXPECT_EQ(editor->currentPreset(), "");
        for (const char* name : presettest::kRememberedNames) EXPECT_EQ(presettest::storedText(name), "<missing>");

        fs::current_path(saved);  // the editor remembers the old directory, not the current one
        effect.reset();           // the effect destroys its editor
        EXPECT_EQ(presettest::storedText("CurrDir"), remembered);
        EXPECT_EQ(presettest::storedText("CurrBank"), "");
        EXPECT_EQ(presettest::storedText("CurrPreset"), "");
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
}

struct ManualCase {
    const char* what;
    std::optional<std::string> manualPath;  // none: no "ManualPath" value at all
    std::optional<TestEditor::Message> message;
    const char* openerExit;  // Linux: what the stand-in xdg-open answers (the real one's codes)
    bool handedOn;           // the path reaches the desktop
};

std::vector<ManualCase> manualCases(const fs::path& folder) {
#ifdef _WIN32
    std::ofstream(folder / "manual.bat") << "@exit 0\r\n";
    std::ofstream(folder / "manual.aldermark-no-such-type") << "a document nothing opens";
    const std::string opens = utf8Of(folder / "manual.bat");
#else
    const std::string opens = utf8Of(folder / "ZEB Aldermark Manual.pdf");
#endif
    return {
        {"no ManualPath", std::nullopt, kOpenFailed, "0", false},
        {"an empty ManualPath", "", kOpenFailed, "0", false},
        {"a document the desktop opens", opens, std::nullopt, "0", true},
        {"a missing file", utf8Of(folder / "missing manual.pdf"), kOpenFailed, "2", true},
        {"a type no application opens", utf8Of(folder / "manual.aldermark-no-such-type"), kNoApplication, "3", true},
    };
}

TEST(PresetSystemEditorTest, TheManualButtonShowsExactlyTheRightMessage) {
    const fs::path folder = fs::temp_directory_path() / "aldermark-manual-cases";
    fs::create_directories(folder);
#ifndef _WIN32
    faketest::FakeXdgOpen xdg;
#endif
    int handedOn = 0;
    for (const ManualCase& c : manualCases(folder)) {
        SCOPED_TRACE(c.what);
        presettest::SettingsScope scope;
        if (c.manualPath) {
            ASSERT_TRUE(presettest::writeManualPath(*c.manualPath));
        }
#ifndef _WIN32
        std::ofstream(xdg.folder() + "/exit-code") << c.openerExit;
#endif
        TestEffect effect;
        auto* editor = new TestEditor(&effect);
        editor->valueChanged(presettest::controlWith(CPresetSystemEditor::kManualButtonTag).get());
        ASSERT_TRUE(editor->settle());
        if (c.message)
            EXPECT_EQ(editor->messages, std::vector<TestEditor::Message>{*c.message});
        else
            EXPECT_TRUE(editor->messages.empty());
        if (c.handedOn) ++handedOn;
#ifndef _WIN32
        ASSERT_EQ(xdg.runs(), handedOn);
        if (c.handedOn) {
            EXPECT_EQ(xdg.lastArguments(), std::vector<std::string>{*c.manualPath});
        }
#endif
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

// Without "ManualPath" every opening shows its message at once, so any opening would show.
TEST(PresetSystemEditorTest, OnlyAPressOfTheManualButtonActs) {
    presettest::SettingsScope scope;
    TestEffect effect;
    auto* editor = new TestEditor(&effect);
    presettest::hostGestures().clear();
    for (std::int32_t tag : {120, 102, 7, 0, 15, 63, 122, -1}) editor->valueChanged(presettest::controlWith(tag).get());
    editor->valueChanged(presettest::controlWith(CPresetSystemEditor::kManualButtonTag, 0).get());  // the release
    editor->valueChanged(nullptr);
    EXPECT_TRUE(editor->messages.empty());
    EXPECT_FALSE(editor->isOpeningManual());
    EXPECT_TRUE(presettest::hostGestures().empty());

    editor->valueChanged(presettest::controlWith(CPresetSystemEditor::kManualButtonTag).get());
    EXPECT_EQ(editor->messages, std::vector<TestEditor::Message>{kOpenFailed});
}

TEST(PresetSystemEditorTest, OneClickOpensTheManualOnce) {
    presettest::SettingsScope scope;
    TestEffect effect;
    auto* editor = new TestEditor(&effect);
    auto button = SharedPointer<CControl>::adopt(new CControl(CRect(0, 0, 20, 20), editor, 121));
    for (int click = 1; click <= 2; ++click) {
        button->beginEdit();
        // Pressed, dragged off the button and back on before the release.
        for (float value : {1.f, 0.f, 1.f, 0.f}) {
            button->setValue(value);
            editor->valueChanged(button.get());
        }
        button->endEdit();
        EXPECT_EQ(editor->messages.size(), static_cast<std::size_t>(click));
    }
}

TEST(PresetSystemEditorTest, GesturesReachTheHostAsTheParameterTheyBelongTo) {
    presettest::SettingsScope scope;
    TestEffect effect;
    auto* editor = new TestEditor(&effect);
    struct Case {
        std::int32_t tag;
        std::vector<std::string> heard;
    };
    const Case cases[] = {
        {3, {"begin 3", "end 3"}},
        {63, {"begin 63", "end 63"}},
        {68, {"begin 1", "end 1"}},  // a view of the subclass that edits parameter 1
        {121, {}},                   // the editor's own view tags are not the host's business
        {64, {}},
        {-1, {}},
    };
    for (const Case& c : cases) {
        presettest::hostGestures().clear();
        auto control = presettest::controlWith(c.tag);
        editor->controlBeginEdit(control.get());
        editor->controlEndEdit(control.get());
        EXPECT_EQ(presettest::hostGestures(), c.heard) << "tag " << c.tag;
    }
    presettest::hostGestures().clear();
    editor->controlBeginEdit(nullptr);
    editor->controlEndEdit(nullptr);
    EXPECT_TRUE(presettest::hostGestures().empty());
}

TEST(PresetSystemEditorTest, AnEditorWithoutEffectDoesNothing) {
    presettest::SettingsScope scope;
    TestEditor editor(nullptr);
    editor.valueChanged(presettest::controlWith(CPresetSystemEditor::kManualButtonTag).get());
    EXPECT_TRUE(editor.messages.empty());
    EXPECT_FALSE(editor.isOpeningManual());
}

}  // namespace
