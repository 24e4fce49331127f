// The movie box reader and the movie record on hand-built files: every size form, hostile counts and depths,
// the tables, fragments, the display matrix, colour boxes and the code table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "engine/probe/byte_reader.h"
#include "engine/probe/frame_rate.h"
#include "engine/probe/movie_reader.h"
#include "engine/probe/movie_record.h"
#include "engine/probe/probe.h"
#include "engine/probe/probe_limits.h"
#include "tests/engine/probe/probe_box_builder.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

using namespace testing;  // the builder
using Error = MovieReadError;

MovieInfo read(const Bytes& bytes) {
    MemorySource source(bytes);
    return readMovie(source);
}

TEST(MovieReader, FindsTheMovieBoxAndItsFirstVideoTrack) {
    const Bytes moov = movie({{}}), payload(moov.begin() + 8, moov.end()), mdat = box("mdat", zeros(64));
    const TrackLayout audio{.handler = "soun", .code = "mp4a"};
    // Rows named for audio hold an audio track; a readable movie's first video track is the minimal one.
    const std::tuple<const char*, Bytes, Error> cases[] = {
        {"moov after mdat", cat({ftyp(), mdat, moov}), Error::none},
        {"64-bit moov size", cat({be(1, 4), text("moov"), be(16 + payload.size(), 8), payload}), Error::none},
        {"moov running to the end", cat({ftyp(), mdat, be(0, 4), text("moov"), payload}), Error::none},
        {"audio, then two video tracks", movie({audio, {}, {.code = "apch"}}), Error::none},
        {"audio after the video", movie({{}, audio}), Error::none},
        {"mdat to the end hides moov", cat({be(0, 4), text("mdat"), zeros(8), moov}), Error::noMovieBox},
        {"mdat past the file", cat({be(1, 4), text("mdat"), be(1ull << 40, 8), moov}), Error::noMovieBox},
        {"size smaller than a header", cat({be(4, 4), text("ftyp"), moov}), Error::noMovieBox},
        {"64-bit size below 16", cat({be(1, 4), text("moov"), be(12, 8), payload}), Error::noMovieBox},
        {"moov cut short", Bytes(moov.begin(), moov.end() - 10), Error::truncated},
        {"no moov at all", cat({ftyp(), mdat}), Error::noMovieBox},
        {"seven bytes", zeros(7), Error::noMovieBox},
        {"child past its parent", box("moov", cat({be(4096, 4), text("trak"), zeros(32)})), Error::malformed},
        {"no video track", box("moov", mvhd(1000, 0)), Error::noVideoTrack},
        {"audio only, which is not reported either", movie({audio}), Error::audioOnly},
        {"no sample description", movie({{.withStsd = false}}), Error::noVideoTrack},
    };
    for (const auto& [name, file, error] : cases) {
        SCOPED_TRACE(name);
        const MovieInfo info = read(file);
        EXPECT_EQ(info.error, error);
        EXPECT_EQ(info.hasAudio, error == Error::none && std::string(name).starts_with("audio"));
        ASSERT_EQ(info.video.has_value(), error == Error::none);
        if (!info.video) continue;
        const FormatDescription& f = info.video->format;
        EXPECT_EQ(codeText(f.code) + std::to_string(f.width) + "x" + std::to_string(f.height), "avc164x32");
        EXPECT_EQ(f.depth, 24);
    }
}

// moov with mvex (mehd, trex for track 1 and `otherTrex` for track 2), then `fragments`.
Bytes fragmentedMovie(std::optional<std::uint32_t> mehd, std::uint32_t trexDuration, const Bytes& fragments,
                      std::size_t otherTrex = 0) {
    auto trex = [](int id, std::uint32_t duration) {
        return fullBox("trex", 0, cat({be(id, 4), be(1, 4), be(duration, 4), zeros(8)}));
    };
    const Bytes mvex = box("mvex", cat({mehd ? fullBox("mehd", 0, be(*mehd, 4)) : Bytes{},
                                        trex(1, trexDuration), repeated(trex(2, 100), otherTrex)}));
    const Bytes trak = track({.duration = 0, .stts = {}, .tkhd = tkhd(0, {})});  // track 1, no samples
    return cat({ftyp(), box("moov", cat({mvhd(1000, 0), trak, mvex})), fragments});
}
// A moof with one traf for `track` (its tfhd default duration, 0: none) holding a trun per run: a sample
// count and, when given, one duration per sample; then its mdat.
struct Run {
    std::uint32_t count;
    std::vector<std::uint32_t> durations = {};
};
Bytes moof(std::uint32_t track, std::uint32_t defaultDuration, const std::vector<Run>& runs) {
    Bytes traf = box("tfhd", cat({be(defaultDuration ? 0x020008 : 0x020000, 4), be(track, 4),
                                  defaultDuration ? be(defaultDuration, 4) : Bytes{}}));
    for (const Run& run : runs) {  // flags: data offset, and a duration and size per sample if given
        Bytes samples;
        for (std::uint32_t d : run.durations) samples = cat({samples, be(d, 4), be(100, 4)});
        traf = cat({traf, box("trun", cat({be(run.durations.empty() ? 0x000001 : 0x000301, 4),
                                           be(run.count, 4), be(0, 4), samples}))});
    }
    return cat({box("moof", cat({fullBox("mfhd", 0, be(1, 4)), box("traf", traf)})), box("mdat", zeros(16))});
}

