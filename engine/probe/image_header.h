// Reads the header of a still image (PNG, JPEG, TIFF, BMP, WebP) to learn what ffmpeg will make of it: the
// size it shows, alpha, bits per sample and the pixel format it decodes to, without decoding any pixels. It
// also tells, from the header and the file's extent, a picture that ffmpeg cannot decode or that is cut
// short, so that the merge can refuse it before ffmpeg starts. The format is told by the content, never by
// the file name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/probe/byte_source.h"

namespace tessellane {

enum class ImageKind { png, jpeg, tiff, bmp, webp };

struct ImageHeader {
    ImageKind kind = ImageKind::png;
    // As shown: a JPEG whose EXIF orientation turns it a quarter (5 to 8) has its sides swapped, because
    // ffmpeg turns it upright when it decodes it.
    std::int64_t width = 0;
    std::int64_t height = 0;
    // An alpha channel that the picture uses and ffmpeg keeps.
    bool hasAlpha = false;
    int bitsPerSample = 8;
    // ffmpeg's name of the pixel format it decodes the picture to, as ffprobe shows it.
    std::string pixFmt{};
    // The decoded pixels are exactly those that were stored.
    bool lossless = true;
    // The EXIF orientation, 1 (as stored) to 8; JPEG only.
    int orientation = 1;
    // Why ffmpeg cannot use this picture, in the user's words; empty when it can.
    std::string refusal{};
};

// Absent when the bytes are none of the known formats, or the header is missing or inconsistent.
std::optional<ImageHeader> readImageHeader(ByteSource& source);

}  // namespace tessellane
