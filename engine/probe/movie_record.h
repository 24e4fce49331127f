// Fills a ClipInfo from what the readers found: the code table, the colour tables translating the media
// framework's value names into ffmpeg's, the frame rate as a reduced fraction and the frame count.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/core/clip_info.h"
#include "engine/probe/movie_reader.h"

namespace tessellane {

#ifdef __APPLE__
inline constexpr std::string_view kMovieErrorText = "영상 스트림 없음(또는 macOS가 읽을 수 없는 파일)";
#else
inline constexpr std::string_view kMovieErrorText = "영상 스트림 없음(또는 읽을 수 없는 파일)";
#endif

// Each gives ffmpeg's name for a media framework value, or empty text for a missing or unknown one.
std::string ffmpegPrimaries(const std::optional<std::string>& value);
std::string ffmpegTransfer(const std::optional<std::string>& value);
std::string ffmpegMatrix(const std::optional<std::string>& value);

// The four bytes of a code, most significant first, as ASCII; empty when any byte is not ASCII.
std::string codeText(std::uint32_t code);

// "s/v" reduced by their greatest common divisor when the time is valid with v >= 1; otherwise the nominal
// rate rounded half away from zero over 1, and "0/1" when that rate is not finite or absurd.
std::string frameRateText(const MediaTime& minFrameDuration, double nominalFrameRate);

// duration × fps rounded half away from zero; 0 when either is not finite, negative or absurd.
std::int64_t frameCount(double durationSeconds, double fps);

// The record of a readable movie's first video track; `started` carries url, id and fileSize. Width and
// height are the displayed ones: swapped for a track turned by 90 or 270 degrees.
ClipInfo movieRecord(ClipInfo started, const VideoTrack& video, bool hasAudio);

}  // namespace tessellane