// A movie whose walk visits exactly n >= 14 boxes: the minimal movie, then tracks of free boxes.
Bytes movieOfBoxes(std::size_t n) {
    Bytes payload = cat({mvhd(1000, 400), track({})});
    for (std::size_t left = n - 14, here; left > 0; left -= here) {
        here = std::min(left, limits::kMaxChildBoxes);  // the trak and its children
        const Bytes filler = box("trak", repeated(box("free", {}), here - 1));
        payload.insert(payload.end(), filler.begin(), filler.end());
    }
    return box("moov", payload);
}

// A movie whose stts or elst claims `count` entries and holds none.
Bytes tableClaiming(const std::string& table, std::uint32_t count) {
    if (table == "elst") return movie({{.elst = fullBox("elst", 0, be(count, 4))}});
    Bytes moov = movie({{.stts = {}}});
    const Bytes claim = be(count, 4);
    std::copy(claim.begin(), claim.end(),
              std::search(moov.begin(), moov.end(), table.begin(), table.end()) + 8);
    return moov;
}

TEST(MovieReader, EveryLimitHoldsAtItsValueAndTriggersOnePast) {
    using namespace limits;
    const Bytes freeBox = box("free", {});
    auto movieWith = [](const Bytes& extra) { return box("moov", cat({mvhd(1000, 400), track({}), extra})); };
    auto samples = [](std::uint32_t first) { return fragmentedMovie({}, 0, moof(1, 512, {{first}, {1}})); };
    // Each file meets its limit exactly and reads (or fails later, for the reason given: fragmented movies
    // without fragments have no samples); the same file with one more box, entry or sample is refused as
    // too large.
    const std::tuple<const char*, Bytes, Error, Bytes> cases[] = {
        {"top-level boxes before moov", cat({repeated(freeBox, kMaxTopLevelBoxes - 1), movie({{}})}),
         Error::none, cat({repeated(freeBox, kMaxTopLevelBoxes), movie({{}})})},
        {"top-level boxes after a fragmented moov",
         fragmentedMovie({}, 0, repeated(freeBox, kMaxFragmentBoxes)), Error::noSamples,
         fragmentedMovie({}, 0, repeated(freeBox, kMaxFragmentBoxes + 1))},
        {"children of one box", movieWith(repeated(freeBox, kMaxChildBoxes - 2)), Error::none,
         movieWith(repeated(freeBox, kMaxChildBoxes - 1))},
        // Every parent within its own limit, but together as many boxes as one movie may make us visit.
        {"boxes in one movie", movieOfBoxes(kMaxBoxesPerMovie), Error::none,
         movieOfBoxes(kMaxBoxesPerMovie + 1)},
        {"tracks", movieWith(repeated(box("trak", {}), kMaxTracks - 1)), Error::none,
         movieWith(repeated(box("trak", {}), kMaxTracks))},
        {"track defaults in mvex", fragmentedMovie({}, 0, {}, kMaxTracks - 1), Error::noSamples,
         fragmentedMovie({}, 0, {}, kMaxTracks)},
        // At the limit a table's count passes and its missing entries are noticed; past it, not even that.
        {"stts entries", tableClaiming("stts", kMaxTableEntries), Error::truncated,
         tableClaiming("stts", kMaxTableEntries + 1)},
        {"elst entries", tableClaiming("elst", kMaxTableEntries), Error::truncated,
         tableClaiming("elst", kMaxTableEntries + 1)},
        {"samples in the fragments, over two runs", samples(kMaxTableEntries - 1), Error::none,
         samples(kMaxTableEntries)},
    };
    for (const auto& [name, atLimit, atLimitError, onePast] : cases) {
        EXPECT_EQ(read(atLimit).error, atLimitError) << name;
        EXPECT_EQ(read(onePast).error, Error::tooLarge) << name << ", one past";
    }
    // No nesting or box-size limit: boxes nested 100000 deep are not walked, a big box is not loaded.
    Bytes nest;
    for (std::size_t i = 0, depth = 100000; i < depth; ++i) {
        const Bytes header = cat({be(8 * (depth - i), 4), text(i % 2 ? "mdia" : "trak")});
        nest.insert(nest.end(), header.begin(), header.end());
    }
    EXPECT_EQ(read(box("moov", nest)).error, Error::noVideoTrack);
    EXPECT_EQ(read(movie({{.extensions = box("free", zeros(1u << 20))}})).error, Error::none);
}

