// Turns a file into a filled ClipInfo by reading movie boxes or image headers ourselves; never runs ffmpeg.
#pragma once

#include <optional>

#include "engine/core/clip_info.h"
#include "engine/probe/image_header.h"

namespace tessellane {

// Never throws: an unreadable file gives a record whose error holds the user's message.
ClipInfo probe(const FileURL& url);

// Finishes a record that probe() started (url, id and fileSize set) for a still image. `kind`, when given,
// receives the kind its content shows, whatever its extension says.
ClipInfo probeImage(const FileURL& url, ClipInfo started, std::optional<ImageKind>* kind = nullptr);

}  // namespace tessellane
