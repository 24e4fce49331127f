// The image header reader on hand-built headers: the layouts ffmpeg does not write, and broken ones.
#include <gtest/gtest.h>

#include <deque>
#include <memory>

#include "engine/probe/byte_source.h"
#include "engine/probe/image_header.h"
#include "engine/probe/probe_limits.h"
#include "tests/engine/probe/probe_box_builder.h"

namespace tessellane {
namespace {

using testing::be;
using testing::Bytes;
using testing::cat;
using testing::text;
using testing::zeros;

Bytes le(std::uint64_t value, int bytes) {
    Bytes out;
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return out;
}

std::uint32_t crc(const Bytes& bytes) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::uint8_t b : bytes) {
        c ^= b;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

// length, type, data, checksum over type and data
Bytes chunk(const std::string& type, const Bytes& data) {
    const Bytes typed = cat({text(type), data});
    return cat({be(data.size(), 4), typed, be(crc(typed), 4)});
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

// One entry: tag, type (3 short, 4 long, 16 long8), count, value or offset.
Bytes tiffEntry(bool little, int tag, int type, std::uint32_t count, std::uint32_t value) {
    auto n = [&](std::uint64_t v, int size) { return little ? le(v, size) : be(v, size); };
    Bytes valueBytes = type == 3 && count == 1 ? cat({n(value, 2), zeros(2)}) : n(value, 4);
    return cat({n(tag, 2), n(type, 2), n(count, 4), valueBytes});
}
Bytes tiff(bool little, const std::vector<Bytes>& entries, const Bytes& tail = {}) {
    auto n = [&](std::uint64_t v, int size) { return little ? le(v, size) : be(v, size); };
    Bytes out = cat({text(little ? "II" : "MM"), n(42, 2), n(8, 4), n(entries.size(), 2)});
    for (const Bytes& e : entries) out = cat({out, e});
    return cat({out, n(0, 4), tail});
}

Bytes bmp(std::uint32_t headerSize, std::int32_t width, std::int32_t height, int bits,
          std::uint32_t alphaMask) {
    Bytes info;
    if (headerSize == 12) {
        info = cat(
            {le(12, 4), le(std::uint16_t(width), 2), le(std::uint16_t(height), 2), le(1, 2), le(bits, 2)});
    } else {
        info = cat({le(headerSize, 4), le(std::uint32_t(width), 4), le(std::uint32_t(height), 4), le(1, 2),
                    le(bits, 2), le(3, 4), zeros(20)});
        if (headerSize >= 56)
            info = cat({info, le(0xFF0000, 4), le(0xFF00, 4), le(0xFF, 4), le(alphaMask, 4)});
        info.resize(headerSize, 0);
    }
    return cat(
        {text("BM"), le(14 + info.size() + 16, 4), zeros(4), le(14 + info.size(), 4), info, zeros(16)});
}

Bytes webp(const std::string& kind, const Bytes& data) {
    return cat({text("RIFF"), le(4 + 8 + data.size(), 4), text("WEBP"), text(kind), le(data.size(), 4), data,
                zeros(16)});
}

struct Case {
    const char* name;
    Bytes bytes;
    std::optional<ImageHeader> header;
};

TEST(ImageHeaderReader, ReadsEveryLayoutAndRefusesBrokenOnes) {
    const Bytes trns = chunk("tRNS", be(0, 2));
    const Bytes idat = chunk("IDAT", zeros(4));
    Bytes badChecksum = png(4, 2, 8, 2, idat);
    badChecksum[29] ^= 1;
    const Bytes app1 = segment(0xE1, cat({text("Exif"), zeros(60000)}));
    const Bytes fill = cat({Bytes(5, 0xFF)});
    const Bytes wholeJpeg = jpeg(0xC0, 8, 640, 480);

    const std::vector<Case> cases = {
        // PNG: alpha from the colour type or a tRNS chunk before the first IDAT.
        {"png rgb", png(4, 2, 8, 2, idat), ImageHeader{ImageKind::png, 4, 2, false, 8}},
        {"png grey alpha 16", png(4, 2, 16, 4, idat), ImageHeader{ImageKind::png, 4, 2, true, 16}},
        {"png tRNS", png(4, 2, 8, 2, cat({chunk("PLTE", zeros(3)), trns, idat})),
         ImageHeader{ImageKind::png, 4, 2, true, 8}},
        {"png tRNS after IDAT", png(4, 2, 8, 3, cat({idat, trns})),
         ImageHeader{ImageKind::png, 4, 2, false, 8}},
        {"png header only", png(4, 2, 8, 6, {}), ImageHeader{ImageKind::png, 4, 2, true, 8}},
        {"png bad checksum", badChecksum, std::nullopt},
        {"png zero width", png(0, 2, 8, 2, idat), std::nullopt},
        {"png width over 2^31", png(0x80000000u, 2, 8, 2, idat), std::nullopt},
        {"png depth 3", png(4, 2, 3, 2, idat), std::nullopt},
        {"png colour type 5", png(4, 2, 8, 5, idat), std::nullopt},
        {"png first chunk not IHDR", cat({text("\x89PNG\r\n\x1a\n"), idat}), std::nullopt},
        // JPEG: the first frame header after any other segment, fill bytes allowed.
        {"jpeg baseline", jpeg(0xC0, 8, 640, 480), ImageHeader{ImageKind::jpeg, 640, 480, false, 8}},
        {"jpeg progressive after APP1", jpeg(0xC2, 8, 640, 480, app1),
         ImageHeader{ImageKind::jpeg, 640, 480, false, 8}},
        {"jpeg 12-bit", jpeg(0xC1, 12, 7, 9, cat({fill, segment(0xFE, text("comment"))})),
         ImageHeader{ImageKind::jpeg, 7, 9, false, 12}},
        {"jpeg lossless arithmetic", jpeg(0xCF, 8, 5, 6), ImageHeader{ImageKind::jpeg, 5, 6, false, 8}},
        {"jpeg DHT is not a frame", cat({be(0xFFD8, 2), segment(0xC4, zeros(4)), segment(0xDA, zeros(4))}),
         std::nullopt},
        {"jpeg height from a later DNL", jpeg(0xC0, 8, 640, 0), std::nullopt},
        {"jpeg segment length 1", cat({be(0xFFD8, 2), be(0xFFE0, 2), be(1, 2)}), std::nullopt},
        {"jpeg garbage between segments", cat({be(0xFFD8, 2), text("xx"), jpeg(0xC0, 8, 1, 1)}),
         std::nullopt},
        {"jpeg cut in the frame header", Bytes(wholeJpeg.begin(), wholeJpeg.begin() + 8), std::nullopt},
        // TIFF: both byte orders, bits per sample stored inline or at an offset, extra samples for alpha.
        {"tiff little rgba",
         tiff(true, {tiffEntry(true, 256, 3, 1, 30), tiffEntry(true, 257, 4, 1, 20),
                     tiffEntry(true, 258, 3, 1, 16), tiffEntry(true, 338, 3, 1, 2)}),
         ImageHeader{ImageKind::tiff, 30, 20, true, 16}},
        {"tiff big-endian with bits at an offset",
         tiff(false,
              {tiffEntry(false, 256, 4, 1, 30), tiffEntry(false, 257, 3, 1, 20),
               tiffEntry(false, 258, 3, 3, 8 + 2 + 3 * 12 + 4)},
              cat({be(8, 2), be(8, 2), be(8, 2)})),
         ImageHeader{ImageKind::tiff, 30, 20, false, 8}},
        {"tiff associated alpha",
         tiff(true,
              {tiffEntry(true, 256, 3, 1, 3), tiffEntry(true, 257, 3, 1, 4), tiffEntry(true, 338, 3, 1, 1)}),
         ImageHeader{ImageKind::tiff, 3, 4, true, 1}},
        {"tiff unspecified extra sample",
         tiff(true,
              {tiffEntry(true, 256, 3, 1, 3), tiffEntry(true, 257, 3, 1, 4), tiffEntry(true, 338, 3, 1, 0)}),
         ImageHeader{ImageKind::tiff, 3, 4, false, 1}},
        {"tiff without height", tiff(true, {tiffEntry(true, 256, 3, 1, 3)}), std::nullopt},
        {"tiff bits offset outside the file",
         tiff(true, {tiffEntry(true, 256, 3, 1, 3), tiffEntry(true, 257, 3, 1, 4),
                     tiffEntry(true, 258, 3, 3, 99999)}),
         std::nullopt},
        {"tiff directory outside the file", cat({text("II"), le(42, 2), le(0xFFFFFFF0u, 4)}), std::nullopt},
        {"tiff version 41", cat({text("II"), le(41, 2), le(8, 4), zeros(16)}), std::nullopt},
        // BMP: core and info headers, top-down, alpha only from a V4/V5 mask.
        {"bmp core header", bmp(12, 300, 200, 24, 0), ImageHeader{ImageKind::bmp, 300, 200, false, 8}},
        {"bmp top-down", bmp(40, 3, -2, 24, 0), ImageHeader{ImageKind::bmp, 3, 2, false, 8}},
        {"bmp 32 bit info header", bmp(40, 3, 2, 32, 0), ImageHeader{ImageKind::bmp, 3, 2, false, 8}},
        {"bmp V5 with alpha mask", bmp(124, 3, 2, 32, 0xFF000000u),
         ImageHeader{ImageKind::bmp, 3, 2, true, 8}},
        {"bmp V4 without alpha mask", bmp(108, 3, 2, 32, 0), ImageHeader{ImageKind::bmp, 3, 2, false, 8}},
        {"bmp V5 24 bit", bmp(124, 3, 2, 24, 0xFF000000u), ImageHeader{ImageKind::bmp, 3, 2, false, 8}},
        // Its absolute value does not fit a 32-bit dimension.
        {"bmp most negative height", bmp(40, 3, std::numeric_limits<std::int32_t>::min(), 24, 0),
         std::nullopt},
        {"bmp negative width", bmp(40, -3, 2, 24, 0), std::nullopt},
        {"bmp unknown header size", bmp(41, 3, 2, 24, 0), std::nullopt},
        // WebP: lossy, lossless and extended headers.
        {"webp lossy", webp("VP8 ", cat({zeros(3), be(0x9D012A, 3), le(0xC000 | 640, 2), le(480, 2)})),
         ImageHeader{ImageKind::webp, 640, 480, false, 8}},
        {"webp lossy bad start code", webp("VP8 ", cat({zeros(3), be(0x9D012B, 3), le(640, 2), le(480, 2)})),
         std::nullopt},
        {"webp lossless with alpha", webp("VP8L", cat({be(0x2F, 1), le(639 | (479u << 14) | (1u << 28), 4)})),
         ImageHeader{ImageKind::webp, 640, 480, true, 8}},
        {"webp lossless version 1", webp("VP8L", cat({be(0x2F, 1), le(639 | (479u << 14) | (1u << 29), 4)})),
         std::nullopt},
        {"webp extended with alpha",
         webp("VP8X", cat({be(0x10, 1), zeros(3), le(16383, 3), le(0xFFFFFF, 3)})),
         ImageHeader{ImageKind::webp, 16384, 16777216, true, 8}},
        {"webp extended opaque", webp("VP8X", cat({be(0x08, 1), zeros(3), le(0, 3), le(0, 3)})),
         ImageHeader{ImageKind::webp, 1, 1, false, 8}},
        {"riff but not webp", cat({text("RIFF"), le(100, 4), text("AVI LIST"), zeros(20)}), std::nullopt},
        // Nothing recognisable.
        {"empty", {}, std::nullopt},
        {"one byte", {0x89}, std::nullopt},
        {"text", text("hello, world"), std::nullopt},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        MemorySource source(test.bytes);
        const std::optional<ImageHeader> header = readImageHeader(source);
        ASSERT_EQ(header.has_value(), test.header.has_value());
        if (!header) continue;
        EXPECT_EQ(header->kind, test.header->kind);
        EXPECT_EQ(header->width, test.header->width);
        EXPECT_EQ(header->height, test.header->height);
        EXPECT_EQ(header->hasAlpha, test.header->hasAlpha);
        EXPECT_EQ(header->bitsPerSample, test.header->bitsPerSample);
    }
}

// A JPEG whose frame header's marker byte stands at `markerAt`, after comment segments and fill bytes that
// are made up as they are read: the offset limit lies beyond what a test should hold in memory.
class FarJpegSource final : public ByteSource {
  public:
    explicit FarJpegSource(std::uint64_t markerAt)
        : frameAt_(markerAt - 1),
          fillAt_(2 + (frameAt_ - 2) / kComment * kComment),
          frame_(segment(0xC0, cat({be(8, 1), be(4, 2), be(4, 2), be(3, 1), zeros(9)}))) {}
    std::uint64_t size() const override { return frameAt_ + frame_.size(); }
    [[nodiscard]] bool readAt(std::uint64_t offset, void* out, std::size_t n) override {
        if (!contains(offset, n)) return false;
        for (std::size_t i = 0; i < n; ++i) static_cast<std::uint8_t*>(out)[i] = at(offset + i);
        return true;
    }

  private:
    static constexpr std::uint64_t kComment = 2 + 0xFFFF;  // FF FE, a length of 65535, then text

    std::uint8_t at(std::uint64_t offset) const {
        if (offset < 2) return offset == 0 ? 0xFF : 0xD8;
        if (offset >= frameAt_) return frame_[offset - frameAt_];
        if (offset >= fillAt_) return 0xFF;
        const std::uint64_t inComment = (offset - 2) % kComment;
        return inComment == 1 ? 0xFE : inComment < 4 ? 0xFF : 0;
    }

    std::uint64_t frameAt_, fillAt_;
    Bytes frame_;
};

TEST(ImageHeaderReader, EveryLimitHoldsAtItsValueAndTriggersOnePast) {
    using namespace limits;
    // PNG: a tRNS chunk is looked for among the first chunks only.
    auto pngWithTrnsAsChunk = [](std::size_t n) {
        return png(4, 2, 8, 2, cat({testing::repeated(chunk("tEXt", {}), n - 1), chunk("tRNS", be(0, 2))}));
    };
    // JPEG: segments before the frame header.
    auto jpegAfterSegments = [](std::size_t n) {
        return jpeg(0xC0, 8, 4, 4, testing::repeated(segment(0xFE, {}), n));
    };
    // TIFF: entries in the first directory, width and height among them.
    auto tiffOfEntries = [](std::size_t n) {
        std::vector<Bytes> entries = {tiffEntry(true, 256, 3, 1, 3), tiffEntry(true, 257, 3, 1, 4)};
        entries.resize(n, tiffEntry(true, 259, 3, 1, 1));
        return tiff(true, entries);
    };
    const ImageHeader opaquePng{ImageKind::png, 4, 2, false, 8};
    const ImageHeader clearPng{ImageKind::png, 4, 2, true, 8};
    const ImageHeader jpeg4{ImageKind::jpeg, 4, 4, false, 8};
    const ImageHeader tiff3x4{ImageKind::tiff, 3, 4, false, 1};

    struct Case {
        const char* name;
        std::unique_ptr<ByteSource> source;
        std::optional<ImageHeader> header;
    };
    std::deque<Bytes> files;  // kept in place for the memory sources
    auto memory = [&](Bytes bytes) {
        return std::make_unique<MemorySource>(files.emplace_back(std::move(bytes)));
    };
    Case cases[] = {
        {"png chunks", memory(pngWithTrnsAsChunk(kMaxPngChunks)), clearPng},
        {"png chunks, one past", memory(pngWithTrnsAsChunk(kMaxPngChunks + 1)), opaquePng},
        {"jpeg segments", memory(jpegAfterSegments(kMaxJpegSegments - 1)), jpeg4},
        {"jpeg segments, one past", memory(jpegAfterSegments(kMaxJpegSegments)), std::nullopt},
        {"jpeg header offset", std::make_unique<FarJpegSource>(kMaxJpegHeaderOffset), jpeg4},
        {"jpeg header offset, one past", std::make_unique<FarJpegSource>(kMaxJpegHeaderOffset + 1),
         std::nullopt},
        {"tiff entries", memory(tiffOfEntries(kMaxTiffEntries)), tiff3x4},
        {"tiff entries, one past", memory(tiffOfEntries(kMaxTiffEntries + 1)), std::nullopt},
    };
    for (Case& test : cases) {
        SCOPED_TRACE(test.name);
        const std::optional<ImageHeader> header = readImageHeader(*test.source);
        ASSERT_EQ(header.has_value(), test.header.has_value());
        if (!header) continue;
        EXPECT_EQ(header->kind, test.header->kind);
        EXPECT_EQ(header->width, test.header->width);
        EXPECT_EQ(header->height, test.header->height);
        EXPECT_EQ(header->hasAlpha, test.header->hasAlpha);
        EXPECT_EQ(header->bitsPerSample, test.header->bitsPerSample);
    }
}

}  // namespace
}  // namespace tessellane
