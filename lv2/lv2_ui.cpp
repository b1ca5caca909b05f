// The LV2 UI: our editor in the host's window, on the instance the host hands over through
// instance-access (the UI shares the plug-in's binary, so it meters what the host runs and
// shares its settings stores). The editor draws from its own 60 Hz timer, whatever rate the
// host idles it at; what goes back to the host (control writes, touch, resize) waits in a
// queue for the host's idle call, the one place LV2 lets a UI call its host.
//
// Threads: instantiate, idle, port_event and cleanup come from the host's UI thread; the
// editor's timer (Linux) is the other thread that fills the queue. Nothing here runs on the
// audio thread.
#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "editor/manual_button_host.h"
#include "editor/meter_editor.h"
#include "lv2/lv2_instance.h"
#include "toolkit/frame.h"

namespace {

using lv2_plugin::Instance;

const void* findFeature(const LV2_Feature* const* features, const char* uri) {
    for (int i = 0; features && features[i]; ++i)
        if (features[i]->URI && std::strcmp(features[i]->URI, uri) == 0) return features[i]->data;
    return nullptr;
}

// The scale the host states in the options feature (ui:scaleFactor, a float); 0 when it
// states none or states it in a form we cannot read.
double hostScaleFactor(const LV2_Feature* const* features) {
    const auto* options = static_cast<const LV2_Options_Option*>(findFeature(features, LV2_OPTIONS__options));
    const auto* map = static_cast<const LV2_URID_Map*>(findFeature(features, LV2_URID__map));
    if (!options || !map || !map->map) return 0;
    const LV2_URID scaleFactor = map->map(map->handle, LV2_UI__scaleFactor);
    const LV2_URID floatType = map->map(map->handle, LV2_ATOM__Float);
    for (const LV2_Options_Option* o = options; o->key != 0 || o->value; ++o)
        if (o->key == scaleFactor && o->type == floatType && o->size == sizeof(float) && o->value)
            return *static_cast<const float*>(o->value);
    return 0;
}

class Lv2Ui final : public ManualButtonHost, public FormatLink {
public:
    Lv2Ui(Instance& instance, LV2UI_Write_Function write, LV2UI_Controller controller, const LV2UI_Resize* resize,
          const LV2UI_Touch* touch)
        : instance_(instance), write_(write), controller_(controller), resize_(resize), touch_(touch),
          editor_(instance.effect, *this, lock_) {
        showMessagesIn(&editor_);
    }

    ~Lv2Ui() {
        instance_.format.attach(nullptr);
        instance_.effect.setEditorAttached(false);
        editor_.stopTimer();
        {
            EditorLock lock(lock_);
            editorClosing();
        }
        editor_.close();
    }

    void setHostScale(double scale) { editor_.setHostScale(scale); }

    // Opens the editor in `parent`; the widget the host embeds is the editor's own window.
    bool open(void* parent, LV2UI_Widget* widget) {
        if (!editor_.open(parent)) return false;
        const toolkit::IPlatformWindow* window = editor_.getFrame()->getPlatformWindow();
        *widget = window ? window->nativeHandle() : nullptr;
        instance_.format.attach(this);
        instance_.effect.setEditorAttached(true);
        EditorLock lock(lock_);  // the editor's timer runs already
        requestResize(editor_.width(), editor_.height());
        return true;
    }

    // The host's idle call: hands the queued messages to the host, and runs the editor's
    // idle step if its timer fell behind.
    int idle() {
        std::vector<Message> due;
        {
            std::lock_guard<std::mutex> lock(queueMutex_);
            due.swap(queue_);
        }
        for (const Message& m : due) deliver(m);
        editor_.idle();
        return 0;
    }

private:
    enum class Kind { kGrab, kRelease, kWrite, kResize };
    struct Message {
        Kind kind;
        int port;     // control port index (kResize: width in pixels)
        float value;  // the port's value (kResize: height in pixels)
    };

    void queue(Message m) {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queue_.push_back(m);
    }

    void deliver(const Message& m) {
        switch (m.kind) {
            case Kind::kGrab:
            case Kind::kRelease:
                if (touch_ && touch_->touch) touch_->touch(touch_->handle, static_cast<uint32_t>(m.port), m.kind == Kind::kGrab);
                break;
            case Kind::kWrite:
                if (write_) write_(controller_, static_cast<uint32_t>(m.port), sizeof(float), 0, &m.value);
                break;
            case Kind::kResize:
                if (resize_ && resize_->ui_resize) resize_->ui_resize(resize_->handle, m.port, static_cast<int>(m.value));
                break;
        }
    }

    // EditorHost, under the editor's lock. Only parameters with a control port are the host's.
    void beginEdit(std::int32_t index) override { gesture(index, Kind::kGrab); }
    void endEdit(std::int32_t index) override { gesture(index, Kind::kRelease); }
    void gesture(std::int32_t index, Kind kind) {
        if (const int port = lv2_plugin::controlPortOf(index); port >= 0) queue({kind, port, 0.0f});
    }
    bool requestResize(int width, int height) override {
        queue({Kind::kResize, width, static_cast<float>(height)});
        return resize_ != nullptr;
    }

    // FormatLink: an edit in the editor, already applied to the effect, becomes the port's
    // new value (run() then finds the value it has and changes nothing).
    void automateParameter(int index, float value) override {
        const int port = lv2_plugin::controlPortOf(index);
        if (port < 0) return;
        queue({Kind::kWrite, port, lv2_ports::hostValue(lv2_ports::kControls[port - lv2_ports::kFirstControlPort], value)});
    }
    void hostParameterChanged(int, float) override {}

    Instance& instance_;
    LV2UI_Write_Function write_;
    LV2UI_Controller controller_;
    const LV2UI_Resize* resize_;  // null when the host cannot resize our window
    const LV2UI_Touch* touch_;    // null when the host records no gestures
    EditorMutex lock_;
    MeterEditor editor_;
    std::mutex queueMutex_;
    std::vector<Message> queue_;  // what waits for the host's idle call
};

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features) {
    auto* instance = static_cast<Instance*>(const_cast<void*>(findFeature(features, LV2_INSTANCE_ACCESS_URI)));
    void* parent = const_cast<void*>(findFeature(features, LV2_UI__parent));
    if (!instance || !parent || !widget || !pluginUri || std::strcmp(pluginUri, lv2_ports::kPluginUri) != 0)
        return nullptr;
    auto* ui = new (std::nothrow) Lv2Ui(*instance, write, controller,
                                        static_cast<const LV2UI_Resize*>(findFeature(features, LV2_UI__resize)),
                                        static_cast<const LV2UI_Touch*>(findFeature(features, LV2_UI__touch)));
    if (ui) ui->setHostScale(hostScaleFactor(features));  // before opening: the first size is the scaled one
    if (ui && !ui->open(parent, widget)) {
        delete ui;
        return nullptr;
    }
    return ui;
}

void cleanup(LV2UI_Handle handle) { delete static_cast<Lv2Ui*>(handle); }

// Control values reach the editor from the effect itself; the host's copies add nothing.
void portEvent(LV2UI_Handle, uint32_t, uint32_t, uint32_t, const void*) {}

int idle(LV2UI_Handle handle) { return handle ? static_cast<Lv2Ui*>(handle)->idle() : 1; }

const void* extensionData(const char* uri) {
    static const LV2UI_Idle_Interface kIdle = {idle};
    if (uri && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdle;
    return nullptr;
}

const LV2UI_Descriptor kUiDescriptor = {lv2_ports::kUiUri, instantiate, cleanup, portEvent, extensionData};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &kUiDescriptor : nullptr;
}
