// The video track's sample tables: the sample description with its colour, pixel-aspect and codec
// configuration boxes, the time-to-sample table, the tables that place the samples in the file, and the edit
// list. Tables are walked, never expanded.
#include <algorithm>
#include <vector>

#include "engine/probe/movie_boxes.h"

namespace tessellane {
namespace movie_boxes {
namespace {

// A damaged extension box is passed over; only a failing source is an error.
Error passedOver(const ByteReader& box) { return box.sourceFailed() ? Error::cannotRead : Error::none; }

// An entry count, checked against the limit and against what the box holds at `entrySize` bytes an entry.
Error readEntryCount(ByteReader& table, std::uint64_t entrySize, std::uint32_t& entries) {
    if (!table.read(entries)) return failure(table);
    if (entries > limits::kMaxTableEntries) return Error::tooLarge;
    if (std::uint64_t(entries) * entrySize > table.remaining()) return Error::truncated;
    return Error::none;
}

// A table that starts with a full box header and an entry count, then `entrySize` bytes per entry.
Error readTableHeader(ByteReader& table, std::uint64_t entrySize, std::uint32_t& entries) {
    FullBoxHeader header;
    if (Error error = readFullBoxHeader(table, header); error != Error::none) return error;
    return readEntryCount(table, entrySize, entries);
}

// colr: nclc (QuickTime: primaries, transfer, matrix) or nclx (ISO: the same, then the full-range flag in
// the top bit of one byte, which some writers leave out: an 18-byte box). An ICC profile carries no codes,
// and a box too short for its codes is passed over, so a later colr may still count.
Error parseColr(ByteReader colr, FormatDescription& format) {
    std::uint32_t colourType = 0;
    ColourCodes codes;
    std::uint8_t rangeByte = 0;
    if (format.colour || !colr.read(colourType)) return passedOver(colr);
    const bool nclx = colourType == fourcc("nclx");
    if (!nclx && colourType != fourcc("nclc")) return Error::none;
    if (!colr.read(codes.primaries) || !colr.read(codes.transfer) || !colr.read(codes.matrix))
        return passedOver(colr);
    // An nclx without its range byte has the flag's default, limited, as ffmpeg reads it.
    if (nclx) codes.fullRange = colr.read(rangeByte) && (rangeByte & 0x80) != 0;
    format.colour = codes;
    return passedOver(colr);
}

// pasp: horizontal and vertical spacing; a zero in either says nothing.
Error parsePasp(ByteReader pasp, FormatDescription& format) {
    std::uint32_t horizontal = 0, vertical = 0;
    if (!pasp.read(horizontal) || !pasp.read(vertical)) return passedOver(pasp);
    if (horizontal > 0 && vertical > 0) format.pixelAspect = PixelAspect{horizontal, vertical};
    return Error::none;
}

// One length-prefixed parameter set (16-bit length) at the reader's cursor, read whole.
bool readParameterSet(ByteReader& box, std::vector<std::uint8_t>& nal) {
    std::uint16_t length = 0;
    if (!box.read(length) || !box.has(length)) return false;
    static_assert(limits::kMaxParameterSetBytes > 0xFFFF, "a 16-bit length always fits");
    nal.resize(length);
    return box.readBytes(nal.data(), length);
}

// avcC: version, profile, compatibility, level, NAL length size, then the sequence parameter sets (the low 5
// bits of a count), the picture parameter sets, and for the high profiles chroma format and bit depths.
Error parseAvcC(ByteReader avcC, FormatDescription& format) {
    std::uint8_t version = 0, profile = 0, count = 0;
    CodecConfiguration configuration;
    std::vector<std::uint8_t> nal;
    if (!avcC.read(version) || !avcC.read(profile) || !avcC.skip(3) || !avcC.read(count))
        return passedOver(avcC);
    configuration.profile = profile;
    for (int i = 0; i < (count & 0x1F); ++i) {
        if (!readParameterSet(avcC, nal)) return passedOver(avcC);
        if (!configuration.sequence) configuration.sequence = readAvcSequenceParameters(nal);
    }
    format.configuration = configuration;
    if (!avcC.read(count)) return passedOver(avcC);
    for (int i = 0; i < count; ++i)
        if (!readParameterSet(avcC, nal)) return passedOver(avcC);
    std::uint8_t chroma = 0, luma = 0;
    if ((profile == 100 || profile == 110 || profile == 122 || profile == 144) && avcC.read(chroma) &&
        avcC.read(luma)) {
        format.configuration->chromaFormat = chroma & 3;
        format.configuration->bitDepthLuma = (luma & 7) + 8;
    }
    return passedOver(avcC);
}

// hvcC: profile in byte 1, chroma format in byte 16 and luma bit depth less 8 in byte 17 (low bits), the
// parameter-set arrays from byte 22: a type byte, a 16-bit count, then length-prefixed NAL units.
Error parseHvcC(ByteReader hvcC, FormatDescription& format) {
    std::uint8_t profile = 0, chroma = 0, luma = 0, arrays = 0;
    if (!hvcC.skip(1) || !hvcC.read(profile) || !hvcC.skip(14) || !hvcC.read(chroma) || !hvcC.read(luma))
        return passedOver(hvcC);
    CodecConfiguration configuration;
    configuration.profile = profile & 0x1F;
    configuration.chromaFormat = chroma & 3;
    configuration.bitDepthLuma = (luma & 7) + 8;
    format.configuration = configuration;
    std::vector<std::uint8_t> nal;
    if (!hvcC.skip(4) || !hvcC.read(arrays)) return passedOver(hvcC);
    for (int i = 0; i < arrays; ++i) {
        std::uint8_t type = 0;
        std::uint16_t units = 0;
        if (!hvcC.read(type) || !hvcC.read(units)) return passedOver(hvcC);
        for (int j = 0; j < units; ++j) {
            if (!readParameterSet(hvcC, nal)) return passedOver(hvcC);
            if ((type & 0x3F) == 33 && !format.configuration->sequence)
                format.configuration->sequence = readHevcSequenceParameters(nal);
        }
    }
    return Error::none;
}

// The boxes after a video sample entry's fixed fields. Damage among them ends the walk quietly: the
// entry's own fields are still good.
Error parseSampleEntryChildren(ByteReader children, FormatDescription& format) {
    WalkBudget budget;  // bounded by the children-per-box limit alone
    const Error error = forEachChild(budget, children, [&](const Box& child) {
        switch (child.type) {
            case fourcc("colr"):
                return parseColr(child.payload, format);
            case fourcc("pasp"):
                return parsePasp(child.payload, format);
            case fourcc("avcC"):
                return format.configuration ? Error::none : parseAvcC(child.payload, format);
            case fourcc("hvcC"):
                return format.configuration ? Error::none : parseHvcC(child.payload, format);
            default:
                return Error::none;
        }
    });
    return error == Error::cannotRead ? error : Error::none;
}

// A video sample entry, offsets from the end of its header: reserved (6), data reference index (2),
// version, revision, vendor, temporal and spatial quality (16), width and height at 24, resolutions, data
// size, frame count, compressor name (32), depth at 74, colour table id, then child boxes at 78.
Error parseVideoSampleEntry(ByteReader entry, FormatDescription& format) {
    std::uint16_t width = 0, height = 0, depth = 0;
    if (!entry.seek(24) || !entry.read(width) || !entry.read(height)) return failure(entry);
    if (!entry.seek(74) || !entry.read(depth) || !entry.skip(2)) return failure(entry);
    format.width = width;
    format.height = height;
    format.depth = depth;
    ByteReader children;
    if (!entry.sub(entry.remaining(), children)) return failure(entry);
    return parseSampleEntryChildren(children, format);
}

}  // namespace

Error parseStsd(ByteReader stsd, FormatDescription& format) {
    FullBoxHeader header;
    std::uint32_t entries = 0;
    if (Error error = readFullBoxHeader(stsd, header); error != Error::none) return error;
    if (!stsd.read(entries)) return failure(stsd);
    if (entries == 0) return Error::noVideoTrack;
    Box entry;
    Error error = readBox(stsd, entry);
    if (error == Error::truncated) return Error::malformed;
    if (error != Error::none) return error;
    format.code = entry.type;
    return parseVideoSampleEntry(entry.payload, format);
}

void parseAudioStsd(ByteReader stsd, AudioTrack& audio) {
    std::uint32_t entries = 0;
    Box entry;
    if (!stsd.skip(4) || !stsd.read(entries) || entries == 0 || readBox(stsd, entry) != Error::none) return;
    audio.code = entry.type;
    // Reserved (6), data reference (2), version (2), revision (2), vendor (4), channels (2); version 2 says 3
    // there and keeps the real count at offset 40.
    ByteReader fields = entry.payload;
    std::uint16_t version = 0, channels = 0;
    if (!fields.skip(8) || !fields.read(version) || !fields.skip(6) || !fields.read(channels)) return;
    std::uint32_t wide = 0;
    if (version != 2)
        audio.channels = channels;
    else if (fields.skip(22) && fields.read(wide) && wide <= limits::kMaxAudioChannels)
        audio.channels = static_cast<int>(wide);
}

Error parseStts(ByteReader stts, SampleDurations& durations) {
    std::uint32_t entries = 0;
    if (Error error = readTableHeader(stts, 8, entries); error != Error::none) return error;
    for (std::uint32_t i = 0; i < entries; ++i) {
        std::uint32_t count = 0, delta = 0;
        if (!stts.read(count) || !stts.read(delta)) return failure(stts);
        durations.add(count, delta);
    }
    return Error::none;
}

// elst entries: segment duration and media time (8 bytes each in version 1, 4 in version 0; a media time
// of -1 is an empty edit), then a rate (4). The first limits::kMaxCountedEdits non-empty edits are kept.
Error parseElst(ByteReader elst, EditList& list) {
    list = EditList();
    FullBoxHeader header;
    std::uint32_t entries = 0;
    if (Error error = readFullBoxHeader(elst, header); error != Error::none) return error;
    if (!elst.read(entries)) return failure(elst);
    if (header.version > 1) return Error::malformed;
    const bool wide = header.version == 1;
    const std::size_t fieldSize = wide ? 8 : 4;
    if (entries > limits::kMaxTableEntries) return Error::tooLarge;
    if (entries * (2 * fieldSize + 4) > elst.remaining()) return Error::truncated;
    const std::uint64_t emptyEdit = wide ? ~std::uint64_t(0) : 0xFFFFFFFFu;
    for (std::uint32_t i = 0; i < entries; ++i) {
        std::uint64_t duration = 0, mediaTime = 0;
        if (!elst.read(duration, Endian::big, fieldSize) || !elst.read(mediaTime, Endian::big, fieldSize) ||
            !elst.skip(4))
            return failure(elst);
        if (mediaTime == emptyEdit) continue;
        list.total += static_cast<double>(duration);
        if (list.edits.size() < limits::kMaxCountedEdits)
            list.edits.push_back({static_cast<std::int64_t>(mediaTime & (emptyEdit >> 1)), duration});
        else
            list.allKept = false;
    }
    list.present = entries > 0;
    return Error::none;
}

namespace {

// stz2, compact sizes (after the header: reserved, then the field size): counted only, and a damaged one
// counts nothing.
std::optional<std::uint64_t> compactSampleCount(ByteReader stz2) {
    FullBoxHeader header;
    std::uint32_t count = 0;
    if (readFullBoxHeader(stz2, header) != Error::none || !stz2.skip(4) || !stz2.read(count))
        return std::nullopt;
    return count;
}

}  // namespace

// stsz (version and flags, a size for every sample or 0, the count, then a size per sample when that size is
// 0), stsc (first chunk, samples per chunk, description index), stco or co64 (a 32- or 64-bit offset per
// chunk). The chunks are walked in order, each taking its samples from the size table; a sample the chunks
// never reach has no place in the file.
Error readSampleData(const SampleTables& tables, std::uint64_t fileSize,
                     std::optional<std::uint64_t>& samples) {
    samples.reset();
    if (!tables.stsz) {
        if (tables.stz2) samples = compactSampleCount(*tables.stz2);
        return Error::none;
    }
    ByteReader stsz = *tables.stsz;
    FullBoxHeader header;
    std::uint32_t fixedSize = 0, count = 0;
    if (Error error = readFullBoxHeader(stsz, header); error != Error::none) return error;
    if (!stsz.read(fixedSize)) return failure(stsz);
    if (Error error = readEntryCount(stsz, fixedSize == 0 ? 4 : 0, count); error != Error::none) return error;
    samples = 0;
    if (count == 0) return Error::none;
    const bool wide = !tables.stco && tables.co64;
    if (!(tables.stco || tables.co64) || !tables.stsc) return Error::malformed;
    ByteReader chunks = wide ? *tables.co64 : *tables.stco, stsc = *tables.stsc;
    std::uint32_t chunkCount = 0, runs = 0;
    Error error = readTableHeader(chunks, wide ? 8 : 4, chunkCount);
    if (error == Error::none) error = readTableHeader(stsc, 12, runs);
    if (error != Error::none) return error;

    // stsc's runs: from its first chunk on, each chunk of a run holds the run's number of samples.
    std::uint32_t runsRead = 0, nextFirst = 0, nextPerChunk = 0, perChunk = 0;
    const auto readRun = [&] {
        if (runsRead++ == runs) {
            nextFirst = 0xFFFFFFFFu;
            return true;
        }
        std::uint32_t descriptionIndex = 0;
        return stsc.read(nextFirst) && stsc.read(nextPerChunk) && stsc.read(descriptionIndex);
    };
    if (!readRun()) return failure(stsc);
    std::uint64_t placed = 0;
    for (std::uint32_t chunk = 1; chunk <= chunkCount && placed < count; ++chunk) {
        while (chunk >= nextFirst) {
            perChunk = nextPerChunk;
            if (!readRun()) return failure(stsc);
        }
        std::uint64_t offset = 0, bytes = 0;
        if (!chunks.read(offset, Endian::big, wide ? 8 : 4)) return failure(chunks);
        const std::uint64_t take = std::min<std::uint64_t>(perChunk, count - placed);
        if (fixedSize != 0) {
            bytes = take * fixedSize;
        } else {
            for (std::uint64_t i = 0; i < take; ++i) {
                std::uint32_t size = 0;
                if (!stsz.read(size)) return failure(stsz);
                bytes += size;
            }
        }
        if (take > 0 && (offset > fileSize || bytes > fileSize - offset)) return Error::dataPastEnd;
        placed += take;
    }
    samples = placed;
    return Error::none;
}

namespace {

// How many of n samples, presented at start, start + delta, ..., lie in [from, to). All values lie within
// 2^62 of zero, so no difference overflows.
std::uint64_t inRange(std::int64_t start, std::uint32_t delta, std::uint64_t n, std::int64_t from,
                      std::int64_t to) {
    if (delta == 0) return start >= from && start < to ? n : 0;
    const auto firstAtLeast = [&](std::int64_t bound) -> std::uint64_t {
        if (start >= bound) return 0;
        return std::min<std::uint64_t>(n, (std::uint64_t(bound - start) + delta - 1) / delta);
    };
    const std::uint64_t low = firstAtLeast(from), high = firstAtLeast(to);
    return high > low ? high - low : 0;
}

}  // namespace

// stts gives each sample's decode time, ctts (version 0 or 1, read signed as ffmpeg reads both) the offset
// to its presentation time. Both are walked in runs where neither changes, so a long clip costs as many
// steps as its tables have entries.
Error countPresented(ByteReader stts, std::optional<ByteReader> ctts, std::int64_t from, std::int64_t to,
                     std::uint64_t& count) {
    constexpr std::int64_t kFar = std::int64_t(1) << 62;
    count = 0;
    std::uint32_t timeRuns = 0, offsetRuns = 0, offsetsRead = 0;
    if (Error error = readTableHeader(stts, 8, timeRuns); error != Error::none) return error;
    ByteReader offsets = ctts.value_or(ByteReader());
    if (ctts) {
        if (Error error = readTableHeader(offsets, 8, offsetRuns); error != Error::none) return error;
    }
    std::int64_t decode = 0, offset = 0;
    std::uint64_t offsetLeft = 0;  // samples the current ctts run still covers
    for (std::uint32_t run = 0; run < timeRuns; ++run) {
        std::uint32_t samples = 0, delta = 0;
        if (!stts.read(samples) || !stts.read(delta)) return failure(stts);
        for (std::uint64_t left = samples; left > 0;) {
            if (offsetLeft == 0 && offsetsRead < offsetRuns) {
                std::uint32_t covered = 0, raw = 0;
                if (!offsets.read(covered) || !offsets.read(raw)) return failure(offsets);
                ++offsetsRead;
                offsetLeft = covered;
                offset = static_cast<std::int32_t>(raw);
                continue;
            }
            if (offsetLeft == 0) offset = 0;  // past the table: no offset
            const std::uint64_t piece = offsetLeft == 0 ? left : std::min(left, offsetLeft);
            count += inRange(decode + offset, delta, piece, from, to);
            // Later samples lie past any edit that a real file holds.
            if (delta != 0 && piece > std::uint64_t(kFar - decode) / delta) return Error::none;
            decode += static_cast<std::int64_t>(piece * delta);
            left -= piece;
            offsetLeft -= std::min(offsetLeft, piece);
        }
    }
    return Error::none;
}

}  // namespace movie_boxes

}  // namespace tessellane
