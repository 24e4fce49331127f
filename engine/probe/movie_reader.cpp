// The box walk from the top of the file down to the chosen video track: moov, trak and its headers, mdia,
// minf, stbl. The tables are parsed in movie_sample_tables.cpp, the fragments in movie_fragments.cpp.
#include "engine/probe/movie_reader.h"

#include <cmath>
#include <numbers>

#include "engine/probe/movie_boxes.h"

namespace tessellane {
namespace movie_boxes {

Error readBox(ByteReader& parent, Box& box) {
    const std::uint64_t available = parent.remaining();
    box.offset = parent.start() + parent.position();
    std::uint8_t header[16];
    if (available < 8) return Error::truncated;
    if (!parent.readBytes(header, 8)) return Error::cannotRead;
    std::uint64_t size = decodeUnsigned<std::uint32_t>(header, 4, Endian::big);
    box.type = decodeUnsigned<std::uint32_t>(header + 4, 4, Endian::big);
    std::uint64_t headerSize = 8;
    if (size == 1) {
        if (available < 16) return Error::truncated;
        if (!parent.readBytes(header + 8, 8)) return Error::cannotRead;
        size = decodeUnsigned<std::uint64_t>(header + 8, 8, Endian::big);
        headerSize = 16;
    } else if (size == 0) {
        size = available;
    }
    if (size < headerSize) return Error::malformed;
    if (size > available) return Error::truncated;
    if (!parent.sub(size - headerSize, box.payload)) return Error::truncated;
    return Error::none;
}

Error readFullBoxHeader(ByteReader& box, FullBoxHeader& header) {
    if (!box.read(header.version) || !box.read(header.flags, Endian::big, 3)) return failure(box);
    return Error::none;
}

namespace {

struct TimeHeader {
    std::uint32_t timescale = 0;
    std::uint64_t duration = 0;
};

// What one trak holds that the probe may need; the tables are parsed only for the chosen video track.
struct Track {
    std::uint32_t id = 0;
    std::uint32_t handler = 0;
    int rotation = 0;
    TimeHeader media;
    std::optional<ByteReader> stsd, stts, ctts, elst;
    SampleTables placement;
};

// What the movie box holds: its header, the first video track, and whether any track is audio.
struct Movie {
    WalkBudget budget;
    TimeHeader header;
    Fragments fragments;
    std::optional<Track> video;
    bool hasAudio = false;
    AudioTrack audio;
    std::size_t tracks = 0;
};

// mvhd and mdhd begin alike: version and flags, two times (4 or 8 bytes by version), a time scale and a
// duration (4 or 8).
Error parseTimeHeader(ByteReader box, TimeHeader& out) {
    FullBoxHeader header;
    if (Error error = readFullBoxHeader(box, header); error != Error::none) return error;
    if (header.version > 1) return Error::malformed;
    if (header.version == 1) {
        if (!box.skip(16) || !box.read(out.timescale) || !box.read(out.duration)) return failure(box);
        return Error::none;
    }
    std::uint32_t duration = 0;
    if (!box.skip(8) || !box.read(out.timescale) || !box.read(duration)) return failure(box);
    out.duration = duration;
    return Error::none;
}

// hdlr: version and flags, a predefined (component type) field, then the handler type.
Error parseHdlr(ByteReader hdlr, std::uint32_t& handler) {
    FullBoxHeader header;
    if (Error error = readFullBoxHeader(hdlr, header); error != Error::none) return error;
    if (!hdlr.skip(4) || !hdlr.read(handler)) return failure(hdlr);
    return Error::none;
}

// The whole degrees, 0 to 359, by which ffmpeg turns a track's picture for display, from the track header's
// matrix (a b u / c d v / x y w, a to d in 16.16), worked out as ffmpeg works it out. A flip about an axis
// comes out as 0 or 180; a flip about a diagonal as 90 or 270, and ffmpeg shows it transposed too.
int displayRotation(const std::int32_t (&matrix)[9]) {
    const double a = matrix[0] / 65536.0, b = matrix[1] / 65536.0;
    const double c = matrix[3] / 65536.0, d = matrix[4] / 65536.0;
    const double scaleX = std::hypot(a, c), scaleY = std::hypot(b, d);
    if (scaleX == 0 || scaleY == 0) return 0;  // a degenerate matrix turns nothing
    const long degrees = std::lround(std::atan2(b / scaleY, a / scaleX) * 180 / std::numbers::pi);
    return static_cast<int>((degrees % 360 + 360) % 360);
}

// tkhd: version and flags, two times (4 or 8 bytes each by version), the track id, reserved (4), duration
// (4 or 8), reserved (8), layer, alternate group, volume, reserved (2 each), then the display matrix. A box
// too short for its id is damaged; one that ends inside the matrix keeps its track, shown unturned, so that
// a cut-off matrix never turns a picture or makes a readable file unreadable.
Error parseTkhd(ByteReader tkhd, Track& track) {
    FullBoxHeader header;
    if (Error error = readFullBoxHeader(tkhd, header); error != Error::none) return error;
    const bool wide = header.version == 1;
    if (!tkhd.skip(wide ? 16 : 8) || !tkhd.read(track.id)) return failure(tkhd);
    track.rotation = 0;
    if (!tkhd.skip(4 + (wide ? 8 : 4) + 8 + 8)) return Error::none;
    std::int32_t matrix[9];
    for (std::int32_t& value : matrix) {
        std::uint32_t raw = 0;
        if (!tkhd.read(raw)) return tkhd.sourceFailed() ? Error::cannotRead : Error::none;
        value = static_cast<std::int32_t>(raw);
    }
    track.rotation = displayRotation(matrix);
    return Error::none;
}

// edts: only its first elst counts.
Error parseEdts(WalkBudget& budget, ByteReader edts, Track& track) {
    return forEachChild(budget, edts, [&](const Box& child) {
        if (child.type == fourcc("elst") && !track.elst) track.elst = child.payload;
        return Error::none;
    });
}

// stbl: the tables are kept as readers and parsed later, for the video track alone.
Error parseStbl(WalkBudget& budget, ByteReader stbl, Track& track) {
    SampleTables& placement = track.placement;
    const std::pair<std::uint32_t, std::optional<ByteReader>*> tables[] = {
        {fourcc("stsd"), &track.stsd},     {fourcc("stts"), &track.stts},
        {fourcc("ctts"), &track.ctts},     {fourcc("stsz"), &placement.stsz},
        {fourcc("stz2"), &placement.stz2}, {fourcc("stsc"), &placement.stsc},
        {fourcc("stco"), &placement.stco}, {fourcc("co64"), &placement.co64},
    };
    return forEachChild(budget, stbl, [&](const Box& child) {
        for (const auto& [type, table] : tables)
            if (child.type == type && !*table) *table = child.payload;
        return Error::none;
    });
}

Error parseMinf(WalkBudget& budget, ByteReader minf, Track& track) {
    return forEachChild(budget, minf, [&](const Box& child) {
        return child.type == fourcc("stbl") ? parseStbl(budget, child.payload, track) : Error::none;
    });
}

Error parseMdia(WalkBudget& budget, ByteReader mdia, Track& track) {
    return forEachChild(budget, mdia, [&](const Box& child) {
        switch (child.type) {
            case fourcc("mdhd"):
                return parseTimeHeader(child.payload, track.media);
            case fourcc("hdlr"):
                return parseHdlr(child.payload, track.handler);
            case fourcc("minf"):
                return parseMinf(budget, child.payload, track);
            default:
                return Error::none;
        }
    });
}

Error parseTrak(WalkBudget& budget, ByteReader trak, Track& track) {
    return forEachChild(budget, trak, [&](const Box& child) {
        switch (child.type) {
            case fourcc("tkhd"):
                return parseTkhd(child.payload, track);
            case fourcc("edts"):
                return parseEdts(budget, child.payload, track);
            case fourcc("mdia"):
                return parseMdia(budget, child.payload, track);
            default:
                return Error::none;
        }
    });
}

Error parseMoov(ByteReader moov, Movie& movie) {
    return forEachChild(movie.budget, moov, [&](const Box& child) {
        switch (child.type) {
            case fourcc("mvhd"):
                return parseTimeHeader(child.payload, movie.header);
            case fourcc("mvex"):
                return parseMvex(movie.budget, child.payload, movie.fragments);
            case fourcc("trak"): {
                if (++movie.tracks > limits::kMaxTracks) return Error::tooLarge;
                Track track;
                if (Error error = parseTrak(movie.budget, child.payload, track); error != Error::none)
                    return error;
                if (track.handler == fourcc("soun") && !movie.hasAudio) {
                    movie.hasAudio = true;
                    // A damaged sound description leaves the sound unnamed; the picture is what must read.
                    if (track.stsd) parseAudioStsd(*track.stsd, movie.audio);
                }
                if (track.handler == fourcc("vide") && !movie.video) movie.video = track;
                return Error::none;
            }
            default:
                return Error::none;
        }
    });
}

// The track's length: mehd for a fragmented movie (an edit list written before the fragments covers only
// the samples known then), else the non-empty edits, else the media's own length. Where the edit list
// keeps less than the media, the frames it keeps are counted: those presented inside its edits.
Error trackSeconds(const Movie& movie, const Track& track, double mediaSeconds, VideoTrack& video) {
    const double movieTimescale = movie.header.timescale, mediaTimescale = track.media.timescale;
    video.durationSeconds = mediaSeconds;
    if (movie.fragments.present) {
        if (movie.fragments.duration > 0 && movieTimescale > 0)
            video.durationSeconds = static_cast<double>(movie.fragments.duration) / movieTimescale;
        return Error::none;
    }
    EditList list;
    if (track.elst) {
        if (Error error = parseElst(*track.elst, list); error != Error::none) return error;
    }
    if (!list.present || movieTimescale <= 0) return Error::none;
    video.durationSeconds = list.total / movieTimescale;
    if (!track.stts || !list.allKept || mediaTimescale <= 0) return Error::none;
    constexpr double kFar = double(std::int64_t(1) << 62);
    std::uint64_t presented = 0;
    for (const Edit& edit : list.edits) {
        const double from = std::min<double>(edit.mediaTime, kFar);
        const double to =
            std::min(from + static_cast<double>(edit.duration) * mediaTimescale / movieTimescale, kFar);
        std::uint64_t count = 0;
        const Error error = countPresented(*track.stts, track.ctts, static_cast<std::int64_t>(from),
                                           static_cast<std::int64_t>(to), count);
        if (error != Error::none) return error;
        presented = saturatingAdd(presented, count);
    }
    video.presentedSamples = presented;
    return Error::none;
}

// The track as ffmpeg will see it: its description, its samples (the movie box's, then the fragments'),
// their rate and place in the file, and its length. A track with nothing ffmpeg could decode is refused.
Error readVideoTrack(ByteSource& file, Movie& movie, std::uint64_t moovEnd, VideoTrack& video) {
    const Track& track = *movie.video;
    if (!track.stsd) return Error::noVideoTrack;
    Error error = parseStsd(*track.stsd, video.format);
    if (error != Error::none) return error;

    SampleDurations durations(track.media.timescale);
    if (track.stts && (error = parseStts(*track.stts, durations)) != Error::none) return error;
    std::optional<std::uint64_t> placed;
    if ((error = readSampleData(track.placement, file.size(), placed)) != Error::none) return error;
    const std::uint64_t timedInMovieBox = durations.samples(), ticksInMovieBox = durations.ticks();
    if (movie.fragments.present) {
        std::uint32_t trexDuration = 0;
        for (const auto& [id, duration] : movie.fragments.defaultDurations)
            if (id == track.id) trexDuration = duration;
        error = readFragments(movie.budget, file, moovEnd, track.id, trexDuration, durations);
        if (error != Error::none) return error;
    }
    // The size table counts the movie box's samples where there is one; the fragments add theirs.
    video.samples = saturatingAdd(placed.value_or(timedInMovieBox), durations.samples() - timedInMovieBox);
    if (video.samples == 0) return Error::noSamples;
    const std::optional<FrameRate> rate = measureFrameRate(durations);
    if (!rate) return Error::unknownRate;
    video.frameRate = *rate;

    // The media header's duration does not count the fragments' samples.
    const double timescale = track.media.timescale;
    const std::uint64_t ticks = saturatingAdd(track.media.duration, durations.ticks() - ticksInMovieBox);
    const double mediaSeconds = timescale > 0 ? static_cast<double>(ticks) / timescale : 0.0;
    video.rotation = track.rotation;
    return trackSeconds(movie, track, mediaSeconds, video);
}

// The movie box, read through one cache; then the fragments after it, if mvex announced them.
Error readMovieBox(ByteSource& file, const Box& moov, MovieInfo& info) {
    WindowedSource window(file, moov.offset, moov.payload.end(), limits::kMovieReadWindow);
    Movie movie;
    Error error = parseMoov(ByteReader(window, moov.payload.start(), moov.payload.end()), movie);
    if (error != Error::none) return error;
    if (!movie.video) return movie.hasAudio ? Error::audioOnly : Error::noVideoTrack;
    VideoTrack video;
    if ((error = readVideoTrack(file, movie, moov.payload.end(), video)) != Error::none) return error;
    info.video = video;
    info.hasAudio = movie.hasAudio;
    info.audio = movie.audio;
    return Error::none;
}

}  // namespace
}  // namespace movie_boxes

MovieInfo readMovie(ByteSource& source) {
    using namespace movie_boxes;
    MovieInfo info;
    ByteReader file(source);
    for (std::size_t count = 0;; ++count) {
        if (file.remaining() < 8) {
            info.error = Error::noMovieBox;
            break;
        }
        if (count >= limits::kMaxTopLevelBoxes) {
            info.error = Error::tooLarge;
            break;
        }
        Box box;
        if (const Error error = readBox(file, box); error != Error::none) {
            // Only a movie box cut short is a truncated movie; any other broken box just means there is
            // no movie box to be found (a text file, a half-copied mdat).
            info.error = box.type == fourcc("moov") && error == Error::truncated ? Error::truncated
                         : error == Error::cannotRead                            ? Error::cannotRead
                                                                                 : Error::noMovieBox;
            break;
        }
        // mdat and everything else: skipped by size, never read.
        if (box.type == fourcc("moov")) {
            info.error = readMovieBox(source, box, info);
            break;
        }
    }
    if (info.error != Error::none) {
        info.video.reset();
        info.hasAudio = false;
        info.audio = {};
    }
    return info;
}

}  // namespace tessellane
