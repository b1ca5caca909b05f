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
    // The face at `scale` times the size, for drawing at a display scale (the platform's
    // font engine renders it at that size: sharp, not an enlarged picture). Scale 1 gives
    // getPlatformFont().
    const toolkit::IPlatformFont* getScaledPlatformFont(double scale);

    // Makes a face held in memory available under `family` for the whole process; the
    // bytes must stay valid for the life of the process (library resources do).
    static bool registerFontFace(const char* family, const unsigned char* data, std::size_t size);

    TOOLKIT_TYPE_NAME("CFontDesc", CBaseObject)

protected:
    // Makes this description's face at `size` pixels; subclasses with a face of their own
    // make that one.
    virtual std::shared_ptr<toolkit::IPlatformFont> createFace(double size);

private:
    std::string name_;
    double size_;  // pixels
    int style_;    // toolkit::FontStyle bits
    std::shared_ptr<toolkit::IPlatformFont> platformFont_;
    std::shared_ptr<toolkit::IPlatformFont> scaledFont_;  // the last scaled face made
    double scaledSize_ = 0;                                // pixels scaledFont_ was made for
    int scaledStyle_ = 0;
    std::string scaledName_;
};

// The toolkit's default face for labels that were given none ("Arial Narrow", 12 px).
CFontDesc* defaultFont();
