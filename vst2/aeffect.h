#pragma once
// The VST 2.4 binary interface between a host and an effect: base integer types, the calling
// convention, the effect record and the opcode numbers of both directions. Written from the
// published binary layout; the layout is identical on x86 and x86-64 apart from pointer width,
// and the static checks at the end pin every offset for both.
#include <cstddef>
#include <cstdint>

// Entry points and callbacks use the C calling convention; it only matters on 32-bit Windows,
// where it must be stated because a compiler may be set to another default.
#if defined(_WIN32)
#define VSTCALLBACK __cdecl
#else
#define VSTCALLBACK
#endif

// Marks a function that the shared library exports to the host.
#if defined(_WIN32)
#define VST_EXPORT __declspec(dllexport)
#else
#define VST_EXPORT __attribute__((visibility("default")))
#endif

using VstInt16 = std::int16_t;
using VstInt32 = std::int32_t;
using VstInt64 = std::int64_t;
using VstIntPtr = std::intptr_t;  // pointer-sized: opcode values and answers may carry pointers

// Four-character codes keep the first character in the most significant byte.
constexpr VstInt32 vstFourCharCode(char a, char b, char c, char d) {
    return static_cast<VstInt32>((static_cast<std::uint32_t>(static_cast<unsigned char>(a)) << 24) |
                                 (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 16) |
                                 (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8) |
                                 static_cast<std::uint32_t>(static_cast<unsigned char>(d)));
}

constexpr VstInt32 kEffectMagic = vstFourCharCode('V', 's', 't', 'P');
constexpr VstInt32 kVstVersion = 2400;  // the interface version we implement, as 2.4.0.0

struct AEffect;

// Host side: one callback through which the effect asks the host for everything.
typedef VstIntPtr(VSTCALLBACK* audioMasterCallback)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                     VstIntPtr value, void* ptr, float opt);
// Effect side: the entries of the effect record.
typedef VstIntPtr(VSTCALLBACK* AEffectDispatcherProc)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                       VstIntPtr value, void* ptr, float opt);
typedef void(VSTCALLBACK* AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs,
                                              VstInt32 sampleFrames);
typedef void(VSTCALLBACK* AEffectProcessDoubleProc)(AEffect* effect, double** inputs, double** outputs,
                                                    VstInt32 sampleFrames);
typedef void(VSTCALLBACK* AEffectSetParameterProc)(AEffect* effect, VstInt32 index, float parameter);
typedef float(VSTCALLBACK* AEffectGetParameterProc)(AEffect* effect, VstInt32 index);

// The record the entry point hands to the host. Field order and widths are the interface.
struct AEffect {
    VstInt32 magic;                                  // kEffectMagic
    AEffectDispatcherProc dispatcher;                // every opcode of EffectOpcodes
    AEffectProcessProc process;                      // accumulating process, obsolete since 2.4
    AEffectSetParameterProc setParameter;            // normalised value 0..1
    AEffectGetParameterProc getParameter;            // normalised value 0..1
    VstInt32 numPrograms;                            // programs the host may select
    VstInt32 numParams;                              // parameters the host sees
    VstInt32 numInputs;                              // audio input channels
    VstInt32 numOutputs;                             // audio output channels
    VstInt32 flags;                                  // EffectFlags bits
    VstIntPtr reserved1;                             // host-owned, keep 0
    VstIntPtr reserved2;                             // host-owned, keep 0
    VstInt32 initialDelay;                           // latency in samples
    VstInt32 realQualities;                          // obsolete
    VstInt32 offQualities;                           // obsolete
    float ioRatio;                                   // obsolete
    void* object;                                    // the effect object behind this record
    void* user;                                      // free for the host's own use
    VstInt32 uniqueID;                               // four-character registration code
    VstInt32 version;                                // the effect's own version
    AEffectProcessProc processReplacing;             // single-precision process, output replaced
    AEffectProcessDoubleProc processDoubleReplacing; // double-precision process
    char future[56];                                 // zero
};

// AEffect::flags bits.
enum EffectFlags : VstInt32 {
    effFlagsHasEditor = 1 << 0,
    effFlagsCanReplacing = 1 << 4,
    effFlagsProgramChunks = 1 << 5,
    effFlagsIsSynth = 1 << 8,
    effFlagsNoSoundInStop = 1 << 9,
    effFlagsCanDoubleReplacing = 1 << 12,
};

