// What a video merge writes besides its codec: the first clip's pixel format where the encoder has it (else
// the nearest deeper one it has), its range, and which clips must be converted before they are stacked.
// Validation warns from it and the argument builder follows it, so both say the same.
#pragma once

#include <string>
#include <vector>

#include "engine/core/clip_info.h"

namespace tessellane {

struct VideoOutputFormat {
    std::string pixFmt;  // in the records' words ("yuv420p" for full range too); empty when not known
    bool fullRange = false;
    bool substituted = false;  // the first clip's format is not one the encoder writes
    std::string encoder;       // "prores_ks", "libx265" or "libx264"
    // The -pix_fmt value: an 8-bit full-range YUV format is written in its "yuvj" form, the one ffmpeg
    // keeps full-range code values in (yuv420p would squeeze them into the limited range).
    std::string optionPixFmt() const;
};

// The encoder the first clip's codec family gives: prores_ks, libx265, or libx264 for anything else.
std::string videoEncoder(const ClipInfo& first);

VideoOutputFormat videoOutputFormat(const ClipInfo& first);

// True when a clip is full range: tagged "pc", or RGB.
bool isFullRange(const ClipInfo& clip);

// 4:2:0 formats halve the chroma both ways, and libx264 and libx265 refuse a picture with an odd side in
// them, but only once ffmpeg is already running. The one encoder given a 4:2:2 format here, prores_ks, takes
// odd widths, so those are let through.
bool needsEvenSides(const std::string& pixFmt);

// True when the clip must be converted explicitly (range, and matrix for RGB) before hstack: ffmpeg's own
// conversion would leave its levels as they are, or squeeze them, where the output's range differs.
bool needsConversion(const ClipInfo& clip, const VideoOutputFormat& output);

}  // namespace tessellane
