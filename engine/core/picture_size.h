// The largest picture ffmpeg holds in one frame: it refuses any whose rows of 8 bytes a pixel, widened by
// 128 pixels of padding each way, would reach 2^31 bytes. The probe refuses such an input; a result is
// refused, with the other limits of the encoders, in one place: resultSizeProblem.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tessellane {

constexpr bool ffmpegHoldsPicture(std::int64_t width, std::int64_t height) {
    constexpr std::int64_t kMaxFrameBytes = 0x7FFFFFFF;
    if (width < 1 || height < 1 || width > kMaxFrameBytes || height > kMaxFrameBytes) return false;
    const std::int64_t stride = (width + 128) * 8;
    return stride < kMaxFrameBytes && height + 128 <= (kMaxFrameBytes - 1) / stride;
}

// "1920×1080".
inline std::string sizeText(std::int64_t width, std::int64_t height) {
    return std::to_string(width) + "×" + std::to_string(height);
}

// Why the encoder a result asks for cannot write a frame of this size, in words that say why; none when it
// can. Stills are named by their format's extension ("webp", lower case); a movie by its first clip's codec
// (H.264 takes 16384 a side at most). Each encoder refuses such a frame only once ffmpeg is running.
std::optional<std::string> resultSizeProblem(std::int64_t width, std::int64_t height,
                                             const std::string& stillExtension,
                                             const std::optional<std::string>& videoCodec);

}  // namespace tessellane
