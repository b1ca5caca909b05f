#pragma once
// Reference-counted images. A bitmap made from a PNG resource id shares one decoded
// image per id for the whole process; a missing or undecodable resource gives an empty
// bitmap that has no size and draws nothing. Resource images also come drawn at the
// display scales of resources::imageScales; each is decoded on first use at its scale.
#include <array>
#include <memory>

#include "model/resource_table.h"
#include "toolkit/backend.h"
#include "toolkit/base_object.h"

class CDrawContext;

class CBitmap : public CBaseObject {
public:
    explicit CBitmap(int resourceId);
    // Wraps an image decoded elsewhere (null gives an empty bitmap).
    explicit CBitmap(std::shared_ptr<toolkit::IPlatformBitmap> image);

    bool isLoaded() const { return image_ != nullptr; }
    // Every pixel fully opaque (false for an empty bitmap).
    bool isOpaque() const { return image_ && image_->isOpaque(); }
    // Logical size: the 1:1 image's pixels.
    double getWidth() const { return image_ ? image_->width() : 0; }
    double getHeight() const { return image_ ? image_->height() : 0; }
    int getResourceId() const { return resourceId_; }  // -1 when not from a resource
    const toolkit::IPlatformBitmap* getPlatformBitmap() const { return image_.get(); }
    // GUI thread: the image drawn for display scale `scale` (the 1:1 one where no finer
    // variant exists); never null for a loaded bitmap. Subclasses may supply their own
    // variants (reached only through the object, so code that draws bitmaps without loading
    // resources needs no resource table).
    virtual const toolkit::IPlatformBitmap* getPlatformBitmap(double scale);

    // Draws the part starting at `offset` into `dest`.
    void draw(CDrawContext* context, const CRect& dest, const CPoint& offset = CPoint(), float alpha = 1.f);

    TOOLKIT_TYPE_NAME("CBitmap", CBaseObject)

private:
    int resourceId_ = -1;
    std::shared_ptr<toolkit::IPlatformBitmap> image_;
    // The variants by index into resources::imageScales; filled on first use.
    std::array<std::shared_ptr<toolkit::IPlatformBitmap>, resources::imageScaleCount> variants_;
    std::array<bool, resources::imageScaleCount> looked_{};
};
