#include "clap/clap_instance.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "core/parameter_table.h"
#include "core/plain_values.h"

using plain_values::Control;

namespace {

std::uint32_t paramFlags(const Control& c) {
    std::uint32_t flags = clap::kParamIsAutomatable;
    if (c.law == plain_values::Law::kToggle || c.law == plain_values::Law::kThreeWay)
        flags |= clap::kParamIsStepped | clap::kParamIsEnum;
    else if (c.integer)
        flags |= clap::kParamIsStepped;
    return flags;
}

void copyName(char* out, std::size_t size, const char* text) {
    std::strncpy(out, text, size - 1);
    out[size - 1] = 0;
}

}  // namespace

// The C entries of the records, each finding its instance (null records do nothing).
struct ClapInstance::Thunks {
    static bool CLAPCALL init(const clap::Plugin* p) {
        ClapInstance* self = from(p);
        return self && self->init();
    }
    static void CLAPCALL destroy(const clap::Plugin* p) { delete from(p); }
    static bool CLAPCALL activate(const clap::Plugin* p, double rate, std::uint32_t, std::uint32_t) {
        ClapInstance* self = from(p);
        return self && self->activate(rate);
    }
    static void CLAPCALL deactivate(const clap::Plugin* p) {
        if (ClapInstance* self = from(p)) self->effect_.suspend();
    }
    static bool CLAPCALL startProcessing(const clap::Plugin* p) { return from(p) != nullptr; }
    static void CLAPCALL stopProcessing(const clap::Plugin*) {}
    // Meters and filters start again from silence; the parameters stay.
    static void CLAPCALL reset(const clap::Plugin* p) {
        if (ClapInstance* self = from(p)) self->effect_.suspend(), self->effect_.resume();
    }
    static std::int32_t CLAPCALL process(const clap::Plugin* p, const clap::Process* process) {
        ClapInstance* self = from(p);
        return self && process ? self->process(*process) : clap::kProcessError;
    }
    static const void* CLAPCALL extension(const clap::Plugin* p, const char* id) {
        ClapInstance* self = from(p);
        return self && id ? self->extension(id) : nullptr;
    }
    static void CLAPCALL onMainThread(const clap::Plugin* p) {
        if (ClapInstance* self = from(p)) self->onMainThread();
    }

    static std::uint32_t CLAPCALL paramCount(const clap::Plugin*) { return plain_values::kControlCount; }
    static bool CLAPCALL paramInfo(const clap::Plugin* p, std::uint32_t index, clap::ParamInfo* info) {
        const Control* c = plain_values::controlOf(index);
        if (!from(p) || !c || !info) return false;
        *info = {};
        info->id = static_cast<clap::Id>(c->parameter);
        info->flags = paramFlags(*c);
        copyName(info->name, sizeof info->name, c->name);
        info->minValue = c->minimum;
        info->maxValue = c->maximum;
        info->defaultValue = plain_values::hostValue(*c, parameters::defaultValue(c->parameter));
        return true;
    }
    static bool CLAPCALL paramValue(const clap::Plugin* p, clap::Id id, double* value) {
        ClapInstance* self = from(p);
        const Control* c = plain_values::controlOf(id);
        if (!self || !c || !value) return false;
        *value = plain_values::hostValue(*c, self->effect_.getParameter(c->parameter));
        return true;
    }
    static bool CLAPCALL valueToText(const clap::Plugin* p, clap::Id id, double value, char* text, std::uint32_t size) {
        const Control* c = plain_values::controlOf(id);
        return from(p) && c && plain_values::formatText(*c, value, text, size);
    }
    static bool CLAPCALL textToValue(const clap::Plugin* p, clap::Id id, const char* text, double* value) {
        const Control* c = plain_values::controlOf(id);
        return from(p) && c && plain_values::parseText(*c, text, value);
    }
    static void CLAPCALL flush(const clap::Plugin* p, const clap::InputEvents* in, const clap::OutputEvents* out) {
        if (ClapInstance* self = from(p)) self->flush(in, out);
    }

    static bool CLAPCALL saveState(const clap::Plugin* p, const clap::OutputStream* stream) {
        ClapInstance* self = from(p);
        return self && self->saveState(stream);
    }
    static bool CLAPCALL loadState(const clap::Plugin* p, const clap::InputStream* stream) {
        ClapInstance* self = from(p);
        return self && self->loadState(stream);
    }

    static std::uint32_t CLAPCALL portCount(const clap::Plugin* p, bool) { return from(p) ? 1 : 0; }
    // One stereo main port each way, the output able to work in the input's buffers.
    static bool CLAPCALL portInfo(const clap::Plugin* p, std::uint32_t index, bool isInput, clap::AudioPortInfo* info) {
        if (!from(p) || index != 0 || !info) return false;
        *info = {};
        info->id = 0;
        copyName(info->name, sizeof info->name, isInput ? "Main In" : "Main Out");
        info->flags = clap::kAudioPortIsMain;
        info->channelCount = 2;
        info->portType = clap::kPortStereo;
        info->inPlacePair = 0;
        return true;
    }

