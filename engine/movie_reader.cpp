#include "engine/movie_reader.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "engine/byte_reader.h"
#include "engine/probe_limits.h"

namespace tessellane {
namespace {

using Error = MovieReadError;

constexpr std::uint32_t fourcc(const char (&text)[5]) {
    return (std::uint32_t(std::uint8_t(text[0])) << 24) | (std::uint32_t(std::uint8_t(text[1])) << 16) |
           (std::uint32_t(std::uint8_t(text[2])) << 8) | std::uint32_t(std::uint8_t(text[3]));
}

// Where a box lies in the file: its type, where its payload starts and where it ends.
struct Box {
    std::uint32_t type = 0;
    std::uint64_t offset = 0;
    std::uint64_t payload = 0;
    std::uint64_t end = 0;
    std::uint64_t payloadSize() const { return end - payload; }
};

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

// Reads the header of the box at `offset`, which must end by `end`. A size of 1 means a 64-bit size
// follows the type; a size of 0 means the box runs to `end`. The type is filled in even on failure.
Error readBoxHeader(ByteSource& source, std::uint64_t offset, std::uint64_t end, Box& box) {
    std::uint8_t header[16];
    if (offset > end || end - offset < 8) return Error::truncated;
    if (!source.readAt(offset, header, 8)) return Error::cannotRead;
    std::uint64_t size = bigEndian32(header);
    box.type = bigEndian32(header + 4);
    box.offset = offset;
    std::uint64_t headerSize = 8;
    if (size == 1) {
        if (end - offset < 16) return Error::truncated;
        if (!source.readAt(offset + 8, header + 8, 8)) return Error::cannotRead;
        size = (std::uint64_t(bigEndian32(header + 8)) << 32) | bigEndian32(header + 12);
        headerSize = 16;
    } else if (size == 0) {
        size = end - offset;
    }
    if (size < headerSize) return Error::malformed;
    if (size > end - offset) return Error::truncated;
    box.payload = offset + headerSize;
    box.end = offset + size;
    return Error::none;
}

// Boxes visited in one movie so far: per-parent limits alone would multiply with the nesting.
struct WalkBudget {
    std::size_t boxes = 0;
};

// Calls visit(child) for each child box of `parent`, in order. Fewer than 8 bytes left at the end (the
// 4-byte terminator some QuickTime writers add) end the walk quietly.
template <typename Visit>
Error forEachChild(WalkBudget& budget, ByteSource& source, const Box& parent, int depth, Visit&& visit) {
    if (depth > limits::kMaxBoxDepth) return Error::tooLarge;
    std::uint64_t position = parent.payload;
    std::size_t count = 0;
    while (parent.end - position >= 8) {
        if (++count > limits::kMaxChildBoxes || ++budget.boxes > limits::kMaxBoxesPerMovie)
            return Error::tooLarge;
        Box child;
        Error error = readBoxHeader(source, position, parent.end, child);
        // A child that runs past its parent contradicts the parent's size.
        if (error == Error::truncated) return Error::malformed;
        if (error != Error::none) return error;
        error = visit(child);
        if (error != Error::none) return error;
        position = child.end;
    }
    return Error::none;
}

// Copies a box's payload into memory, refusing boxes larger than the limit before allocating.
Error readPayload(ByteSource& source, const Box& box, std::vector<std::uint8_t>& out) {
    if (box.payloadSize() > limits::kMaxBoxBytesInMemory) return Error::tooLarge;
    out.resize(static_cast<std::size_t>(box.payloadSize()));
    if (!source.readAt(box.payload, out.data(), out.size())) return Error::cannotRead;
    return Error::none;
}

struct MovieHeader {
    std::uint32_t timescale = 0;
    std::uint64_t duration = 0;
};

// mvhd and mdhd begin alike: version and flags, two times, a time scale and a duration.
Error readTimeHeader(ByteSource& source, const Box& box, MovieHeader& out) {
    std::uint8_t bytes[32];
    std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(box.payloadSize(), sizeof bytes));
    if (!source.readAt(box.payload, bytes, wanted)) return Error::cannotRead;
    ByteReader reader(bytes, wanted);
    std::uint8_t version = 0;
    if (!reader.readU8(version) || !reader.skip(3)) return Error::malformed;
    if (version == 0) {
        std::uint32_t duration = 0;
        if (!reader.skip(8) || !reader.readU32(out.timescale) || !reader.readU32(duration))
            return Error::malformed;
        out.duration = duration;
    } else if (version == 1) {
        if (!reader.skip(16) || !reader.readU32(out.timescale) || !reader.readU64(out.duration))
            return Error::malformed;
    } else {
        return Error::malformed;
    }
    return Error::none;
}

Error readHandlerType(ByteSource& source, const Box& box, std::uint32_t& handler) {
    std::uint8_t bytes[12];
    if (box.payloadSize() < sizeof bytes) return Error::malformed;
    if (!source.readAt(box.payload, bytes, sizeof bytes)) return Error::cannotRead;
    handler = bigEndian32(bytes + 8);
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
Error readTrackHeader(ByteSource& source, const Box& box, std::uint32_t& id, int& rotation) {
    std::uint8_t bytes[88];
    std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(box.payloadSize(), sizeof bytes));
    if (!source.readAt(box.payload, bytes, wanted)) return Error::cannotRead;
    ByteReader reader(bytes, wanted);
    std::uint8_t version = 0;
    if (!reader.readU8(version) || !reader.skip(3) || !reader.skip(version == 1 ? 16 : 8) ||
        !reader.readU32(id))
        return Error::malformed;
    rotation = 0;
    std::int32_t matrix[9];
    if (!reader.skip(4 + (version == 1 ? 8 : 4) + 8 + 8)) return Error::none;
    for (std::int32_t& value : matrix) {
        std::uint32_t raw = 0;
        if (!reader.readU32(raw)) return Error::none;
        value = static_cast<std::int32_t>(raw);
    }
    rotation = displayRotation(matrix);
    return Error::none;
}

// What one trak holds that the probe may need; the tables are parsed only for the chosen video track.
struct Track {
    std::uint32_t id = 0;
    std::uint32_t handler = 0;
    int rotation = 0;
    MovieHeader media;
    std::optional<Box> stsd, stts, elst;
};

Error readTrack(WalkBudget& budget, ByteSource& source, const Box& trak, int depth, Track& track) {
    return forEachChild(budget, source, trak, depth + 1, [&](const Box& child) -> Error {
        if (child.type == fourcc("tkhd")) return readTrackHeader(source, child, track.id, track.rotation);
        if (child.type == fourcc("edts")) {
            return forEachChild(budget, source, child, depth + 2, [&](const Box& edit) -> Error {
                if (edit.type == fourcc("elst") && !track.elst) track.elst = edit;
                return Error::none;
            });
        }
        if (child.type != fourcc("mdia")) return Error::none;
        return forEachChild(budget, source, child, depth + 2, [&](const Box& media) -> Error {
            if (media.type == fourcc("mdhd")) return readTimeHeader(source, media, track.media);
            if (media.type == fourcc("hdlr")) return readHandlerType(source, media, track.handler);
            if (media.type != fourcc("minf")) return Error::none;
            return forEachChild(budget, source, media, depth + 3, [&](const Box& info) -> Error {
                if (info.type != fourcc("stbl")) return Error::none;
                return forEachChild(budget, source, info, depth + 4, [&](const Box& table) -> Error {
                    if (table.type == fourcc("stsd") && !track.stsd) track.stsd = table;
                    if (table.type == fourcc("stts") && !track.stts) track.stts = table;
                    return Error::none;
                });
            });
        });
    });
}

// The boxes inside a video sample entry that carry extensions: colr and hvcC. Damage after the fixed
// fields ends the walk quietly; the entry's own fields are still good.
void readSampleEntryExtensions(ByteReader children, FormatDescription& format) {
    bool haveColour = false;
    std::size_t count = 0;
    while (children.remaining() >= 8 && ++count <= limits::kMaxChildBoxes) {
        std::uint32_t size32 = 0, type = 0;
        children.readU32(size32);
        children.readU32(type);
        std::uint64_t size = size32, headerSize = 8;
        if (size == 1) {
            if (!children.readU64(size)) return;
            headerSize = 16;
        } else if (size == 0) {
            size = children.remaining() + headerSize;
        }
        if (size < headerSize || size - headerSize > children.remaining()) return;
        ByteReader payload;
        children.sub(static_cast<std::size_t>(size - headerSize), payload);

        if (type == fourcc("colr") && !haveColour) {
            std::uint32_t colourType = 0;
            std::uint16_t primaries = 0, transfer = 0, matrix = 0;
            if (!payload.readU32(colourType)) continue;
            bool nclc = colourType == fourcc("nclc"), nclx = colourType == fourcc("nclx");
            if (!nclc && !nclx) continue;  // an ICC profile carries no codes
            if (!payload.readU16(primaries) || !payload.readU16(transfer) || !payload.readU16(matrix))
                continue;
            std::uint8_t rangeByte = 0;
            if (nclx && !payload.readU8(rangeByte)) continue;
            haveColour = true;
            format.colorPrimaries = colorPrimariesName(primaries);
            format.transferFunction = transferFunctionName(transfer);
            format.yCbCrMatrix = yCbCrMatrixName(matrix);
            if (nclx) format.fullRangeVideo = (rangeByte & 0x80) != 0;
        } else if (type == fourcc("hvcC")) {
            std::uint8_t bitDepth = 0;
            if (payload.skip(17) && payload.readU8(bitDepth)) format.bitsPerComponent = (bitDepth & 7) + 8;
        }
    }
}

// The first sample description of stsd, read as a video sample entry.
Error readSampleDescription(ByteSource& source, const Box& stsd, FormatDescription& format) {
    std::uint8_t head[8];
    if (stsd.payloadSize() < sizeof head) return Error::malformed;
    if (!source.readAt(stsd.payload, head, sizeof head)) return Error::cannotRead;
    if (bigEndian32(head + 4) == 0) return Error::noVideoTrack;
    Box entry;
    Error error = readBoxHeader(source, stsd.payload + 8, stsd.end, entry);
    if (error == Error::truncated) return Error::malformed;
    if (error != Error::none) return error;
    std::vector<std::uint8_t> bytes;
    if ((error = readPayload(source, entry, bytes)) != Error::none) return error;

    // Offsets below count from the end of the entry's header: reserved(6) data reference index(2),
    // version, revision, vendor, temporal and spatial quality (16), width and height at 24, resolutions,
    // data size, frame count, compressor name (32), depth at 74, colour table id, then child boxes at 78.
    ByteReader reader(bytes.data(), bytes.size());
    std::uint16_t width = 0, height = 0, depth = 0;
    if (!reader.seek(24) || !reader.readU16(width) || !reader.readU16(height)) return Error::malformed;
    if (!reader.seek(74) || !reader.readU16(depth) || !reader.skip(2)) return Error::malformed;
    format.code = entry.type;
    format.width = width;
    format.height = height;
    format.depth = depth;
    readSampleEntryExtensions(ByteReader(reader.current(), reader.remaining()), format);
    return Error::none;
}

// Sample durations summed up without keeping them: how many, the shortest used one, their total.
struct SampleTiming {
    std::uint64_t samples = 0;
    std::uint32_t minDelta = 0;
    std::uint64_t ticks = 0;
    // Saturates rather than wraps: a table of absurd counts ends in an absurd rate, never a small one.
    void add(std::uint32_t count, std::uint32_t delta) {
        samples = saturatingAdd(samples, count);
        ticks = saturatingAdd(ticks, std::uint64_t(count) * delta);  // the product fits in 64 bits
        if (count >= 1 && delta >= 1 && (minDelta == 0 || delta < minDelta)) minDelta = delta;
    }
    static std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
        return b > std::numeric_limits<std::uint64_t>::max() - a ? std::numeric_limits<std::uint64_t>::max()
                                                                 : a + b;
    }
};