TEST(MovieReader, WalksTheTimeTableTheEditListAndTheFragments) {
    using Stts = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
    auto plain = [](Stts stts, std::optional<Bytes> elst = {}, std::uint32_t movieScale = 1000,
                    std::uint32_t scale = 24000, std::uint64_t length = 24024, int v = 0, Stts ctts = {}) {
        return movie({{.timescale = scale,
                       .duration = length,
                       .mdhdVersion = v,
                       .stts = stts,
                       .elst = elst,
                       .ctts = ctts}},
                     movieScale);
    };
    const Bytes emptyThenOne = fullBox("elst", 0,
                                       cat({be(2, 4), be(500, 4), be(0xFFFFFFFFu, 4), be(0x10000, 4),
                                            be(1001, 4), be(0, 4), be(0x10000, 4)}));
    const Bytes version1 = fullBox("elst", 1, cat({be(1, 4), be(2002, 8), be(0, 8), be(0x10000, 4)}));
    const Bytes trims = fullBox("elst", 0, cat({be(1, 4), be(500, 4), be(0, 4), be(0x10000, 4)}));
    const Stts one = {{24, 1001}};
    const Bytes pastTheEnd = movie({{.stts = one, .dataOffset = 1u << 20}});
    // The rate, the samples and frames, the length in seconds; or the reason the track is refused.
    const std::tuple<const char*, Bytes, std::string, int, int, double, Error> cases[] = {
        {"one entry", plain(one), "24000/1001", 24, 24, 1.001, Error::none},
        // Zero durations are no frames of their own: they share the next sample's; an entry without
        // samples counts for nothing.
        {"zero deltas merged", plain({{0, 1}, {20, 1001}, {4, 0}, {1, 2002}}), "24000/1001", 25, 25, 1.001,
         Error::none},
        {"version 1 media header", plain(one, {}, 1000, 24000, 24024, 1), "24000/1001", 24, 24, 1.001,
         Error::none},
        {"zero media duration", plain(one, {}, 1000, 24000, 0), "24000/1001", 24, 24, 0, Error::none},
        // The edit list gives the length, in the movie's time scale, without its empty edits; one that
        // keeps half a second keeps 12 of the 24 frames.
        {"empty edit skipped", plain(one, emptyThenOne), "24000/1001", 24, 24, 1.001, Error::none},
        {"version 1 edit list", plain(one, version1, 2000), "24000/1001", 24, 24, 1.001, Error::none},
        {"edit list without a movie time scale", plain(one, version1, 0), "24000/1001", 24, 24, 1.001,
         Error::none},
        {"edit list that trims", plain(one, trims), "24000/1001", 24, 12, 0.5, Error::none},
        // The edit counts presentation times: shown two frames late (ctts), 10 of them start in its 0.5 s.
        {"edit list against presentation times", plain(one, trims, 1000, 24000, 24024, 0, {{24, 2002}}),
         "24000/1001", 24, 10, 0.5, Error::none},
        // Fragments: the video track's trun samples, durations from trun, tfhd or trex; mehd's length.
        {"durations per sample",
         fragmentedMovie({}, 0, cat({moof(1, 0, {{3, {512, 512, 256}}}), moof(1, 0, {{1, {512}}})})), "25/1",
         4, 4, 0.14, Error::none},
        {"default from tfhd", fragmentedMovie({}, 0, moof(1, 512, {{10}})), "25/1", 10, 10, 0.4, Error::none},
        {"default from trex, length from mehd", fragmentedMovie(2000, 512, moof(1, 0, {{50}})), "25/1", 50,
         50, 2, Error::none},
        {"another track's fragments are not counted",
         fragmentedMovie({}, 0, cat({moof(2, 100, {{10}}), moof(1, 512, {{5}})})), "25/1", 5, 5, 0.2,
         Error::none},
        {"a last fragment cut short is left out",
         cat({fragmentedMovie({}, 0, moof(1, 512, {{5}})), be(500, 4), text("moof")}), "25/1", 5, 5, 0.2,
         Error::none},
        // What ffmpeg could not use is refused here, before it runs.
        {"no samples", plain({}), "", 0, 0, 0, Error::noSamples},
        {"an initialisation segment", fragmentedMovie({}, 512, {}), "", 0, 0, 0, Error::noSamples},
        {"only zero durations", plain({{24, 0}}), "", 0, 0, 0, Error::unknownRate},
        {"no time scale", plain(one, {}, 1000, 0), "", 0, 0, 0, Error::unknownRate},
        {"samples past the end of the file", pastTheEnd, "", 0, 0, 0, Error::dataPastEnd},
    };
    for (const auto& [name, file, rate, samples, frames, seconds, error] : cases) {
        SCOPED_TRACE(name);
        const MovieInfo info = read(file);
        ASSERT_EQ(info.error, error);
        if (error != Error::none) continue;
        EXPECT_EQ(info.video->frameRate.text(), rate);
        EXPECT_EQ(info.video->samples, std::uint64_t(samples));
        EXPECT_EQ(movieRecord(ClipInfo("/a.mov"), *info.video, false).frames, frames);
        EXPECT_NEAR(info.video->durationSeconds, seconds, 1e-9);
    }
    EXPECT_EQ(read(fragmentedMovie({}, 0, moof(1, 0, {{1000, {512}}}))).error, Error::truncated);
    EXPECT_EQ(read(fragmentedMovie({}, 0, moof(1, 512, {{0xFFFFFFFFu}}))).error, Error::tooLarge);
}

