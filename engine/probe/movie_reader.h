// Reader of QuickTime and ISO base media files (.mov, .mp4, .m4v): finds the movie box wherever it stands,
// reads only box headers and the parts of it that describe the first video track, and returns the track's
// format description (with its codec configuration), its real frame rate, sample count and duration, and
// whether audio exists. A track that ffmpeg could not use (no samples, no durations, samples past the end
// of the file) is refused with its reason.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/probe/byte_source.h"
#include "engine/probe/frame_rate.h"
#include "engine/probe/parameter_sets.h"

namespace tessellane {

// What an avcC or hvcC box says of the stream it configures.
struct CodecConfiguration {
    int profile = 0;
    // avcC's extension for the high profiles, or hvcC's own fields; absent when the box has none.
    std::optional<int> chromaFormat;
    std::optional<int> bitDepthLuma;
    // Its first sequence parameter set, when that reads.
    std::optional<SequenceParameters> sequence;
};

// The first video sample description: its code and size, and the boxes after them that describe the picture.
// Each is absent when the file does not carry it.
struct FormatDescription {
    std::uint32_t code = 0;  // four-character code, most significant byte first
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::optional<std::int64_t> depth;
    std::optional<ColourCodes> colour;  // the colr box: nclc has no range flag, nclx (18 or 19 bytes) may
    std::optional<PixelAspect> pixelAspect;  // pasp
    std::optional<CodecConfiguration> configuration;
};

struct VideoTrack {
    FormatDescription format;
    FrameRate frameRate;        // the real rate of its samples
    std::uint64_t samples = 0;  // how many the tables and fragments list
    // The samples presented inside its edit list's edits, when it has one that could be counted.
    std::optional<std::uint64_t> presentedSamples;
    double durationSeconds = 0.0;  // the track's length (its edit list when it has one)
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
    audioOnly,     // a readable movie whose tracks are sound and nothing else
    noSamples,     // a video track that lists no samples (an initialisation segment)
    unknownRate,   // samples without usable durations (all zero, or no time scale)
    dataPastEnd,   // the video samples lie past the end of the file: a download cut short
};

// The first audio track's first sample description.
struct AudioTrack {
    std::uint32_t code = 0;  // four-character code; 0 when the track has no readable description
    int channels = 0;        // 0 when not said
};

struct MovieInfo {
    std::optional<VideoTrack> video;  // present exactly when error is none
    bool hasAudio = false;
    AudioTrack audio;  // of the first track whose handler is soun, when hasAudio
    MovieReadError error = MovieReadError::none;
};

MovieInfo readMovie(ByteSource& source);

}  // namespace tessellane