// Walks the time-to-sample table without expanding it: the shortest delta of a used entry, and the
// total number of samples.
Error readSampleTimes(ByteSource& source, const Box& stts, SampleTiming& timing) {
    std::uint8_t head[8];
    if (stts.payloadSize() < sizeof head) return Error::malformed;
    if (!source.readAt(stts.payload, head, sizeof head)) return Error::cannotRead;
    std::uint32_t entries = bigEndian32(head + 4);
    if (entries > limits::kMaxTableEntries) return Error::tooLarge;
    if (std::uint64_t(entries) * 8 > stts.payloadSize() - 8) return Error::truncated;
    std::uint64_t position = stts.payload + 8;
    for (std::uint32_t i = 0; i < entries; ++i, position += 8) {
        std::uint8_t entry[8];
        if (!source.readAt(position, entry, sizeof entry)) return Error::cannotRead;
        timing.add(bigEndian32(entry), bigEndian32(entry + 4));
    }
    return Error::none;
}

// The length of the non-empty edits, in the movie's time scale; false when the list has no entries.
Error readEditList(ByteSource& source, const Box& elst, double& total, bool& present) {
    std::uint8_t head[8];
    present = false;
    total = 0;
    if (elst.payloadSize() < sizeof head) return Error::malformed;
    if (!source.readAt(elst.payload, head, sizeof head)) return Error::cannotRead;
    std::uint8_t version = head[0];
    if (version > 1) return Error::malformed;
    std::uint32_t entries = bigEndian32(head + 4);
    std::uint64_t entrySize = version == 1 ? 20 : 12;
    if (entries > limits::kMaxTableEntries) return Error::tooLarge;
    if (entries * entrySize > elst.payloadSize() - 8) return Error::truncated;
    std::uint64_t position = elst.payload + 8;
    for (std::uint32_t i = 0; i < entries; ++i, position += entrySize) {
        std::uint8_t entry[20];
        if (!source.readAt(position, entry, static_cast<std::size_t>(entrySize))) return Error::cannotRead;
        std::uint64_t duration;
        bool empty;
        if (version == 1) {
            duration = (std::uint64_t(bigEndian32(entry)) << 32) | bigEndian32(entry + 4);
            empty = bigEndian32(entry + 8) == 0xFFFFFFFFu && bigEndian32(entry + 12) == 0xFFFFFFFFu;
        } else {
            duration = bigEndian32(entry);
            empty = bigEndian32(entry + 4) == 0xFFFFFFFFu;
        }
        if (!empty) total += static_cast<double>(duration);
    }
    present = entries > 0;
    return Error::none;
}

