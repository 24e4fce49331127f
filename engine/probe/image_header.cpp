#include "engine/probe/image_header.h"

#include <array>
#include <cstring>
#include <limits>

#include "engine/probe/byte_reader.h"
#include "engine/probe/probe_limits.h"

namespace tessellane {
namespace {

constexpr std::int64_t kMaxDimension = std::numeric_limits<std::int32_t>::max();

std::uint32_t big32(const std::uint8_t* p) { return decodeUnsigned<std::uint32_t>(p, 4, Endian::big); }

constexpr std::array<std::uint32_t, 256> makeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = makeCrcTable();

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) c = kCrcTable[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// PNG: the IHDR chunk must come first with a good checksum; a tRNS chunk before the first IDAT adds alpha.
std::optional<ImageHeader> readPng(ByteSource& source) {
    std::uint8_t ihdr[25];  // length, type, 13 data bytes, checksum
    if (!source.readAt(8, ihdr, sizeof ihdr)) return std::nullopt;
    if (big32(ihdr) != 13 || std::memcmp(ihdr + 4, "IHDR", 4) != 0) return std::nullopt;
    if (crc32(ihdr + 4, 17) != big32(ihdr + 21)) return std::nullopt;
    const std::int64_t width = big32(ihdr + 8), height = big32(ihdr + 12);
    const int depth = ihdr[16], colourType = ihdr[17];
    if (width < 1 || height < 1 || width > kMaxDimension || height > kMaxDimension) return std::nullopt;
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16) return std::nullopt;
    if (colourType != 0 && colourType != 2 && colourType != 3 && colourType != 4 && colourType != 6)
        return std::nullopt;

    ImageHeader header{ImageKind::png, width, height, colourType == 4 || colourType == 6, depth};
    ByteReader chunks(source, 8 + sizeof ihdr, source.size());
    for (std::size_t count = 0; !header.hasAlpha && count < limits::kMaxPngChunks; ++count) {
        std::uint32_t length = 0;
        char type[4];
        // Cut short after the header: no alpha.
        if (!chunks.read(length) || !chunks.readBytes(type, 4) || length > 0x7FFFFFFFu) break;
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) break;
        if (std::memcmp(type, "tRNS", 4) == 0) header.hasAlpha = true;
        if (!chunks.skip(std::uint64_t(length) + 4)) break;  // data and checksum
    }
    return header;
}

bool isStartOfFrame(std::uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// JPEG: segments are skipped by their lengths until the first start-of-frame.
std::optional<ImageHeader> readJpeg(ByteSource& source) {
    ByteReader file(source);
    if (!file.seek(2)) return std::nullopt;
    for (std::size_t count = 0; count < limits::kMaxJpegSegments; ++count) {
        if (file.position() > limits::kMaxJpegHeaderOffset) return std::nullopt;
        std::uint8_t byte = 0, marker = 0xFF;
        if (!file.read(byte) || byte != 0xFF) return std::nullopt;
        // Any number of fill bytes may precede a marker; the offset limit bounds the scan.
        while (marker == 0xFF) {
            if (file.position() > limits::kMaxJpegHeaderOffset || !file.read(marker)) return std::nullopt;
        }
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;  // no length follows
        if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA || marker == 0x00) return std::nullopt;
        std::uint16_t length = 0;
        if (!file.read(length) || length < 2) return std::nullopt;
        if (isStartOfFrame(marker)) {
            std::uint8_t precision = 0, components = 0;
            std::uint16_t height = 0, width = 0;
            if (length < 8 || !file.read(precision) || !file.read(height) || !file.read(width) ||
                !file.read(components))
                return std::nullopt;
            if (width < 1 || height < 1 || precision < 1 || components < 1) return std::nullopt;
            return ImageHeader{ImageKind::jpeg, width, height, false, precision};
        }
        if (!file.skip(length - 2)) return std::nullopt;
    }
    return std::nullopt;
}

// TIFF and BigTIFF: the tags of the first image file directory.
class TiffReader {
  public:
    TiffReader(ByteSource& source, Endian order, bool big) : file_(source), order_(order), big_(big) {}

