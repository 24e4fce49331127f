// The exact ffmpeg argument vectors for a merge: one element per argument, never joined into a shell line.
#pragma once

#include <string>
#include <vector>

#include "engine/core/clip_info.h"

namespace tessellane {

// The video merge vector, or the still-image vector when every clip has an image extension.
std::vector<std::string> buildArguments(const std::vector<ClipInfo>& clips, const FileURL& output);

// The still-image merge vector; its format block follows the output's extension.
std::vector<std::string> buildImageArguments(const std::vector<ClipInfo>& clips, const FileURL& output);

}  // namespace tessellane