// What mvex says of a fragmented movie: its total length and each track's default sample duration.
struct Fragments {
    bool present = false;
    std::uint64_t duration = 0;  // mehd, in the movie time scale; 0 when absent
    std::vector<std::pair<std::uint32_t, std::uint32_t>> defaultDurations;  // trex: track id, duration
};

Error readMovieExtends(WalkBudget& budget, ByteSource& source, const Box& mvex, Fragments& fragments) {
    fragments.present = true;
    return forEachChild(budget, source, mvex, 2, [&](const Box& child) -> Error {
        std::uint8_t bytes[16];
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(child.payloadSize(), 16));
        if (child.type != fourcc("mehd") && child.type != fourcc("trex")) return Error::none;
        if (!source.readAt(child.payload, bytes, wanted)) return Error::cannotRead;
        ByteReader reader(bytes, wanted);
        std::uint8_t version = 0;
        if (!reader.readU8(version) || !reader.skip(3)) return Error::malformed;
        if (child.type == fourcc("mehd")) {
            std::uint32_t duration32 = 0;
            if (version == 1 ? !reader.readU64(fragments.duration) : !reader.readU32(duration32))
                return Error::malformed;
            if (version != 1) fragments.duration = duration32;
            return Error::none;
        }
        std::uint32_t id = 0, descriptionIndex = 0, duration = 0;
        if (!reader.readU32(id) || !reader.readU32(descriptionIndex) || !reader.readU32(duration))
            return Error::malformed;
        if (fragments.defaultDurations.size() >= limits::kMaxTracks) return Error::tooLarge;
        fragments.defaultDurations.emplace_back(id, duration);
        return Error::none;
    });
}

