// The video track's sample tables: the sample description with its colour and bit-depth boxes, the
// time-to-sample table and the edit list. Tables are walked, never expanded.
#include "engine/probe/movie_boxes.h"

namespace tessellane {
namespace movie_boxes {
namespace {

// A damaged extension box is passed over; only a failing source is an error.
Error passedOver(const ByteReader& box) { return box.sourceFailed() ? Error::cannotRead : Error::none; }

// colr: nclc (QuickTime: primaries, transfer, matrix) or nclx (ISO: the same, then the full-range flag in
// the top bit of one byte). An ICC profile carries no codes, and a box too short for its codes is passed
// over, so a later colr may still count.
Error parseColr(ByteReader colr, FormatDescription& format, bool& haveColour) {
    std::uint32_t colourType = 0;
    std::uint16_t primaries = 0, transfer = 0, matrix = 0;
    std::uint8_t rangeByte = 0;
    if (haveColour || !colr.read(colourType)) return passedOver(colr);
    const bool nclx = colourType == fourcc("nclx");
    if (!nclx && colourType != fourcc("nclc")) return Error::none;
    if (!colr.read(primaries) || !colr.read(transfer) || !colr.read(matrix)) return passedOver(colr);
    if (nclx && !colr.read(rangeByte)) return passedOver(colr);
    haveColour = true;
    format.colorPrimaries = colorPrimariesName(primaries);
    format.transferFunction = transferFunctionName(transfer);
    format.yCbCrMatrix = yCbCrMatrixName(matrix);
    if (nclx) format.fullRangeVideo = (rangeByte & 0x80) != 0;
    return Error::none;
}

// hvcC: the low 3 bits of byte 17 are the luma bit depth less 8.
Error parseHvcC(ByteReader hvcC, FormatDescription& format) {
    std::uint8_t bitDepth = 0;
    if (!hvcC.skip(17) || !hvcC.read(bitDepth)) return passedOver(hvcC);
    format.bitsPerComponent = (bitDepth & 7) + 8;
    return Error::none;
}

// The boxes after a video sample entry's fixed fields. Damage among them ends the walk quietly: the
// entry's own fields are still good.
Error parseSampleEntryChildren(ByteReader children, FormatDescription& format) {
    WalkBudget budget;  // bounded by the children-per-box limit alone
    bool haveColour = false;
    const Error error = forEachChild(budget, children, [&](const Box& child) {
        switch (child.type) {
            case fourcc("colr"):
                return parseColr(child.payload, format, haveColour);
            case fourcc("hvcC"):
                return parseHvcC(child.payload, format);
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
    std::uint32_t entries = 0;
    if (!stsd.skip(4) || !stsd.read(entries)) return failure(stsd);
    if (entries == 0) return Error::noVideoTrack;
    Box entry;
    Error error = readBox(stsd, entry);
    if (error == Error::truncated) return Error::malformed;
    if (error != Error::none) return error;
    format.code = entry.type;
    return parseVideoSampleEntry(entry.payload, format);
}

Error parseStts(ByteReader stts, SampleTiming& timing) {
    std::uint32_t entries = 0;
    if (!stts.skip(4) || !stts.read(entries)) return failure(stts);
    if (entries > limits::kMaxTableEntries) return Error::tooLarge;
    if (std::uint64_t(entries) * 8 > stts.remaining()) return Error::truncated;
    for (std::uint32_t i = 0; i < entries; ++i) {
        std::uint32_t count = 0, delta = 0;
        if (!stts.read(count) || !stts.read(delta)) return failure(stts);
        timing.add(count, delta);
    }
    return Error::none;
}

// elst entries: segment duration and media time (8 bytes each in version 1, 4 in version 0; a media time
// of -1 is an empty edit), then a rate (4).
Error parseElst(ByteReader elst, double& total, bool& present) {
    present = false;
    total = 0;
    std::uint8_t version = 0;
    std::uint32_t entries = 0;
    if (!elst.read(version) || !elst.skip(3) || !elst.read(entries)) return failure(elst);
    if (version > 1) return Error::malformed;
    const std::size_t fieldSize = version == 1 ? 8 : 4;
    if (entries > limits::kMaxTableEntries) return Error::tooLarge;
    if (entries * (2 * fieldSize + 4) > elst.remaining()) return Error::truncated;
    const std::uint64_t emptyEdit = version == 1 ? ~std::uint64_t(0) : 0xFFFFFFFFu;
    for (std::uint32_t i = 0; i < entries; ++i) {
        std::uint64_t duration = 0, mediaTime = 0;
        if (!elst.read(duration, Endian::big, fieldSize) || !elst.read(mediaTime, Endian::big, fieldSize) ||
            !elst.skip(4))
            return failure(elst);
        if (mediaTime != emptyEdit) total += static_cast<double>(duration);
    }
    present = entries > 0;
    return Error::none;
}

}  // namespace movie_boxes

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
