#include "engine/core/file_kinds.h"

#include <algorithm>

#include "engine/core/ascii_case.h"

namespace tessellane {

const std::vector<std::string> imageExts = {"png", "jpg", "jpeg", "tif", "tiff", "bmp", "webp"};
const std::vector<std::string> videoExts = {"mov", "mp4", "m4v"};

// The text after the last dot, also when nothing precedes it: ".png" is a PNG named by its extension alone
// (the standard library would call it a hidden file without one).
std::string extensionOf(const FileURL& url) {
    const std::string name = url.filename().string();
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string stemOf(const FileURL& url) {
    const std::string name = url.filename().string();
    return name.substr(0, name.rfind('.'));
}

std::string lowerExtensionOf(const FileURL& url) { return asciiLower(extensionOf(url)); }

bool hasImageExtension(const FileURL& url) {
    std::string ext = lowerExtensionOf(url);
    return std::find(imageExts.begin(), imageExts.end(), ext) != imageExts.end();
}

}  // namespace tessellane
