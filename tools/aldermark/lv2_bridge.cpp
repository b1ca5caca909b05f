// An LV2 plug-in behind a VST 2.4 effect record (format_bridge.h), found through lilv: by
// its bundle folder (the bundle's first plug-in) or by its URI among the installed ones.
// Values are its control input ports in their own units; the state is the one property its
// state interface stores (the chunk); the editor is its X11 UI with instance access, in
// this process.
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <lilv/lilv.h>
#include <lv2/core/lv2.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/port-props/port-props.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>
#include <lv2/units/units.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "tools/aldermark/format_bridge.h"

namespace aldermark {
namespace {

// lilv keeps some formatting state of its own: worlds are made, filled and freed one at a time.
std::mutex& lilvLock() {
    static std::mutex lock;
    return lock;
}

struct Control {
    std::uint32_t port;
    std::string unit;                                     // symbol shown after the number
    bool toggled = false, integer = false;
    std::vector<std::pair<double, std::string>> choices;  // scale points
};

class Lv2Bridge final : public BridgedEffect {
public:
    explicit Lv2Bridge(audioMasterCallback host) : BridgedEffect(host) {}

    ~Lv2Bridge() override {
        closeEditor();
        std::lock_guard<std::mutex> lilv(lilvLock());
        if (instance_) {
            if (processing()) lilv_instance_deactivate(instance_);
            lilv_instance_free(instance_);
        }
        if (uiLibrary_) dlclose(uiLibrary_);
        if (world_) lilv_world_free(world_);
    }

    bool open(const std::string& path, std::string& error) {
        std::lock_guard<std::mutex> lilv(lilvLock());
        world_ = lilv_world_new();
        const bool byUri = path.find("://") != std::string::npos || path.rfind("urn:", 0) == 0;
        if (byUri) {
            lilv_world_load_all(world_);
        } else {
            std::string folder = path;
            if (folder.back() != '/') folder += '/';
            LilvNode* bundle = lilv_new_file_uri(world_, nullptr, folder.c_str());
            lilv_world_load_bundle(world_, bundle);
            lilv_node_free(bundle);
        }
        LILV_FOREACH (plugins, i, lilv_world_get_all_plugins(world_)) {
            const LilvPlugin* p = lilv_plugins_get(lilv_world_get_all_plugins(world_), i);
            const char* uri = lilv_node_as_uri(lilv_plugin_get_uri(p));
            if (byUri ? path == uri : true) {
                plugin_ = p;
                break;
            }
        }
        if (!plugin_) return (error = "no LV2 plug-in found at '" + path + "'"), false;
        uri_ = lilv_node_as_uri(lilv_plugin_get_uri(plugin_));
        if (!instantiate(44100.0)) return (error = "the LV2 plug-in '" + uri_ + "' could not be instantiated"), false;
        std::vector<Param> described;
        if (!describePorts(described)) return (error = "the LV2 plug-in '" + uri_ + "' has no stereo audio ports"), false;
        LilvNode* name = lilv_plugin_get_name(plugin_);
        LilvNode* author = lilv_plugin_get_author_name(plugin_);
        describe(name ? lilv_node_as_string(name) : uri_, author ? lilv_node_as_string(author) : "", uri_,
                 std::move(described), findUi());
        lilv_node_free(name);
        lilv_node_free(author);
        learnStateKey();
        return true;
    }

private:
    static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri) {
        auto& self = *static_cast<Lv2Bridge*>(handle);
        std::lock_guard<std::mutex> lock(self.urisLock_);
        for (std::size_t i = 0; i < self.uris_.size(); ++i)
            if (self.uris_[i] == uri) return static_cast<LV2_URID>(i + 1);
        self.uris_.emplace_back(uri);
        return static_cast<LV2_URID>(self.uris_.size());
    }

