// The reader of each still-image format behind readImageHeader(), and the few things they share. Each
// reader is handed the whole file, cached through a small window, and checks every read.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "engine/probe/byte_source.h"
#include "engine/probe/image_header.h"

namespace tessellane::image {

// Sides beyond this are treated as broken headers.
inline constexpr std::int64_t kMaxDimension = std::numeric_limits<std::int32_t>::max();

inline bool plausibleSize(std::int64_t width, std::int64_t height) {
    return width >= 1 && height >= 1 && width <= kMaxDimension && height <= kMaxDimension;
}

std::optional<ImageHeader> readPng(ByteSource& source);
std::optional<ImageHeader> readJpeg(ByteSource& source);
std::optional<ImageHeader> readTiff(ByteSource& source);
std::optional<ImageHeader> readBmp(ByteSource& source);
std::optional<ImageHeader> readWebp(ByteSource& source);

}  // namespace tessellane::image
