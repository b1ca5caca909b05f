#pragma once
// The records and constants of the 2.x extensions: editor rectangle and keys, pin and
// parameter properties, speaker arrangements, plug-in categories and the patch chunk info.
// Every record is checked below for both pointer widths.
#include "vst2/aeffect.h"

// Editor window rectangle in pixels.
struct ERect {
    VstInt16 top;
    VstInt16 left;
    VstInt16 bottom;
    VstInt16 right;
};

// A key event handed to the editor (effEditKeyDown / effEditKeyUp).
struct VstKeyCode {
    VstInt32 character;     // ASCII character, 0 when the key has none
    unsigned char virt;     // virtual key code of the interface's own table
    unsigned char modifier; // modifier key bits
};

// VstKeyCode::virt: keys without a character of their own.
enum VstVirtualKey : unsigned char {
    VKEY_BACK = 1, VKEY_TAB, VKEY_CLEAR, VKEY_RETURN, VKEY_PAUSE, VKEY_ESCAPE, VKEY_SPACE, VKEY_NEXT,
    VKEY_END, VKEY_HOME, VKEY_LEFT, VKEY_UP, VKEY_RIGHT, VKEY_DOWN, VKEY_PAGEUP, VKEY_PAGEDOWN,
    VKEY_SELECT, VKEY_PRINT, VKEY_ENTER, VKEY_SNAPSHOT, VKEY_INSERT, VKEY_DELETE, VKEY_HELP,
    VKEY_NUMPAD0, VKEY_NUMPAD1, VKEY_NUMPAD2, VKEY_NUMPAD3, VKEY_NUMPAD4, VKEY_NUMPAD5, VKEY_NUMPAD6,
    VKEY_NUMPAD7, VKEY_NUMPAD8, VKEY_NUMPAD9, VKEY_MULTIPLY, VKEY_ADD, VKEY_SEPARATOR, VKEY_SUBTRACT,
    VKEY_DECIMAL, VKEY_DIVIDE, VKEY_F1, VKEY_F2, VKEY_F3, VKEY_F4, VKEY_F5, VKEY_F6, VKEY_F7, VKEY_F8,
    VKEY_F9, VKEY_F10, VKEY_F11, VKEY_F12, VKEY_NUMLOCK, VKEY_SCROLL, VKEY_SHIFT, VKEY_CONTROL, VKEY_ALT,
    VKEY_EQUALS,
};
static_assert(VKEY_RETURN == 4 && VKEY_DELETE == 22 && VKEY_NUMPAD0 == 24 && VKEY_F1 == 40 && VKEY_EQUALS == 57);

// VstKeyCode::modifier bits. "Command" is the Control key on Windows and Linux.
enum VstModifierKey : unsigned char {
    MODIFIER_SHIFT = 1 << 0,
    MODIFIER_ALTERNATE = 1 << 1,
    MODIFIER_COMMAND = 1 << 2,
    MODIFIER_CONTROL = 1 << 3,
};

// Describes one audio input or output pin (effGetInputProperties / effGetOutputProperties).
struct VstPinProperties {
    char label[kVstMaxLabelLen];
    VstInt32 flags;                      // VstPinFlags bits
    VstInt32 arrangementType;            // VstSpeakerArrangementType of the pin's group
    char shortLabel[kVstMaxShortLabelLen];
    char future[48];
};

enum VstPinFlags : VstInt32 {
    kVstPinIsActive = 1 << 0,
    kVstPinIsStereo = 1 << 1,  // this pin is the first of a stereo pair
    kVstPinUseSpeaker = 1 << 2,
};

// How a host may present and step one parameter (effGetParameterProperties).
struct VstParameterProperties {
    float stepFloat;          // step of a normal increment
    float smallStepFloat;     // fine increment
    float largeStepFloat;     // coarse increment
    char label[kVstMaxLabelLen];
    VstInt32 flags;           // VstParameterFlags bits
    VstInt32 minInteger;      // integer range, when kVstParameterUsesIntegerMinMax
    VstInt32 maxInteger;
    VstInt32 stepInteger;
    VstInt32 largeStepInteger;
    char shortLabel[kVstMaxShortLabelLen];
    VstInt16 displayIndex;    // position in the host's list, when supported
    VstInt16 category;        // 1-based category, 0 for none
    VstInt16 numParametersInCategory;
    VstInt16 reserved;
    char categoryLabel[kVstMaxCategLabelLen];
    char future[16];
};

enum VstParameterFlags : VstInt32 {
    kVstParameterIsSwitch = 1 << 0,
    kVstParameterUsesIntegerMinMax = 1 << 1,
    kVstParameterUsesFloatStep = 1 << 2,
    kVstParameterUsesIntStep = 1 << 3,
    kVstParameterSupportsDisplayIndex = 1 << 4,
    kVstParameterSupportsDisplayCategory = 1 << 5,
    kVstParameterCanRamp = 1 << 6,
};

// One loudspeaker of an arrangement.
struct VstSpeakerProperties {
    float azimuth;    // radians, -pi..pi
    float elevation;  // radians, -pi/2..pi/2
    float radius;     // metres
    float reserved;
    char name[kVstMaxNameLen];
    VstInt32 type;    // VstSpeakerType
    char future[28];
};

