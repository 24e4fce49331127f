// The image header reader on hand-built headers: the layouts ffmpeg does not write, broken ones, the limits.
#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "engine/probe/byte_source.h"
#include "engine/probe/image_header.h"
#include "engine/probe/probe_limits.h"
#include "tests/engine/probe/probe_box_builder.h"

namespace tessellane {
namespace {

using namespace testing;  // the byte builders

Bytes le(std::uint64_t value, int bytes) {
    Bytes out;
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return out;
}

// length, type, data, checksum over type and data
Bytes chunk(const std::string& type, const Bytes& data) {
    const Bytes typed = cat({text(type), data});
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::uint8_t b : typed) {
        c ^= b;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return cat({be(data.size(), 4), typed, be(c ^ 0xFFFFFFFFu, 4)});
}
Bytes png(std::uint32_t width, std::uint32_t height, int depth, int colourType, const Bytes& rest) {
    return cat({text("\x89PNG\r\n\x1a\n"),
                chunk("IHDR", cat({be(width, 4), be(height, 4), be(depth, 1), be(colourType, 1), zeros(3)})),
                rest});
}

Bytes segment(std::uint8_t marker, const Bytes& data) {
    return cat({be(0xFF00 | marker, 2), be(data.size() + 2, 2), data});
}
Bytes jpeg(std::uint8_t sof, int precision, int width, int height, const Bytes& before = {}) {
    return cat({be(0xFFD8, 2), before,
                segment(sof, cat({be(precision, 1), be(height, 2), be(width, 2), be(3, 1), zeros(9)})),
                segment(0xDA, zeros(10))});
}

// TIFF: the first directory's entries (tag, type: 3 short or 4 long, count, value or offset), then `tail`.
using Entries = std::vector<std::array<std::uint32_t, 4>>;
Bytes tiff(bool little, const Entries& entries, const Bytes& tail = {}) {
    auto n = [&](std::uint64_t v, int size) { return little ? le(v, size) : be(v, size); };
    Bytes out = cat({text(little ? "II" : "MM"), n(42, 2), n(8, 4), n(entries.size(), 2)});
    for (auto [tag, type, count, value] : entries)
        out = cat({out, n(tag, 2), n(type, 2), n(count, 4),
                   type == 3 && count == 1 ? cat({n(value, 2), zeros(2)}) : n(value, 4)});
    return cat({out, n(0, 4), tail});
}
// Width 3 and height 4, then the given entries.
Bytes tiff3x4(Entries more) {
    more.insert(more.begin(), {{256, 3, 1, 3}, {257, 3, 1, 4}});
    return tiff(true, more);
}

// BMP: the info header's size, width, height, one plane, bits per pixel, then at 52 the alpha mask (V4, V5).
Bytes bmp(std::uint32_t headerSize, std::int32_t width, std::int32_t height, int bits,
          std::uint32_t alphaMask) {
    Bytes info = cat({le(headerSize, 4), le(std::uint32_t(width), 4), le(std::uint32_t(height), 4), le(1, 2),
                      le(bits, 2), zeros(36), le(alphaMask, 4)});
    if (headerSize == 12)
        info = cat(
            {le(12, 4), le(std::uint16_t(width), 2), le(std::uint16_t(height), 2), le(1, 2), le(bits, 2)});
    info.resize(headerSize, 0);
    return cat({text("BM"), le(30 + info.size(), 4), zeros(4), le(14 + info.size(), 4), info, zeros(16)});
}

Bytes webp(const std::string& kind, const Bytes& data) {
    return cat({text("RIFF"), le(4 + 8 + data.size(), 4), text("WEBP"), text(kind), le(data.size(), 4), data,
                zeros(16)});
}

// kind, width, height, alpha, bits; kind -1 when there is no header
auto fields(const std::optional<ImageHeader>& h) {
    return h ? std::tuple(int(h->kind), h->width, h->height, h->hasAlpha, h->bitsPerSample)
             : std::tuple(-1, std::int64_t(0), std::int64_t(0), false, 0);
}

TEST(ImageHeaderReader, ReadsEveryLayoutAndRefusesBrokenOnes) {
    using K = ImageKind;
    using limits::kMaxJpegSegments, limits::kMaxPngChunks, limits::kMaxTiffEntries;
    const Bytes trns = chunk("tRNS", be(0, 2)), idat = chunk("IDAT", zeros(4));
    Bytes badChecksum = png(4, 2, 8, 2, idat);
    badChecksum[29] ^= 1;
    // Limits: a tRNS among the first chunks, segments before the frame header, entries in the directory.
    auto trnsAsChunk = [&](std::size_t n) {
        return png(4, 2, 8, 2, cat({repeated(chunk("tEXt", {}), n - 1), trns}));
    };
    auto afterSegments = [](std::size_t n) { return jpeg(0xC0, 8, 4, 4, repeated(segment(0xFE, {}), n)); };
    auto tiffOfEntries = [](std::size_t n) { return tiff3x4(Entries(n - 2, {259, 3, 1, 1})); };
    const std::tuple<const char*, Bytes, std::optional<ImageHeader>> cases[] = {
        // PNG: alpha from the colour type or a tRNS chunk before the first IDAT.
        {"png rgb", png(4, 2, 8, 2, idat), ImageHeader{K::png, 4, 2, false, 8}},
        {"png grey alpha 16", png(4, 2, 16, 4, idat), ImageHeader{K::png, 4, 2, true, 16}},
        {"png tRNS after IDAT", png(4, 2, 8, 3, cat({idat, trns})), ImageHeader{K::png, 4, 2, false, 8}},
        {"png header only", png(4, 2, 8, 6, {}), ImageHeader{K::png, 4, 2, true, 8}},
        {"png bad checksum", badChecksum, {}},
        {"png zero width", png(0, 2, 8, 2, idat), {}},
        {"png width over 2^31", png(0x80000000u, 2, 8, 2, idat), {}},
        {"png depth 3", png(4, 2, 3, 2, idat), {}},
        {"png colour type 5", png(4, 2, 8, 5, idat), {}},
        {"png first chunk not IHDR", cat({text("\x89PNG\r\n\x1a\n"), idat}), {}},
        {"png chunks", trnsAsChunk(kMaxPngChunks), ImageHeader{K::png, 4, 2, true, 8}},
        {"png chunks, one past", trnsAsChunk(kMaxPngChunks + 1), ImageHeader{K::png, 4, 2, false, 8}},
        // JPEG: the first frame header after any other segment, fill bytes allowed.
        {"jpeg SOF2 after APP1", jpeg(0xC2, 8, 640, 480, segment(0xE1, zeros(60000))),
         ImageHeader{K::jpeg, 640, 480, false, 8}},
        {"jpeg 12-bit", jpeg(0xC1, 12, 7, 9, cat({Bytes(5, 0xFF), segment(0xFE, text("comment"))})),
         ImageHeader{K::jpeg, 7, 9, false, 12}},
        {"jpeg lossless arithmetic", jpeg(0xCF, 8, 5, 6), ImageHeader{K::jpeg, 5, 6, false, 8}},
        {"jpeg DHT, no frame", cat({be(0xFFD8, 2), segment(0xC4, zeros(4)), segment(0xDA, zeros(4))}), {}},
        {"jpeg height from a later DNL", jpeg(0xC0, 8, 640, 0), {}},
        {"jpeg segment length 1", cat({be(0xFFD8, 2), be(0xFFE0, 2), be(1, 2)}), {}},
        {"jpeg garbage between segments", cat({be(0xFFD8, 2), text("xx"), jpeg(0xC0, 8, 1, 1)}), {}},
        {"jpeg segments", afterSegments(kMaxJpegSegments - 1), ImageHeader{K::jpeg, 4, 4, false, 8}},
        {"jpeg segments, one past", afterSegments(kMaxJpegSegments), {}},
        // TIFF: both byte orders, bits per sample stored inline or at an offset, extra samples for alpha.
        {"tiff 16 bit, unassociated alpha", tiff3x4({{258, 3, 1, 16}, {338, 3, 1, 2}}),
         ImageHeader{K::tiff, 3, 4, true, 16}},
        {"tiff big-endian with bits at an offset",
         tiff(false, {{256, 4, 1, 3}, {257, 3, 1, 4}, {258, 3, 3, 8 + 2 + 3 * 12 + 4}},
              cat({be(8, 2), be(8, 2), be(8, 2)})),
         ImageHeader{K::tiff, 3, 4, false, 8}},
        {"tiff associated alpha", tiff3x4({{338, 3, 1, 1}}), ImageHeader{K::tiff, 3, 4, true, 1}},
        {"tiff extra sample of kind 0", tiff3x4({{338, 3, 1, 0}}), ImageHeader{K::tiff, 3, 4, false, 1}},
        {"tiff without height", tiff(true, {{256, 3, 1, 3}}), {}},
        {"tiff bits offset outside the file", tiff3x4({{258, 3, 3, 99999}}), {}},
        {"tiff directory outside the file", cat({text("II"), le(42, 2), le(0xFFFFFFF0u, 4)}), {}},
        {"tiff version 41", cat({text("II"), le(41, 2), le(8, 4), zeros(16)}), {}},
        {"tiff entries", tiffOfEntries(kMaxTiffEntries), ImageHeader{K::tiff, 3, 4, false, 1}},
        {"tiff entries, one past", tiffOfEntries(kMaxTiffEntries + 1), {}},
        // BMP: core and info headers, top-down, alpha only from a V4/V5 mask.
        {"bmp core header", bmp(12, 300, 200, 24, 0), ImageHeader{K::bmp, 300, 200, false, 8}},
        {"bmp top-down", bmp(40, 3, -2, 24, 0), ImageHeader{K::bmp, 3, 2, false, 8}},
        {"bmp V5 with alpha mask", bmp(124, 3, 2, 32, 0xFF000000u), ImageHeader{K::bmp, 3, 2, true, 8}},
        {"bmp V4 without alpha mask", bmp(108, 3, 2, 32, 0), ImageHeader{K::bmp, 3, 2, false, 8}},
        {"bmp V5 24 bit", bmp(124, 3, 2, 24, 0xFF000000u), ImageHeader{K::bmp, 3, 2, false, 8}},
        {"bmp most negative height", bmp(40, 3, std::numeric_limits<std::int32_t>::min(), 24, 0), {}},
        {"bmp negative width", bmp(40, -3, 2, 24, 0), {}},
        {"bmp unknown header size", bmp(41, 3, 2, 24, 0), {}},
        // WebP: lossy, lossless and extended headers.
        {"webp VP8 start code", webp("VP8 ", cat({zeros(3), be(0x9D012B, 3), le(640, 2), le(480, 2)})), {}},
        {"webp VP8L version 1", webp("VP8L", cat({be(0x2F, 1), le(639 | (479u << 14) | (1u << 29), 4)})), {}},
        {"webp extended with alpha",
         webp("VP8X", cat({be(0x10, 1), zeros(3), le(16383, 3), le(0xFFFFFF, 3)})),
         ImageHeader{K::webp, 16384, 16777216, true, 8}},
        {"webp extended opaque", webp("VP8X", cat({be(0x08, 1), zeros(3), le(0, 3), le(0, 3)})),
         ImageHeader{K::webp, 1, 1, false, 8}},
        {"riff but not webp", cat({text("RIFF"), le(100, 4), text("AVI LIST"), zeros(20)}), {}},
        {"nothing recognisable", text("hello, world"), {}},
    };
    for (const auto& [name, bytes, header] : cases) {
        MemorySource source(bytes);
        EXPECT_EQ(fields(readImageHeader(source)), fields(header)) << name;
    }
    // The frame header's marker may stand this far in, after comments and fill bytes, and no further.
    const std::uint64_t limit = limits::kMaxJpegHeaderOffset;
    const Bytes comment = segment(0xFE, zeros(65533)),
                frame = segment(0xC0, cat({be(8, 1), be(4, 2), be(4, 2), be(3, 1)}));
    Bytes far = be(0xFFD8, 2);
    far.reserve(limit + frame.size());
    while (far.size() + comment.size() < limit) far.insert(far.end(), comment.begin(), comment.end());
    far.resize(limit - 1, 0xFF);
    far.insert(far.end(), frame.begin(), frame.end());
    for (const bool past : {false, true}) {
        if (past) far.insert(far.end() - frame.size(), 0xFF);
        MemorySource source(far);
        EXPECT_EQ(fields(readImageHeader(source)),
                  past ? fields(std::nullopt) : fields(ImageHeader{K::jpeg, 4, 4, false, 8}));
    }
}

}  // namespace
}  // namespace tessellane
