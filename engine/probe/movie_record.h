// Fills a ClipInfo from what the readers found: codec and pixel format from the code and the codec
// configuration, colour codes under ffmpeg's names, the real frame rate, the frame count and pixel aspect.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/core/clip_info.h"
#include "engine/probe/movie_reader.h"

namespace tessellane {

// Messages for movies that cannot be merged, one for each reason the reader gives; the general one for a
// file with no movie in it, or none with video.
std::string movieErrorText(MovieReadError error);

// ffmpeg's name for an ITU-T H.273 colour code, as ffprobe shows it; empty for an unspecified or unknown one.
std::string ffmpegPrimaries(std::uint16_t code);
std::string ffmpegTransfer(std::uint16_t code);
std::string ffmpegMatrix(std::uint16_t code);

// The four bytes of a code, most significant first, as ASCII; empty when any byte is not ASCII.
std::string codeText(std::uint32_t code);

// The record of a readable movie's first video track; `started` carries url, id and fileSize. Width and
// height are the displayed ones: swapped for a track turned by 90 or 270 degrees. The pixel format, colour
// tags and pixel aspect are those ffmpeg decodes the track with; the frames are its samples, fewer when its
// edit list keeps fewer. The sound is named by its first track's code, as ffmpeg's reader names it.
ClipInfo movieRecord(ClipInfo started, const VideoTrack& video, bool hasAudio, const AudioTrack& audio = {});

}  // namespace tessellane
