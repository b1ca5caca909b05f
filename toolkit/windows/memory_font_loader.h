#pragma once
// DirectWrite loaders for font faces held in memory (resource bytes): a collection key is
// the 32-bit index of a face registered with addMemoryFace, and each such collection holds
// that one face.
#include <dwrite.h>

#include <cstdint>

namespace toolkit::windows {

// Records a face for the loaders; answers its key. The bytes must outlive the process's
// use of DirectWrite (resource data does).
std::uint32_t addMemoryFace(const unsigned char* data, std::uint32_t size);

// Made once per process with their first use; null when out of memory. The collection
// loader hands out files through the file loader; both must be registered with the
// factory that uses them.
IDWriteFontFileLoader* memoryFontFileLoader();
IDWriteFontCollectionLoader* memoryFontCollectionLoader();

}  // namespace toolkit::windows
