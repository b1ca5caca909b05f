#pragma once
// The class-name test of the editor's controls: a control answers for its own class name
// and for the three generic names every control shares, and for nothing else.
#include <cstring>

namespace editor {

inline bool isControlTypeName(const char* name, const char* own) {
    if (!name) return false;
    return std::strcmp(name, own) == 0 || std::strcmp(name, "CControl") == 0 || std::strcmp(name, "CView") == 0 ||
           std::strcmp(name, "CBaseObject") == 0;
}

}  // namespace editor

#define ZEB_CONTROL_TYPE_NAME(own) \
    bool isTypeOf(const char* name) const override { return editor::isControlTypeName(name, own); }
