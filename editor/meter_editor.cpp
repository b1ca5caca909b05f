#include "editor/meter_editor.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "controls/popup_menu_view.h"
#include "editor/my_frame.h"
#include "editor/strip_filters_editor.h"
#include "editor/strip_label_editor.h"
#include "editor/zoom_choice.h"
#include "model/parameter_ids.h"
#include "platform/desktop_scale.h"
#include "toolkit/bitmap.h"
#include "toolkit/knob.h"
#include "views/meter_panels.h"

namespace {

// Parameters the editor itself acts on.
using parameters::kHighPassFrequency, parameters::kLowPassFrequency, parameters::kMeter, parameters::kProcess,
    parameters::kShowFilters, parameters::kShowLabel, parameters::kStrips, parameters::kTrim;
constexpr std::int32_t kTrimText = 68;
constexpr double kStripTop = editor_size::kMeterAreaHeight;
constexpr int kMeterAreaHeight = editor_size::kMeterAreaHeight;
constexpr int kFiltersExpanded = editor_size::kFiltersStripHeight, kStripCollapsed = editor_size::kStripCollapsedHeight,
              kLabelExpanded = editor_size::kLabelStripHeight;

int asSwitch(float x) { return static_cast<int>(x + 0.5f); }

}  // namespace

MeterEditor::MeterEditor(EditorEffect& effect, EditorHost& host, EditorMutex& lock)
    : effect_(effect), host_(host), lock_(lock), background_(new CBitmap(kBackgroundId)) {
    effect_.setEditorSink(this);
}

MeterEditor::~MeterEditor() {
    close();
    effect_.setEditorSink(nullptr);
    background_->forget();
}

CZEBMeterFULLPANEL* MeterEditor::panel(int meter) const {
    return meter >= 0 && meter < 3 ? panels_[static_cast<std::size_t>(meter)].get() : nullptr;
}

bool MeterEditor::open(void* parentWindow) { return build(parentWindow, false); }

bool MeterEditor::openOffscreen() { return build(nullptr, true); }

bool MeterEditor::build(void* parentWindow, bool offscreen) {
    EditorLock lock(lock_);
    if (frame) close();  // opened again: into the new parent
    if (!background_->isLoaded() || (!offscreen && !parentWindow)) return false;

    for (auto& word : pendingMask_) word.store(0, std::memory_order_relaxed);
    accepting_.store(true, std::memory_order_release);  // changes from now on reach the views
    // The user's zoom and the desktop's scale count for windows on a screen; pictures keep the
    // scale they are given.
    const double scaleBefore = scale_;
    if (!offscreen) {
        scaleSources_.userZoom = zoom_choice::stored();
        scaleSources_.desktop = platform::desktopScale(parentWindow);
        scale_ = display_scale::resolve(scaleSources_);
        desktopFollower_.start(scaleSources_.desktop);
        nextDesktopLook_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(kDesktopLookMs);
    }
    parentWindow_ = offscreen ? nullptr : parentWindow;
    auto* newFrame = new MyFrame(CRect(0, 0, kWidth, kOpenHeight), nullptr, this);
    newFrame->setScale(scale_);
    newFrame->setContextMenuHandler([this](const CPoint& at) { showZoomMenu(at); });
    if (!(offscreen ? newFrame->openOffscreen() : newFrame->open(parentWindow))) {
        newFrame->forget();
        accepting_.store(false, std::memory_order_release);
        return false;
    }
    newFrame->setBackground(background_);
    frame = newFrame;
    CKnob::setKnobMode(kLinearMode);
    currentMeter_ = -1;
    stripLayout_ = {-1, -1, -1};

    panels_[0] = std::make_unique<CZEBVUMeterFULLPANEL>(this, &effect_);
    panels_[1] = std::make_unique<CZEBRMSMeterFULLPANEL>(this, &effect_);
    panels_[2] = std::make_unique<CZEBPPMMeterFULLPANEL>(this, &effect_);
    for (auto& p : panels_) p->open(frame);
    selectMeter(effect_.getParameter(kMeter));

    filtersStrip_ = std::make_unique<StripFiltersSafeEditor>(this, &effect_);
    labelStrip_ = std::make_unique<StripLabelSafeEditor>(this, &effect_);
    for (StripSafeEditor* strip : {filtersStrip_.get(), labelStrip_.get()}) {
        strip->open(frame);
        strip->setHintLabels(panels_[0]->getHintLabel(), panels_[1]->getHintLabel(), panels_[2]->getHintLabel());
    }
    layoutStrips();
    if (scale_ != scaleBefore) announceSize();  // the host sized its window before it was known
    // Reopened as it was left: turned round to the settings, unless the meter changed since.
    if (CZEBMeterFULLPANEL* shown = panel(currentMeter_); shown && settingsShownFor_ == currentMeter_)
        shown->showSettingsPanel();
    settingsShownFor_ = -1;

    timerStopping_.store(false, std::memory_order_release);
    toolkit::IPlatformWindow* window = frame->getPlatformWindow();
    timerRunning_ = window && window->startTimer(kTimerPeriodMs, [this] { timerTick(); });
    lastStep_ = {};
    return true;
}

