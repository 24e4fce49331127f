#include "engine/core/picture_size.h"

#include "engine/core/ascii_case.h"
#include "engine/core/clip_info.h"

namespace tessellane {

std::optional<std::string> resultSizeProblem(std::int64_t width, std::int64_t height,
                                             const std::string& stillExtension,
                                             const std::optional<std::string>& videoCodec) {
    const std::string size = sizeText(width, height);
    if (!videoCodec) {
        const std::int64_t side = stillExtension == "webp"                              ? 16383
                                  : stillExtension == "jpg" || stillExtension == "jpeg" ? 65500
                                                                                        : 0;
        if (!ffmpegHoldsPicture(width, height)) return "결과 이미지가 너무 큽니다: " + size;
        if (side != 0 && (width > side || height > side))
            return "결과 이미지가 너무 큽니다: " + size + " (" + asciiUpper(stillExtension) + " 최대 " +
                   sizeText(side, side) + ")";
        return std::nullopt;
    }
    const std::string refused = "결과 크기가 너무 큽니다: " + size + " — ";
    constexpr std::int64_t kH264Side = 16384;
    if (*videoCodec != "prores" && *videoCodec != "hevc" && (width > kH264Side || height > kH264Side))
        return refused + "H.264는 가로·세로 " + std::to_string(kH264Side) + " 이하여야 합니다";
    if (width > 0 && height > 0 && !ffmpegHoldsPicture(width, height))
        return refused + "ffmpeg가 다룰 수 있는 그림보다 큽니다";
    return std::nullopt;
}

}  // namespace tessellane
