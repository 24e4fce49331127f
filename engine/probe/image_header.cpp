#include "engine/probe/image_header.h"

#include <cstring>

#include "engine/core/messages.h"
#include "engine/core/picture_size.h"
#include "engine/probe/image_formats.h"

namespace tessellane {

std::optional<ImageHeader> readImageHeader(ByteSource& file) {
    std::uint8_t magic[12] = {};
    const std::size_t available =
        static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), sizeof magic));
    if (!file.readAt(0, magic, available)) return std::nullopt;
    auto starts = [&](const char* prefix, std::size_t n) {
        return available >= n && std::memcmp(magic, prefix, n) == 0;
    };
    std::optional<ImageHeader> header;
    if (starts("\x89PNG\r\n\x1a\n", 8))
        header = image::readPng(file);
    else if (starts("\xFF\xD8", 2))
        header = image::readJpeg(file);
    else if (starts("II", 2) || starts("MM", 2))
        header = image::readTiff(file);
    else if (starts("BM", 2))
        header = image::readBmp(file);
    else if (starts("RIFF", 4))
        header = image::readWebp(file);
    if (header && header->refusal.empty() && !ffmpegHoldsPicture(header->width, header->height))
        header->refusal = messages::pictureTooLarge(header->width, header->height);
    return header;
}

}  // namespace tessellane
