// Reader of QuickTime and ISO base media files (.mov, .mp4, .m4v): finds the movie box wherever it stands,
// reads only box headers and the parts of it that describe the first video track, and returns what a media
// framework would: the track's format description, frame timing and duration, and whether audio exists.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/probe/byte_source.h"

namespace tessellane {

// A time as a count over a time scale, as the media framework keeps it.
struct MediaTime {
    std::int64_t value = 0;
    std::int32_t timescale = 0;
    bool valid = false;
};

// The first video sample description, with its extensions under the media framework's value names
// ("ITU_R_709_2", "SMPTE_ST_2084_PQ", ...). Each extension is absent when the file does not carry it.
struct FormatDescription {
    std::uint32_t code = 0;  // four-character code, most significant byte first
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::optional<std::int64_t> bitsPerComponent;
    std::optional<std::int64_t> depth;
    std::optional<std::string> colorPrimaries;
    std::optional<std::string> transferFunction;
    std::optional<std::string> yCbCrMatrix;
    std::optional<bool> fullRangeVideo;
};

struct VideoTrack {
    FormatDescription format;
    MediaTime minFrameDuration;     // the shortest sample duration; invalid when the table has none
    double nominalFrameRate = 0.0;  // samples per second over the whole track
    double durationSeconds = 0.0;   // the track's length (its edit list when it has one)
    int rotation = 0;  // whole degrees, 0 to 359, that ffmpeg turns the picture by when it shows it
};

enum class MovieReadError {
    none,
    cannotRead,    // the source failed to deliver bytes it claims to have
    noMovieBox,    // no moov before the end of the file (or a box running past it)
    truncated,     // the movie box or a table in it ends before its stated size
    malformed,     // sizes or counts that contradict each other
    tooLarge,      // a count or size beyond our limits
    noVideoTrack,  // a readable movie without a video track or sample description
};

struct MovieInfo {
    std::optional<VideoTrack> video;  // present exactly when error is none
    bool hasAudio = false;
    MovieReadError error = MovieReadError::none;
};

MovieInfo readMovie(ByteSource& source);

// Names of the colour codes (ITU-T H.273) as the media framework spells them; absent for other codes.
std::optional<std::string> colorPrimariesName(std::uint16_t code);
std::optional<std::string> transferFunctionName(std::uint16_t code);
std::optional<std::string> yCbCrMatrixName(std::uint16_t code);

}  // namespace tessellane