// One track fragment (traf): tfhd names the track and may set a default duration; each trun lists its
// samples, with or without a duration of their own.
Error readTrackFragment(WalkBudget& budget, ByteSource& source, const Box& traf, std::uint32_t trackId,
                        std::uint32_t trexDuration, SampleTiming& timing) {
    bool ours = false;
    std::uint32_t defaultDuration = trexDuration;
    return forEachChild(budget, source, traf, 3, [&](const Box& child) -> Error {
        std::uint8_t bytes[32];
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(child.payloadSize(), 32));
        if (child.type == fourcc("tfhd")) {
            if (!source.readAt(child.payload, bytes, wanted)) return Error::cannotRead;
            ByteReader reader(bytes, wanted);
            std::uint32_t flags = 0, id = 0;
            if (!reader.readU32(flags) || !reader.readU32(id)) return Error::malformed;
            ours = id == trackId;
            if (!reader.skip((flags & 0x01) ? 8 : 0) || !reader.skip((flags & 0x02) ? 4 : 0))
                return Error::malformed;
            if ((flags & 0x08) && !reader.readU32(defaultDuration)) return Error::malformed;
            return Error::none;
        }
        if (child.type != fourcc("trun") || !ours) return Error::none;
        if (!source.readAt(child.payload, bytes, std::min<std::size_t>(wanted, 8)) || wanted < 8)
            return Error::malformed;
        const std::uint32_t flags = bigEndian32(bytes) & 0xFFFFFF, count = bigEndian32(bytes + 4);
        if (count > limits::kMaxTableEntries - timing.samples) return Error::tooLarge;
        std::uint64_t position = child.payload + 8 + ((flags & 0x01) ? 4 : 0) + ((flags & 0x04) ? 4 : 0);
        const std::uint64_t recordSize =
            4 * (((flags >> 8) & 1) + ((flags >> 9) & 1) + ((flags >> 10) & 1) + ((flags >> 11) & 1));
        if (position > child.end || std::uint64_t(count) * recordSize > child.end - position)
            return Error::truncated;
        if (!(flags & 0x100)) {
            timing.add(count, defaultDuration);
            return Error::none;
        }
        for (std::uint32_t i = 0; i < count; ++i, position += recordSize) {
            std::uint8_t duration[4];
            if (!source.readAt(position, duration, 4)) return Error::cannotRead;
            timing.add(1, bigEndian32(duration));
        }
        return Error::none;
    });
}

