#pragma once
// The backs of the three meters: the RMS, VU and PPM settings panels, each with its own
// layout (settings_layout.h) and step knobs.
#include "views/back_panel.h"

class RMSBackPanel : public BackPanel {
public:
    RMSBackPanel(CControlListener* editor, EditorEffect* effect);
    bool build() override;
};

class VUBackPanel : public BackPanel {
public:
    VUBackPanel(CControlListener* editor, EditorEffect* effect);
    bool build() override;
};

class PPMBackPanel : public BackPanel {
public:
    PPMBackPanel(CControlListener* editor, EditorEffect* effect);
    bool build() override;
};
