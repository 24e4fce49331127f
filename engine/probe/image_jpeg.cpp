// JPEG: segments are walked by their lengths up to the first scan, markers found as ffmpeg finds them. The
// frame header gives the size, depth and sampling, APP1 the EXIF orientation, APP14 Adobe's colour transform.
// The file is complete when an end-of-image marker follows the first scan: the entropy-coded data cannot hold
// one, so the marker is first looked for in the file's last bytes, and only when it is not there (a cut file,
// or a long trailer such as a phone's motion photo) is the rest of the file searched.
#include <algorithm>
#include <array>
#include <vector>

#include "engine/core/messages.h"
#include "engine/probe/byte_reader.h"
#include "engine/probe/exif_orientation.h"
#include "engine/probe/image_formats.h"
#include "engine/probe/probe_limits.h"

namespace tessellane::image {
namespace {

struct Frame {
    std::uint8_t marker = 0;
    int precision = 0;
    std::int64_t width = 0, height = 0;
    int components = 0;
    std::array<std::uint8_t, 4> ids{};
    // Sampling factors packed as ffmpeg compares them: h0 v0 h1 v1 h2 v2 h3 v3, one hexadecimal digit each.
    std::uint32_t sampling = 0;
};

bool isStartOfFrame(std::uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Only the Huffman-coded, non-hierarchical frames decode: baseline, extended, progressive and lossless.
std::string unsupportedCoding(std::uint8_t marker) {
    if (marker <= 0xC3) return {};
    // Arithmetic: C9 to CB, and CD to CF (hierarchical as well); hierarchical: C5 to C7.
    return std::string(marker >= 0xC9 ? messages::kArithmeticCoding : messages::kHierarchicalCoding);
}

bool readFrame(ByteReader segment, std::uint8_t marker, Frame& frame) {
    std::uint8_t precision = 0, components = 0;
    std::uint16_t height = 0, width = 0;
    if (!segment.read(precision) || !segment.read(height) || !segment.read(width) ||
        !segment.read(components))
        return false;
    // A height of 0 is given later by a DNL marker, which ffmpeg does not read.
    if (width < 1 || height < 1 || precision < 1 || precision > 16 || components < 1) return false;
    frame = Frame{marker, precision, width, height, components};
    for (int i = 0; i < components && i < 4; ++i) {
        std::uint8_t id = 0, factors = 0, table = 0;
        if (!segment.read(id) || !segment.read(factors) || !segment.read(table)) return false;
        const int h = factors >> 4, v = factors & 0x0F;
        if (h < 1 || h > 4 || v < 1 || v > 4) return false;
        frame.ids[std::size_t(i)] = id;
        frame.sampling |= std::uint32_t(factors) << (24 - 8 * i);
    }
    return true;
}

// The frame's sampling factors as ffmpeg's decoder compares them: factors that are all 1 or 2 count as
// halved, as it counts them.
std::uint32_t samplingKey(const Frame& frame) {
    std::uint32_t id = frame.sampling;
    if (!(id & 0xD0D0D0D0u)) id -= (id & 0xF0F0F0F0u) >> 1;
    if (!(id & 0x0D0D0D0Du)) id -= (id & 0x0F0F0F0Fu) >> 1;
    return id;
}

// Components named Q, F and A, whose samples ffmpeg decodes as planar RGB.
bool qfaIds(const Frame& frame) { return frame.ids[0] == 'Q' && frame.ids[1] == 'F' && frame.ids[2] == 'A'; }

std::string grayFormat(std::uint32_t key, bool narrow) {
    switch (key) {
        case 0x11000000:
        case 0x13000000:
        case 0x14000000:
        case 0x31000000:
        case 0x33000000:
        case 0x34000000:
        case 0x41000000:
        case 0x43000000:
        case 0x44000000:
            return narrow ? "gray" : "gray16le";
    }
    return {};
}

std::string threeComponentFormat(std::uint32_t key, const Frame& frame, int adobeTransform, bool narrow) {
    const bool rgb = frame.marker == 0xC3;  // ffmpeg takes a lossless picture of full-size samples as RGB
    const bool rgbIds = frame.ids[0] == 'R' && frame.ids[1] == 'G' && frame.ids[2] == 'B';
    switch (key) {
        case 0x11111100:
            if (rgb) return frame.precision <= 9 ? "bgr24" : "bgr48le";
            if (adobeTransform == 0 || rgbIds) return narrow ? "gbrp" : "gbrp16le";
            return narrow ? "yuvj444p" : "yuv444p16le";
        case 0x12121100:
        case 0x22122100:
        case 0x21211100:
        case 0x21112100:
        case 0x22211200:
        case 0x22221100:
        case 0x22112200:
        case 0x11222200:
        case 0x31111100:
            return narrow ? "yuvj444p" : "";
        case 0x12111100:
        case 0x14121200:
        case 0x14111100:
        case 0x22211100:
        case 0x22112100:
            if (qfaIds(frame)) return narrow ? "gbrp" : "";
            return narrow ? "yuvj440p" : "";
        case 0x21111100:
            if (qfaIds(frame)) return narrow ? "gbrp" : "";
            return narrow ? "yuvj422p" : "yuv422p16le";
        case 0x22121100:
        case 0x22111200:
            return narrow ? "yuvj422p" : "";
        case 0x22111100:
            return narrow ? "yuvj420p" : "yuv420p16le";
        case 0x23111100:
        case 0x42111100:
        case 0x24111100:
            return narrow ? "yuvj420p" : "";
        case 0x41111100:
            return narrow ? "yuvj411p" : "";
    }
    return {};
}

std::string fourComponentFormat(std::uint32_t key, const Frame& frame, int adobeTransform, bool narrow) {
    switch (key) {
        case 0x11111111:
            if (frame.marker == 0xC3) return frame.precision <= 9 ? "abgr" : "rgba64le";  // lossless: RGB
            if (adobeTransform == 0 && narrow) return "gbrap";
            return narrow ? "yuva444p" : "yuva444p16le";
        case 0x22111122:
        case 0x22111111:
            if (adobeTransform == 0 && narrow) return "gbrap";
            if (adobeTransform == 2 && narrow) return "yuva444p";
            return narrow ? "yuva420p" : "yuva420p16le";
    }
    return {};
}

// The pixel format ffmpeg's decoder picks for a frame, or empty text for the samplings it does not handle.
// The key's digits tell the components: the first pair alone for gray, the last pair set for four.
std::string pixelFormat(const Frame& frame, int adobeTransform) {
    const std::uint32_t key = samplingKey(frame);
    const bool narrow = frame.precision <= 8;
    if ((key & 0x00FFFFFFu) == 0) return grayFormat(key, narrow);
    if ((key & 0x000000FFu) == 0) return threeComponentFormat(key, frame, adobeTransform, narrow);
    return fourComponentFormat(key, frame, adobeTransform, narrow);
}

// True when the bytes FF D9 stand somewhere in [from, size): first in the last few kilobytes, else anywhere.
bool hasEndOfImage(ByteSource& file, std::uint64_t from) {
    const std::uint64_t size = file.size();
    std::vector<std::uint8_t> block;
    auto search = [&](std::uint64_t begin) {
        std::uint8_t previous = 0;
        for (std::uint64_t at = begin; at < size;) {
            const std::size_t n = std::size_t(std::min<std::uint64_t>(limits::kImageScanBlock, size - at));
            block.resize(n);
            if (!file.readAt(at, block.data(), n)) return false;
            if (previous == 0xFF && block[0] == 0xD9) return true;
            for (std::size_t i = 0; i + 1 < n; ++i)
                if (block[i] == 0xFF && block[i + 1] == 0xD9) return true;
            previous = block[n - 1];
            at += n;
        }
        return false;
    };
    const std::uint64_t tail = size - std::min(size - from, limits::kJpegEndSearch);
    return search(tail) || (tail > from && search(from));
}

}  // namespace

std::optional<ImageHeader> readJpeg(ByteSource& source) {
    WindowedSource cached(source, 0, source.size(), limits::kImageReadWindow);
    ByteReader file(cached);
    if (!file.seek(2)) return std::nullopt;
    std::optional<Frame> frame;
    int orientation = 0, adobeTransform = -1;
    for (std::size_t count = 0;; ++count) {
        if (count == limits::kMaxJpegSegments) return std::nullopt;
        // As ffmpeg does, anything between segments that is not a marker is skipped, fill bytes and junk
        // alike; the offset limit bounds the search.
        std::uint8_t byte = 0, marker = 0;
        while (!(byte == 0xFF && marker >= 0xC0 && marker <= 0xFE)) {
            byte = marker;
            if (file.position() > limits::kMaxJpegHeaderOffset || !file.read(marker)) return std::nullopt;
        }
        if ((marker >= 0xD0 && marker <= 0xD8)) continue;  // no length follows
        if (marker == 0xD9) return std::nullopt;           // the end, before any scan
        std::uint16_t length = 0;
        ByteReader segment;
        if (!file.read(length)) return std::nullopt;
        if (length < 2) continue;  // no segment at all: ffmpeg goes on to the next marker
        if (!file.sub(length - 2u, segment)) return std::nullopt;
        if (marker == 0xDA) break;  // the first scan: the header is over
        std::uint8_t id[6] = {};
        const bool named = segment.readBytes(id, sizeof id);
        if (marker == 0xE1 && named && std::equal(id, id + 4, "Exif")) {
            ByteReader exif;
            if (!segment.sub(segment.remaining(), exif)) return std::nullopt;
            if (const int found = readExifOrientation(exif)) orientation = found;
        } else if (marker == 0xEE && named && std::equal(id, id + 5, "Adobe") && id[5] != '_') {
            std::uint8_t rest[6] = {};  // version and two flag words, then the transform
            if (segment.readBytes(rest, sizeof rest)) adobeTransform = rest[5];
        } else if (isStartOfFrame(marker)) {  // a later frame header replaces an earlier one
            frame.emplace();
            if (!segment.seek(0) || !readFrame(segment, marker, *frame)) return std::nullopt;
        }
    }
    if (!frame) return std::nullopt;

    const bool turned = swapsSides(orientation);
    ImageHeader header{.kind = ImageKind::jpeg,
                       .width = turned ? frame->height : frame->width,
                       .height = turned ? frame->width : frame->height,
                       .bitsPerSample = frame->precision,
                       .pixFmt = pixelFormat(*frame, adobeTransform),
                       .lossless = frame->marker == 0xC3,
                       .orientation = orientation == 0 ? 1 : orientation};
    if (const std::string coding = unsupportedCoding(frame->marker); !coding.empty())
        header.refusal = messages::unsupportedImage("JPEG", coding);
    else if (frame->components > 4 || header.pixFmt.empty())
        header.refusal = messages::unsupportedImage("JPEG", messages::jpegSampling(frame->components));
    else if (!hasEndOfImage(source, file.position()))
        header.refusal = messages::truncatedImage(messages::kJpegWithoutEnd);
    return header;
}

}  // namespace tessellane::image
