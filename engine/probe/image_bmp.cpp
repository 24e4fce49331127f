// BMP: the file header, then an info header whose size tells its layout; little-endian throughout. ffmpeg
// decodes uncompressed, run-length and bit-field pictures of 1, 4, 8, 16, 24 and 32 bits, and only the
// bit-field masks it knows. A 32-bit picture without masks has alpha when any alpha byte is not zero, so
// those bytes are read until one is found.
#include <algorithm>
#include <vector>

#include "engine/core/messages.h"
#include "engine/probe/byte_reader.h"
#include "engine/probe/image_formats.h"
#include "engine/probe/probe_limits.h"

namespace tessellane::image {
namespace {

constexpr Endian le = Endian::little;
enum Compression { plain = 0, runLength8 = 1, runLength4 = 2, bitFields = 3 };

struct Masks {
    std::uint32_t red = 0, green = 0, blue = 0, alpha = 0;
    bool is(std::uint32_t r, std::uint32_t g, std::uint32_t b) const {
        return red == r && green == g && blue == b;
    }
};

// The pixel format ffmpeg decodes to, or empty text for the masks and depths it refuses.
std::string pixelFormat(int bits, std::uint32_t compression, const Masks& masks, bool palette) {
    const bool alpha = masks.alpha != 0;
    switch (bits) {
        case 32:
            if (compression != bitFields) return "bgra";
            if (masks.is(0xFF000000u, 0x00FF0000u, 0x0000FF00u)) return alpha ? "abgr" : "0bgr";
            if (masks.is(0x00FF0000u, 0x0000FF00u, 0x000000FFu)) return alpha ? "bgra" : "bgr0";
            if (masks.is(0x0000FF00u, 0x00FF0000u, 0xFF000000u)) return alpha ? "argb" : "0rgb";
            if (masks.is(0x000000FFu, 0x0000FF00u, 0x00FF0000u)) return alpha ? "rgba" : "rgb0";
            return {};
        case 24:
            return "bgr24";
        case 16:
            if (compression != bitFields) return "rgb555le";
            if (masks.is(0xF800, 0x07E0, 0x001F)) return "rgb565le";
            if (masks.is(0x7C00, 0x03E0, 0x001F)) return "rgb555le";
            if (masks.is(0x0F00, 0x00F0, 0x000F)) return "rgb444le";
            return {};
        case 8:
            return palette ? "pal8" : "gray";
        case 1:
        case 4:
            return palette ? "pal8" : "";
    }
    return {};
}

// True when some pixel's fourth byte is not zero: rows of `stride` bytes from `at`, 4 bytes a pixel.
bool anyAlpha(ByteSource& file, std::uint64_t at, std::uint64_t stride, std::int64_t width,
              std::int64_t height) {
    std::vector<std::uint8_t> row;
    const std::uint64_t used = std::uint64_t(width) * 4;
    for (std::int64_t y = 0; y < height; ++y, at += stride) {
        for (std::uint64_t done = 0; done < used;) {
            const std::size_t n = std::size_t(std::min<std::uint64_t>(limits::kImageScanBlock, used - done));
            row.resize(n);
            if (!file.readAt(at + done, row.data(), n)) return false;
            for (std::size_t i = 3; i < n; i += 4)
                if (row[i] != 0) return true;
            done += n;
        }
    }
    return false;
}

// What the file header and the info header say about the picture.
struct Info {
    std::uint32_t declared = 0;  // the file's size, as written
    std::uint32_t dataAt = 0, headerSize = 0, compression = plain;
    std::int64_t width = 0, height = 0;
    std::uint16_t bits = 0;