    bool instantiate(double rate) {
        const LV2_Feature* features[] = {&mapFeature_, nullptr};
        instance_ = lilv_plugin_instantiate(plugin_, rate, features);
        instanceRate_ = rate;
        if (!instance_) return false;
        for (std::size_t c = 0; c < controls_.size(); ++c)
            lilv_instance_connect_port(instance_, controls_[c].port, &values_[c]);
        for (std::uint32_t p : outputs_) lilv_instance_connect_port(instance_, p, &scratch_);
        return true;
    }

    // Audio ports 0/1 in, 0/1 out in port order; every control input a parameter.
    bool describePorts(std::vector<Param>& described) {
        LilvNode* audio = lilv_new_uri(world_, LV2_CORE__AudioPort);
        LilvNode* control = lilv_new_uri(world_, LV2_CORE__ControlPort);
        LilvNode* input = lilv_new_uri(world_, LV2_CORE__InputPort);
        LilvNode* toggled = lilv_new_uri(world_, LV2_CORE__toggled);
        LilvNode* integer = lilv_new_uri(world_, LV2_CORE__integer);
        LilvNode* unitKey = lilv_new_uri(world_, LV2_UNITS__unit);
        const std::uint32_t count = lilv_plugin_get_num_ports(plugin_);
        std::vector<float> low(count), high(count), defaults(count);
        lilv_plugin_get_port_ranges_float(plugin_, low.data(), high.data(), defaults.data());
        for (std::uint32_t p = 0; p < count; ++p) {
            const LilvPort* port = lilv_plugin_get_port_by_index(plugin_, p);
            const bool in = lilv_port_is_a(plugin_, port, input);
            if (lilv_port_is_a(plugin_, port, audio)) {
                (in ? audioIn_ : audioOut_).push_back(p);
            } else if (lilv_port_is_a(plugin_, port, control) && in && controls_.size() < kMaxParams) {
                Control c{p, "", lilv_port_has_property(plugin_, port, toggled),
                          lilv_port_has_property(plugin_, port, integer), {}};
                if (LilvScalePoints* points = lilv_port_get_scale_points(plugin_, port)) {
                    LILV_FOREACH (scale_points, i, points) {
                        const LilvScalePoint* point = lilv_scale_points_get(points, i);
                        c.choices.emplace_back(lilv_node_as_float(lilv_scale_point_get_value(point)),
                                               lilv_node_as_string(lilv_scale_point_get_label(point)));
                    }
                    lilv_scale_points_free(points);
                }
                if (LilvNodes* units = lilv_port_get_value(plugin_, port, unitKey)) {
                    c.unit = unitSymbol(lilv_node_as_uri(lilv_nodes_get_first(units)));
                    lilv_nodes_free(units);
                }
                LilvNode* name = lilv_port_get_name(plugin_, port);
                described.push_back({name ? lilv_node_as_string(name) : "", std::isnan(low[p]) ? 0.0 : low[p],
                                     std::isnan(high[p]) ? 1.0 : high[p], c.toggled || c.integer || !c.choices.empty(),
                                     true});
                lilv_node_free(name);
                setPort(static_cast<int>(controls_.size()), std::isnan(defaults[p]) ? low[p] : defaults[p]);
                controls_.push_back(std::move(c));
            } else if (lilv_port_is_a(plugin_, port, control)) {
                outputs_.push_back(p);
            }
        }
        for (LilvNode* n : {audio, control, input, toggled, integer, unitKey}) lilv_node_free(n);
        for (std::size_t c = 0; c < controls_.size(); ++c)
            lilv_instance_connect_port(instance_, controls_[c].port, &values_[c]);
        for (std::uint32_t p : outputs_) lilv_instance_connect_port(instance_, p, &scratch_);
        return audioIn_.size() >= 2 && audioOut_.size() >= 2;
    }

