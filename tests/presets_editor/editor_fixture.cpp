#include "tests/presets_editor/editor_fixture.h"

#include <gtest/gtest.h>

#include "platform/settings_store.h"

#ifdef _WIN32
#include "platform/windows/windows_lean.h"
#endif

namespace presettest {

namespace {

VstIntPtr VSTCALLBACK recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float) {
    if (opcode == audioMasterBeginEdit) hostGestures().push_back("begin " + std::to_string(index));
    if (opcode == audioMasterEndEdit) hostGestures().push_back("end " + std::to_string(index));
    return opcode == audioMasterVersion ? 2400 : 0;
}

}  // namespace

std::vector<std::string>& hostGestures() {
    static std::vector<std::string> gestures;
    return gestures;
}

TestEffect::TestEffect() : CPresetSystemEffect(recordingHost, 64) {}

void TestEditor::showMessage(const char* caption, const char* text) {
    messages.push_back({caption ? caption : "(null)", text ? text : "(null)"});
    if (showMessagesForReal) CPresetSystemEditor::showMessage(caption, text);
}

void TestEditor::programNameChanged(const char* name) {
    CPresetSystemEditor::programNameChanged(name);
    programNames.push_back(name ? name : "(null)");
}

std::int32_t TestEditor::hostParameterFor(const CControl* control) const {
    if (control && control->getTag() == 68) return 1;
    return CPresetSystemEditor::hostParameterFor(control);
}

bool TestEditor::openOffscreen(double width, double height) {
    if (frame) return false;
    frame = new CFrame(CRect(0, 0, width, height), nullptr, this);
    return frame->openOffscreen();
}

bool TestEditor::openWindow(void* parent) {
    if (frame) return false;
    frame = new CFrame(CRect(0, 0, 586, 195), parent, this);
    return frame->isOpen();
}

void TestEditor::close() {
    CPresetSystemEditor::close();
    if (frame) frame->close();
    frame = nullptr;
}

bool TestEditor::settle() {
    return testwait::waitUntil(kPatience, [&] {
        idlePresetSystem();
        return !isOpeningManual();
    });
}

SharedPointer<CControl> controlWith(std::int32_t tag, float value) {
    auto control = SharedPointer<CControl>::adopt(new CControl(CRect(0, 0, 20, 20), nullptr, tag));
    control->setValue(value);
    return control;
}

bool writeManualPath(const std::string& path) {
    const platform::SettingText value{"ManualPath", path.c_str()};
    return platform::writeSettingTexts(&value, 1);
}

std::string storedText(const char* name) {
    std::string text;
    return platform::readSettingText(name, text) ? text : "<missing>";
}

#ifdef _WIN32

namespace {

constexpr wchar_t kKeyPath[] = L"SOFTWARE\\Kestrune\\ZEBDIALS300";
constexpr const wchar_t* kSavedNames[] = {L"CurrDir", L"CurrBank", L"CurrPreset", L"ManualPath"};

}  // namespace

SettingsScope::SettingsScope() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    for (int i = 0; i < 4; ++i) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(key, kSavedNames[i], nullptr, &type, nullptr, &size) != ERROR_SUCCESS) continue;
        saved_[i].data.resize(size);
        if (RegQueryValueExW(key, kSavedNames[i], nullptr, &type, saved_[i].data.data(), &size) != ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot save a registry value; the test would lose it";
            continue;
        }
        saved_[i].existed = true;
        saved_[i].type = type;
        RegDeleteValueW(key, kSavedNames[i]);
    }
    RegCloseKey(key);
}

SettingsScope::~SettingsScope() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    for (int i = 0; i < 4; ++i) {
        if (saved_[i].existed)
            RegSetValueExW(key, kSavedNames[i], 0, saved_[i].type, saved_[i].data.data(),
                           static_cast<DWORD>(saved_[i].data.size()));
        else
            RegDeleteValueW(key, kSavedNames[i]);
    }
    RegCloseKey(key);
}

#else

SettingsScope::SettingsScope() = default;
SettingsScope::~SettingsScope() = default;

#endif

}  // namespace presettest
