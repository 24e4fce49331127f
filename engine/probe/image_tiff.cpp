// TIFF: the tags of the first image file directory. ffmpeg decodes a fixed set of layouts, told by the bits
// of all samples together, their count and whether they are stored in planes; it reads every sample as an
// unsigned integer and knows neither BigTIFF nor every compression. The strips or tiles must lie inside the
// file.
#include <algorithm>
#include <map>

#include "engine/core/messages.h"
#include "engine/probe/byte_reader.h"
#include "engine/probe/image_formats.h"
#include "engine/probe/probe_limits.h"

namespace tessellane::image {
namespace {

enum Tag : std::uint16_t {
    width = 256,
    height = 257,
    bitsPerSample = 258,
    compression = 259,
    photometric = 262,
    fillOrder = 266,
    stripOffsets = 273,
    samplesPerPixel = 277,
    stripByteCounts = 279,
    planarConfiguration = 284,
    colourMap = 320,
    tileWidth = 322,
    tileOffsets = 324,
    tileByteCounts = 325,
    sampleFormat = 339,
    yCbCrSubsampling = 530,
};

enum Photometric { whiteIsZero = 0, blackIsZero = 1, rgb = 2, palette = 3, separated = 5, yCbCr = 6 };

bool knownCompression(std::uint64_t method) {
    // none, the CCITT codes, LZW, JPEG (old and new), Deflate (both codes), PackBits, LZMA
    for (std::uint64_t known : {1, 2, 3, 4, 5, 6, 7, 8, 32946, 32773, 34925})
        if (method == known) return true;
    return false;
}

bool knownPhotometric(std::uint64_t value) {
    return value <= 3 || value == separated || value == yCbCr || value == 32803 || value == 34892;
}

struct Entry {
    std::uint16_t type = 0;
    std::uint64_t count = 0;
    std::uint64_t valuesAt = 0;  // where the values stand, in the field or at the offset it holds
};

class Directory {
  public:
    Directory(ByteSource& source, Endian order, std::map<std::uint16_t, Entry> entries)
        : file_(source), order_(order), entries_(std::move(entries)) {}

    bool has(Tag tag) const { return entries_.contains(tag); }
    std::uint64_t count(Tag tag) const { return has(tag) ? entries_.at(tag).count : 0; }

    // The index-th value of an unsigned integer tag, or `fallback` when the tag is absent. False when the
    // value cannot be read or is not an unsigned integer.
    [[nodiscard]] bool value(Tag tag, std::uint64_t index, std::uint64_t& out, std::uint64_t fallback = 0) {
        const auto found = entries_.find(tag);
        if (found == entries_.end()) {
            out = fallback;
            return true;
        }
        const Entry& entry = found->second;
        const std::size_t size = typeSize(entry.type);
        return size != 0 && index < entry.count && file_.seek(entry.valuesAt + index * size) &&
               file_.read(out, order_, size);
    }

    static std::size_t typeSize(std::uint16_t type) {
        return type == 1 ? 1 : type == 3 ? 2 : type == 4 ? 4 : type == 16 ? 8 : 0;  // BYTE SHORT LONG LONG8
    }