    static std::string unitSymbol(const char* uri) {
        static const std::pair<const char*, const char*> kUnits[] = {
            {LV2_UNITS__db, "dB"}, {LV2_UNITS__hz, "Hz"}, {LV2_UNITS__ms, "ms"}, {LV2_UNITS__s, "s"}, {LV2_UNITS__pc, "%"}};
        for (const auto& [known, symbol] : kUnits)
            if (uri && std::strcmp(uri, known) == 0) return symbol;
        return "";
    }

    // ---- audio and values
    // Audio thread. While the state is saved or restored (the host's other threads) the block
    // is silence: LV2 lets neither run beside run(), and the audio thread must not wait.
    void processBlock(float** in, float** out, std::uint32_t frames) override {
        std::unique_lock<std::mutex> instance(instanceLock_, std::try_to_lock);
        if (!instance.owns_lock()) {
            for (int c = 0; c < 2; ++c) std::fill(out[c], out[c] + frames, 0.0f);
            return;
        }
        takePending([&](int index, double value) { setPort(index, static_cast<float>(value)); });
        lilv_instance_connect_port(instance_, audioIn_[0], in ? in[0] : nullptr);
        lilv_instance_connect_port(instance_, audioIn_[1], in ? in[1] : nullptr);
        lilv_instance_connect_port(instance_, audioOut_[0], out[0]);
        lilv_instance_connect_port(instance_, audioOut_[1], out[1]);
        lilv_instance_run(instance_, frames);
    }

    // A rate that changed since the plug-in was made needs a new instance (LV2 takes the rate
    // when it instantiates); the state goes over to it.
    bool activate(bool on) override {
        if (!on) {
            lilv_instance_deactivate(instance_);
            return true;
        }
        if (sampleRate() != instanceRate_) {
            std::vector<unsigned char> chunk;
            const bool saved = saveState(chunk);
            {
                std::lock_guard<std::mutex> lilv(lilvLock());
                lilv_instance_free(instance_);
                if (!instantiate(sampleRate())) return false;
            }
            if (saved) loadState(chunk.data(), chunk.size());
        }
        lilv_instance_activate(instance_);
        return true;
    }

    void flush() override {
        takePending([&](int index, double value) { setPort(index, static_cast<float>(value)); });
    }

    // The port's value as the other threads read it; the port itself belongs to run().
    double plainValue(int index) override { return shown_[static_cast<std::size_t>(index)].load(); }
    void setPort(int index, float value) {
        values_[static_cast<std::size_t>(index)] = value;
        shown_[static_cast<std::size_t>(index)].store(value);
    }

    std::string display(int index, double plain) override {
        const Control& c = controls_[static_cast<std::size_t>(index)];
        for (const auto& [value, label] : c.choices)
            if (std::fabs(value - plain) < 0.5) return label;
        if (c.toggled) return plain >= 0.5 ? "On" : "Off";
        char text[64];
        std::snprintf(text, sizeof text, c.integer || std::fabs(plain) >= 1000 ? "%.0f" : "%.1f", plain);
        return c.unit.empty() ? text : std::string(text) + " " + c.unit;
    }

    bool parse(int index, const char* text, double& plain) override {
        const Control& c = controls_[static_cast<std::size_t>(index)];
        for (const auto& [value, label] : c.choices)
            if (strcasecmp(text, label.c_str()) == 0) return (plain = value), true;
        if (c.toggled && (strcasecmp(text, "on") == 0 || strcasecmp(text, "off") == 0))
            return (plain = strcasecmp(text, "on") == 0 ? 1.0 : 0.0), true;
        char* end = nullptr;
        plain = std::strtod(text, &end);
        return end != text && std::isfinite(plain);
    }

