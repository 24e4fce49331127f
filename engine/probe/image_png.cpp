// PNG: the IHDR chunk must come first. The other chunks are walked by their headers alone, seeking past
// their data, until IEND: a tRNS before the first IDAT adds alpha, and a file that ends before IEND, or has
// no IDAT, is refused. Checksums are not checked, as ffmpeg does not check them; a colour profile that
// cannot be unpacked is refused, as ffmpeg refuses it.
#include <algorithm>
#include <cstring>

#include "engine/core/messages.h"
#include "engine/probe/byte_reader.h"
#include "engine/probe/image_formats.h"
#include "engine/probe/probe_limits.h"

namespace tessellane::image {
namespace {

std::uint32_t big32(const std::uint8_t* p) { return decodeUnsigned<std::uint32_t>(p, 4, Endian::big); }

enum Colour { grey = 0, rgb = 2, palette = 3, greyAlpha = 4, rgbAlpha = 6 };

bool validDepth(int colour, int depth) {
    switch (colour) {
        case grey:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case palette:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case rgb:
        case greyAlpha:
        case rgbAlpha:
            return depth == 8 || depth == 16;
    }
    return false;
}

// The format ffmpeg decodes to. A tRNS chunk turns grey and RGB into their alpha forms, except 1-bit grey,
// where ffmpeg ignores it.
std::string pixelFormat(int colour, int depth, bool transparency) {
    const bool deep = depth == 16;
    switch (colour) {
        case grey:
            if (depth == 1) return "monob";
            return transparency ? (deep ? "ya16be" : "ya8") : (deep ? "gray16be" : "gray");
        case rgb:
            return transparency ? (deep ? "rgba64be" : "rgba") : (deep ? "rgb48be" : "rgb24");
        case palette:
            return "pal8";
        case greyAlpha:
            return deep ? "ya16be" : "ya8";
        default:
            return deep ? "rgba64be" : "rgba";
    }
}

// An iCCP chunk: a name of 1 to 79 bytes and its terminator, compression method 0, then a zlib stream,
// whose two-byte header must name deflate and carry its check.
bool readableProfile(ByteSource& source, std::uint64_t at, std::uint32_t length) {
    std::uint8_t data[83] = {};
    const std::size_t n = std::min<std::size_t>(length, sizeof data);
    if (!source.readAt(at, data, n)) return false;
    const auto* name = static_cast<const std::uint8_t*>(std::memchr(data, 0, std::min<std::size_t>(n, 80)));
    if (name == nullptr || name == data || name + 3 >= data + n) return false;
    const std::uint8_t method = name[1], cmf = name[2], flags = name[3];
    return method == 0 && (cmf & 0x0F) == 8 && (cmf >> 4) <= 7 && (cmf * 256 + flags) % 31 == 0;
}

}  // namespace

std::optional<ImageHeader> readPng(ByteSource& source) {
    std::uint8_t ihdr[25];  // length, type, 13 data bytes, checksum
    if (!source.readAt(8, ihdr, sizeof ihdr)) return std::nullopt;
    if (big32(ihdr) != 13 || std::memcmp(ihdr + 4, "IHDR", 4) != 0) return std::nullopt;
    const std::int64_t width = big32(ihdr + 8), height = big32(ihdr + 12);
    const int depth = ihdr[16], colour = ihdr[17];
    if (!plausibleSize(width, height) || !validDepth(colour, depth)) return std::nullopt;

    bool transparency = false, imageData = false, end = false, badProfile = false;
    std::uint64_t at = 8 + sizeof ihdr;
    for (std::size_t count = 0; !end; ++count) {
        if (count == limits::kMaxPngChunks) return std::nullopt;
        std::uint8_t chunk[8];  // length, type; the data and its checksum are skipped
        if (!source.readAt(at, chunk, sizeof chunk)) break;
        const std::uint32_t length = big32(chunk);
        if (length > 0x7FFFFFFFu) return std::nullopt;
        const std::uint64_t next = at + sizeof chunk + length + 4;
        if (next > source.size()) break;
        if (std::memcmp(chunk + 4, "IDAT", 4) == 0) imageData = true;
        if (std::memcmp(chunk + 4, "tRNS", 4) == 0 && !imageData) transparency = true;
        if (std::memcmp(chunk + 4, "iCCP", 4) == 0 && !readableProfile(source, at + sizeof chunk, length))
            badProfile = true;
        end = std::memcmp(chunk + 4, "IEND", 4) == 0;
        at = next;
    }

    if (colour == grey && depth == 1) transparency = false;
    ImageHeader header{.kind = ImageKind::png,
                       .width = width,
                       .height = height,
                       .hasAlpha = colour == greyAlpha || colour == rgbAlpha || transparency,
                       .bitsPerSample = depth,
                       .pixFmt = pixelFormat(colour, depth, transparency)};
    if (!end)
        header.refusal = messages::truncatedImage(messages::kPngWithoutEnd);
    else if (!imageData)
        header.refusal = messages::kPngWithoutImageData;
    else if (badProfile)
        header.refusal = messages::kPngProfileDamaged;
    return header;
}

}  // namespace tessellane::image
