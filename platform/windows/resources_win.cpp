// Windows: the resources live in the module that contains this code (the plug-in DLL, or a
// test program), so they are looked up there rather than in the host's executable.
#include "platform/resources.h"

#include <windows.h>

namespace platform {
namespace {

HMODULE ownModule() {
    HMODULE module = nullptr;
    const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!GetModuleHandleExW(flags, reinterpret_cast<LPCWSTR>(&ownModule), &module)) return nullptr;
    return module;
}

}  // namespace

bool findResource(ResourceType type, int id, const unsigned char** data, std::size_t* size) {
    // Numeric resource ids are 16-bit; anything else cannot name a resource.
    if (!data || !size || id <= 0 || id > 0xFFFF) return false;
    HMODULE module = ownModule();
    if (!module) return false;
    const wchar_t* kind = type == ResourceType::Png      ? L"PNG"
                          : type == ResourceType::Png1_5x ? L"PNG1_5X"
                          : type == ResourceType::Png2x   ? L"PNG2X"
                          : type == ResourceType::Png3x   ? L"PNG3X"
                                                          : MAKEINTRESOURCEW(8);  // 8: RT_FONT
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), kind);
    if (!info) return false;
    HGLOBAL handle = LoadResource(module, info);
    if (!handle) return false;
    const void* bytes = LockResource(handle);
    const DWORD length = SizeofResource(module, info);
    if (!bytes || length == 0) return false;
    *data = static_cast<const unsigned char*>(bytes);
    *size = length;
    return true;
}

}  // namespace platform
