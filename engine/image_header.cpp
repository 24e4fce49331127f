#include "engine/image_header.h"

#include <array>
#include <cstring>
#include <limits>

#include "engine/byte_reader.h"
#include "engine/probe_limits.h"

namespace tessellane {
namespace {

constexpr std::int64_t kMaxDimension = std::numeric_limits<std::int32_t>::max();

std::uint32_t big32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

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
    std::uint64_t position = 8 + sizeof ihdr;
    for (std::size_t count = 0; !header.hasAlpha && count < limits::kMaxPngChunks; ++count) {
        std::uint8_t chunk[8];
        if (!source.readAt(position, chunk, sizeof chunk)) break;  // cut short after the header: no alpha
        const std::uint32_t length = big32(chunk);
        if (length > 0x7FFFFFFFu) break;
        if (std::memcmp(chunk + 4, "IDAT", 4) == 0 || std::memcmp(chunk + 4, "IEND", 4) == 0) break;
        if (std::memcmp(chunk + 4, "tRNS", 4) == 0) header.hasAlpha = true;
        position += 12 + std::uint64_t(length);
    }
    return header;
}

bool isStartOfFrame(std::uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// JPEG: segments are skipped by their lengths until the first start-of-frame.
std::optional<ImageHeader> readJpeg(ByteSource& source) {
    std::uint64_t position = 2;
    for (std::size_t count = 0; count < limits::kMaxJpegSegments; ++count) {
        if (position > limits::kMaxJpegHeaderOffset) return std::nullopt;
        std::uint8_t byte = 0;
        if (!source.readAt(position, &byte, 1) || byte != 0xFF) return std::nullopt;
        std::uint8_t marker = 0xFF;
        // Any number of fill bytes may precede a marker; the offset limit bounds the scan.
        while (marker == 0xFF) {
            ++position;
            if (position > limits::kMaxJpegHeaderOffset || !source.readAt(position, &marker, 1))
                return std::nullopt;
        }
        ++position;
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;  // no length follows
        if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA || marker == 0x00) return std::nullopt;
        std::uint8_t lengthBytes[2];
        if (!source.readAt(position, lengthBytes, 2)) return std::nullopt;
        const std::uint32_t length = (std::uint32_t(lengthBytes[0]) << 8) | lengthBytes[1];
        if (length < 2) return std::nullopt;
        if (isStartOfFrame(marker)) {
            std::uint8_t frame[6];  // precision, height, width, component count
            if (length < 8 || !source.readAt(position + 2, frame, sizeof frame)) return std::nullopt;
            const std::int64_t height = (frame[1] << 8) | frame[2], width = (frame[3] << 8) | frame[4];
            if (width < 1 || height < 1 || frame[0] < 1 || frame[5] < 1) return std::nullopt;
            return ImageHeader{ImageKind::jpeg, width, height, false, frame[0]};
        }
        position += length;
    }
    return std::nullopt;
}

// TIFF and BigTIFF: the tags of the first image file directory.
class TiffReader {
  public:
    TiffReader(ByteSource& source, bool little, bool big) : source_(source), little_(little), big_(big) {}