// A channel layout. The record is declared with room for 8 speakers; hosts may allocate
// more behind it for larger layouts.
struct VstSpeakerArrangement {
    VstInt32 type;         // VstSpeakerArrangementType
    VstInt32 numChannels;
    VstSpeakerProperties speakers[8];
};

enum VstSpeakerArrangementType : VstInt32 {
    kSpeakerArrUserDefined = -2,
    kSpeakerArrEmpty = -1,
    kSpeakerArrMono = 0,
    kSpeakerArrStereo = 1,
};

enum VstSpeakerType : VstInt32 {
    kSpeakerUndefined = 0x7fffffff,
    kSpeakerM = 0,
    kSpeakerL = 1,
    kSpeakerR = 2,
};

enum VstPlugCategory : VstInt32 {
    kPlugCategUnknown = 0,
    kPlugCategEffect = 1,
    kPlugCategSynth = 2,
    kPlugCategAnalysis = 3,
    kPlugCategMastering = 4,
    kPlugCategSpacializer = 5,
    kPlugCategRoomFx = 6,
    kPlugSurroundFx = 7,
    kPlugCategRestoration = 8,
    kPlugCategOfflineProcess = 9,
    kPlugCategShell = 10,
    kPlugCategGenerator = 11,
};

enum VstProcessPrecision : VstInt32 {
    kVstProcessPrecision32 = 0,
    kVstProcessPrecision64 = 1,
};

enum VstPanLawType : VstInt32 {
    kLinearPanLaw = 0,
    kEqualPowerPanLaw = 1,
};

// Answers to audioMasterGetCurrentProcessLevel.
enum VstProcessLevels : VstInt32 {
    kVstProcessLevelUnknown = 0,
    kVstProcessLevelUser = 1,
    kVstProcessLevelRealtime = 2,
    kVstProcessLevelPrefetch = 3,
    kVstProcessLevelOffline = 4,
};

// Announces a bank or program chunk before the host hands it over (effBeginLoadBank /
// effBeginLoadProgram).
struct VstPatchChunkInfo {
    VstInt32 version;          // format version of the file
    VstInt32 pluginUniqueID;
    VstInt32 pluginVersion;
    VstInt32 numElements;      // programs in a bank, parameters in a program
    char future[48];
};

// MIDI and other events; this layer only passes the pointer on.
struct VstEvents;

namespace vst_layout {
static_assert(sizeof(ERect) == 8 && offsetof(ERect, left) == 2 && offsetof(ERect, bottom) == 4 &&
              offsetof(ERect, right) == 6);
static_assert(sizeof(VstKeyCode) == 8 && offsetof(VstKeyCode, virt) == 4 && offsetof(VstKeyCode, modifier) == 5);
static_assert(offsetof(VstPinProperties, flags) == 64);
static_assert(offsetof(VstPinProperties, arrangementType) == 68);
static_assert(offsetof(VstPinProperties, shortLabel) == 72);
static_assert(offsetof(VstPinProperties, future) == 80);
static_assert(sizeof(VstPinProperties) == 128);
static_assert(offsetof(VstParameterProperties, smallStepFloat) == 4);
static_assert(offsetof(VstParameterProperties, largeStepFloat) == 8);
static_assert(offsetof(VstParameterProperties, label) == 12);
static_assert(offsetof(VstParameterProperties, flags) == 76);
static_assert(offsetof(VstParameterProperties, minInteger) == 80);
static_assert(offsetof(VstParameterProperties, maxInteger) == 84);
static_assert(offsetof(VstParameterProperties, stepInteger) == 88);
static_assert(offsetof(VstParameterProperties, largeStepInteger) == 92);
static_assert(offsetof(VstParameterProperties, shortLabel) == 96);
static_assert(offsetof(VstParameterProperties, displayIndex) == 104);
static_assert(offsetof(VstParameterProperties, category) == 106);
static_assert(offsetof(VstParameterProperties, numParametersInCategory) == 108);
static_assert(offsetof(VstParameterProperties, reserved) == 110);
static_assert(offsetof(VstParameterProperties, categoryLabel) == 112);
static_assert(offsetof(VstParameterProperties, future) == 136);
static_assert(sizeof(VstParameterProperties) == 152);
static_assert(offsetof(VstSpeakerProperties, elevation) == 4);
static_assert(offsetof(VstSpeakerProperties, radius) == 8);
static_assert(offsetof(VstSpeakerProperties, reserved) == 12);
static_assert(offsetof(VstSpeakerProperties, name) == 16);
static_assert(offsetof(VstSpeakerProperties, type) == 80);
static_assert(offsetof(VstSpeakerProperties, future) == 84);
static_assert(sizeof(VstSpeakerProperties) == 112);
static_assert(offsetof(VstSpeakerArrangement, numChannels) == 4);
static_assert(offsetof(VstSpeakerArrangement, speakers) == 8);
static_assert(sizeof(VstSpeakerArrangement) == 8 + 8 * 112);
static_assert(offsetof(VstPatchChunkInfo, pluginUniqueID) == 4);
static_assert(offsetof(VstPatchChunkInfo, pluginVersion) == 8);
static_assert(offsetof(VstPatchChunkInfo, numElements) == 12);
static_assert(sizeof(VstPatchChunkInfo) == 64);
}  // namespace vst_layout