void MeterEditor::stopTimer() {
    // The timer goes first. A tick waiting for the lock gives up once it sees the flag, so
    // stopping (which waits for a running tick) cannot wait for a tick that waits for us.
    timerStopping_.store(true, std::memory_order_release);
    EditorLock lock(lock_);
    accepting_.store(false, std::memory_order_release);
    if (!frame) return;
    if (toolkit::IPlatformWindow* window = frame->getPlatformWindow()) window->stopTimer();
    timerRunning_ = false;
}

void MeterEditor::close() {
    stopTimer();
    EditorLock lock(lock_);
    if (!frame) return;
    const CZEBMeterFULLPANEL* shown = panel(currentMeter_);
    settingsShownFor_ = shown && shown->isSettingsPanelShown() ? currentMeter_ : -1;
    for (auto* strip : {&labelStrip_, &filtersStrip_})
        if (*strip) {
            (*strip)->close();
            strip->reset();
        }
    for (auto& p : panels_)
        if (p) p->close();
    for (auto& p : panels_) p.reset();
    zoomMenu_ = nullptr;
    parentWindow_ = nullptr;
    CFrame* old = frame;
    frame = nullptr;
    old->close();
    currentMeter_ = -1;
}

void MeterEditor::timerTick() {
    EditorLock lock(lock_, timerStopping_);
    if (!lock.owns() || timerStopping_.load(std::memory_order_acquire)) return;
    idleStep();
}

void MeterEditor::idle() {
    EditorLock lock(lock_);
    if (!frame) return;
    // While the timer keeps the pace, the host's idle has nothing to add; it takes over when
    // the timer falls behind (or there is none).
    if (timerRunning_ && std::chrono::steady_clock::now() - lastStep_ < std::chrono::milliseconds(kTimerPeriodMs * 3 / 2))
        return;
    idleStep();
}

void MeterEditor::idleStep() {
    EditorLock lock(lock_);
    if (!frame || inIdle_) return;
    inIdle_ = true;
    lastStep_ = std::chrono::steady_clock::now();
    host_.idleHost();
    followDesktopScale();
    applyPendingParameters();
    if (labelStrip_) labelStrip_->idle();
    // A window nobody can see needs no needles.
    if (CZEBMeterFULLPANEL* shown = panel(currentMeter_); shown && frame && frame->isWindowViewable()) {
        shown->idle(interpolationFactor());
        // Settings another instance changed (the panel's scope following) show in this tick.
        applyPendingParameters();
    }
    if (frame) frame->idle();
    inIdle_ = false;
}

bool MeterEditor::onKeyDown(const CKeyEvent& key) {
    EditorLock lock(lock_);
    return frame && frame->onHostKeyDown(key);
}

bool MeterEditor::onKeyUp() {
    EditorLock lock(lock_);
    // An open text edit took the key down; its release belongs to it as well.
    return frame && frame->isTextEditOpen();
}

int MeterEditor::getKnobMode() const { return CKnob::getKnobMode(); }

double MeterEditor::interpolationFactor() const {
    const double now = static_cast<double>(frame->getTicks()) * 0.001;
    const double origin = effect_.displayTimeOrigin();
    const double scale = effect_.displayTimeScale();
    if (!(scale > 0) || !std::isfinite(origin)) return 1.0;
    const double f = (now - origin) / scale;
    if (!(f > 0)) return 0.0;
    return std::min(f, 1.0);  // beyond the block the needle waits for the next one
}

