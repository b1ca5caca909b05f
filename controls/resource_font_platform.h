#pragma once
// What the platform needs beyond the toolkit to use the resource font. Windows: a private
// GDI registration of the face and a DirectWrite font read from the resource, kept for the
// life of the process. Linux: nothing, the toolkit draws from the registered bytes.
namespace editor {

void prepareResourceFontForPlatform(double size, int style);

}  // namespace editor