    static std::uint32_t CLAPCALL latency(const clap::Plugin*) { return 0; }

    static constexpr clap::PluginParams kParams = {paramCount, paramInfo,   paramValue,
                                                   valueToText, textToValue, flush};
    static constexpr clap::PluginState kState = {saveState, loadState};
    static constexpr clap::PluginAudioPorts kAudioPorts = {portCount, portInfo};
    static constexpr clap::PluginLatency kLatency = {latency};
};

ClapInstance::ClapInstance(const clap::Host* host, const clap::PluginDescriptor* descriptor)
    : plugin_{descriptor,          this,          Thunks::init,    Thunks::destroy,
              Thunks::activate,    Thunks::deactivate, Thunks::startProcessing, Thunks::stopProcessing,
              Thunks::reset,       Thunks::process,    Thunks::extension,       Thunks::onMainThread},
      host_(host) {}

ClapInstance* ClapInstance::from(const clap::Plugin* plugin) {
    if (!plugin || plugin->init != Thunks::init) return nullptr;
    return static_cast<ClapInstance*>(plugin->pluginData);
}

// Main thread. The host's extensions may be asked for from here on, never earlier.
bool ClapInstance::init() {
    if (host_->getExtension) hostParams_ = static_cast<const clap::HostParams*>(host_->getExtension(host_, clap::kExtParams));
    if (hostParams_ && !hostParams_->requestFlush) hostParams_ = nullptr;
    if (host_->getExtension) hostState_ = static_cast<const clap::HostState*>(host_->getExtension(host_, clap::kExtState));
    if (hostState_ && !hostState_->markDirty) hostState_ = nullptr;
    return true;
}

// Main thread. A rate the effect cannot run at counts as 44.1 kHz there, as in every format.
bool ClapInstance::activate(double sampleRate) {
    // Far outside the effect's range too (and not a number): no float conversion overflows.
    effect_.setSampleRate(sampleRate > 0.0 && sampleRate < 1e7 ? static_cast<float>(sampleRate) : 0.0f);
    effect_.resume();
    return true;
}

const void* ClapInstance::extension(const char* id) const {
    if (std::strcmp(id, clap::kExtParams) == 0) return &Thunks::kParams;
    if (std::strcmp(id, clap::kExtState) == 0) return &Thunks::kState;
    if (std::strcmp(id, clap::kExtAudioPorts) == 0) return &Thunks::kAudioPorts;
    if (std::strcmp(id, clap::kExtLatency) == 0) return &Thunks::kLatency;
    if (std::strcmp(id, clap::kExtGui) == 0) return guiExtension_;
    return nullptr;
}

// Main thread: what the editor asked of the host from its own thread.
void ClapInstance::onMainThread() {
    if (stateChanged_.exchange(false, std::memory_order_acq_rel) && hostState_) hostState_->markDirty(host_);
    if (editorPart_) editorPart_->onMainThread();
}

// The editor's thread (the host's main thread, or the editor's own timer on Linux; one at a
// time, under its lock). The value is set at once; the host hears of it at the next block
// or flush, which it is asked for (request_flush may come from any thread).
void ClapInstance::automateParameter(int index, float value) {
    if (std::isnan(value)) return;
    effect_.setParameter(index, value);
    if (const Control* c = plain_values::controlOf(index))
        sendToHost(ParameterQueue::Kind::kValue, index, plain_values::hostValue(*c, effect_.getParameter(index)));
    else if (hostState_ && (index == parameters::kLabelChanged ||
                            (index >= parameters::kFirstMeterSetting && index <= parameters::kLastMeterSetting))) {
        // The editor may run on a thread of its own (Linux): the host hears it on its main thread.
        stateChanged_.store(true, std::memory_order_release);
        requestMainThread();
    }
}

void ClapInstance::sendToHost(ParameterQueue::Kind kind, int index, double plainValue) {
    if (!plain_values::controlOf(index)) return;
    toHost_.push({kind, static_cast<std::uint32_t>(index), plainValue});
    if (hostParams_) hostParams_->requestFlush(host_);
}

// Audio thread, or main thread in flush: a host's parameter value in its plain units. Other
// events, other spaces, unknown ids, short events and NaN values change nothing.
void ClapInstance::applyEvent(const clap::EventHeader& event) {
    if (event.spaceId != clap::kCoreEventSpace || event.type != clap::kEventParamValue ||
        event.size < sizeof(clap::EventParamValue))
        return;
    const auto& change = reinterpret_cast<const clap::EventParamValue&>(event);
    const Control* c = plain_values::controlOf(change.paramId);
    if (!c || std::isnan(change.value)) return;
    const double plain = std::clamp(change.value, static_cast<double>(c->minimum), static_cast<double>(c->maximum));
    effect_.setParameter(c->parameter, plain_values::normalised(*c, static_cast<float>(plain)));
}