// The movie fragments after the movie box. A fragment cut short (a recording that stopped) ends the walk
// with what was complete.
Error readFragments(WalkBudget& budget, ByteSource& file, std::uint64_t from, std::uint32_t trackId,
                    std::uint32_t trexDuration, SampleTiming& timing) {
    const std::uint64_t end = file.size();
    std::uint64_t position = from;
    for (std::size_t count = 0; end - position >= 8; ++count) {
        if (count >= limits::kMaxFragmentBoxes) return Error::tooLarge;
        Box box;
        Error error = readBoxHeader(file, position, end, box);
        if (error == Error::truncated) break;
        if (error != Error::none) return error;
        if (box.type == fourcc("moof")) {
            WindowedSource source(file, box.offset, box.end, limits::kMovieReadWindow);
            error = forEachChild(budget, source, box, 1, [&](const Box& traf) -> Error {
                if (traf.type != fourcc("traf")) return Error::none;
                return readTrackFragment(budget, source, traf, trackId, trexDuration, timing);
            });
            if (error != Error::none) return error;
        }
        position = box.end;
    }
    return Error::none;
}

Error readVideoTrack(ByteSource& source, const Track& track, std::uint32_t movieTimescale,
                     const Fragments& fragments, const SampleTiming& fragmentTiming, VideoTrack& video) {
    if (!track.stsd) return Error::noVideoTrack;
    Error error = readSampleDescription(source, *track.stsd, video.format);
    if (error != Error::none) return error;

    const std::uint32_t timescale = track.media.timescale;
    SampleTiming timing;
    if (track.stts && (error = readSampleTimes(source, *track.stts, timing)) != Error::none) return error;
    std::uint64_t mediaTicks = track.media.duration;
    if (fragments.present) {
        // The samples in the movie box come first, then those of every fragment.
        timing.samples = SampleTiming::saturatingAdd(timing.samples, fragmentTiming.samples);
        if (fragmentTiming.minDelta != 0 &&
            (timing.minDelta == 0 || fragmentTiming.minDelta < timing.minDelta))
            timing.minDelta = fragmentTiming.minDelta;
        mediaTicks = SampleTiming::saturatingAdd(mediaTicks, fragmentTiming.ticks);
    }
    if (timing.minDelta >= 1 && timescale >= 1 &&
        timescale <= std::uint32_t(std::numeric_limits<std::int32_t>::max()))
        video.minFrameDuration = {timing.minDelta, static_cast<std::int32_t>(timescale), true};

    const double mediaSeconds =
        timescale > 0 ? static_cast<double>(mediaTicks) / static_cast<double>(timescale) : 0.0;
    video.nominalFrameRate = mediaSeconds > 0 ? static_cast<double>(timing.samples) / mediaSeconds : 0.0;

    if (fragments.present) {
        // An edit list written before the fragments covers only the samples known then.
        video.durationSeconds =
            fragments.duration > 0 && movieTimescale > 0
                ? static_cast<double>(fragments.duration) / static_cast<double>(movieTimescale)
                : mediaSeconds;
        return Error::none;
    }
    double edited = 0;
    bool hasEdits = false;
    if (track.elst && (error = readEditList(source, *track.elst, edited, hasEdits)) != Error::none)
        return error;
    if (hasEdits && movieTimescale > 0)
        video.durationSeconds = edited / static_cast<double>(movieTimescale);
    else
        video.durationSeconds = mediaSeconds;
    return Error::none;
}

