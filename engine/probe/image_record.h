// Fills a ClipInfo from a still image's header.
#pragma once

#include <string_view>

#include "engine/core/clip_info.h"
#include "engine/probe/image_header.h"

namespace tessellane {

// The record of a readable still image; the codec comes from the file's extension, not its content. A
// picture that ffmpeg cannot use gets the header's refusal as its error and nothing else.
ClipInfo imageRecord(ClipInfo started, const ImageHeader& header);

}  // namespace tessellane
