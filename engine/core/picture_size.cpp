#include "engine/core/picture_size.h"

#include "engine/core/ascii_case.h"
#include "engine/core/clip_info.h"
#include "engine/core/messages.h"

namespace tessellane {

std::optional<std::string> resultSizeProblem(std::int64_t width, std::int64_t height,
                                             const std::string& stillExtension,
                                             const std::optional<std::string>& videoCodec) {
    const std::string size = sizeText(width, height);
    if (!videoCodec) {
        const std::int64_t side = stillExtension == "webp"                              ? 16383
                                  : stillExtension == "jpg" || stillExtension == "jpeg" ? 65500
                                                                                        : 0;
        if (!ffmpegHoldsPicture(width, height)) return messages::imageTooLarge(size);
        if (side != 0 && (width > side || height > side))
            return messages::imageTooLargeForFormat(size, asciiUpper(stillExtension), sizeText(side, side));
        return std::nullopt;
    }
    constexpr std::int64_t kH264Side = 16384;
    if (*videoCodec != "prores" && *videoCodec != "hevc" && (width > kH264Side || height > kH264Side))
        return messages::videoTooLargeForH264(size, kH264Side);
    if (width > 0 && height > 0 && !ffmpegHoldsPicture(width, height))
        return messages::videoTooLargeForFfmpeg(size);
    return std::nullopt;
}

}  // namespace tessellane
