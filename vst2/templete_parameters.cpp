// What a VST 2.4 host asks about a parameter beyond its value: name, unit label, stepping.
#include <cstring>

#include "core/parameter_table.h"
#include "vst2/templete.h"

using namespace parameters;

namespace {

// Writes `text` into the host's parameter text (8 characters and the terminator).
void putText(char* out, const char* text) {
    std::strncpy(out, text, kVstMaxParamStrLen);
    out[kVstMaxParamStrLen] = 0;
}

}  // namespace

void Templete::getParameterName(VstInt32 index, char* text) {
    if (text) putText(text, name(index));
}

void Templete::getParameterLabel(VstInt32 index, char* label) {
    (void)index;
    if (label) putText(label, "  ");
}

bool Templete::getParameterProperties(VstInt32 index, VstParameterProperties* out) {
    Properties steps;
    if (!out || !properties(index, &steps)) return false;
    std::memset(out, 0, sizeof *out);
    out->flags = kVstParameterUsesFloatStep | (steps.isSwitch ? kVstParameterIsSwitch : 0);
    out->stepFloat = steps.step;
    out->smallStepFloat = steps.smallStep;
    out->largeStepFloat = steps.largeStep;
    std::strncpy(out->label, name(index), sizeof out->label - 1);
    std::strncpy(out->shortLabel, name(index), 7);
    return true;
}

bool Templete::canParameterBeAutomated(VstInt32 index) { return index >= 0 && index < kFunctionCount; }
