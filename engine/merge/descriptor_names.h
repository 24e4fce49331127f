// ffmpeg reads and writes this program's files through inherited descriptors, so its words speak of
// "/proc/self/fd/5"; the user only knows the files by their names.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace tessellane {

// `text` with every "/proc/self/fd/N" whose N is in `names` replaced by that name; other descriptors and
// a longer number that only starts with N are left as they are.
std::string withFileNames(std::string_view text, const std::map<int, std::string>& names);

}  // namespace tessellane
