// Limits for reading untrusted media files, in one place. Each is checked at a header, before any allocation
// or loop that depends on it, so a hostile file can neither exhaust memory nor keep the probe busy.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessellane::limits {

// Boxes looked at before the movie box is found at the top level of a file.
inline constexpr std::size_t kMaxTopLevelBoxes = 4096;
// Top-level boxes walked after the movie box of a fragmented movie (a moof and an mdat per fragment).
inline constexpr std::size_t kMaxFragmentBoxes = 1u << 16;
// Children looked at inside one box.
inline constexpr std::size_t kMaxChildBoxes = 16384;
// Boxes visited in one movie, all levels and fragments together.
inline constexpr std::size_t kMaxBoxesPerMovie = 1u << 20;
// Tracks inside one movie box, and per-track defaults (trex) in its mvex.
inline constexpr std::size_t kMaxTracks = 1024;
// Entries walked in one table (stts, elst), and samples listed by the fragments' trun boxes together.
inline constexpr std::uint32_t kMaxTableEntries = 4u << 20;
// Non-empty edits whose samples are counted to know a track's frames; a file with more counts them all.
inline constexpr std::size_t kMaxCountedEdits = 16;
// Distinct sample durations kept to find a track's frame rate; a variable-rate phone clip has a few dozen.
inline constexpr std::size_t kMaxDistinctDurations = 4096;
// Channels a sound description may claim; more is taken as not said (ffmpeg's own limit is 64).
inline constexpr std::uint32_t kMaxAudioChannels = 64;
// The largest sequence parameter set read from an avcC or hvcC box (its length field allows 64 KiB).
inline constexpr std::size_t kMaxParameterSetBytes = 64u << 10;
// The movie box is read through a cache of this size; nothing else of it is held in memory, so no box is
// ever too big to read. Nor is there a nesting limit: the reader descends only the paths it knows
// (moov/trak/mdia/minf/stbl/stsd/sample entry/colr is the deepest, eight levels), so a deeper file is
// simply not walked.
inline constexpr std::size_t kMovieReadWindow = 64u << 10;

// Image headers: how many bytes of a file are cached at once, how many chunks, segments or tags are walked,
// and how far into the file a JPEG's first scan may start. PNG chunks are walked to IEND by their headers
// alone; at libpng's 8 KiB per IDAT the limit covers 8 GiB of image data.
inline constexpr std::size_t kImageReadWindow = 4u << 10;
inline constexpr std::size_t kMaxPngChunks = 1u << 20;
inline constexpr std::size_t kMaxJpegSegments = 4096;
inline constexpr std::uint64_t kMaxJpegHeaderOffset = 64u << 20;
inline constexpr std::uint64_t kMaxTiffEntries = 4096;
inline constexpr std::size_t kMaxWebpChunks = 4096;
// Strips or tiles whose extent is checked against the file's.
inline constexpr std::uint64_t kMaxTiffStrips = 1u << 20;
// Data that must be searched (a JPEG's end marker, a BMP's alpha bytes) is read in blocks of this size; a
// JPEG's end marker is looked for in this many last bytes before the whole scan is searched.
inline constexpr std::size_t kImageScanBlock = 64u << 10;
inline constexpr std::uint64_t kJpegEndSearch = 64u << 10;

// Values beyond these are treated as absurd rather than converted to integers.
inline constexpr double kMaxFrameRate = 1.0e6;
inline constexpr double kMaxFrameCount = 9.0e15;

}  // namespace tessellane::limits
