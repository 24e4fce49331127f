// Reads the header of a still image (PNG, JPEG, TIFF and BigTIFF, BMP, WebP) to learn its pixel size, whether
// it has alpha and its bits per sample, without decoding any pixels. The format is told by the content,
// never by the file name.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/probe/byte_source.h"

namespace tessellane {

enum class ImageKind { png, jpeg, tiff, bmp, webp };

struct ImageHeader {
    ImageKind kind = ImageKind::png;
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool hasAlpha = false;
    int bitsPerSample = 8;
};

// Absent when the bytes are none of the known formats, or the header is missing, truncated or inconsistent.
std::optional<ImageHeader> readImageHeader(ByteSource& source);

}  // namespace tessellane
