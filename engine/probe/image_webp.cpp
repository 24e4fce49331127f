// WebP: a RIFF file of chunks, walked by their headers up to the picture's chunk, VP8 (lossy, alpha from a
// preceding ALPH chunk) or VP8L (lossless). ffmpeg decodes the first such chunk at the top level, so an
// animation, whose frames are nested in ANMF chunks, has none it can use; nor has a file cut inside it.
#include <cstring>

#include "engine/core/messages.h"
#include "engine/probe/byte_reader.h"
#include "engine/probe/image_formats.h"
#include "engine/probe/probe_limits.h"

namespace tessellane::image {
namespace {

constexpr Endian le = Endian::little;

bool is(const char* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

// The lossy picture's frame header: a key frame's start code, then 14-bit sizes.
bool readLossy(ByteReader data, ImageHeader& header) {
    std::uint8_t tag[6];
    std::uint16_t width = 0, height = 0;
    if (!data.readBytes(tag, sizeof tag) || !data.read(width, le) || !data.read(height, le)) return false;
    if ((tag[0] & 1) != 0 || tag[3] != 0x9D || tag[4] != 0x01 || tag[5] != 0x2A) return false;
    header.width = width & 0x3FFF;
    header.height = height & 0x3FFF;
    header.pixFmt = header.hasAlpha ? "yuva420p" : "yuv420p";
    header.lossless = false;
    return true;
}

// The lossless picture's header: a signature byte, then sizes less one and the alpha-is-used bit.
bool readLossless(ByteReader data, ImageHeader& header) {
    std::uint8_t signature = 0;
    std::uint32_t fields = 0;
    if (!data.read(signature) || signature != 0x2F || !data.read(fields, le)) return false;
    if ((fields >> 29) != 0) return false;  // only version 0 exists
    header.width = (fields & 0x3FFF) + 1;
    header.height = ((fields >> 14) & 0x3FFF) + 1;
    header.hasAlpha = (fields >> 28) & 1;
    header.pixFmt = "argb";  // whatever the bit says, ffmpeg decodes the alpha channel
    return true;
}

}  // namespace

std::optional<ImageHeader> readWebp(ByteSource& source) {
    WindowedSource cached(source, 0, source.size(), limits::kImageReadWindow);
    ByteReader file(cached);
    char form[4];
    if (!file.seek(8) || !file.readBytes(form, 4) || !is(form, "WEBP")) return std::nullopt;
    ImageHeader header{.kind = ImageKind::webp};
    bool animated = false;
    for (std::size_t count = 0; count < limits::kMaxWebpChunks; ++count) {
        char type[4];
        std::uint32_t size = 0;
        ByteReader data;
        if (!file.readBytes(type, 4) || !file.read(size, le)) break;
        if (!file.sub(size, data)) {
            header.refusal = messages::truncatedImage(messages::kPixelDataPastEnd);
            break;
        }
        if ((size & 1) != 0 && !file.skip(1)) break;  // chunks are padded to an even size
        if (is(type, "VP8X")) {
            std::uint8_t flags = 0;
            if (data.read(flags)) animated = animated || (flags & 0x02) != 0;
        } else if (is(type, "ANIM") || is(type, "ANMF")) {
            animated = true;
        } else if (is(type, "ALPH")) {
            header.hasAlpha = true;
        } else if (is(type, "VP8 ") || is(type, "VP8L")) {
            const bool read = is(type, "VP8L") ? readLossless(data, header) : readLossy(data, header);
            if (!read || !plausibleSize(header.width, header.height)) return std::nullopt;
            return header;
        }
    }
    if (animated) {
        header.refusal = messages::unsupportedImage("WebP", messages::kAnimation);
        return header;
    }
    if (!header.refusal.empty()) return header;
    return std::nullopt;
}

}  // namespace tessellane::image
