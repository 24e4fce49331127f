// Turns a file into a filled ClipInfo by reading movie boxes or image headers ourselves; never runs ffmpeg.
#pragma once

#include <optional>

#include "engine/core/clip_info.h"
#include "engine/probe/image_header.h"

namespace tessellane {

// What tells one version of a file from another without reading it: its size (0 unless a regular file)
// and modification time in nanoseconds since the epoch; both 0 when it cannot be looked at.
struct FileStamp {
    std::int64_t size = 0;
    std::int64_t modified = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
FileStamp fileStamp(const FileURL& url);

// Never throws: an unreadable file gives a record whose error holds the user's message.
ClipInfo probe(const FileURL& url);

// Finishes a record that probe() started (url, id and fileSize set) for a still image. `kind`, when given,
// receives the kind its content shows, whatever its extension says.
ClipInfo probeImage(const FileURL& url, ClipInfo started, std::optional<ImageKind>* kind = nullptr);

}  // namespace tessellane
