#pragma once

// The engine's words to the user, in one place: every Korean text that validation, the probe and the merge
// raise. Fixed texts are constants; texts that carry values are functions that put the values in place.

#include <cstdint>
#include <string>
#include <string_view>

namespace tessellane::messages {

// Validation: why the clips cannot be merged as they are (blocking), or what the merge will change
// (warnings). Also the suffix's and the result size's problems, which the window shows beside them.
inline constexpr std::string_view kTooFewFiles = "파일이 2개 이상 필요합니다";
inline constexpr std::string_view kImagesAndVideosMixed =
    "이미지와 영상을 섞을 수 없습니다 — 한 종류만 넣어 주세요";
inline constexpr std::string_view kPixelAspectsFitted = "픽셀 종횡비가 다릅니다 — 정사각 픽셀로 맞춤";
inline constexpr std::string_view kSuffixHasSlash = "접미사에는 \"/\"를 넣을 수 없습니다";
inline constexpr std::string_view kSuffixHasControls = "접미사에는 제어 문자를 넣을 수 없습니다";
std::string heightsDiffer(std::string_view heights);
std::string widthsDiffer(std::string_view widths);
std::string sizesDiffer(std::string_view sizes);
std::string heightsFitted(std::int64_t height);
std::string widthsFitted(std::int64_t width);
std::string sizesFitted(std::string_view cellSize);
std::string withoutSound(std::string_view fileName);
std::string imageFormatsDiffer(std::string_view firstFormat);
std::string ratesDiffer(std::string_view rates);
std::string ratesConformed(std::string_view rates, std::string_view firstRate);
std::string pixelAspectsDiffer(std::string_view aspects);
std::string unsupportedCodec(std::string_view codec);
std::string proresInMp4(std::string_view extension);
std::string oddResultSize(std::int64_t width, std::int64_t height, std::string_view pixelFormat);
std::string codecsDiffer(std::string_view firstCodec);
std::string pixelFormatsDiffer(std::string_view firstPixelFormat);
std::string pixelFormatSubstituted(std::string_view pixelFormat, std::string_view encoder,
                                   std::string_view writtenAs);
std::string lengthsDiffer(std::int64_t shortestFrames);
std::string imageTooLarge(std::string_view size);
std::string imageTooLargeForFormat(std::string_view size, std::string_view format, std::string_view largest);
std::string videoTooLargeForH264(std::string_view size, std::int64_t largestSide);
std::string videoTooLargeForFfmpeg(std::string_view size);

}  // namespace tessellane::messages
