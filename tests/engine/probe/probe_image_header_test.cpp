// The image header reader on hand-built files: the layouts ffmpeg does not write, what it cannot decode,
// files cut short, broken ones and the limits. Each row is summed up as one line.
#include <gtest/gtest.h>

#include <tuple>

#include "engine/probe/byte_source.h"
#include "engine/probe/image_header.h"
#include "engine/probe/probe_limits.h"
#include "tests/engine/probe/image_builder.h"

namespace tessellane {
namespace {

using namespace testing;  // the byte builders

// "png 4x2 rgb24/8 alpha lossy o6", the refusal, or "-" when there is no header.
std::string summary(const Bytes& bytes) {
    MemorySource source(bytes);
    const auto h = readImageHeader(source);
    if (!h) return "-";
    if (!h->refusal.empty()) return h->refusal;
    static const char* kinds[] = {"png", "jpeg", "tiff", "bmp", "webp"};
    return std::string(kinds[int(h->kind)]) + " " + std::to_string(h->width) + "x" +
           std::to_string(h->height) + " " + h->pixFmt + "/" + std::to_string(h->bitsPerSample) +
           (h->hasAlpha ? " alpha" : "") + (h->lossless ? "" : " lossy") +
           (h->orientation != 1 ? " o" + std::to_string(h->orientation) : "");
}

Bytes cutShort(Bytes bytes, std::size_t n) {
    bytes.resize(bytes.size() - n);
    return bytes;
}

const std::string kCutPng = "잘린 이미지 — PNG의 끝(IEND)이 없습니다",
                  kCutJpeg = "잘린 이미지 — JPEG의 끝(EOI)이 없습니다",
                  kCutData = "잘린 이미지 — 픽셀 데이터가 파일 끝을 넘습니다";

TEST(ImageHeaderReader, TellsWhatFfmpegMakesOfEachKindAndRefusesWhatItCannot) {
    const Bytes idat = chunk("IDAT", zeros(4)), iend = chunk("IEND", {}), trns = chunk("tRNS", be(0, 2));
    auto rgbPng = [&](const Bytes& chunks) { return png(4, 2, 8, 2, chunks); };
    const Bytes badProfile = chunk("iCCP", cat({text("sRGB"), zeros(1), be(1, 1), be(0x789C, 2)}));
    // A JPEG's end marker farther back than the last bytes that are looked at first.
    const Bytes farTrailer = zeros(limits::kJpegEndSearch + 10);
    const std::vector<TiffEntry> rgbColour = {{262, 3, {2}}};
    const Bytes pixels32 = cat({zeros(7), be(0x80, 1)});  // two BGRA pixels, the second half transparent
    const std::array<std::uint32_t, 4> noMasks{}, bgra{0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    const std::vector<std::pair<std::string, std::string>> rows = {
        // PNG: format and alpha as ffmpeg decodes them; a tRNS counts before the first IDAT only.
        {summary(rgbPng(cat({idat, iend}))), "png 4x2 rgb24/8"},
        {summary(png(4, 2, 16, 4, cat({idat, iend}))), "png 4x2 ya16be/16 alpha"},
        {summary(png(4, 2, 4, 3, cat({trns, idat, iend}))), "png 4x2 pal8/4 alpha"},
        {summary(rgbPng(cat({trns, idat, iend}))), "png 4x2 rgba/8 alpha"},
        {summary(rgbPng(cat({idat, trns, iend}))), "png 4x2 rgb24/8"},
        {summary(png(4, 2, 1, 0, cat({trns, idat, iend}))), "png 4x2 monob/1"},  // ffmpeg ignores tRNS here
        {summary(rgbPng(cat({idat}))), kCutPng},
        {summary(rgbPng(cat({idat, be(99, 4), text("IEND")}))), kCutPng},
        {summary(rgbPng(iend)), "PNG에 이미지 데이터(IDAT)가 없습니다"},
        {summary(rgbPng(cat({badProfile, idat, iend}))), "PNG의 색 프로필(iCCP)이 손상되었습니다"},
        {summary(png(65535, 65535, 8, 2, cat({idat, iend}))), "이미지가 너무 큽니다: 65535×65535"},
        {summary(png(4, 2, 4, 2, cat({idat, iend}))), "-"},  // RGB has no 4-bit form
        {summary(cat({text("\x89PNG\r\n\x1a\n"), idat, iend})), "-"},
        {summary(png(4, 2, 8, 2, cat({repeated(chunk("tEXt", {}), limits::kMaxPngChunks - 2), idat, iend}))),
         "png 4x2 rgb24/8"},
        {summary(png(4, 2, 8, 2, cat({repeated(chunk("tEXt", {}), limits::kMaxPngChunks - 1), idat, iend}))),
         "-"},
        // JPEG: the sampling names the format; EXIF orientations 5 to 8 swap the sides.
        {summary(jpeg(0xC0, 8, 640, 480)), "jpeg 640x480 yuvj420p/8 lossy"},
        {summary(jpeg(0xC2, 8, 640, 480, exif(false, 6))), "jpeg 480x640 yuvj420p/8 lossy o6"},
        {summary(jpeg(0xC0, 8, 640, 480, exif(true, 5, 4))), "jpeg 480x640 yuvj420p/8 lossy o5"},
        {summary(jpeg(0xC0, 8, 640, 480, exif(true, 3))), "jpeg 640x480 yuvj420p/8 lossy o3"},
        {summary(jpeg(0xC0, 8, 640, 480, cat({exif(true, 8), exif(false, 9)}))),
         "jpeg 480x640 yuvj420p/8 lossy o8"},
        {summary(jpeg(0xC0, 8, 640, 480, cat({exif(true, 1), exif(false, 7)}))),
         "jpeg 480x640 yuvj420p/8 lossy o7"},
        {summary(jpeg(0xC1, 12, 7, 9, {}, {0x11})), "jpeg 7x9 gray16le/12 lossy"},
        {summary(jpeg(0xC0, 8, 7, 9, segment(0xEE, cat({text("Adobe"), zeros(6), be(0, 1)})),
                      {0x11, 0x11, 0x11})),
         "jpeg 7x9 gbrp/8 lossy"},
        {summary(jpeg(0xC0, 8, 7, 9, {}, {0x11, 0x11, 0x11, 0x11})), "jpeg 7x9 yuva444p/8 lossy"},
        {summary(jpeg(0xC0, 8, 7, 9, {}, {0x21, 0x11, 0x11})), "jpeg 7x9 yuvj422p/8 lossy"},
        {summary(jpeg(0xC3, 8, 7, 9, {}, {0x11, 0x11, 0x11})), "jpeg 7x9 bgr24/8"},
        {summary(jpeg(0xC0, 8, 7, 9, {}, {0x32, 0x11, 0x11})), "지원하지 않는 JPEG: 성분 3개의 이 샘플링"},
        {summary(jpeg(0xC9, 8, 7, 9)), "지원하지 않는 JPEG: 산술 부호화"},
        {summary(jpeg(0xC5, 8, 7, 9)), "지원하지 않는 JPEG: 계층 부호화"},
        // A file ends with EOI, perhaps followed by a trailer; fill bytes and junk between segments are
        // skipped.
        {summary(jpeg(0xC0, 8, 7, 9, {}, {0x11}, {})), kCutJpeg},
        {summary(jpeg(0xC0, 8, 7, 9, {}, {0x11}, cat({be(0xFFD9, 2), farTrailer}))), "jpeg 7x9 gray/8 lossy"},
        {summary(jpeg(0xC0, 8, 7, 9, {}, {0x11}, farTrailer)), kCutJpeg},
        {summary(jpeg(0xC0, 8, 7, 9, cat({text("junk"), be(0xFFFFFFE0, 4), be(1, 2)}), {0x11})),
         "jpeg 7x9 gray/8 lossy"},
        {summary(jpeg(0xC0, 8, 640, 0)), "-"},  // the height would come from a DNL marker
        {summary(cat({be(0xFFD8, 2), segment(0xC4, zeros(4)), segment(0xDA, zeros(4)), be(0xFFD9, 2)})), "-"},
        {summary(jpeg(0xC0, 8, 4, 4, repeated(segment(0xFE, {}), limits::kMaxJpegSegments - 2), {0x11})),
         "jpeg 4x4 gray/8 lossy"},
        {summary(jpeg(0xC0, 8, 4, 4, repeated(segment(0xFE, {}), limits::kMaxJpegSegments - 1), {0x11})),
         "-"},
        // TIFF: ffmpeg's layouts by bits and samples; byte order names the deep formats.
        {summary(tiff3x4(3, 16, rgbColour, zeros(72))), "tiff 3x4 rgb48le/16"},
        {summary(tiff3x4(4, 8, {{262, 3, {2}}, {338, 3, {2}}}, zeros(48))), "tiff 3x4 rgba/8 alpha"},
        {summary(tiff3x4(4, 8, {{262, 3, {5}}}, zeros(48))), "tiff 3x4 rgb0/8"},
        {summary(tiff3x4(4, 16, {{262, 3, {5}}}, zeros(96))), "지원하지 않는 TIFF: CMYK 샘플 4개 × 16비트"},
        {summary(tiff3x4(2, 8, {{338, 3, {2}}}, zeros(24))), "tiff 3x4 ya8/8 alpha"},
        {summary(tiff3x4(1, 12, {}, zeros(18))), "tiff 3x4 gray12le/12"},
        {summary(tiff3x4(1, 4, {{266, 3, {2}}}, zeros(8))),
         "지원하지 않는 TIFF: 비트 순서가 거꾸로인(FillOrder 2) 4비트 샘플"},
        {summary(tiff3x4(3, 8, {{262, 3, {6}}, {530, 3, {2, 1}}}, zeros(36))), "tiff 3x4 yuv422p/8"},
        {summary(tiff3x4(2, 8, {{284, 3, {2}}, {338, 3, {2}}}, zeros(24))),
         "지원하지 않는 TIFF: 샘플 2개 × 8비트 (평면 배치)"},
        {summary(tiff3x4(3, 12, rgbColour, zeros(54))), "지원하지 않는 TIFF: 샘플 3개 × 12비트"},
        {summary(tiff3x4(1, 16, {{262, 3, {3}}, {320, 3, std::vector<std::uint32_t>(3 << 16)}})),
         "지원하지 않는 TIFF: 샘플 1개 × 16비트"},
        {summary(tiff3x4(1, 32, {{339, 3, {3}}}, zeros(48))), "지원하지 않는 TIFF: 부동소수점 샘플"},
        {summary(tiff3x4(1, 16, {{339, 3, {2}}}, zeros(24))), "지원하지 않는 TIFF: 부호 있는 정수 샘플"},
        {summary(tiff3x4(1, 8, {{259, 3, {34676}}})), "지원하지 않는 TIFF: 압축 방식 34676"},
        {summary(tiff3x4(3, 8, {{262, 3, {8}}}, zeros(36))), "지원하지 않는 TIFF: 색 공간 8"},
        {summary(tiff3x4(1, 8, {{322, 3, {16}}, {323, 3, {16}}})),
         "지원하지 않는 TIFF: 타일 위치(TileOffsets)가 없는 타일 구성"},
        {summary(tiff(true, {{256, 3, {3}}, {257, 3, {4}}, {273, 4, {kPixels}}, {279, 4, {13}}}, zeros(12))),
         kCutData},
        {summary(tiff(true, {{256, 3, {3}}, {257, 3, {4}}}, {}, 43)), "지원하지 않는 TIFF: BigTIFF"},
        {summary(tiff(false, {{256, 3, {3}}, {257, 3, {4}}, {258, 3, {8, 8, 8}}, {262, 3, {2}}})),
         "tiff 3x4 rgb24/8"},
        {summary(tiff(true, {{256, 3, {3}}})), "-"},
        {summary(cat({text("II"), le(42, 2), le(0xFFFFFFF0u, 4)})), "-"},
        {summary(tiff3x4(1, 8, std::vector<TiffEntry>(limits::kMaxTiffEntries - 6, {259, 3, {1}}))),
         "tiff 3x4 gray/8"},
        {summary(tiff3x4(1, 8, std::vector<TiffEntry>(limits::kMaxTiffEntries - 5, {259, 3, {1}}))), "-"},
        // BMP: a BI_RGB 32-bit picture has alpha when one alpha byte is not zero; bit fields by their masks.
        {summary(bmp(40, 2, 1, 32, 0, noMasks, pixels32)), "bmp 2x1 bgra/8 alpha"},
        {summary(bmp(40, 2, 1, 32, 0, noMasks, zeros(8))), "bmp 2x1 bgr0/8"},
        {summary(bmp(124, 2, -1, 32, 3, bgra, pixels32)), "bmp 2x1 bgra/8 alpha"},
        {summary(bmp(40, 2, 1, 32, 3, {0xFF000000, 0xFF0000, 0xFF00, 0xFF}, zeros(8))), "bmp 2x1 0bgr/8"},
        {summary(bmp(108, 2, 1, 32, 3, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, zeros(8))),
         "bmp 2x1 rgba/8 alpha"},
        {summary(bmp(40, 2, 1, 32, 3, {0x3FF00000, 0xFFC00, 0x3FF, 0}, zeros(8))),
         "지원하지 않는 BMP: 32비트 픽셀의 이 비트 필드"},
        {summary(bmp(40, 2, 1, 16, 3, {0xF800, 0x7E0, 0x1F, 0}, zeros(4))), "bmp 2x1 rgb565le/8"},
        {summary(bmp(12, 300, 2, 24, 0, noMasks, zeros(1800))), "bmp 300x2 bgr24/8"},
        {summary(bmp(40, 3, 2, 24, 0, noMasks, zeros(18))), "bmp 3x2 bgr24/8"},  // rows without their padding
        {summary(bmp(40, 3, 2, 24, 0, noMasks, zeros(17))), kCutData},
        {summary(bmp(40, 3, 2, 4, 0, noMasks, zeros(8), 16)), "bmp 3x2 pal8/8"},
        {summary(bmp(40, 3, 2, 4, 0, noMasks, zeros(8))), "지원하지 않는 BMP: 4비트 픽셀"},
        {summary(bmp(40, 3, 2, 24, 4, noMasks, zeros(24))), "지원하지 않는 BMP: 압축 방식 4"},
        {summary(bmp(41, 3, 2, 24, 0, noMasks, zeros(24))), "-"},
        {summary(bmp(40, 3, std::numeric_limits<std::int32_t>::min(), 24, 0, noMasks, {})), "-"},
        // WebP: lossy with or without ALPH, lossless, and what ffmpeg has no picture for.
        {summary(webp({{"VP8 ", vp8(640, 480)}})), "webp 640x480 yuv420p/8 lossy"},
        {summary(webp({{"VP8X", cat({be(0x10, 1), zeros(9)})}, {"ALPH", zeros(3)}, {"VP8 ", vp8(6, 4)}})),
         "webp 6x4 yuva420p/8 alpha lossy"},
        {summary(webp({{"VP8L", cat({be(0x2F, 1), le(639 | (479u << 14) | (1u << 28), 4)})}})),
         "webp 640x480 argb/8 alpha"},
        {summary(webp({{"VP8L", cat({be(0x2F, 1), le(639 | (479u << 14) | (1u << 29), 4)})}})), "-"},
        {summary(webp({{"VP8X", cat({be(0x12, 1), zeros(9)})}, {"ANIM", zeros(6)}, {"ANMF", vp8(6, 4)}})),
         "지원하지 않는 WebP: 애니메이션"},
        {summary(cutShort(webp({{"VP8 ", vp8(640, 480)}}), 2)), kCutData},
        {summary(cat({text("RIFF"), le(100, 4), text("AVI LIST"), zeros(20)})), "-"},
        {summary(text("hello, world")), "-"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].first, rows[i].second) << "row " << i;
}

// The first scan may start this far in, after comments and fill bytes, and no further.
TEST(ImageHeaderReader, FindsAJpegScanUpToTheOffsetLimit) {
    const std::uint64_t limit = limits::kMaxJpegHeaderOffset;
    const Bytes whole = jpeg(0xC0, 8, 4, 4, {}, {0x11}), comment = segment(0xFE, zeros(65533));
    const std::size_t scan = whole.size() - 2 - 4 - 14;  // EOI, the entropy-coded bytes, the scan header
    Bytes far(whole.begin(), whole.begin() + std::ptrdiff_t(scan));
    far.reserve(limit + whole.size());
    while (far.size() + comment.size() < limit) far.insert(far.end(), comment.begin(), comment.end());
    far.resize(limit - 1, 0xFF);
    far.insert(far.end(), whole.begin() + std::ptrdiff_t(scan), whole.end());
    EXPECT_EQ(summary(far), "jpeg 4x4 gray/8 lossy");
    far.insert(far.begin() + std::ptrdiff_t(limit - 1), 0xFF);
    EXPECT_EQ(summary(far), "-");
}

}  // namespace
}  // namespace tessellane
