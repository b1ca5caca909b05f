#pragma once
// A mock-up of the whole editor (VU meter, both strips open) assembled from the rendered
// images at their places in the window, for judging the artwork at 100 % scale.
#include <filesystem>
#include <string>

bool writeEditorPreview(const std::filesystem::path& pngDir, const std::string& path);
