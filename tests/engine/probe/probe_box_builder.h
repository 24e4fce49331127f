// Builds QuickTime / ISO movie files byte by byte for the box reader's edge cases.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessellane::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes be(std::uint64_t value, int bytes) {
    Bytes out;
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return out;
}
inline Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }
inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}
inline Bytes zeros(std::size_t n) { return Bytes(n, 0); }
inline Bytes repeated(const Bytes& one, std::size_t times) {
    Bytes all;
    for (std::size_t i = 0; i < times; ++i) all.insert(all.end(), one.begin(), one.end());
    return all;
}

// size(4) type(4) payload
inline Bytes box(const std::string& type, const Bytes& payload) {
    return cat({be(8 + payload.size(), 4), text(type), payload});
}
// version(1) flags(3) payload
inline Bytes fullBox(const std::string& type, int version, const Bytes& payload) {
    return box(type, cat({be(std::uint64_t(version) << 24, 4), payload}));
}

struct TrackLayout {
    std::string handler = "vide";
    std::string code = "avc1";
    Bytes extensions = {};  // child boxes of the sample entry (colr, hvcC, ...)
    std::uint32_t timescale = 12800;
    std::uint64_t duration = 5120;
    int mdhdVersion = 0;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> stts = {{10, 512}};  // (count, delta)
    std::optional<Bytes> elst = {};                                           // the whole elst box
    std::optional<Bytes> tkhd = {};  // the whole tkhd box; an all-zero version 0 one when absent
    bool withStsd = true;
    std::uint32_t dataOffset = 0;  // where its samples (one byte each, in one chunk) lie in the file
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ctts = {};  // (count, offset); none when empty
};

// A 64×32 track of depth 24.
inline Bytes track(const TrackLayout& t) {
    const Bytes entry = box(t.code, cat({zeros(6), be(1, 2), zeros(16),  // data reference index at 6
                                         be(64, 2), be(32, 2), be(0x00480000, 4), be(0x00480000, 4), zeros(4),
                                         be(1, 2), zeros(32), be(24, 2), be(0xFFFF, 2), t.extensions}));
    const int wide = t.mdhdVersion == 1 ? 8 : 4;
    Bytes mdhd = fullBox("mdhd", t.mdhdVersion,
                         cat({zeros(2 * wide), be(t.timescale, 4), be(t.duration, wide), zeros(4)}));
    Bytes hdlr = fullBox("hdlr", 0, cat({zeros(4), text(t.handler), zeros(12), text("name"), zeros(1)}));
    Bytes stts = be(t.stts.size(), 4);
    std::uint32_t samples = 0;
    for (auto [count, delta] : t.stts) stts = cat({stts, be(count, 4), be(delta, 4)}), samples += count;
    Bytes ctts = be(t.ctts.size(), 4);
    for (auto [count, offset] : t.ctts) ctts = cat({ctts, be(count, 4), be(offset, 4)});
    Bytes stbl = cat({t.withStsd ? fullBox("stsd", 0, cat({be(1, 4), entry})) : Bytes{},
                      fullBox("stts", 0, stts), t.ctts.empty() ? Bytes{} : fullBox("ctts", 0, ctts),
                      fullBox("stsz", 0, cat({be(1, 4), be(samples, 4)})),
                      fullBox("stsc", 0, cat({be(1, 4), be(1, 4), be(samples, 4), be(1, 4)})),
                      fullBox("stco", 0, cat({be(1, 4), be(t.dataOffset, 4)}))});
    Bytes minf = box("minf", cat({fullBox("vmhd", 0, zeros(8)), box("stbl", stbl)}));
    return box("trak", cat({t.tkhd ? *t.tkhd : fullBox("tkhd", 0, zeros(80)),
                            t.elst ? box("edts", *t.elst) : Bytes{}, box("mdia", cat({mdhd, hdlr, minf}))}));
}

// A display matrix a b u c d v x y w: a to d and x, y in 16.16, u, v, w in 2.30.
using Matrix = std::array<std::int32_t, 9>;

// tkhd for track 1 of 64×32 with the given matrix; `keep` cuts what follows version and flags to that many
// bytes while the box stays whole.
inline Bytes tkhd(int version, const Matrix& matrix, std::size_t keep = SIZE_MAX) {
    const int wide = version == 1 ? 8 : 4;
    Bytes fields = cat({zeros(2 * wide), be(1, 4), zeros(4), be(400, wide), zeros(16)});
    for (std::int32_t value : matrix) fields = cat({fields, be(static_cast<std::uint32_t>(value), 4)});
    fields = cat({fields, be(64 << 16, 4), be(32 << 16, 4)});
    if (keep < fields.size()) fields.resize(keep);
    return fullBox("tkhd", version, fields);
}

inline Bytes mvhd(std::uint32_t timescale, std::uint32_t duration) {
    return fullBox("mvhd", 0, cat({zeros(8), be(timescale, 4), be(duration, 4), zeros(80)}));
}

inline Bytes movie(std::initializer_list<TrackLayout> tracks, std::uint32_t movieTimescale = 1000) {
    Bytes payload = mvhd(movieTimescale, 400);
    for (const TrackLayout& t : tracks) payload = cat({payload, track(t)});
    return box("moov", payload);
}

inline Bytes ftyp() { return box("ftyp", cat({text("qt  "), be(0x200, 4), text("qt  ")})); }

// colr nclx: primaries, transfer, matrix, the full-range flag
inline Bytes nclx(int primaries, int transfer, int matrix, bool full) {
    return box("colr",
               cat({text("nclx"), be(primaries, 2), be(transfer, 2), be(matrix, 2), be(full ? 0x80 : 0, 1)}));
}
// hvcC without parameter sets: the chroma format at byte 16 of the payload, the luma bit depth at 17
inline Bytes hvcC(int bitDepth, int chroma = 1) {
    Bytes payload = zeros(23);
    payload[16] = static_cast<std::uint8_t>(0xFC | chroma);
    payload[17] = static_cast<std::uint8_t>(0xF8 | (bitDepth - 8));
    return box("hvcC", payload);
}

}  // namespace tessellane::testing
