// A picture ffmpeg cannot decode fails a still merge in words that name no file ("Output file is empty,
// nothing was encoded"): its headers were sound, so only decoding finds it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/core/clip_info.h"

namespace tessellane {

class Cancellation;

// The name of the first still that ffmpeg, run on it alone, cannot decode; nothing for movies, when every
// picture decodes, or when the look was stopped.
std::optional<std::string> undecodablePicture(const std::string& ffmpeg, const std::vector<ClipInfo>& clips,
                                              const Cancellation* cancel);

}  // namespace tessellane
