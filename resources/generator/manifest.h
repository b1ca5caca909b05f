#pragma once
// Outputs built from the rendered images: the compile manifests and a review sheet.
#include <filesystem>
#include <string>

// The file name of image `id` drawn at resources::imageScales[scaleIndex].
std::string imageFileName(int id, int scaleIndex);

// Writes <out>/aldermark_resources.rc (Windows) and <out>/embedded_resources.cpp (Linux),
// both naming every image of the table and the font file.
bool writeManifests(const std::filesystem::path& out, const std::filesystem::path& pngDir,
                    const std::filesystem::path& font);

// The images narrower than `narrowerThan` px, enlarged `zoom` times, on one sheet with
// their ids, for checking the artwork by eye.
bool writeContactSheet(const std::filesystem::path& pngDir, const std::string& sheetPath, int zoom,
                       int narrowerThan);
