// Which files are accepted, told by their extension: the kinds a clip can be, and the pieces of a name.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tessellane {

// A file URL: always an absolute path. Relative arguments are made absolute by the caller.
using FileURL = std::filesystem::path;

// Accepted file kinds: lower-case extensions without the dot, in order.
extern const std::vector<std::string> imageExts;
extern const std::vector<std::string> videoExts;

// The text after the last dot of a path's last component ("" when there is none), as written.
std::string extensionOf(const FileURL& url);
// The same, lower-cased (ASCII only, which is all the accepted kinds use).
std::string lowerExtensionOf(const FileURL& url);
// The last component without its extension and the dot before it ("" for ".png").
std::string stemOf(const FileURL& url);
// True when the lower-cased extension of url is one of imageExts.
bool hasImageExtension(const FileURL& url);

}  // namespace tessellane