// Host → effect, through AEffect::dispatcher. Numbers are fixed by the interface; entries
// marked obsolete are listed so that the numbering stays readable.
enum EffectOpcodes : VstInt32 {
    effOpen = 0,
    effClose = 1,
    effSetProgram = 2,       // value: program
    effGetProgram = 3,
    effSetProgramName = 4,   // ptr: text
    effGetProgramName = 5,   // ptr: text buffer of kVstMaxProgNameLen
    effGetParamLabel = 6,    // index, ptr: text buffer
    effGetParamDisplay = 7,  // index, ptr: text buffer
    effGetParamName = 8,     // index, ptr: text buffer
    effGetVu = 9,            // obsolete
    effSetSampleRate = 10,   // opt: rate
    effSetBlockSize = 11,    // value: maximum frames per process call
    effMainsChanged = 12,    // value: 0 suspend, 1 resume
    effEditGetRect = 13,     // ptr: ERect** to fill
    effEditOpen = 14,        // ptr: native parent window
    effEditClose = 15,
    effEditDraw = 16,        // obsolete
    effEditMouse = 17,       // obsolete
    effEditKey = 18,         // obsolete
    effEditIdle = 19,
    effEditTop = 20,         // obsolete
    effEditSleep = 21,       // obsolete
    effIdentify = 22,        // obsolete; answered with 'NvEf'
    effGetChunk = 23,        // index: 0 bank, 1 program; ptr: void** receiving the data
    effSetChunk = 24,        // index as above; value: size; ptr: data
    effProcessEvents = 25,   // ptr: VstEvents*
    effCanBeAutomated = 26,  // index
    effString2Parameter = 27,        // index, ptr: text (null asks for support)
    effGetNumProgramCategories = 28, // obsolete
    effGetProgramNameIndexed = 29,   // index: program, value: category, ptr: text buffer
    effCopyProgram = 30,             // obsolete
    effConnectInput = 31,            // obsolete
    effConnectOutput = 32,           // obsolete
    effGetInputProperties = 33,      // index, ptr: VstPinProperties*
    effGetOutputProperties = 34,     // index, ptr: VstPinProperties*
    effGetPlugCategory = 35,
    effGetCurrentPosition = 36,      // obsolete
    effGetDestinationBuffer = 37,    // obsolete
    effOfflineNotify = 38,
    effOfflinePrepare = 39,
    effOfflineRun = 40,
    effProcessVarIo = 41,
    effSetSpeakerArrangement = 42,   // value: input VstSpeakerArrangement*, ptr: output one
    effSetBlockSizeAndSampleRate = 43, // obsolete
    effSetBypass = 44,               // value: 1 bypass on
    effGetEffectName = 45,           // ptr: text buffer of kVstMaxEffectNameLen
    effGetErrorText = 46,            // obsolete
    effGetVendorString = 47,         // ptr: text buffer of kVstMaxVendorStrLen
    effGetProductString = 48,        // ptr: text buffer of kVstMaxProductStrLen
    effGetVendorVersion = 49,
    effVendorSpecific = 50,
    effCanDo = 51,                   // ptr: capability text; answer 1 yes, -1 no, 0 unknown
    effGetTailSize = 52,
    effIdle = 53,                    // obsolete
    effGetIcon = 54,                 // obsolete
    effSetViewPosition = 55,         // obsolete
    effGetParameterProperties = 56,  // index, ptr: VstParameterProperties*
    effKeysRequired = 57,            // obsolete
    effGetVstVersion = 58,
    effEditKeyDown = 59,             // index: character, value: virtual key, opt: modifiers
    effEditKeyUp = 60,               // as effEditKeyDown
    effSetEditKnobMode = 61,         // value: knob mode
    effGetMidiProgramName = 62,
    effGetCurrentMidiProgram = 63,
    effGetMidiProgramCategory = 64,
    effHasMidiProgramsChanged = 65,
    effGetMidiKeyName = 66,
    effBeginSetProgram = 67,
    effEndSetProgram = 68,
    effGetSpeakerArrangement = 69,   // value: VstSpeakerArrangement** input, ptr: ** output
    effShellGetNextPlugin = 70,      // ptr: name buffer of kVstMaxProductStrLen
    effStartProcess = 71,
    effStopProcess = 72,
    effSetTotalSampleToProcess = 73, // value: frames
    effSetPanLaw = 74,               // value: law, opt: gain
    effBeginLoadBank = 75,           // ptr: VstPatchChunkInfo*
    effBeginLoadProgram = 76,        // ptr: VstPatchChunkInfo*
    effSetProcessPrecision = 77,     // value: VstProcessPrecision
    effGetNumMidiInputChannels = 78,
    effGetNumMidiOutputChannels = 79,
};

