// A resource table of the tests' own, in place of the library's: serves PNGs drawn here.
#include "tests/toolkit/test_support.h"

#include <cstdio>
#include <map>
#include <mutex>

#include "platform/resources.h"

namespace testsupport {
namespace {

struct Table {
    std::mutex mutex;
    std::map<int, std::vector<unsigned char>> resources;
    std::map<int, int> lookups;

    Table() {
        resources[kTwoFrameButton] = makePng(20, 40, {kRedCColor, kGreenCColor});
        resources[kThreeFrames] = makePng(10, 30, {kRedCColor, kGreenCColor, kBlueCColor});
        const char broken[] = "\x89PNG but not really an image";
        resources[kBrokenPng] = std::vector<unsigned char>(broken, broken + sizeof broken);
        resources[kHandle] = makePng(10, 10, {kBlueCColor});
        resources[kWhiteSquare] = makePng(8, 8, {kWhiteCColor});
        resources[kCacheProbe] = makePng(4, 4, {kGreyCColor});
        resources[kHalfClear] = makePng(8, 8, {kRedCColor, CColor{0, 0, 0, 0}});
    }
};

Table& table() {
    static Table instance;
    return instance;
}

}  // namespace

int resourceLookups(int id) {
    std::lock_guard<std::mutex> lock(table().mutex);
    return table().lookups[id];
}


}  // namespace testsupport

namespace platform {

bool findResource(ResourceType type, int id, const unsigned char** data, std::size_t* size) {
    auto& t = testsupport::table();
    std::lock_guard<std::mutex> lock(t.mutex);
    ++t.lookups[id];
    if (type != ResourceType::Png || !data || !size) return false;
    auto found = t.resources.find(id);
    if (found == t.resources.end()) return false;
    *data = found->second.data();
    *size = found->second.size();
    return true;
}

}  // namespace platform