    // An unsigned field of `width` bytes at `offset`, in the file's byte order.
    [[nodiscard]] bool read(std::uint64_t offset, std::size_t width, std::uint64_t& out) {
        return file_.seek(offset) && file_.read(out, order_, width);
    }

    std::optional<ImageHeader> readFirstDirectory() {
        std::uint64_t ifd = 0;
        if (big_) {
            std::uint64_t byteSize = 0, zero = 0;
            if (!read(4, 2, byteSize) || !read(6, 2, zero) || byteSize != 8 || zero != 0) return std::nullopt;
            if (!read(8, 8, ifd)) return std::nullopt;
        } else if (!read(4, 4, ifd)) {
            return std::nullopt;
        }
        const std::size_t countSize = big_ ? 8 : 2, entrySize = big_ ? 20 : 12, valueSize = big_ ? 8 : 4;
        std::uint64_t entries = 0;
        if (!read(ifd, countSize, entries) || entries > limits::kMaxTiffEntries) return std::nullopt;
        if (!file_.seek(ifd + countSize) || !file_.has(entries * entrySize)) return std::nullopt;

        std::optional<std::uint64_t> width, height, bits, extra;
        for (std::uint64_t i = 0; i < entries; ++i) {
            const std::uint64_t entry = ifd + countSize + i * entrySize;
            std::uint64_t tag = 0, type = 0, count = 0;
            if (!read(entry, 2, tag) || !read(entry + 2, 2, type) || !read(entry + 4, valueSize, count))
                return std::nullopt;
            if (tag != 256 && tag != 257 && tag != 258 && tag != 338) continue;
            const std::size_t typeSize = type == 1 ? 1 : type == 3 ? 2 : type == 4 ? 4 : type == 16 ? 8 : 0;
            if (typeSize == 0 || count == 0) return std::nullopt;  // these tags hold unsigned integers
            std::uint64_t valueAt = entry + 4 + valueSize;
            if (count > valueSize / typeSize) {  // too big to stand inline: the field holds an offset
                if (!read(valueAt, valueSize, valueAt)) return std::nullopt;
            }
            std::uint64_t value = 0;
            if (!read(valueAt, typeSize, value)) return std::nullopt;
            (tag == 256 ? width : tag == 257 ? height : tag == 258 ? bits : extra) = value;
        }
        if (!width || !height || *width < 1 || *height < 1 || *width > std::uint64_t(kMaxDimension) ||
            *height > std::uint64_t(kMaxDimension))
            return std::nullopt;
        const std::uint64_t bitsPerSample = bits.value_or(1);
        if (bitsPerSample < 1 || bitsPerSample > 64) return std::nullopt;
        return ImageHeader{ImageKind::tiff, std::int64_t(*width), std::int64_t(*height),
                           extra && (*extra == 1 || *extra == 2), int(bitsPerSample)};
    }

  private:
    ByteReader file_;
    Endian order_;
    bool big_;
};

std::optional<ImageHeader> readTiff(ByteSource& source, Endian order) {
    ByteReader file(source);
    std::uint16_t version = 0;
    if (!file.seek(2) || !file.read(version, order)) return std::nullopt;
    if (version != 42 && version != 43) return std::nullopt;
    return TiffReader(source, order, version == 43).readFirstDirectory();
}