    // Anything between the headers and the pixels is the colour table.
    bool palette() const { return dataAt > 14 + std::uint64_t(headerSize); }
};

// The picture's size, as the info header's layout stores it: 16-bit sides in the oldest, signed 32-bit ones
// in the others.
bool readSides(ByteReader& file, Info& info) {
    if (info.headerSize == 12) {
        std::uint16_t w = 0, h = 0;
        if (!file.read(w, le) || !file.read(h, le)) return false;
        info.width = w;
        info.height = h;
        return true;
    }
    if (info.headerSize == 40 || info.headerSize == 56 || info.headerSize == 64 || info.headerSize == 108 ||
        info.headerSize == 124) {
        std::uint32_t w = 0, h = 0;
        if (!file.read(w, le) || !file.read(h, le)) return false;
        info.width = static_cast<std::int32_t>(w);
        info.height = static_cast<std::int32_t>(h);
        if (info.height < 0) info.height = -info.height;  // a top-down picture; int64 holds -INT32_MIN
        return true;
    }
    return false;
}

std::optional<Info> readInfo(ByteReader& file) {
    Info info;
    std::uint16_t planes = 0;
    if (!file.seek(2) || !file.read(info.declared, le) || !file.seek(10) || !file.read(info.dataAt, le) ||
        !file.read(info.headerSize, le) || !readSides(file, info))
        return std::nullopt;
    if (!file.read(planes, le) || !file.read(info.bits, le) || planes != 1) return std::nullopt;
    if (info.headerSize >= 40 && !file.read(info.compression, le)) return std::nullopt;
    if (!plausibleSize(info.width, info.height) || info.dataAt < 14 + std::uint64_t(info.headerSize))
        return std::nullopt;
    return info;
}

// The declared file size bounds the picture's data. Some writers put a header's size there instead,
// which ffmpeg takes as "the whole file".
std::uint64_t dataEnd(const Info& info, std::uint64_t fileSize) {
    if (info.declared == 14 || info.declared == 14 + info.headerSize) return fileSize >= 2 ? fileSize - 2 : 0;
    return std::min<std::uint64_t>(info.declared, fileSize);
}

// The bit-field masks stand after the 40-byte header, inside a longer one.
bool readMasks(ByteReader& file, const Info& info, Masks& masks) {
    return file.seek(54) && file.read(masks.red, le) && file.read(masks.green, le) &&
           file.read(masks.blue, le) && (info.headerSize <= 40 || file.read(masks.alpha, le));
}

// The bytes from one row to the next in `data` bytes of pixels, or none when the rows reach past them.
// Rows are padded to four bytes; ffmpeg also takes rows without the padding when only those fit.
std::optional<std::uint64_t> rowStride(const Info& info, std::uint64_t data) {
    const std::uint64_t bitsPerRow = std::uint64_t(info.width) * info.bits;
    const std::uint64_t stride = (bitsPerRow + 31) / 32 * 4, packed = (bitsPerRow + 7) / 8;
    const bool runLength = info.compression == runLength8 || info.compression == runLength4;
    const bool padded = stride * std::uint64_t(info.height) <= data;
    if (!runLength && !padded && packed * std::uint64_t(info.height) > data) return std::nullopt;
    return padded ? stride : packed;
}

}  // namespace

std::optional<ImageHeader> readBmp(ByteSource& source) {
    WindowedSource cached(source, 0, source.size(), limits::kImageReadWindow);
    ByteReader file(cached);
    const std::optional<Info> info = readInfo(file);
    if (!info) return std::nullopt;
    // Any other size that leaves no data ffmpeg refuses.
    const std::uint64_t end = dataEnd(*info, source.size());
    if (end <= info->dataAt) return std::nullopt;
    Masks masks;
    if (info->compression == bitFields && !readMasks(file, *info, masks)) return std::nullopt;

    ImageHeader header{.kind = ImageKind::bmp, .width = info->width, .height = info->height};
    if (info->compression > bitFields) {
        header.refusal = messages::unsupportedImage("BMP", messages::compressionMethod(info->compression));
        return header;
    }
    header.pixFmt = pixelFormat(info->bits, info->compression, masks, info->palette());
    if (header.pixFmt.empty()) {
        header.refusal = messages::unsupportedImage(
            "BMP", messages::bmpPixelBits(info->bits, info->compression == bitFields));
        return header;
    }
    const std::optional<std::uint64_t> stride = rowStride(*info, end - info->dataAt);
    if (!stride) {
        header.refusal = messages::truncatedImage(messages::kPixelDataPastEnd);
        return header;
    }
    if (header.pixFmt == "bgra" && !anyAlpha(source, info->dataAt, *stride, info->width, info->height))
        header.pixFmt = "bgr0";
    header.hasAlpha = header.pixFmt == "bgra" || header.pixFmt == "abgr" || header.pixFmt == "argb" ||
                      header.pixFmt == "rgba";
    return header;
}

}  // namespace tessellane::image