// effVendorSpecific as hosts use it to state an editor's display scale: index and value
// below, the factor (1 = 100 %) in opt.
constexpr VstInt32 kVendorScaleIndex = vstFourCharCode('P', 'r', 'e', 'S');
constexpr VstIntPtr kVendorScaleValue = vstFourCharCode('A', 'e', 'C', 's');

// Effect → host, through the audioMasterCallback.
enum HostOpcodes : VstInt32 {
    audioMasterAutomate = 0,       // index: parameter, opt: new value
    audioMasterVersion = 1,        // answer: host's interface version (2400)
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterPinConnected = 4,   // index: pin, value: 0 input / 1 output; answer 0 = connected
    audioMasterWantMidi = 6,       // obsolete
    audioMasterGetTime = 7,
    audioMasterProcessEvents = 8,
    audioMasterIOChanged = 13,
    audioMasterSizeWindow = 15,    // index: width, value: height
    audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17,
    audioMasterGetInputLatency = 18,
    audioMasterGetOutputLatency = 19,
    audioMasterGetCurrentProcessLevel = 23,
    audioMasterGetAutomationState = 24,
    audioMasterGetVendorString = 32,  // ptr: text buffer of kVstMaxVendorStrLen
    audioMasterGetProductString = 33, // ptr: text buffer of kVstMaxProductStrLen
    audioMasterGetVendorVersion = 34,
    audioMasterVendorSpecific = 35,
    audioMasterCanDo = 37,            // ptr: capability text
    audioMasterGetLanguage = 38,
    audioMasterGetDirectory = 41,
    audioMasterUpdateDisplay = 42,
    audioMasterBeginEdit = 43,        // index: parameter
    audioMasterEndEdit = 44,          // index: parameter
};

// Text buffer sizes, each including the terminating zero.
constexpr int kVstMaxProgNameLen = 24;
constexpr int kVstMaxParamStrLen = 8;
constexpr int kVstMaxVendorStrLen = 64;
constexpr int kVstMaxProductStrLen = 64;
constexpr int kVstMaxEffectNameLen = 32;
constexpr int kVstMaxNameLen = 64;
constexpr int kVstMaxLabelLen = 64;
constexpr int kVstMaxShortLabelLen = 8;
constexpr int kVstMaxCategLabelLen = 24;
constexpr int kVstMaxFileNameLen = 100;

// Layout of the effect record for both pointer widths (4 bytes on x86, 8 on x86-64).
namespace vst_layout {
constexpr bool wide = sizeof(void*) == 8;
static_assert(sizeof(VstIntPtr) == sizeof(void*));
static_assert(offsetof(AEffect, magic) == 0);
static_assert(offsetof(AEffect, dispatcher) == (wide ? 8 : 4));
static_assert(offsetof(AEffect, process) == (wide ? 16 : 8));
static_assert(offsetof(AEffect, setParameter) == (wide ? 24 : 12));
static_assert(offsetof(AEffect, getParameter) == (wide ? 32 : 16));
static_assert(offsetof(AEffect, numPrograms) == (wide ? 40 : 20));
static_assert(offsetof(AEffect, numParams) == (wide ? 44 : 24));
static_assert(offsetof(AEffect, numInputs) == (wide ? 48 : 28));
static_assert(offsetof(AEffect, numOutputs) == (wide ? 52 : 32));
static_assert(offsetof(AEffect, flags) == (wide ? 56 : 36));
static_assert(offsetof(AEffect, reserved1) == (wide ? 64 : 40));
static_assert(offsetof(AEffect, reserved2) == (wide ? 72 : 44));
static_assert(offsetof(AEffect, initialDelay) == (wide ? 80 : 48));
static_assert(offsetof(AEffect, realQualities) == (wide ? 84 : 52));
static_assert(offsetof(AEffect, offQualities) == (wide ? 88 : 56));
static_assert(offsetof(AEffect, ioRatio) == (wide ? 92 : 60));
static_assert(offsetof(AEffect, object) == (wide ? 96 : 64));
static_assert(offsetof(AEffect, user) == (wide ? 104 : 68));
static_assert(offsetof(AEffect, uniqueID) == (wide ? 112 : 72));
static_assert(offsetof(AEffect, version) == (wide ? 116 : 76));
static_assert(offsetof(AEffect, processReplacing) == (wide ? 120 : 80));
static_assert(offsetof(AEffect, processDoubleReplacing) == (wide ? 128 : 84));
static_assert(offsetof(AEffect, future) == (wide ? 136 : 88));
static_assert(sizeof(AEffect) == (wide ? 192 : 144));
static_assert(kEffectMagic == 0x56737450);
}  // namespace vst_layout