// BMP: the file header, then an info header whose size tells its layout. Little-endian throughout.
std::optional<ImageHeader> readBmp(ByteSource& source) {
    constexpr Endian le = Endian::little;
    ByteReader file(source);
    std::uint32_t headerSize = 0;
    if (source.size() < 26 || !file.seek(14) || !file.read(headerSize, le)) return std::nullopt;
    std::int64_t width = 0, height = 0;
    bool alpha = false;
    if (headerSize == 12) {
        std::uint16_t w = 0, h = 0;
        if (!file.read(w, le) || !file.read(h, le)) return std::nullopt;
        width = w;
        height = h;
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 64 ||
               headerSize == 108 || headerSize == 124) {
        std::uint32_t w = 0, h = 0;
        std::uint16_t planes = 0, bitsPerPixel = 0;
        if (!file.read(w, le) || !file.read(h, le) || !file.read(planes, le) || !file.read(bitsPerPixel, le))
            return std::nullopt;
        width = static_cast<std::int32_t>(w);
        height = static_cast<std::int32_t>(h);
        if (height < 0) height = -height;  // a top-down picture; int64 holds -INT32_MIN
        if (bitsPerPixel == 32 && headerSize >= 108) {
            std::uint32_t alphaMask = 0;
            if (!file.seek(66) || !file.read(alphaMask, le)) return std::nullopt;
            alpha = alphaMask != 0;
        }
    } else {
        return std::nullopt;
    }
    if (width < 1 || height < 1 || width > kMaxDimension || height > kMaxDimension) return std::nullopt;
    return ImageHeader{ImageKind::bmp, width, height, alpha, 8};
}

// WebP: a RIFF file whose first chunk is VP8 (lossy), VP8L (lossless) or VP8X (extended). Sizes are
// little-endian, from byte 20 on.
std::optional<ImageHeader> readWebp(ByteSource& source) {
    constexpr Endian le = Endian::little;
    std::uint8_t bytes[30];
    if (!source.readAt(0, bytes, sizeof bytes)) return std::nullopt;
    if (std::memcmp(bytes + 8, "WEBP", 4) != 0) return std::nullopt;
    MemorySource header(bytes);
    ByteReader data(header, 20, sizeof bytes);
    std::int64_t width = 0, height = 0;
    bool alpha = false;
    if (std::memcmp(bytes + 12, "VP8 ", 4) == 0) {
        std::uint16_t w = 0, h = 0;
        if (bytes[23] != 0x9D || bytes[24] != 0x01 || bytes[25] != 0x2A) return std::nullopt;
        if (!data.seek(6) || !data.read(w, le) || !data.read(h, le)) return std::nullopt;
        width = w & 0x3FFF;
        height = h & 0x3FFF;
    } else if (std::memcmp(bytes + 12, "VP8L", 4) == 0) {
        std::uint32_t fields = 0;
        if (bytes[20] != 0x2F || !data.seek(1) || !data.read(fields, le)) return std::nullopt;
        if ((fields >> 29) != 0) return std::nullopt;  // only version 0 exists
        width = (fields & 0x3FFF) + 1;
        height = ((fields >> 14) & 0x3FFF) + 1;
        alpha = (fields >> 28) & 1;
    } else if (std::memcmp(bytes + 12, "VP8X", 4) == 0) {
        std::uint32_t w = 0, h = 0;
        alpha = (bytes[20] & 0x10) != 0;
        if (!data.seek(4) || !data.read(w, le, 3) || !data.read(h, le, 3)) return std::nullopt;
        width = std::int64_t(w) + 1;
        height = std::int64_t(h) + 1;
    } else {
        return std::nullopt;
    }
    if (width < 1 || height < 1) return std::nullopt;
    return ImageHeader{ImageKind::webp, width, height, alpha, 8};
}

}  // namespace

std::optional<ImageHeader> readImageHeader(ByteSource& file) {
    WindowedSource source(file, 0, file.size(), limits::kImageReadWindow);
    std::uint8_t magic[12] = {};
    const std::size_t available =
        static_cast<std::size_t>(std::min<std::uint64_t>(source.size(), sizeof magic));
    if (!source.readAt(0, magic, available)) return std::nullopt;
    auto starts = [&](const char* prefix, std::size_t n) {
        return available >= n && std::memcmp(magic, prefix, n) == 0;
    };
    if (starts("\x89PNG\r\n\x1a\n", 8)) return readPng(source);
    if (starts("\xFF\xD8", 2)) return readJpeg(source);
    if (starts("II", 2)) return readTiff(source, Endian::little);
    if (starts("MM", 2)) return readTiff(source, Endian::big);
    if (starts("BM", 2)) return readBmp(source);
    if (starts("RIFF", 4)) return readWebp(source);
    return std::nullopt;
}

}  // namespace tessellane
