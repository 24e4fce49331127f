// Natural file order (take2 before take10) and the output name derived from what the inputs share.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/clip_info.h"

namespace tessellane {

// Compares two file names as a file manager orders them: digit runs as numbers, letter case only as a
// final tie-break, the collation of the user's locale otherwise. Returns <0, 0 or >0.
int naturalCompare(std::string_view a, std::string_view b);

// Stable sorts by the last path component of each url; the input is not changed.
std::vector<ClipInfo> naturalSorted(const std::vector<ClipInfo>& clips);
std::vector<FileURL> naturalSortedURLs(const std::vector<FileURL>& urls);

// The common leading part of the stems, in user-perceived characters of the NFC form, with trailing
// number characters, blanks, underscores and hyphens removed. Empty for an empty list.
std::string baseName(const std::vector<FileURL>& urls);

// baseName + suffix + "." + the first url's extension as written ("mov" for an empty list).
std::string outputFileName(const std::vector<FileURL>& urls, std::string_view suffix);

// Why a suffix cannot be part of an output name: a "/" (or NUL) would put the output in another folder, a
// control character would print as something else than a name. ":" is a character like any other on
// Linux; a file system that refuses it (FAT, exFAT) is found when the merge starts.
std::optional<std::string> suffixProblem(std::string_view suffix);

// The folder with `name` appended as one path component (a "/" in it never replaces the folder); the
// folder itself for an empty name.
FileURL outputPath(const FileURL& folder, const std::string& name);

}  // namespace tessellane