    bool read(std::uint64_t offset, std::size_t n, std::uint64_t& out) {
        std::uint8_t bytes[8];
        if (n > sizeof bytes || !source_.readAt(offset, bytes, n)) return false;
        out = 0;
        for (std::size_t i = 0; i < n; ++i) {
            std::uint8_t b = little_ ? bytes[n - 1 - i] : bytes[i];
            out = (out << 8) | b;
        }
        return true;
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
        if (!source_.contains(ifd + countSize, entries * entrySize)) return std::nullopt;

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
    ByteSource& source_;
    bool little_;
    bool big_;
};

std::optional<ImageHeader> readTiff(ByteSource& source, bool little) {
    std::uint8_t head[4];
    if (!source.readAt(0, head, 4)) return std::nullopt;
    const unsigned version = little ? head[2] | (head[3] << 8) : (head[2] << 8) | head[3];
    if (version != 42 && version != 43) return std::nullopt;
    return TiffReader(source, little, version == 43).readFirstDirectory();
}

// BMP: the file header, then an info header whose size tells its layout.
std::optional<ImageHeader> readBmp(ByteSource& source) {
    std::uint8_t bytes[70] = {};
    const std::size_t available =
        static_cast<std::size_t>(std::min<std::uint64_t>(source.size(), sizeof bytes));
    if (available < 26 || !source.readAt(0, bytes, available)) return std::nullopt;
    ByteReader reader(bytes, available);
    std::uint32_t headerSize = 0;
    reader.seek(14);
    reader.readU32LE(headerSize);
    std::int64_t width = 0, height = 0;
    bool alpha = false;
    if (headerSize == 12) {
        std::uint16_t w = 0, h = 0;
        reader.readU16LE(w);
        reader.readU16LE(h);
        width = w;
        height = h;
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 64 ||
               headerSize == 108 || headerSize == 124) {
        std::uint32_t w = 0, h = 0;
        std::uint16_t planes = 0, bitsPerPixel = 0;
        if (!reader.readU32LE(w) || !reader.readU32LE(h) || !reader.readU16LE(planes) ||
            !reader.readU16LE(bitsPerPixel))
            return std::nullopt;
        width = static_cast<std::int32_t>(w);
        height = static_cast<std::int32_t>(h);
        if (height < 0) height = -height;  // a top-down picture; int64 holds -INT32_MIN
        if (bitsPerPixel == 32 && headerSize >= 108) {
            std::uint32_t alphaMask = 0;
            if (!reader.seek(66) || !reader.readU32LE(alphaMask)) return std::nullopt;
            alpha = alphaMask != 0;
        }
    } else {
        return std::nullopt;
    }
    if (width < 1 || height < 1 || width > kMaxDimension || height > kMaxDimension) return std::nullopt;
    return ImageHeader{ImageKind::bmp, width, height, alpha, 8};
}

// WebP: a RIFF file whose first chunk is VP8 (lossy), VP8L (lossless) or VP8X (extended).
std::optional<ImageHeader> readWebp(ByteSource& source) {
    std::uint8_t bytes[30];
    if (!source.readAt(0, bytes, sizeof bytes)) return std::nullopt;
    if (std::memcmp(bytes + 8, "WEBP", 4) != 0) return std::nullopt;
    ByteReader data(bytes + 20, sizeof bytes - 20);
    std::int64_t width = 0, height = 0;
    bool alpha = false;
    if (std::memcmp(bytes + 12, "VP8 ", 4) == 0) {
        std::uint16_t w = 0, h = 0;
        if (bytes[23] != 0x9D || bytes[24] != 0x01 || bytes[25] != 0x2A) return std::nullopt;
        data.seek(6);
        data.readU16LE(w);
        data.readU16LE(h);
        width = w & 0x3FFF;
        height = h & 0x3FFF;
    } else if (std::memcmp(bytes + 12, "VP8L", 4) == 0) {
        std::uint32_t fields = 0;
        if (bytes[20] != 0x2F) return std::nullopt;
        data.seek(1);
        data.readU32LE(fields);
        if ((fields >> 29) != 0) return std::nullopt;  // only version 0 exists
        width = (fields & 0x3FFF) + 1;
        height = ((fields >> 14) & 0x3FFF) + 1;
        alpha = (fields >> 28) & 1;
    } else if (std::memcmp(bytes + 12, "VP8X", 4) == 0) {
        std::uint32_t w = 0, h = 0;
        alpha = (bytes[20] & 0x10) != 0;
        data.seek(4);
        data.readU24LE(w);
        data.readU24LE(h);
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
    if (starts("II", 2)) return readTiff(source, true);
    if (starts("MM", 2)) return readTiff(source, false);
    if (starts("BM", 2)) return readBmp(source);
    if (starts("RIFF", 4)) return readWebp(source);
    return std::nullopt;
}

}  // namespace tessellane