  private:
    ByteReader file_;
    Endian order_;
    std::map<std::uint16_t, Entry> entries_;
};

std::optional<Directory> readDirectory(ByteSource& source, Endian order) {
    ByteReader file(source);
    std::uint32_t at = 0;
    std::uint16_t entries = 0;
    if (!file.seek(4) || !file.read(at, order) || !file.seek(at) || !file.read(entries, order) ||
        entries > limits::kMaxTiffEntries || !file.has(std::uint64_t(entries) * 12))
        return std::nullopt;
    std::map<std::uint16_t, Entry> found;
    for (std::uint16_t i = 0; i < entries; ++i) {
        std::uint16_t tag = 0, type = 0;
        std::uint32_t count = 0, field = 0;
        const std::uint64_t fieldAt = at + 2 + i * 12u + 8;
        if (!file.read(tag, order) || !file.read(type, order) || !file.read(count, order) ||
            !file.read(field, order))
            return std::nullopt;
        // Values of more than four bytes stand at the offset that the field holds.
        const std::uint64_t bytes =
            std::uint64_t(count) * std::max<std::size_t>(1, Directory::typeSize(type));
        found[tag] = Entry{type, count, bytes > 4 ? field : fieldAt};  // a repeated tag replaces the first
    }
    return Directory(source, order, std::move(found));
}

// ffmpeg's pixel format for a layout, or empty text for one it refuses.
std::string pixelFormat(std::uint64_t layout, std::uint64_t photometricValue, bool colourMap, bool little,
                        std::uint64_t subsamplingX, std::uint64_t subsamplingY) {
    auto endian = [&](const char* name) { return std::string(name) + (little ? "le" : "be"); };
    switch (layout) {
        case 11:
            return colourMap ? "pal8" : "monob";
        case 21:
        case 41:
            return "pal8";
        case 81:
            return colourMap ? "pal8" : "gray";
        case 121:
            return "gray12le";
        case 161:
            return endian("gray16");
        case 162:
            return "ya8";
        case 243:
            if (photometricValue != yCbCr) return "rgb24";
            switch (subsamplingX * 10 + subsamplingY) {
                case 11:
                    return "yuv444p";
                case 21:
                    return "yuv422p";
                case 41:
                    return "yuv411p";
                case 12:
                    return "yuv440p";
                case 22:
                    return "yuv420p";
                case 44:
                    return "yuv410p";
            }
            return {};
        case 322:
            return endian("ya16");
        case 324:
            return photometricValue == separated ? "rgb0" : "rgba";
        case 405:
            return photometricValue == separated ? "rgba" : "";
        case 483:
            return endian("rgb48");
        case 644:
            return endian("rgba64");
        case 1243:
            return "gbrp";
        case 1324:
            return "gbrap";
        case 1483:
            return endian("gbrp16");
        case 1644:
            return endian("gbrap16");
    }
    return {};
}

// False when some strip or tile reaches past the end of the file.
bool dataInside(Directory& directory, std::uint64_t fileSize, bool tiled) {
    const Tag offsets = tiled ? tileOffsets : stripOffsets, counts = tiled ? tileByteCounts : stripByteCounts;
    const std::uint64_t pieces = std::min(directory.count(offsets), directory.count(counts));
    for (std::uint64_t i = 0; i < std::min(pieces, limits::kMaxTiffStrips); ++i) {
        std::uint64_t offset = 0, size = 0;
        if (!directory.value(offsets, i, offset) || !directory.value(counts, i, size)) return false;
        if (offset > fileSize || size > fileSize - offset) return false;
    }
    return true;
}

// The tags that decide how ffmpeg decodes the first image, with the values it takes for absent ones.
struct Fields {
    std::uint64_t width = 0, height = 0;
    std::uint64_t bits = 0;  // of all samples together
    std::uint64_t samples = 0;
    std::uint64_t compression = 1, photometric = 1, planes = 1, sampleFormat = 1, fillOrder = 1;
    std::uint64_t subsamplingX = 1, subsamplingY = 1;

