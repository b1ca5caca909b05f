#pragma once
// What the editor and its views need of the effect: its parameters, its meter models and
// the clock of its last audio block. The effect implements this; the editor never sees
// the effect's own class, so the editor library does not depend on the plug-in's.
#include <cstdint>

class MeterModel;

// What the effect tells its editor about parameter changes (every index, commands
// included), from whichever thread changed the parameter.
class EditorParameterSink {
public:
    virtual void setParameter(std::int32_t index, float value) = 0;

protected:
    ~EditorParameterSink() = default;
};

class EditorEffect {
public:
    virtual float getParameter(std::int32_t index) = 0;
    virtual void setParameter(std::int32_t index, float value) = 0;
    // Sets the parameter and reports it to the host as the user's edit.
    virtual void setParameterAutomated(std::int32_t index, float value) = 0;
    // The parameter's display text (at most 8 characters and the terminator).
    virtual void getParameterDisplay(std::int32_t index, char* text) = 0;
    // The meter model of a meter type: 0 VU, 1 RMS, 2 PPM; null for any other.
    virtual MeterModel* meterModel(int type) = 0;
    // When the last audio block was measured (seconds on the editor's clock) and how long
    // it lasted (seconds): the panels interpolate the needles between blocks with them.
    virtual double displayTimeOrigin() const = 0;
    virtual double displayTimeScale() const = 0;
    // The strip label: at most kLabelBytes - 1 bytes of UTF-8 and the terminator.
    static constexpr int kLabelBytes = 40;
    virtual void getLabel(char out[kLabelBytes]) const = 0;
    virtual void setLabel(const char* text) = 0;
    // The editor that hears of parameter changes; null to stop.
    virtual void setEditorSink(EditorParameterSink* sink) = 0;

protected:
    ~EditorEffect() = default;
};