// How the durations of real files read: their rate snapped to the standard one within 1%, else exact.
TEST(MovieReader, FrameRateFromTheDurations) {
    using Runs = std::vector<std::pair<std::uint32_t, std::uint32_t>>;  // (count, delta)
    // Timestamps of `frames` frames at `rate`, rounded to a clock of `tick` (1/tick s), in ticks of `scale`.
    auto rounded = [](double rate, double tick, std::uint32_t scale, int frames) {
        Runs runs;
        for (int i = 0; i < frames; ++i)
            runs.emplace_back(
                1, std::uint32_t(std::llround((i + 1) * tick / rate) - std::llround(i * tick / rate)) *
                       (scale / std::uint32_t(tick)));
        return runs;
    };
    Runs bframes = {{1, 3003}};  // B-frame pairs timed 1 tick apart, as some muxers write them
    for (int i = 0; i < 10; ++i) bframes.insert(bframes.end(), {{1, 1}, {1, 6005}});
    const std::tuple<const char*, std::uint32_t, Runs, std::string> cases[] = {
        {"steady", 12800, {{250, 512}}, "25/1"},
        {"steady, odd first and last", 90000, {{1, 1000}, {98, 3003}, {1, 1}}, "30000/1001"},
        {"a 10 MHz time scale", 10000000, rounded(24000 / 1001.0, 1e7, 10000000, 48), "24000/1001"},
        {"B-frame artefacts", 90000, bframes, "30000/1001"},
        {"milliseconds, 29.97", 1000, rounded(30000 / 1001.0, 1000, 1000, 13), "30000/1001"},
        {"milliseconds, 30", 1000, rounded(30, 1000, 1000, 13), "30/1"},
        {"milliseconds at 16 kHz", 16000, rounded(30, 1000, 16000, 90), "30/1"},
        {"a phone's 29.87", 90000, {{36, 3013}}, "30000/1001"},
        {"variable rate: the common frame time", 600, {{60, 20}, {5, 25}, {5, 30}, {10, 40}}, "30/1"},
        {"no standard rate, steady", 16384, {{20, 256}}, "64/1"},
        {"no standard rate, variable", 1000, {{10, 70}, {10, 110}, {10, 170}}, "8571/1000"},
        {"nothing but 1 and 2 ms: their mean", 16000, {{10, 16}, {10, 32}}, "666667/1000"},
        {"only zero durations", 90000, {{10, 0}}, ""},
        {"no time scale", 0, {{10, 1}}, ""},
    };
    for (const auto& [name, scale, runs, rate] : cases) {
        SampleDurations durations(scale);
        for (const auto& [count, delta] : runs) durations.add(count, delta);
        const auto measured = measureFrameRate(durations);
        EXPECT_EQ(measured ? measured->text() : "", rate) << name;
    }
}

