#include "toolkit/bitmap.h"

#include <map>
#include <mutex>
#include <utility>

#include "platform/resources.h"
#include "toolkit/draw_context.h"

namespace {

constexpr platform::ResourceType kTypeAtScale[resources::imageScaleCount] = {
    platform::ResourceType::Png, platform::ResourceType::Png1_5x, platform::ResourceType::Png2x,
    platform::ResourceType::Png3x};

// One decoded image per resource id and scale for the process; failures are remembered
// too, so a broken resource is not decoded again for every view that asks for it.
std::shared_ptr<toolkit::IPlatformBitmap> decodedResource(int id, int scaleIndex) {
    static std::mutex mutex;
    static std::map<std::pair<int, int>, std::shared_ptr<toolkit::IPlatformBitmap>> cache;
    std::lock_guard<std::mutex> lock(mutex);
    const auto key = std::make_pair(id, scaleIndex);
    auto found = cache.find(key);
    if (found != cache.end()) return found->second;
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    std::shared_ptr<toolkit::IPlatformBitmap> image;
    if (platform::findResource(kTypeAtScale[scaleIndex], id, &data, &size) && data && size > 0)
        image = toolkit::decodePng(data, size);
    cache.emplace(key, image);
    return image;
}

}  // namespace

CBitmap::CBitmap(int resourceId) : resourceId_(resourceId), image_(decodedResource(resourceId, 0)) {
    variants_[0] = image_;
    looked_[0] = true;
}

CBitmap::CBitmap(std::shared_ptr<toolkit::IPlatformBitmap> image) : image_(std::move(image)) {
    variants_[0] = image_;
    looked_.fill(true);  // nothing but the 1:1 image
}

const toolkit::IPlatformBitmap* CBitmap::getPlatformBitmap(double scale) {
    if (!image_) return nullptr;
    const int index = resources::imageScaleIndexFor(scale);
    if (!looked_[index]) {
        variants_[index] = decodedResource(resourceId_, index);
        looked_[index] = true;
    }
    return variants_[index] ? variants_[index].get() : image_.get();
}

void CBitmap::draw(CDrawContext* context, const CRect& dest, const CPoint& offset, float alpha) {
    if (context) context->drawBitmap(this, dest, offset, alpha);
}
