// Fragmented movies: mvex in the movie box (mehd, trex), then moof boxes after it whose track fragments
// (traf: tfhd, trun) list the samples.
#include "engine/probe/movie_boxes.h"

namespace tessellane::movie_boxes {
namespace {

// mehd: the total duration of a fragmented movie, in the movie time scale (8 bytes in version 1).
Error parseMehd(ByteReader mehd, Fragments& fragments) {
    FullBoxHeader header;
    if (Error error = readFullBoxHeader(mehd, header); error != Error::none) return error;
    if (!mehd.read(fragments.duration, Endian::big, header.version == 1 ? 8 : 4)) return failure(mehd);
    return Error::none;
}

// trex: track id, default sample description index, default sample duration, and more defaults unused.
Error parseTrex(ByteReader trex, Fragments& fragments) {
    FullBoxHeader header;
    std::uint32_t id = 0, descriptionIndex = 0, duration = 0;
    if (Error error = readFullBoxHeader(trex, header); error != Error::none) return error;
    if (!trex.read(id) || !trex.read(descriptionIndex) || !trex.read(duration)) return failure(trex);
    if (fragments.defaultDurations.size() >= limits::kMaxTracks) return Error::tooLarge;
    fragments.defaultDurations.emplace_back(id, duration);
    return Error::none;
}

// One track fragment as it is walked: whether it belongs to the video track and its default duration.
struct TrackFragment {
    std::uint32_t trackId = 0;
    bool ours = false;
    std::uint32_t defaultDuration = 0;
    std::uint64_t samplesBefore = 0;  // those of the movie box, which the fragments' limit leaves out
};

// tfhd: flags, track id, then optional fields by flag: base data offset (0x01, 8 bytes), sample description
// index (0x02, 4), default sample duration (0x08, 4).
Error parseTfhd(ByteReader tfhd, TrackFragment& fragment) {
    FullBoxHeader header;
    std::uint32_t id = 0;
    if (Error error = readFullBoxHeader(tfhd, header); error != Error::none) return error;
    const std::uint32_t flags = header.flags;
    if (!tfhd.read(id)) return failure(tfhd);
    fragment.ours = id == fragment.trackId;
    if (!tfhd.skip((flags & 0x01) ? 8 : 0) || !tfhd.skip((flags & 0x02) ? 4 : 0)) return failure(tfhd);
    if ((flags & 0x08) && !tfhd.read(fragment.defaultDuration)) return failure(tfhd);
    return Error::none;
}

// trun: flags, sample count, optional data offset (0x01) and first-sample flags (0x04), then one record per
// sample whose fields the flags 0x100 (duration, first), 0x200, 0x400 and 0x800 switch on, 4 bytes each.
Error parseTrun(ByteReader trun, const TrackFragment& fragment, SampleDurations& durations) {
    FullBoxHeader header;
    std::uint32_t count = 0;
    if (Error error = readFullBoxHeader(trun, header); error != Error::none) return error;
    const std::uint32_t flags = header.flags;
    if (!trun.read(count)) return failure(trun);
    if (count > limits::kMaxTableEntries - (durations.samples() - fragment.samplesBefore))
        return Error::tooLarge;
    const std::uint64_t optional = ((flags & 0x01) ? 4 : 0) + ((flags & 0x04) ? 4 : 0);
    const std::uint64_t recordSize =
        4 * (((flags >> 8) & 1) + ((flags >> 9) & 1) + ((flags >> 10) & 1) + ((flags >> 11) & 1));
    if (!trun.skip(optional) || std::uint64_t(count) * recordSize > trun.remaining()) return Error::truncated;
    if (!(flags & 0x100)) {
        durations.add(count, fragment.defaultDuration);
        return Error::none;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t duration = 0;
        if (!trun.read(duration) || !trun.skip(recordSize - 4)) return failure(trun);
        durations.add(1, duration);
    }
    return Error::none;
}

Error parseTraf(WalkBudget& budget, ByteReader traf, TrackFragment fragment, SampleDurations& durations) {
    return forEachChild(budget, traf, [&](const Box& child) {
        if (child.type == fourcc("tfhd")) return parseTfhd(child.payload, fragment);
        if (child.type == fourcc("trun") && fragment.ours)
            return parseTrun(child.payload, fragment, durations);
        return Error::none;
    });
}

Error parseMoof(WalkBudget& budget, ByteReader moof, const TrackFragment& track, SampleDurations& durations) {
    return forEachChild(budget, moof, [&](const Box& child) {
        return child.type == fourcc("traf") ? parseTraf(budget, child.payload, track, durations)
                                            : Error::none;
    });
}

}  // namespace

Error parseMvex(WalkBudget& budget, ByteReader mvex, Fragments& fragments) {
    fragments.present = true;
    return forEachChild(budget, mvex, [&](const Box& child) {
        switch (child.type) {
            case fourcc("mehd"):
                return parseMehd(child.payload, fragments);
            case fourcc("trex"):
                return parseTrex(child.payload, fragments);
            default:
                return Error::none;
        }
    });
}

// A fragment cut short (a recording that stopped) ends the walk with what was complete.
Error readFragments(WalkBudget& budget, ByteSource& source, std::uint64_t from, std::uint32_t trackId,
                    std::uint32_t trexDuration, SampleDurations& durations) {
    const TrackFragment track{trackId, false, trexDuration, durations.samples()};
    ByteReader file(source, from, source.size());
    for (std::size_t count = 0; file.remaining() >= 8; ++count) {
        if (count >= limits::kMaxFragmentBoxes) return Error::tooLarge;
        Box box;
        const Error error = readBox(file, box);
        if (error == Error::truncated) break;
        if (error != Error::none) return error;
        if (box.type != fourcc("moof")) continue;
        // Each moof through its own cache, like the movie box.
        WindowedSource window(source, box.offset, box.payload.end(), limits::kMovieReadWindow);
        const ByteReader moof(window, box.payload.start(), box.payload.end());
        if (const Error moofError = parseMoof(budget, moof, track, durations); moofError != Error::none)
            return moofError;
    }
    return Error::none;
}

}  // namespace tessellane::movie_boxes