TEST(MovieReader, TurnsTheRecordsSizesByTheTrackHeadersMatrix) {
    constexpr std::int32_t one = 0x10000, w = 0x40000000;
    const Matrix quarter = {0, one, 0, -one, 0, 0, 0, 0, w};
    // ffmpeg's display rotation; 90 and 270 swap the record's sizes; -1: the track header is unreadable.
    const std::tuple<const char*, Bytes, int> cases[] = {
        {"90", tkhd(0, quarter), 90},
        {"90, version 1", tkhd(1, quarter), 90},
        {"270", tkhd(0, {0, -one, 0, one, 0, 0, 0, 0, w}), 270},  // what "-metadata:s:v rotate=90" writes
        {"180", tkhd(0, {-one, 0, 0, 0, -one, 0, 0, 0, w}), 180},
        {"mirrored left to right", tkhd(0, {-one, 0, 0, 0, one, 0, 0, 0, w}), 180},
        {"mirrored top to bottom", tkhd(1, {one, 0, 0, 0, -one, 0, 0, 0, w}), 0},
        // A flip about the diagonal: ffmpeg shows it transposed, so its sides swap too.
        {"mirrored about the diagonal", tkhd(0, {0, one, 0, one, 0, 0, 0, 0, w}), 90},
        {"90 and stretched", tkhd(0, {0, 2 * one, 0, -one, 0, 0, 0, 0, w}), 90},
        {"all zero", tkhd(0, {}), 0},
        // After version and flags, the matrix starts at 36 (48 in version 1) and takes 36 bytes.
        {"matrix cut off", tkhd(0, quarter, 36 + 16), 0},
        {"matrix cut off, version 1", tkhd(1, quarter, 48 + 35), 0},
        {"only width and height cut off", tkhd(1, quarter, 48 + 36), 90},
        {"cut before the track id", tkhd(0, quarter, 10), -1},
    };
    for (const auto& [name, header, rotation] : cases) {
        SCOPED_TRACE(name);
        const MovieInfo info = read(movie({{.tkhd = header}}));
        ASSERT_EQ(info.error, rotation < 0 ? Error::malformed : Error::none);
        if (rotation < 0) continue;
        EXPECT_EQ(info.video->rotation, rotation);
        const ClipInfo clip = movieRecord(ClipInfo("/a/turned.mov"), *info.video, false);
        const bool swapped = rotation == 90 || rotation == 270;
        EXPECT_EQ(std::to_string(clip.width) + "x" + std::to_string(clip.height),
                  swapped ? "32x64" : "64x32");
    }
}

TEST(MovieReader, ProbingAMovieBehindAHugeSparseMdatReadsOnlyHeadersAndTheMovieBox) {
    TempDir dir;
    const auto file = dir / "sparse.mov";
    const std::uint64_t mdatSize = (3ull << 30) + 16;  // 3 GiB of holes: costs no disk
    const Bytes head = cat({ftyp(), be(1, 4), text("mdat"), be(mdatSize, 8)}), moov = movie({{}});
    writeFile(file, std::string(head.begin(), head.end()));
    std::filesystem::resize_file(file, head.size() - 16 + mdatSize);
    std::ofstream(file, std::ios::binary | std::ios::app)
        .write(reinterpret_cast<const char*>(moov.data()), moov.size());
    FileSource source;
    ASSERT_TRUE(source.open(file));
    ASSERT_EQ(readMovie(source).error, Error::none);
    // Two top-level headers of at most 16 bytes each, then the movie box itself.
    EXPECT_LE(source.bytesRead(), 3 * 16 + moov.size());
    EXPECT_EQ(probe(file).frames, 10);
}

TEST(MovieRecord, CodeTableGivesCodecAndPixelFormat) {
    // Depth matters only for 4444; the blank of "raw " stays in the tag; codes compare case-sensitively; a
    // code that is not ASCII gives an empty tag and codec, not "?".
    const std::tuple<std::string, int, std::string> cases[] = {
        {"apcn", 32, "apcn|prores|yuv422p10le"},
        {"ap4h", 24, "ap4h|prores|yuv444p10le"},
        {"ap4x", 32, "ap4x|prores|yuva444p10le"},
        {"hvc1", 24, "hvc1|hevc|yuv420p"},
        {"JPEG", 24, "JPEG|jpeg|"},
        {"raw ", 24, "raw |raw|"},
        {"APCH", 24, "APCH|apch|"},
        {"\xA9xml", 24, "||"},
    };
    for (const auto& [code, depth, expected] : cases) {
        VideoTrack video;
        video.format.code = decodeUnsigned<std::uint32_t>(code.data(), 4, Endian::big);
        video.format.depth = depth;
        const ClipInfo c = movieRecord(ClipInfo("/a/b.mov"), video, false);
        EXPECT_EQ(c.codecTag + "|" + c.codec + "|" + c.pixFmt, expected);
    }
}

