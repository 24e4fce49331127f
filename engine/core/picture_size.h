// The largest picture ffmpeg holds in one frame: it refuses any whose rows of 8 bytes a pixel, widened by
// 128 pixels of padding each way, would reach 2^31 bytes. The probe refuses such an input, validation such
// a result.
#pragma once

#include <cstdint>

namespace tessellane {

constexpr bool ffmpegHoldsPicture(std::int64_t width, std::int64_t height) {
    constexpr std::int64_t kMaxFrameBytes = 0x7FFFFFFF;
    if (width < 1 || height < 1 || width > kMaxFrameBytes || height > kMaxFrameBytes) return false;
    const std::int64_t stride = (width + 128) * 8;
    return stride < kMaxFrameBytes && height + 128 <= (kMaxFrameBytes - 1) / stride;
}

}  // namespace tessellane
