// Reads what the picture is from an H.264 or HEVC sequence parameter set, the small header that a movie's
// avcC or hvcC box carries: chroma sampling, bit depths, and the video usability information (pixel aspect,
// range, colour codes) that phones often write nowhere else. Nothing of the pictures themselves is read.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace tessellane {

// Colour codes as ITU-T H.273 numbers them (2: unspecified), with the full-range flag when it is known.
struct ColourCodes {
    std::uint16_t primaries = 2;
    std::uint16_t transfer = 2;
    std::uint16_t matrix = 2;
    std::optional<bool> fullRange;
    friend bool operator==(const ColourCodes&, const ColourCodes&) = default;
};

struct PixelAspect {
    std::uint32_t horizontal = 1;
    std::uint32_t vertical = 1;
    friend bool operator==(const PixelAspect&, const PixelAspect&) = default;
};

struct SequenceParameters {
    int chromaFormat = 1;  // 0 monochrome, 1 4:2:0, 2 4:2:2, 3 4:4:4
    int bitDepthLuma = 8;
    int bitDepthChroma = 8;
    // The decoded picture's size: the coded size less its cropping; 0 when the set ends before it.
    std::int64_t width = 0;
    std::int64_t height = 0;
    // From the usability information, each absent when the set does not carry it or ends before it.
    std::optional<PixelAspect> pixelAspect;
    std::optional<bool> fullRange;
    std::optional<ColourCodes> colour;  // its fullRange is the one above
    friend bool operator==(const SequenceParameters&, const SequenceParameters&) = default;
};

// `nal` is one whole NAL unit, its header included. Absent when it is not a sequence parameter set or ends
// before the bit depths.
std::optional<SequenceParameters> readAvcSequenceParameters(std::span<const std::uint8_t> nal);
std::optional<SequenceParameters> readHevcSequenceParameters(std::span<const std::uint8_t> nal);

}  // namespace tessellane
