#include "tests/toolkit_windows/windows_test_support.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "platform/resources.h"

namespace winsupport {
namespace {

struct Table {
    std::map<int, std::vector<unsigned char>> resources;
    Table() {
        resources[kThreeFrames] = makePng(10, 30, {kRedCColor, kGreenCColor, kBlueCColor});
        resources[kTwoFrameButton] = makePng(20, 40, {kRedCColor, kGreenCColor});
        resources[kWhiteSquare] = makePng(8, 8, {kWhiteCColor});
        resources[kHalfTransparent] = makePng(4, 4, {CColor{0, 0, 255, 128}});
        const char broken[] = "\x89PNG\r\n\x1a\n but nothing of an image follows";
        resources[kBrokenPng] = std::vector<unsigned char>(broken, broken + sizeof broken);
    }
};

const Table& table() {
    static const Table instance;
    return instance;
}

}  // namespace

}  // namespace winsupport

namespace platform {

bool findResource(ResourceType type, int id, const unsigned char** data, std::size_t* size) {
    if (type != ResourceType::Png || !data || !size) return false;
    auto found = winsupport::table().resources.find(id);
    if (found == winsupport::table().resources.end()) return false;
    *data = found->second.data();
    *size = found->second.size();
    return true;
}

}  // namespace platform