TEST(MovieRecord, ColourPixelAspectAndDepthFromTheSampleEntry) {
    const Bytes icc = box("colr", cat({text("prof"), zeros(64)}));
    const std::string bt709 = "bt709|bt709|bt709|pc|yuv420p|";
    auto afterFreeBoxes = [](std::size_t n) {
        return cat({repeated(box("free", {}), n), nclx(1, 1, 1, true)});
    };
    auto pasp = [](int h, int v) { return box("pasp", cat({be(h, 4), be(v, 4)})); };
    // The extensions of an hvc1 sample entry, then primaries|transfer|matrix|range|pixel format|aspect. An
    // HEVC range that nothing states is limited, as ffmpeg's decoder takes it.
    const std::tuple<const char*, Bytes, std::string> cases[] = {
        {"none", {}, "|||tv|yuv420p|"},
        {"nclx limited range", nclx(6, 7, 6, false), "smpte170m|smpte240m|smpte170m|tv|yuv420p|"},
        {"nclx full range", nclx(5, 14, 7, true), "bt470bg|bt2020-10|smpte240m|pc|yuv420p|"},
        {"HLG", nclx(9, 18, 10, false), "bt2020|arib-std-b67|bt2020c|tv|yuv420p|"},
        {"codes named straight", nclx(12, 13, 0, true), "smpte432|iec61966-2-1|gbr|pc|yuv420p|"},
        {"more codes", nclx(22, 5, 14, false), "ebu3213|bt470bg|ictcp|tv|yuv420p|"},
        {"unknown codes", nclx(2, 3, 200, false), "|||tv|yuv420p|"},
        {"ICC profile before the codes", cat({icc, nclx(11, 15, 5, false)}),
         "smpte431|bt2020-12|bt470bg|tv|yuv420p|"},
        {"only the first code box counts", cat({nclx(1, 1, 1, true), nclx(9, 16, 9, false)}), bt709},
        {"an 18-byte nclx: the range flag's default",
         box("colr", cat({text("nclx"), be(1, 2), be(1, 2), be(1, 2)})), "bt709|bt709|bt709|tv|yuv420p|"},
        {"a short colr is ignored", box("colr", cat({text("nclx"), be(1, 2)})), "|||tv|yuv420p|"},
        // The children looked at are limited as in any box, but running out of them only ends the walk.
        {"colr as the last child looked at", afterFreeBoxes(limits::kMaxChildBoxes - 1), bt709},
        {"colr one past", afterFreeBoxes(limits::kMaxChildBoxes), "|||tv|yuv420p|"},
        // Junk after the fixed fields ends the walk but keeps the entry.
        {"junk after the codes", cat({nclx(1, 1, 1, true), be(0xFFFF, 4), text("junk")}), bt709},
        {"hvcC 10 bit", hvcC(10), "|||tv|yuv420p10le|"},
        {"hvcC 4:2:2 12 bit", hvcC(12, 2), "|||tv|yuv422p12le|"},
        {"hvcC monochrome", hvcC(8, 0), "|||tv|gray|"},
        {"pixel aspect", cat({pasp(8, 6), hvcC(8)}), "|||tv|yuv420p|4:3"},
        {"square pixels", pasp(5, 5), "|||tv|yuv420p|"},
        {"an aspect of zero says nothing", pasp(0, 3), "|||tv|yuv420p|"},
    };
    for (const auto& [name, extensions, expected] : cases) {
        const MovieInfo info = read(movie({{.code = "hvc1", .extensions = extensions}}));
        ASSERT_EQ(info.error, Error::none) << name;
        const ClipInfo c = movieRecord(ClipInfo("/a/b.mp4"), *info.video, false);
        const std::string colours =
            c.colorPrimaries + "|" + c.colorTransfer + "|" + c.colorSpace + "|" + c.colorRange;
        EXPECT_EQ(colours + "|" + c.pixFmt + "|" + c.pixelAspect, expected) << name;
    }
}

}  // namespace
}  // namespace tessellane