void MeterEditor::setParameter(std::int32_t index, float value) {
    if (index < 0 || index >= kTrackedParameters || !accepting_.load(std::memory_order_acquire)) return;
    const auto slot = static_cast<std::size_t>(index);
    pendingValue_[slot].store(value, std::memory_order_relaxed);
    pendingMask_[slot / 64].fetch_or(std::uint64_t{1} << (slot % 64), std::memory_order_release);
}

void MeterEditor::applyPendingParameters() {
    for (std::size_t word = 0; word < pendingMask_.size(); ++word) {
        std::uint64_t bits = pendingMask_[word].exchange(0, std::memory_order_acq_rel);
        while (bits) {
            const auto bit = static_cast<std::size_t>(std::countr_zero(bits));
            bits &= bits - 1;
            const std::size_t index = word * 64 + bit;
            applyParameter(static_cast<std::int32_t>(index), pendingValue_[index].load(std::memory_order_relaxed));
        }
    }
}

void MeterEditor::applyParameter(std::int32_t index, float value) {
    if (!frame) return;
    if (index == kProcess && filtersStrip_) filtersStrip_->setProcessActive(asSwitch(value) == 1);
    if (index == kMeter) selectMeter(value);
    if (index == kStrips || index == kShowFilters || index == kShowLabel) layoutStrips();
    if (labelStrip_) labelStrip_->setParameter(index, value);
    if (filtersStrip_) filtersStrip_->setParameter(index, value);
    for (auto& p : panels_)
        if (p) p->setParameter(index, value);
}

void MeterEditor::selectMeter(float value) {
    const int meter = std::isfinite(value) ? static_cast<int>(std::clamp(value, 0.f, 1.f) * 2.f + 0.5f) : 0;
    if (meter == currentMeter_) return;
    currentMeter_ = meter;
    for (auto& p : panels_)
        if (p) p->hide();
    if (CZEBMeterFULLPANEL* shown = panel(meter)) shown->show();
    // The strips follow in the variant of the new meter. The window keeps its size unless
    // a strip switch changed in the same batch of changes (the layout then takes it in).
    stripLayout_[0] = -1;
    layoutStrips();
}

void MeterEditor::layoutStrips() {
    if (!frame || !filtersStrip_ || !labelStrip_) return;
    const std::array<int, 3> wanted{asSwitch(effect_.getParameter(kStrips)), asSwitch(effect_.getParameter(kShowFilters)),
                                    asSwitch(effect_.getParameter(kShowLabel))};
    if (wanted == stripLayout_) return;
    stripLayout_ = wanted;
    int height = kMeterAreaHeight;
    if (wanted[0] == 1) {
        double y = kStripTop;
        if (wanted[1] == 1) {
            filtersStrip_->showExpanded(CPoint(0, y), currentMeter_);
            y += kFiltersExpanded;
        } else {
            filtersStrip_->showCollapsed(CPoint(0, y), currentMeter_);
            y += kStripCollapsed;
        }
        if (wanted[2] == 1) {
            labelStrip_->showExpanded(CPoint(0, y), currentMeter_);
            height = static_cast<int>(y) + kLabelExpanded;
        } else {
            labelStrip_->showCollapsed(CPoint(0, y), currentMeter_);
            height = static_cast<int>(y) + kStripCollapsed;
        }
    }
    // With the strips off they stay where they are: the window's height leaves them out.
    resizeTo(height);
}

void MeterEditor::resizeTo(int height) {
    if (!frame || height <= 0) return;
    if (height_ == height) {
        if (frame->getHeight() != height) frame->setSize(frame->getWidth(), height);
        return;
    }
    height_ = height;
    frame->setSize(frame->getWidth(), height);
    announceSize();
    frame->invalid();
    frame->setDirty(true);
}

void MeterEditor::announceSize() {
    if (frame)
        if (toolkit::IPlatformWindow* window = frame->getPlatformWindow()) window->resizeParent(width(), height());
    host_.requestResize(width(), height());
}