    // ---- state: the one property the plug-in stores
    struct Store {
        Lv2Bridge* bridge;
        std::vector<unsigned char>* into;
        const unsigned char* from;
        std::size_t size;
    };
    static LV2_State_Status storeProperty(LV2_State_Handle h, uint32_t key, const void* value, size_t size, uint32_t type,
                                          uint32_t) {
        auto& s = *static_cast<Store*>(h);
        s.bridge->stateKey_ = key, s.bridge->stateType_ = type;
        s.into->assign(static_cast<const unsigned char*>(value), static_cast<const unsigned char*>(value) + size);
        return LV2_STATE_SUCCESS;
    }
    static const void* retrieveProperty(LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) {
        auto& s = *static_cast<Store*>(h);
        if (key != s.bridge->stateKey_ || !s.from) return nullptr;
        *size = s.size, *type = s.bridge->stateType_, *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        return s.from;
    }
    const LV2_State_Interface* stateInterface() const {
        return static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(instance_, LV2_STATE__interface));
    }
    void learnStateKey() {
        std::vector<unsigned char> ignored;
        saveState(ignored);
    }
    bool saveState(std::vector<unsigned char>& chunk) override {
        std::lock_guard<std::mutex> instance(instanceLock_);
        const LV2_State_Interface* state = stateInterface();
        Store store{this, &chunk, nullptr, 0};
        chunk.clear();
        return state && state->save(lilv_instance_get_handle(instance_), storeProperty, &store, 0, nullptr) ==
                            LV2_STATE_SUCCESS && !chunk.empty();
    }
    bool loadState(const unsigned char* data, std::size_t size) override {
        std::lock_guard<std::mutex> instance(instanceLock_);
        const LV2_State_Interface* state = stateInterface();
        std::vector<unsigned char> unused;
        Store store{this, &unused, data, size};
        return state && stateKey_ &&
               state->restore(lilv_instance_get_handle(instance_), retrieveProperty, &store, 0, nullptr) ==
                   LV2_STATE_SUCCESS;
    }

