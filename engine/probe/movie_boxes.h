// Inside the movie reader: the box walk and the parsers of the boxes it understands, one function per box
// kind, each handed a reader narrowed to its box's payload, so it cannot read past its box. To read a new
// box, add its parser beside its siblings' and name it in its parent's switch. Shared by movie_reader.cpp
// (the walk down to the track), movie_sample_tables.cpp and movie_fragments.cpp only.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "engine/probe/byte_reader.h"
#include "engine/probe/movie_reader.h"
#include "engine/probe/probe_limits.h"

namespace tessellane::movie_boxes {

using Error = MovieReadError;

constexpr std::uint32_t fourcc(const char (&text)[5]) {
    return decodeUnsigned<std::uint32_t>(text, 4, Endian::big);
}

// One box: its type, where its header starts in the source, and a reader over exactly its payload.
struct Box {
    std::uint32_t type = 0;
    std::uint64_t offset = 0;
    ByteReader payload;
};

// Reads the header of the box at the parent's cursor and moves the parent past the box. A size of 1 means a
// 64-bit size follows the type; a size of 0 means the box runs to the parent's end. `truncated` when the box
// runs past the parent; the type is filled in even then.
Error readBox(ByteReader& parent, Box& box);

// The start of every full box: a version byte and three bytes of flags.
struct FullBoxHeader {
    std::uint8_t version = 0;
    std::uint32_t flags = 0;
};
Error readFullBoxHeader(ByteReader& box, FullBoxHeader& header);

// Why a parser's reads stopped: its source failed, or its box is too short for what it claims.
inline Error failure(const ByteReader& reader) {
    return reader.sourceFailed() ? Error::cannotRead : Error::malformed;
}

// Boxes visited in one movie so far: per-parent limits alone would multiply with the nesting.
struct WalkBudget {
    std::size_t boxes = 0;
};

// Calls visit(child) for each child box of `parent`, in order, and stops at the first error. Fewer than 8
// bytes left at the end (the 4-byte terminator some QuickTime writers add) end the walk quietly. The walk
// goes down only where a parser asks it to, so nesting is bounded by the parsers, not by the file.
template <typename Visit>
Error forEachChild(WalkBudget& budget, ByteReader parent, Visit&& visit) {
    std::size_t count = 0;
    while (parent.remaining() >= 8) {
        if (++count > limits::kMaxChildBoxes || ++budget.boxes > limits::kMaxBoxesPerMovie)
            return Error::tooLarge;
        Box child;
        Error error = readBox(parent, child);
        // A child that runs past its parent contradicts the parent's size.
        if (error == Error::truncated) return Error::malformed;
        if (error != Error::none) return error;
        if ((error = visit(child)) != Error::none) return error;
    }
    return Error::none;
}

inline std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    return b > std::numeric_limits<std::uint64_t>::max() - a ? std::numeric_limits<std::uint64_t>::max()
                                                             : a + b;
}

// Sample tables (movie_sample_tables.cpp).

// stsd: its first sample description, read as a video sample entry with its colr, pasp, avcC and hvcC
// children.
Error parseStsd(ByteReader stsd, FormatDescription& format);
// stsd of a sound track: its first sample description's code and channel count (QuickTime version 2 keeps
// the count further on). Reads what it can: a description cut short keeps what came before the cut.
void parseAudioStsd(ByteReader stsd, AudioTrack& audio);
// stts: walked without expanding it.
Error parseStts(ByteReader stts, SampleDurations& durations);

// The tables that place a track's samples in the file.
struct SampleTables {
    std::optional<ByteReader> stsz, stz2, stsc, stco, co64;
};
// How many samples the size table lists that have a place in the file, checking that each chunk's samples
// end inside a file of `fileSize` bytes. Absent tables leave `samples` empty (a fragmented movie's are).
Error readSampleData(const SampleTables& tables, std::uint64_t fileSize,
                     std::optional<std::uint64_t>& samples);
// elst: its non-empty edits, each a media time (media time scale) and a duration (movie time scale).
struct Edit {
    std::int64_t mediaTime = 0;
    std::uint64_t duration = 0;
};
struct EditList {
    bool present = false;     // it has entries
    double total = 0;         // the non-empty edits' length, movie time scale
    std::vector<Edit> edits;  // the first limits::kMaxCountedEdits non-empty ones
    bool allKept = true;      // no non-empty edit was left out
};
Error parseElst(ByteReader elst, EditList& list);

// How many samples have their presentation time (stts decode time plus ctts offset) in [from, to), in the
// media time scale.
Error countPresented(ByteReader stts, std::optional<ByteReader> ctts, std::int64_t from, std::int64_t to,
                     std::uint64_t& count);

// Fragments (movie_fragments.cpp).

// What mvex says of a fragmented movie: its total length and each track's default sample duration.
struct Fragments {
    bool present = false;
    std::uint64_t duration = 0;  // mehd, in the movie time scale; 0 when absent
    std::vector<std::pair<std::uint32_t, std::uint32_t>> defaultDurations;  // trex: track id, duration
};

Error parseMvex(WalkBudget& budget, ByteReader mvex, Fragments& fragments);

// The samples of track `trackId` in the movie fragments among the top-level boxes from `from` on.
Error readFragments(WalkBudget& budget, ByteSource& source, std::uint64_t from, std::uint32_t trackId,
                    std::uint32_t trexDuration, SampleDurations& durations);

}  // namespace tessellane::movie_boxes