Error readMovieBox(ByteSource& file, const Box& moov, MovieInfo& info) {
    WindowedSource source(file, moov.offset, moov.end, limits::kMovieReadWindow);
    WalkBudget budget;
    MovieHeader movieHeader;
    Fragments fragments;
    std::optional<Track> video;
    std::size_t tracks = 0;
    Error error = forEachChild(budget, source, moov, 1, [&](const Box& child) -> Error {
        if (child.type == fourcc("mvhd")) return readTimeHeader(source, child, movieHeader);
        if (child.type == fourcc("mvex")) return readMovieExtends(budget, source, child, fragments);
        if (child.type != fourcc("trak")) return Error::none;
        if (++tracks > limits::kMaxTracks) return Error::tooLarge;
        Track track;
        Error trackError = readTrack(budget, source, child, 1, track);
        if (trackError != Error::none) return trackError;
        if (track.handler == fourcc("soun")) info.hasAudio = true;
        if (track.handler == fourcc("vide") && !video) video = track;
        return Error::none;
    });
    if (error != Error::none) return error;
    if (!video) return Error::noVideoTrack;
    SampleTiming fragmentTiming;
    if (fragments.present) {
        std::uint32_t trexDuration = 0;
        for (const auto& [id, duration] : fragments.defaultDurations)
            if (id == video->id) trexDuration = duration;
        error = readFragments(budget, file, moov.end, video->id, trexDuration, fragmentTiming);
        if (error != Error::none) return error;
    }
    VideoTrack result;
    error = readVideoTrack(source, *video, movieHeader.timescale, fragments, fragmentTiming, result);
    if (error != Error::none) return error;
    result.rotation = video->rotation;
    info.video = result;
    return Error::none;
}

}  // namespace

MovieInfo readMovie(ByteSource& source) {
    MovieInfo info;
    const std::uint64_t end = source.size();
    std::uint64_t position = 0;
    for (std::size_t count = 0;; ++count) {
        if (end - position < 8) {
            info.error = Error::noMovieBox;
            break;
        }
        if (count >= limits::kMaxTopLevelBoxes) {
            info.error = Error::tooLarge;
            break;
        }
        Box box;
        Error error = readBoxHeader(source, position, end, box);
        if (error != Error::none) {
            // Only a movie box cut short is a truncated movie; any other broken box just means there is
            // no movie box to be found (a text file, a half-copied mdat).
            info.error = box.type == fourcc("moov") && error == Error::truncated ? Error::truncated
                         : error == Error::cannotRead                            ? Error::cannotRead
                                                                                 : Error::noMovieBox;
            break;
        }
        if (box.type == fourcc("moov")) {
            info.error = readMovieBox(source, box, info);
            break;
        }
        position = box.end;  // mdat and everything else: skipped by size, never read
    }
    if (info.error != Error::none) {
        info.video.reset();
        info.hasAudio = false;
    }
    return info;
}

std::optional<std::string> colorPrimariesName(std::uint16_t code) {
    switch (code) {
        case 1:
            return "ITU_R_709_2";
        case 5:
            return "EBU_3213";
        case 6:
        case 7:
            return "SMPTE_C";
        case 9:
            return "ITU_R_2020";
        case 11:
            return "DCI_P3";
        case 12:
            return "P3_D65";
        default:
            return std::nullopt;
    }
}

std::optional<std::string> transferFunctionName(std::uint16_t code) {
    switch (code) {
        case 1:
            return "ITU_R_709_2";
        case 7:
            return "SMPTE_240M_1995";
        case 8:
            return "Linear";
        case 13:
            return "IEC_sRGB";
        case 14:
        case 15:
            return "ITU_R_2020";
        case 16:
            return "SMPTE_ST_2084_PQ";
        case 17:
            return "SMPTE_ST_428_1";
        case 18:
            return "ITU_R_2100_HLG";
        default:
            return std::nullopt;
    }
}

std::optional<std::string> yCbCrMatrixName(std::uint16_t code) {
    switch (code) {
        case 1:
            return "ITU_R_709_2";
        case 5:
        case 6:
            return "ITU_R_601_4";
        case 7:
            return "SMPTE_240M_1995";
        case 9:
        case 10:
            return "ITU_R_2020";
        default:
            return std::nullopt;
    }
}

}  // namespace tessellane