    // ---- the editor: an X11 UI of the plug-in, handed the instance
    bool findUi() {
        LilvUIs* uis = lilv_plugin_get_uis(plugin_);
        LilvNode* x11 = lilv_new_uri(world_, LV2_UI__X11UI);
        LILV_FOREACH (uis, i, uis) {
            const LilvUI* ui = lilv_uis_get(uis, i);
            if (!lilv_ui_is_a(ui, x11)) continue;
            char* binary = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
            char* bundle = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_bundle_uri(ui)), nullptr);
            uiLibrary_ = binary ? dlopen(binary, RTLD_NOW | RTLD_LOCAL) : nullptr;
            auto* list = uiLibrary_ ? reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(uiLibrary_, "lv2ui_descriptor")) : nullptr;
            for (uint32_t d = 0; list && list(d); ++d)
                if (std::strcmp(list(d)->URI, lilv_node_as_uri(lilv_ui_get_uri(ui))) == 0) uiDescriptor_ = list(d);
            uiBundle_ = bundle ? bundle : "";
            lilv_free(binary);
            lilv_free(bundle);
            if (uiDescriptor_) break;
        }
        lilv_node_free(x11);
        lilv_uis_free(uis);
        return uiDescriptor_ != nullptr;
    }

    // LV2 tells a UI's size only once it exists: asked before, the bridge opens it once in a
    // window nobody sees and keeps the size it asks for.
    bool editorSize(int& width, int& height) override {
        if (uiWidth_ <= 0 && !ui_) {
            if (Display* display = XOpenDisplay(nullptr)) {
                const Window hidden = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
                XSync(display, False);
                probing_ = true;  // what it asks for is not the host's window
                if (openEditor(reinterpret_cast<void*>(hidden))) idleEditor();
                probing_ = false;
                closeEditor();
                XDestroyWindow(display, hidden);
                XCloseDisplay(display);
            }
        }
        if (uiWidth_ <= 0) return false;
        width = uiWidth_, height = uiHeight_;
        return true;
    }
    bool openEditor(void* parent) override {
        closeEditor();
        LV2_Feature access{LV2_INSTANCE_ACCESS_URI, lilv_instance_get_handle(instance_)};
        LV2_Feature parentFeature{LV2_UI__parent, parent};
        LV2_Feature resize{LV2_UI__resize, &resize_};
        LV2_Feature touch{LV2_UI__touch, &touch_};
        const LV2_Feature* features[] = {&access, &parentFeature, &resize, &touch, &mapFeature_, nullptr};
        LV2UI_Widget widget = nullptr;
        ui_ = uiDescriptor_->instantiate(uiDescriptor_, uri_.c_str(), uiBundle_.c_str(), writePort, this, &widget, features);
        if (ui_ && uiDescriptor_->extension_data)
            uiIdle_ = static_cast<const LV2UI_Idle_Interface*>(uiDescriptor_->extension_data(LV2_UI__idleInterface));
        return ui_ != nullptr;
    }
    void closeEditor() override {
        if (ui_) uiDescriptor_->cleanup(ui_);
        ui_ = nullptr;
    }
    void idleEditor() override {
        if (ui_ && uiIdle_) uiIdle_->idle(ui_);
    }

    static void writePort(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
        auto& self = *static_cast<Lv2Bridge*>(controller);
        if (format != 0 || size != sizeof(float) || !buffer) return;
        for (std::size_t c = 0; c < self.controls_.size(); ++c)
            if (self.controls_[c].port == port) {
                const float value = *static_cast<const float*>(buffer);
                self.setPlain(static_cast<int>(c), value);  // the port changes between blocks
                self.tellValue(static_cast<int>(c), value);
            }
    }
    int indexOfPort(uint32_t port) const {
        for (std::size_t c = 0; c < controls_.size(); ++c)
            if (controls_[c].port == port) return static_cast<int>(c);
        return -1;
    }

    LilvWorld* world_ = nullptr;
    const LilvPlugin* plugin_ = nullptr;
    LilvInstance* instance_ = nullptr;
    double instanceRate_ = 0;  // Hz the instance was made for
    std::string uri_;
    std::vector<std::uint32_t> audioIn_, audioOut_, outputs_;  // port indices
    std::vector<Control> controls_;                           // VST index = position
    std::array<float, kMaxParams> values_{};                  // the control ports' values
    std::array<std::atomic<float>, kMaxParams> shown_{};      // their copy for the other threads
    float scratch_ = 0;                                       // where every output port writes
    LV2_URID stateKey_ = 0, stateType_ = 0;                   // the property the state holds

    std::mutex instanceLock_;  // the state calls against run()
    std::mutex urisLock_;
    std::vector<std::string> uris_;
    LV2_URID_Map map_{this, mapUri};
    LV2_Feature mapFeature_{LV2_URID__map, &map_};

    void* uiLibrary_ = nullptr;
    const LV2UI_Descriptor* uiDescriptor_ = nullptr;
    std::string uiBundle_;
    LV2UI_Handle ui_ = nullptr;
    const LV2UI_Idle_Interface* uiIdle_ = nullptr;
    int uiWidth_ = 0, uiHeight_ = 0;  // the size the UI last asked for
    bool probing_ = false;            // the UI is open in a hidden window to learn its size
    LV2UI_Resize resize_{this, [](LV2UI_Feature_Handle h, int width, int height) {
                             auto& self = *static_cast<Lv2Bridge*>(h);
                             self.uiWidth_ = width, self.uiHeight_ = height;
                             return self.probing_ || self.tellSize(width, height) ? 0 : 1;
                         }};
    LV2UI_Touch touch_{this, [](LV2UI_Feature_Handle h, uint32_t port, bool grabbed) {
                           auto& self = *static_cast<Lv2Bridge*>(h);
                           const int index = self.indexOfPort(port);
                           grabbed ? self.tellBeginEdit(index) : self.tellEndEdit(index);
                       }};
};

}  // namespace

std::unique_ptr<FormatBridge> openLv2Bridge(const std::string& path, audioMasterCallback host, std::string& error) {
    auto bridge = std::make_unique<Lv2Bridge>(host);
    if (!bridge->open(path, error)) return nullptr;
    return bridge;
}

}  // namespace aldermark
