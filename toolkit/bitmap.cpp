#include "toolkit/bitmap.h"

#include <map>
#include <mutex>

#include "platform/resources.h"
#include "toolkit/draw_context.h"

namespace {

// One decoded image per resource id for the process; failures are remembered too, so a
// broken resource is not decoded again for every view that asks for it.
std::shared_ptr<toolkit::IPlatformBitmap> decodedResource(int id) {
    static std::mutex mutex;
    static std::map<int, std::shared_ptr<toolkit::IPlatformBitmap>> cache;
    std::lock_guard<std::mutex> lock(mutex);
    auto found = cache.find(id);
    if (found != cache.end()) return found->second;
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    std::shared_ptr<toolkit::IPlatformBitmap> image;
    if (platform::findResource(platform::ResourceType::Png, id, &data, &size) && data && size > 0)
        image = toolkit::decodePng(data, size);
    cache.emplace(id, image);
    return image;
}

}  // namespace

CBitmap::CBitmap(int resourceId) : resourceId_(resourceId), image_(decodedResource(resourceId)) {}

CBitmap::CBitmap(std::shared_ptr<toolkit::IPlatformBitmap> image) : image_(std::move(image)) {}

void CBitmap::draw(CDrawContext* context, const CRect& dest, const CPoint& offset, float alpha) {
    if (context) context->drawBitmap(this, dest, offset, alpha);
}