void MeterEditor::setUserZoom(double zoom) {
    EditorLock lock(lock_);
    scaleSources_.userZoom = zoom;
    applyScale();
}

void MeterEditor::setHostScale(double scale) {
    EditorLock lock(lock_);
    scaleSources_.host = scale;
    applyScale();
}

void MeterEditor::setDesktopScale(double scale) {
    EditorLock lock(lock_);
    scaleSources_.desktop = scale;
    applyScale();
}

void MeterEditor::showZoomMenu(const CPoint& at) {
    EditorLock lock(lock_);
    if (!frame) return;
    if (zoomMenu_) zoomMenu_->dismiss();
    display_scale::ScaleSources automatic = scaleSources_;
    automatic.userZoom = 0;
    zoomMenu_ = CPopupMenuView::show(frame, at, "Zoom", zoom_choice::menuItems(display_scale::resolve(automatic)),
                                     display_scale::zoomChoiceIndex(scaleSources_.userZoom), [this](int choice) {
                                         chooseZoom(display_scale::kZoomChoices[static_cast<std::size_t>(choice)]);
                                     });
}

CPopupMenuView* MeterEditor::zoomMenu() const { return zoomMenu_ && zoomMenu_->isShowing() ? zoomMenu_.get() : nullptr; }

void MeterEditor::chooseZoom(double zoom) {
    EditorLock lock(lock_);
    if (display_scale::zoomChoiceIndex(zoom) < 0) return;
    zoom_choice::store(zoom);  // a store that cannot be written still zooms this editor
    setUserZoom(zoom);
}

void MeterEditor::followDesktopScale() {
    if (!parentWindow_ || !frame) return;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextDesktopLook_) return;
    nextDesktopLook_ = now + std::chrono::milliseconds(kDesktopLookMs);
    if (scaleSources_.userZoom > 0 || scaleSources_.host > 0) {
        desktopFollower_.start(scaleSources_.desktop);  // outranked: nothing to follow meanwhile
        return;
    }
    toolkit::IPlatformWindow* window = frame->getPlatformWindow();
    if (!window) return;
    DesktopScaleFollower::Look look;
    look.scale = window->desktopScale();  // 0, a window that cannot tell, counts for nothing
    look.placed = window->screenOrigin(look.x, look.y);
    if (const double changed = desktopFollower_.look(look); changed > 0) {
        scaleSources_.desktop = changed;
        applyScale();
    }
}

void MeterEditor::applyScale() {
    const double resolved = display_scale::resolve(scaleSources_);
    if (resolved == scale_) return;
    scale_ = resolved;
    if (frame) frame->setScale(scale_);
    announceSize();
}

void MeterEditor::valueChanged(CControl* control) {
    if (!control) return;
    host_.onControlChanged(control);
    const std::int32_t tag = control->getTag();
    if ((tag >= 0 && tag <= 7) || tag == kShowLabel) {
        // Every change reaches the host as one gesture, also from controls that do not
        // bracket their clicks themselves.
        const bool bracket = !control->isEditing();
        if (bracket) host_.beginEdit(tag);
        effect_.setParameterAutomated(tag, control->getValue());
        if (bracket) host_.endEdit(tag);
        control->setDirty(true);
    }
    if (CZEBMeterFULLPANEL* shown = panel(currentMeter_)) shown->valueChanged(control);
    if (labelStrip_) labelStrip_->valueChanged(control);
    if (filtersStrip_) filtersStrip_->valueChanged(control);
}

void MeterEditor::controlBeginEdit(CControl* control) {
    if (!control) return;
    host_.onGestureBegin(control);
    host_.beginEdit(hostParameterFor(control));
}

void MeterEditor::controlEndEdit(CControl* control) {
    if (!control) return;
    host_.onGestureEnd(control);
    host_.endEdit(hostParameterFor(control));
}

std::int32_t MeterEditor::hostParameterFor(const CControl* control) const {
    if (!control) return -1;
    switch (control->getTag()) {
        case kTrimText: return kTrim;
        case StripFiltersEditor::kHighPassTextTag: return kHighPassFrequency;
        case StripFiltersEditor::kLowPassTextTag: return kLowPassFrequency;
        default: return control->getTag();
    }
}
