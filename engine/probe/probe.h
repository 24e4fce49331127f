// Turns a file into a filled ClipInfo by reading movie boxes or image headers ourselves; never runs ffmpeg.
#pragma once

#include "engine/core/clip_info.h"

namespace tessellane {

// Never throws: an unreadable file gives a record whose error holds the user's message.
ClipInfo probe(const FileURL& url);

// Finishes a record that probe() started (url, id and fileSize set) for a still image.
ClipInfo probeImage(const FileURL& url, ClipInfo started);

}  // namespace tessellane
