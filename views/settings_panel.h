#pragma once
// The back of a meter, where its ballistics settings are edited. A front panel toggles it
// with the middle of its meter selector and hands it every control edit after its own.
#include "vst/aeffect.h"

class CControl;

class SettingsPanel {
public:
    virtual ~SettingsPanel() = default;
    virtual bool isShown() const = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual void setParameter(VstInt32 index, float value) = 0;
    virtual void valueChanged(CControl* control) = 0;
};