    bool planar() const { return planes == 2 && samples > 1; }
    // The key ffmpeg picks its pixel format by: planes, then bits of all samples, then samples.
    std::uint64_t layout() const { return (planar() ? 1000 : 0) + bits * 10 + samples; }
};

// The bits of all samples together, as ffmpeg adds them up, and how many values the tag holds: one value
// stands for every sample.
bool readSampleBits(Directory& directory, std::uint64_t& bits, std::uint64_t& count) {
    bits = 0;
    count = std::max<std::uint64_t>(1, directory.count(bitsPerSample));
    if (count > 5) return false;
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t one = 0;
        if (!directory.value(bitsPerSample, i, one, 1) || one > 64) return false;
        bits += one;
    }
    return true;
}

std::optional<Fields> readFields(Directory& directory) {
    Fields f;
    std::uint64_t count = 0;
    if (!directory.value(width, 0, f.width) || !directory.value(height, 0, f.height) ||
        !plausibleSize(std::int64_t(f.width), std::int64_t(f.height)) ||
        !readSampleBits(directory, f.bits, count))
        return std::nullopt;
    if (!directory.value(compression, 0, f.compression, 1) ||
        !directory.value(photometric, 0, f.photometric, 1) ||
        !directory.value(samplesPerPixel, 0, f.samples, count) ||
        !directory.value(planarConfiguration, 0, f.planes, 1) ||
        !directory.value(sampleFormat, 0, f.sampleFormat, 1) ||
        !directory.value(yCbCrSubsampling, 0, f.subsamplingX, 1) ||
        !directory.value(fillOrder, 0, f.fillOrder, 1) || f.samples < 1 || f.samples > 5)
        return std::nullopt;
    // Both subsampling factors default to 1, as ffmpeg takes them.
    if (directory.count(yCbCrSubsampling) >= 2 && !directory.value(yCbCrSubsampling, 1, f.subsamplingY))
        return std::nullopt;
    if (count == 1) f.bits *= f.samples;
    if (f.compression >= 2 && f.compression <= 4 && f.bits != 1)
        return std::nullopt;  // fax codes hold 1-bit pictures only
    return f;
}

// Why ffmpeg cannot decode the picture, or empty text when it can.
std::string refusal(Directory& directory, const Fields& f, const ImageHeader& header,
                    std::uint64_t fileSize) {
    const bool tiled = directory.has(tileWidth);
    // ffmpeg turns CMYK into RGB only from 8-bit samples side by side; it shows the others' ink as colour.
    const bool cmyk = f.photometric == separated;
    const int depth = header.bitsPerSample;
    if (!knownCompression(f.compression))
        return messages::unsupportedImage("TIFF", messages::compressionMethod(f.compression));
    if (!knownPhotometric(f.photometric))
        return messages::unsupportedImage("TIFF", messages::colourSpace(f.photometric));
    if (f.sampleFormat == 3) return messages::unsupportedImage("TIFF", messages::kFloatingPointSamples);
    if (f.sampleFormat == 2) return messages::unsupportedImage("TIFF", messages::kSignedIntegerSamples);
    if (f.fillOrder == 2 && (depth == 2 || depth == 4))
        return messages::unsupportedImage("TIFF", messages::reversedBitOrder(depth));
    if (tiled && !directory.has(tileOffsets))
        return messages::unsupportedImage("TIFF", messages::kTilesWithoutOffsets);
    if (header.pixFmt.empty() || (f.photometric == palette && depth > 8) ||
        (cmyk && f.layout() != 324 && f.layout() != 405))
        return messages::unsupportedImage("TIFF",
                                          messages::tiffSampleLayout(cmyk, f.samples, depth, f.planar()));
    if (!dataInside(directory, fileSize, tiled)) return messages::truncatedImage(messages::kPixelDataPastEnd);
    return {};
}

}  // namespace

std::optional<ImageHeader> readTiff(ByteSource& source) {
    WindowedSource cached(source, 0, source.size(), limits::kImageReadWindow);
    std::uint8_t start[4];
    if (!cached.readAt(0, start, sizeof start)) return std::nullopt;
    const Endian order = start[0] == 'I' ? Endian::little : Endian::big;
    const std::uint16_t version = decodeUnsigned<std::uint16_t>(start + 2, 2, order);
    ImageHeader header{.kind = ImageKind::tiff};
    if (version == 43) {
        header.refusal = messages::unsupportedImage("TIFF", "BigTIFF");
        return header;
    }
    if (version != 42) return std::nullopt;
    auto directory = readDirectory(cached, order);
    if (!directory) return std::nullopt;
    const std::optional<Fields> fields = readFields(*directory);
    if (!fields) return std::nullopt;

    header.width = std::int64_t(fields->width);
    header.height = std::int64_t(fields->height);
    header.bitsPerSample = int(fields->bits / fields->samples);
    header.pixFmt = pixelFormat(fields->layout(), fields->photometric, directory->has(colourMap),
                                order == Endian::little, fields->subsamplingX, fields->subsamplingY);
    const std::string& f = header.pixFmt;
    header.hasAlpha = f.starts_with("ya") || f.starts_with("rgba") || f.starts_with("gbrap");
    header.lossless = fields->compression != 6 && fields->compression != 7;
    header.refusal = refusal(*directory, *fields, header, source.size());
    return header;
}

}  // namespace tessellane::image
