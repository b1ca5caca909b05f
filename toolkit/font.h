#pragma once
// Font descriptions: a family name, a size in pixels and style bits.
#include <memory>
#include <string>

#include "toolkit/backend.h"
#include "toolkit/base_object.h"

class CFontDesc : public CBaseObject {
public:
    CFontDesc(const char* name = "Arial Narrow", double size = 12, int style = toolkit::kNormalFace);

    const std::string& getName() const { return name_; }
    double getSize() const { return size_; }
    int getStyle() const { return style_; }
    // Changing a property drops the resolved face; it is resolved again on next use.
    void setName(const char* name);
    void setSize(double size);
    void setStyle(int style);

    // The resolved face, created on first use; null when no face can be found. Subclasses
    // may supply their own face instead of the one looked up by name.
    virtual const toolkit::IPlatformFont* getPlatformFont();

    // Makes a face held in memory available under `family` for the whole process; the
    // bytes must stay valid for the life of the process (library resources do).
    static bool registerFontFace(const char* family, const unsigned char* data, std::size_t size);

    TOOLKIT_TYPE_NAME("CFontDesc", CBaseObject)

private:
    std::string name_;
    double size_;  // pixels
    int style_;    // toolkit::FontStyle bits
    std::shared_ptr<toolkit::IPlatformFont> platformFont_;
};

// The toolkit's default face for labels that were given none ("Arial Narrow", 12 px).
CFontDesc* defaultFont();
