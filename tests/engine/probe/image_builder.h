// Builds still images byte by byte: the layouts ffmpeg does not write, broken ones and the limits.
#pragma once

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "tests/engine/probe/probe_box_builder.h"

namespace tessellane::testing {

inline Bytes le(std::uint64_t value, int bytes) {
    Bytes out;
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return out;
}

// PNG: length, type, data, checksum over type and data.
inline Bytes chunk(const std::string& type, const Bytes& data) {
    const Bytes typed = cat({text(type), data});
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::uint8_t b : typed) {
        c ^= b;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return cat({be(data.size(), 4), typed, be(c ^ 0xFFFFFFFFu, 4)});
}
inline Bytes png(std::uint32_t width, std::uint32_t height, int depth, int colourType, const Bytes& chunks) {
    return cat({text("\x89PNG\r\n\x1a\n"),
                chunk("IHDR", cat({be(width, 4), be(height, 4), be(depth, 1), be(colourType, 1), zeros(3)})),
                chunks});
}

// JPEG: a frame header of the given marker and sampling factors (one byte per component, h << 4 | v), a
// scan, and EOI unless `tail` replaces what follows the scan.
inline Bytes segment(std::uint8_t marker, const Bytes& data) {
    return cat({be(0xFF00 | marker, 2), be(data.size() + 2, 2), data});
}
inline Bytes jpeg(std::uint8_t sof, int precision, int width, int height, const Bytes& before = {},
                  const std::vector<std::uint8_t>& factors = {0x22, 0x11, 0x11},
                  const Bytes& tail = be(0xFFD9, 2)) {
    Bytes frame = cat({be(precision, 1), be(height, 2), be(width, 2), be(factors.size(), 1)});
    for (std::size_t i = 0; i < factors.size(); ++i)
        frame = cat({frame, be(i + 1, 1), be(factors[i], 1), zeros(1)});
    return cat({be(0xFFD8, 2), before, segment(sof, frame), segment(0xDA, zeros(10)), text("\x12\x34\xFF"),
                zeros(1), tail});
}
// APP1 "Exif" with one IFD0 entry: tag 274 of the given type (3 SHORT, 4 LONG) and value.
inline Bytes exif(bool little, std::uint32_t orientation, int type = 3) {
    auto n = [&](std::uint64_t v, int size) { return little ? le(v, size) : be(v, size); };
    const Bytes value = type == 3 ? cat({n(orientation, 2), zeros(2)}) : n(orientation, 4);
    return segment(0xE1, cat({text("Exif"), zeros(2), text(little ? "II" : "MM"), n(42, 2), n(8, 4), n(1, 2),
                              n(274, 2), n(type, 2), n(1, 4), value, n(0, 4)}));
}

// TIFF: the first directory's entries (tag, type 3 SHORT or 4 LONG, values); values that do not fit their
// field are stored after the directory, and a value of kPixels stands for where `pixels` begin.
struct TiffEntry {
    std::uint16_t tag, type;
    std::vector<std::uint32_t> values;
};
inline constexpr std::uint32_t kPixels = 0xFFFFFFFF;
inline Bytes tiff(bool little, std::vector<TiffEntry> entries, const Bytes& pixels = zeros(16),
                  int version = 42) {
    auto n = [&](std::uint64_t v, int size) { return little ? le(v, size) : be(v, size); };
    const std::uint32_t directorySize = 2 + 12 * std::uint32_t(entries.size()) + 4;
    Bytes fields, extra;
    for (TiffEntry& entry : entries) {
        const int size = entry.type == 3 ? 2 : 4;
        Bytes values;
        for (std::uint32_t v : entry.values) {
            const Bytes one = n(v, size);
            values.insert(values.end(), one.begin(), one.end());
        }
        fields = cat({fields, n(entry.tag, 2), n(entry.type, 2), n(entry.values.size(), 4)});
        if (values.size() <= 4) {
            values.resize(4, 0);
            fields = cat({fields, values});
        } else {
            fields = cat({fields, n(8 + directorySize + extra.size(), 4)});
            extra = cat({extra, values});
        }
    }
    const std::uint32_t pixelsAt = 8 + directorySize + std::uint32_t(extra.size());
    for (std::size_t at = 0; at + 4 <= fields.size(); at += 12)
        if (fields[at + 8] == 0xFF && fields[at + 11] == 0xFF) {
            const Bytes offset = n(pixelsAt, 4);
            std::copy(offset.begin(), offset.end(), fields.begin() + std::ptrdiff_t(at + 8));
        }
    return cat({text(little ? "II" : "MM"), n(version, 2), n(8, 4), n(entries.size(), 2), fields, n(0, 4),
                extra, pixels});
}
// A 3×4 picture of `samples` samples of `bits` each in one strip of `pixels`, then the entries given.
inline Bytes tiff3x4(int samples, int bits, std::vector<TiffEntry> more, const Bytes& pixels = zeros(16)) {
    std::vector<TiffEntry> entries = {
        {256, 3, {3}},
        {257, 3, {4}},
        {258, 3, std::vector<std::uint32_t>(std::size_t(samples), std::uint32_t(bits))},
        {273, 4, {kPixels}},
        {277, 3, {std::uint32_t(samples)}},
        {279, 4, {std::uint32_t(pixels.size())}}};
    entries.insert(entries.end(), more.begin(), more.end());
    std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.tag < b.tag; });
    return tiff(true, entries, pixels);
}

// BMP: file header, an info header of `headerSize` (12, 40 or more) and the given masks, then `data`.
inline Bytes bmp(std::uint32_t headerSize, std::int32_t width, std::int32_t height, int bits, int compression,
                 const std::array<std::uint32_t, 4>& masks, const Bytes& data, std::size_t palette = 0) {
    Bytes info = headerSize == 12
                     ? cat({le(12, 4), le(std::uint16_t(width), 2), le(std::uint16_t(height), 2), le(1, 2),
                            le(bits, 2)})
                     : cat({le(headerSize, 4), le(std::uint32_t(width), 4), le(std::uint32_t(height), 4),
                            le(1, 2), le(bits, 2), le(compression, 4), zeros(20)});
    for (std::uint32_t mask : masks) info = cat({info, le(mask, 4)});
    info.resize(std::max<std::size_t>(headerSize, compression == 3 ? 52 : 0), 0);
    const std::size_t dataAt = 14 + info.size() + 4 * palette;
    return cat(
        {text("BM"), le(dataAt + data.size(), 4), zeros(4), le(dataAt, 4), info, zeros(4 * palette), data});
}

// WebP: RIFF, WEBP, then the chunks as given (type, data), each padded to an even size.
inline Bytes webp(const std::vector<std::pair<std::string, Bytes>>& chunks) {
    Bytes body = text("WEBP");
    for (const auto& [type, data] : chunks)
        body = cat({body, text(type), le(data.size(), 4), data, zeros(data.size() % 2)});
    return cat({text("RIFF"), le(body.size(), 4), body});
}
// A key frame's tag, start code and sizes.
inline Bytes vp8(int width, int height) {
    return cat({zeros(3), be(0x9D012A, 3), le(width, 2), le(height, 2), zeros(8)});
}

}  // namespace tessellane::testing
