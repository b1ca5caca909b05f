#pragma once
// The CLAP 1.2 binary interface as far as this plug-in uses it: the entry record, the plug-in
// factory, the host and plug-in records, processing with its audio buffers and event lists,
// parameter events, and the params, state, audio-ports and latency extensions. Written from
// the format's published layouts: field order, widths and constants are the interface, the
// names are ours. The checks at the end pin the x86-64 offsets. The gui extension is here
// too; our editor keeps its own timer (a thread on Linux, the window's timer messages on
// Windows), so timer-support and posix-fd-support are not needed.
#include <cstddef>
#include <cstdint>

// Every function of the interface uses the C calling convention; on 32-bit Windows it must
// be stated, as a compiler may be set to another default.
#if defined(_WIN32)
#define CLAPCALL __cdecl
#define CLAP_EXPORT __declspec(dllexport)
#else
#define CLAPCALL
#define CLAP_EXPORT __attribute__((visibility("default")))
#endif

namespace clap {

using Id = std::uint32_t;
constexpr Id kInvalidId = UINT32_MAX;
constexpr std::size_t kNameSize = 256;    // names in fixed buffers, terminator included
constexpr std::size_t kModuleSize = 1024; // a parameter's module path

struct Version {
    std::uint32_t major, minor, revision;
};
constexpr Version kVersion = {1, 2, 0};  // the interface version we implement

struct Host;
struct Plugin;
struct Process;

// What the library exports as `clap_entry`.
struct PluginEntry {
    Version clapVersion;
    bool(CLAPCALL* init)(const char* pluginPath);  // may come more than once; each needs a deinit
    void(CLAPCALL* deinit)();
    const void*(CLAPCALL* getFactory)(const char* factoryId);
};

inline constexpr const char* kPluginFactoryId = "clap.plugin-factory";

struct PluginDescriptor {
    Version clapVersion;
    const char* id;
    const char* name;
    const char* vendor;
    const char* url;
    const char* manualUrl;
    const char* supportUrl;
    const char* version;
    const char* description;
    const char* const* features;  // null-terminated list of feature strings
};

struct PluginFactory {
    std::uint32_t(CLAPCALL* getPluginCount)(const PluginFactory* factory);
    const PluginDescriptor*(CLAPCALL* getPluginDescriptor)(const PluginFactory* factory, std::uint32_t index);
    const Plugin*(CLAPCALL* createPlugin)(const PluginFactory* factory, const Host* host, const char* pluginId);
};

struct Host {
    Version clapVersion;
    void* hostData;
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    const void*(CLAPCALL* getExtension)(const Host* host, const char* extensionId);
    void(CLAPCALL* requestRestart)(const Host* host);
    void(CLAPCALL* requestProcess)(const Host* host);
    void(CLAPCALL* requestCallback)(const Host* host);
};

// Answers of Plugin::process.
enum ProcessStatus : std::int32_t {
    kProcessError = 0,
    kProcessContinue = 1,
    kProcessContinueIfNotQuiet = 2,
    kProcessTail = 3,
    kProcessSleep = 4,
};

struct Plugin {
    const PluginDescriptor* desc;
    void* pluginData;
    bool(CLAPCALL* init)(const Plugin* plugin);
    void(CLAPCALL* destroy)(const Plugin* plugin);
    bool(CLAPCALL* activate)(const Plugin* plugin, double sampleRate, std::uint32_t minFrames, std::uint32_t maxFrames);
    void(CLAPCALL* deactivate)(const Plugin* plugin);
    bool(CLAPCALL* startProcessing)(const Plugin* plugin);
    void(CLAPCALL* stopProcessing)(const Plugin* plugin);
    void(CLAPCALL* reset)(const Plugin* plugin);
    std::int32_t(CLAPCALL* process)(const Plugin* plugin, const Process* process);
    const void*(CLAPCALL* getExtension)(const Plugin* plugin, const char* id);
    void(CLAPCALL* onMainThread)(const Plugin* plugin);
};

// Events: a header, then the body its type names. Times are frames into the block.
struct EventHeader {
    std::uint32_t size;  // of the whole event, header included
    std::uint32_t time;
    std::uint16_t spaceId;
    std::uint16_t type;
    std::uint32_t flags;
};
constexpr std::uint16_t kCoreEventSpace = 0;
enum EventFlags : std::uint32_t { kEventIsLive = 1u << 0, kEventDontRecord = 1u << 1 };
enum EventType : std::uint16_t {
    kEventParamValue = 5,
    kEventParamMod = 6,
    kEventParamGestureBegin = 7,
    kEventParamGestureEnd = 8,
};

struct EventParamValue {
    EventHeader header;
    Id paramId;
    void* cookie;
    std::int32_t noteId;  // -1: any; likewise the three below
    std::int16_t portIndex;
    std::int16_t channel;
    std::int16_t key;
    double value;
};

struct EventParamGesture {
    EventHeader header;
    Id paramId;
};

struct InputEvents {
    void* ctx;
    std::uint32_t(CLAPCALL* size)(const InputEvents* list);
    const EventHeader*(CLAPCALL* get)(const InputEvents* list, std::uint32_t index);
};

struct OutputEvents {
    void* ctx;
    bool(CLAPCALL* tryPush)(const OutputEvents* list, const EventHeader* event);
};

struct AudioBuffer {
    float** data32;
    double** data64;
    std::uint32_t channelCount;
    std::uint32_t latency;
    std::uint64_t constantMask;
};

struct EventTransport;  // not read by this plug-in

struct Process {
    std::int64_t steadyTime;
    std::uint32_t framesCount;
    const EventTransport* transport;
    const AudioBuffer* audioInputs;
    AudioBuffer* audioOutputs;
    std::uint32_t audioInputsCount;
    std::uint32_t audioOutputsCount;
    const InputEvents* inEvents;
    const OutputEvents* outEvents;
};

// Extension "clap.params".
inline constexpr const char* kExtParams = "clap.params";
enum ParamFlags : std::uint32_t {
    kParamIsStepped = 1u << 0,
    kParamIsPeriodic = 1u << 1,
    kParamIsHidden = 1u << 2,
    kParamIsReadonly = 1u << 3,
    kParamIsBypass = 1u << 4,
    kParamIsAutomatable = 1u << 5,
    kParamIsModulatable = 1u << 10,
    kParamRequiresProcess = 1u << 15,
    kParamIsEnum = 1u << 16,
};
enum ParamRescanFlags : std::uint32_t {
    kParamRescanValues = 1u << 0,
    kParamRescanText = 1u << 1,
    kParamRescanInfo = 1u << 2,
    kParamRescanAll = 1u << 3,
};

struct ParamInfo {
    Id id;
    std::uint32_t flags;
    void* cookie;
    char name[kNameSize];
    char module[kModuleSize];
    double minValue;
    double maxValue;
    double defaultValue;
};

struct PluginParams {
    std::uint32_t(CLAPCALL* count)(const Plugin* plugin);
    bool(CLAPCALL* getInfo)(const Plugin* plugin, std::uint32_t index, ParamInfo* info);
    bool(CLAPCALL* getValue)(const Plugin* plugin, Id id, double* value);
    bool(CLAPCALL* valueToText)(const Plugin* plugin, Id id, double value, char* text, std::uint32_t capacity);
    bool(CLAPCALL* textToValue)(const Plugin* plugin, Id id, const char* text, double* value);
    void(CLAPCALL* flush)(const Plugin* plugin, const InputEvents* in, const OutputEvents* out);
};

struct HostParams {
    void(CLAPCALL* rescan)(const Host* host, std::uint32_t flags);
    void(CLAPCALL* clear)(const Host* host, Id id, std::uint32_t flags);
    void(CLAPCALL* requestFlush)(const Host* host);
};

// Extension "clap.state", through byte streams that may move fewer bytes than asked.
inline constexpr const char* kExtState = "clap.state";

struct InputStream {
    void* ctx;
    std::int64_t(CLAPCALL* read)(const InputStream* stream, void* buffer, std::uint64_t size);  // 0 end, -1 error
};
struct OutputStream {
    void* ctx;
    std::int64_t(CLAPCALL* write)(const OutputStream* stream, const void* buffer, std::uint64_t size);  // -1 error
};

struct PluginState {
    bool(CLAPCALL* save)(const Plugin* plugin, const OutputStream* stream);
    bool(CLAPCALL* load)(const Plugin* plugin, const InputStream* stream);
};
struct HostState {
    void(CLAPCALL* markDirty)(const Host* host);
};

// Extension "clap.audio-ports".
inline constexpr const char* kExtAudioPorts = "clap.audio-ports";
inline constexpr const char* kPortStereo = "stereo";
enum AudioPortFlags : std::uint32_t {
    kAudioPortIsMain = 1u << 0,
    kAudioPortSupports64Bits = 1u << 1,
    kAudioPortPrefers64Bits = 1u << 2,
    kAudioPortRequiresCommonSampleSize = 1u << 3,
};

struct AudioPortInfo {
    Id id;  // unique among the ports of one direction
    char name[kNameSize];
    std::uint32_t flags;
    std::uint32_t channelCount;
    const char* portType;
    Id inPlacePair;  // the port of the other direction that may share its buffers
};

struct PluginAudioPorts {
    std::uint32_t(CLAPCALL* count)(const Plugin* plugin, bool isInput);
    bool(CLAPCALL* get)(const Plugin* plugin, std::uint32_t index, bool isInput, AudioPortInfo* info);
};

// Extension "clap.latency".
inline constexpr const char* kExtLatency = "clap.latency";
struct PluginLatency {
    std::uint32_t(CLAPCALL* get)(const Plugin* plugin);
};

// Extension "clap.gui": an editor embedded in a window of the host's (or floating).
inline constexpr const char* kExtGui = "clap.gui";
inline constexpr const char* kWindowApiX11 = "x11";
inline constexpr const char* kWindowApiWin32 = "win32";
#if defined(_WIN32)
inline constexpr const char* kWindowApiOfThisSystem = kWindowApiWin32;
#else
inline constexpr const char* kWindowApiOfThisSystem = kWindowApiX11;
#endif

struct Window {
    const char* api;
    union {
        unsigned long x11;  // an X11 Window id
        void* win32;        // an HWND
        void* ptr;
    };
};

struct GuiResizeHints {
    bool canResizeHorizontally;
    bool canResizeVertically;
    bool preserveAspectRatio;
    std::uint32_t aspectRatioWidth;
    std::uint32_t aspectRatioHeight;
};

// Sizes are physical pixels for the x11 and win32 APIs.
struct PluginGui {
    bool(CLAPCALL* isApiSupported)(const Plugin* plugin, const char* api, bool isFloating);
    bool(CLAPCALL* getPreferredApi)(const Plugin* plugin, const char** api, bool* isFloating);
    bool(CLAPCALL* create)(const Plugin* plugin, const char* api, bool isFloating);
    void(CLAPCALL* destroy)(const Plugin* plugin);
    bool(CLAPCALL* setScale)(const Plugin* plugin, double scale);
    bool(CLAPCALL* getSize)(const Plugin* plugin, std::uint32_t* width, std::uint32_t* height);
    bool(CLAPCALL* canResize)(const Plugin* plugin);
    bool(CLAPCALL* getResizeHints)(const Plugin* plugin, GuiResizeHints* hints);
    bool(CLAPCALL* adjustSize)(const Plugin* plugin, std::uint32_t* width, std::uint32_t* height);
    bool(CLAPCALL* setSize)(const Plugin* plugin, std::uint32_t width, std::uint32_t height);
    bool(CLAPCALL* setParent)(const Plugin* plugin, const Window* window);
    bool(CLAPCALL* setTransient)(const Plugin* plugin, const Window* window);
    void(CLAPCALL* suggestTitle)(const Plugin* plugin, const char* title);
    bool(CLAPCALL* show)(const Plugin* plugin);
    bool(CLAPCALL* hide)(const Plugin* plugin);
};

struct HostGui {
    void(CLAPCALL* resizeHintsChanged)(const Host* host);
    bool(CLAPCALL* requestResize)(const Host* host, std::uint32_t width, std::uint32_t height);
    bool(CLAPCALL* requestShow)(const Host* host);
    bool(CLAPCALL* requestHide)(const Host* host);
    void(CLAPCALL* closed)(const Host* host, bool wasDestroyed);
};

// The layout on x86-64, where every host we are tested in runs; 32-bit follows the same
// declarations with the platform's own alignment.
#if defined(__x86_64__) || defined(_M_X64)
static_assert(sizeof(PluginEntry) == 40 && offsetof(PluginEntry, init) == 16 && offsetof(PluginEntry, getFactory) == 32);
static_assert(sizeof(PluginDescriptor) == 88 && offsetof(PluginDescriptor, id) == 16 &&
              offsetof(PluginDescriptor, features) == 80);
static_assert(sizeof(Host) == 88 && offsetof(Host, hostData) == 16 && offsetof(Host, getExtension) == 56 &&
              offsetof(Host, requestCallback) == 80);
static_assert(sizeof(Plugin) == 96 && offsetof(Plugin, activate) == 32 && offsetof(Plugin, process) == 72 &&
              offsetof(Plugin, onMainThread) == 88);
static_assert(sizeof(EventHeader) == 16 && offsetof(EventHeader, type) == 10 && offsetof(EventHeader, flags) == 12);
static_assert(sizeof(EventParamValue) == 56 && offsetof(EventParamValue, paramId) == 16 &&
              offsetof(EventParamValue, cookie) == 24 && offsetof(EventParamValue, noteId) == 32 &&
              offsetof(EventParamValue, key) == 40 && offsetof(EventParamValue, value) == 48);
static_assert(sizeof(EventParamGesture) == 20);
static_assert(sizeof(AudioBuffer) == 32 && offsetof(AudioBuffer, channelCount) == 16 &&
              offsetof(AudioBuffer, constantMask) == 24);
static_assert(sizeof(Process) == 64 && offsetof(Process, transport) == 16 && offsetof(Process, audioInputsCount) == 40 &&
              offsetof(Process, inEvents) == 48 && offsetof(Process, outEvents) == 56);
static_assert(sizeof(ParamInfo) == 1320 && offsetof(ParamInfo, name) == 16 && offsetof(ParamInfo, module) == 272 &&
              offsetof(ParamInfo, minValue) == 1296 && offsetof(ParamInfo, defaultValue) == 1312);
static_assert(sizeof(PluginParams) == 48 && sizeof(HostParams) == 24);
static_assert(sizeof(Window) == 16 && offsetof(Window, x11) == 8 && sizeof(GuiResizeHints) == 12);
static_assert(sizeof(PluginGui) == 120 && offsetof(PluginGui, setScale) == 32 && offsetof(PluginGui, setParent) == 80 &&
              sizeof(HostGui) == 40);
static_assert(sizeof(AudioPortInfo) == 288 && offsetof(AudioPortInfo, flags) == 260 &&
              offsetof(AudioPortInfo, portType) == 272 && offsetof(AudioPortInfo, inPlacePair) == 280);
#endif

}  // namespace clap