void ClapInstance::drainToHost(const clap::OutputEvents* out) {
    if (!out || !out->tryPush) return;
    while (const ParameterQueue::Change* change = toHost_.front()) {
        bool sent = false;
        if (change->kind == ParameterQueue::Kind::kValue) {
            clap::EventParamValue e = {};
            e.header = {sizeof e, 0, clap::kCoreEventSpace, clap::kEventParamValue, 0};
            e.paramId = change->id;
            e.noteId = -1, e.portIndex = -1, e.channel = -1, e.key = -1;
            e.value = change->value;
            sent = out->tryPush(out, &e.header);
        } else {
            const std::uint16_t type = change->kind == ParameterQueue::Kind::kGestureBegin
                                           ? clap::kEventParamGestureBegin
                                           : clap::kEventParamGestureEnd;
            clap::EventParamGesture e = {{sizeof e, 0, clap::kCoreEventSpace, type, 0}, change->id};
            sent = out->tryPush(out, &e.header);
        }
        if (!sent) return;  // the host's list is full: the rest go next time
        toHost_.pop();
    }
}

void ClapInstance::flush(const clap::InputEvents* in, const clap::OutputEvents* out) {
    const std::uint32_t count = in && in->size && in->get ? in->size(in) : 0;
    for (std::uint32_t i = 0; i < count; ++i)
        if (const clap::EventHeader* event = in->get(in, i)) applyEvent(*event);
    drainToHost(out);
}

// Audio thread: frames [from, to) of the block. A missing input is silence; without an output
// there is nothing to do.
void ClapInstance::runFrames(const clap::Process& process, std::uint32_t from, std::uint32_t to) {
    const clap::AudioBuffer* in = process.audioInputsCount && process.audioInputs ? process.audioInputs : nullptr;
    const clap::AudioBuffer* out = process.audioOutputsCount && process.audioOutputs ? process.audioOutputs : nullptr;
    if (!out || !out->data32 || out->channelCount == 0 || !out->data32[0]) return;
    float* out1 = out->data32[0] + from;
    float* out2 = out->channelCount > 1 && out->data32[1] ? out->data32[1] + from : nullptr;
    const float* in1 = in && in->data32 && in->channelCount > 0 && in->data32[0] ? in->data32[0] + from : nullptr;
    const float* in2 = in1 && in->channelCount > 1 && in->data32[1] ? in->data32[1] + from : nullptr;
    const int frames = static_cast<int>(std::min<std::uint32_t>(to - from, INT_MAX));
    if (!in1) {
        std::memset(out1, 0, sizeof(float) * static_cast<std::size_t>(frames));
        if (out2) std::memset(out2, 0, sizeof(float) * static_cast<std::size_t>(frames));
        in1 = out1, in2 = out2;
    }
    effect_.process(in1, in2, out1, out2, frames);
}

// Audio thread. Each parameter event takes effect at its own frame: the block is cut there.
clap::ProcessStatus ClapInstance::process(const clap::Process& process) {
    const clap::InputEvents* in = process.inEvents;
    const std::uint32_t count = in && in->size && in->get ? in->size(in) : 0;
    std::uint32_t done = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const clap::EventHeader* event = in->get(in, i);
        if (!event) continue;
        const std::uint32_t at = std::min(event->time, process.framesCount);
        if (at > done) runFrames(process, done, at), done = at;
        applyEvent(*event);
    }
    if (process.framesCount > done) runFrames(process, done, process.framesCount);
    drainToHost(process.outEvents);
    return clap::kProcessContinue;
}

// Main thread: the chunk, through as many writes as the stream needs.
bool ClapInstance::saveState(const clap::OutputStream* stream) const {
    if (!stream || !stream->write) return false;
    unsigned char chunk[MeterEffect::kChunkSize];
    effect_.saveState(chunk);
    for (std::size_t done = 0; done < sizeof chunk;) {
        const std::int64_t n = stream->write(stream, chunk + done, sizeof chunk - done);
        if (n <= 0 || static_cast<std::uint64_t>(n) > sizeof chunk - done) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Main thread: a whole chunk, through as many reads as the stream needs, or nothing changes.
bool ClapInstance::loadState(const clap::InputStream* stream) {
    if (!stream || !stream->read) return false;
    unsigned char chunk[MeterEffect::kChunkSize];
    std::size_t done = 0;
    while (done < sizeof chunk) {
        const std::int64_t n = stream->read(stream, chunk + done, sizeof chunk - done);
        if (n == 0) break;
        if (n < 0 || static_cast<std::uint64_t>(n) > sizeof chunk - done) return false;
        done += static_cast<std::size_t>(n);
    }
    if (done < sizeof chunk) return false;
    effect_.loadState(chunk, static_cast<int>(sizeof chunk));
    if (hostParams_ && hostParams_->rescan) hostParams_->rescan(host_, clap::kParamRescanValues);
    return true;
}
