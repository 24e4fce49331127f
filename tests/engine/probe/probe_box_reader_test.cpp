// The movie box reader on hand-built files: every size form, hostile counts and depths, the tables.
#include <gtest/gtest.h>

#include <fstream>

#include "engine/probe/byte_source.h"
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

TEST(MovieReader, ReadsTheFormatDescriptionOfAMinimalMovie) {
    TrackLayout layout;
    layout.extensions = nclx(9, 16, 9, true);
    layout.elst = fullBox("elst", 0, cat({be(1, 4), be(400, 4), be(0, 4), be(0x10000, 4)}));
    const MovieInfo info = read(cat({ftyp(), box("mdat", zeros(100)), movie({layout})}));
    ASSERT_EQ(info.error, Error::none);
    ASSERT_TRUE(info.video);
    const FormatDescription& format = info.video->format;
    EXPECT_EQ(format.code, 0x61766331u);  // avc1
    EXPECT_EQ(format.width, 64);
    EXPECT_EQ(format.height, 32);
    EXPECT_EQ(format.depth, 24);
    EXPECT_EQ(format.bitsPerComponent, std::nullopt);
    EXPECT_EQ(format.colorPrimaries, "ITU_R_2020");
    EXPECT_EQ(format.transferFunction, "SMPTE_ST_2084_PQ");
    EXPECT_EQ(format.yCbCrMatrix, "ITU_R_2020");
    EXPECT_EQ(format.fullRangeVideo, true);
    EXPECT_TRUE(info.video->minFrameDuration.valid);
    EXPECT_EQ(info.video->minFrameDuration.value, 512);
    EXPECT_EQ(info.video->minFrameDuration.timescale, 12800);
    EXPECT_DOUBLE_EQ(info.video->nominalFrameRate, 25.0);
    EXPECT_DOUBLE_EQ(info.video->durationSeconds, 0.4);
    EXPECT_FALSE(info.hasAudio);
}

TEST(MovieReader, FindsTheMovieBoxWhateverTheSizeForms) {
    const Bytes moov = movie({TrackLayout{}});
    const Bytes moovPayload(moov.begin() + 8, moov.end());
    struct Case {
        const char* name;
        Bytes file;
        Error error;
    };
    const Case cases[] = {
        {"moov first", cat({ftyp(), moov, box("mdat", zeros(64))}), Error::none},
        {"moov last", cat({ftyp(), box("mdat", zeros(64)), moov}), Error::none},
        {"moov with a 64-bit size", cat({ftyp(), box64("moov", moovPayload)}), Error::none},
        {"mdat with a 64-bit size", cat({ftyp(), box64("mdat", zeros(64)), moov}), Error::none},
        {"moov running to the end", cat({ftyp(), box("mdat", zeros(8)), boxToEnd("moov", moovPayload)}),
         Error::none},
        {"mdat running to the end", cat({ftyp(), moov, boxToEnd("mdat", zeros(64))}), Error::none},
        {"uuid and free boxes first", cat({box("uuid", zeros(16)), box("free", {}), box("wide", {}), moov}),
         Error::none},
        {"mdat to the end hides a later moov", cat({ftyp(), boxToEnd("mdat", zeros(8)), moov}),
         Error::noMovieBox},
        {"mdat claims more than the file", cat({ftyp(), be(1, 4), text("mdat"), be(1ull << 40, 8), moov}),
         Error::noMovieBox},
        {"size smaller than a header", cat({be(4, 4), text("ftyp"), moov}), Error::noMovieBox},
        {"64-bit size smaller than its header", cat({be(1, 4), text("moov"), be(12, 8), moovPayload}),
         Error::noMovieBox},
        {"moov cut short", Bytes(moov.begin(), moov.end() - 10), Error::truncated},
        {"no moov at all", cat({ftyp(), box("mdat", zeros(64))}), Error::noMovieBox},
        {"empty file", {}, Error::noMovieBox},
        {"seven bytes", zeros(7), Error::noMovieBox},
        {"child past its parent", box("moov", cat({be(4096, 4), text("trak"), zeros(32)})), Error::malformed},
        {"no video track", box("moov", mvhd(1000, 0)), Error::noVideoTrack},
    };
    for (const Case& test : cases) {
        const MovieInfo info = read(test.file);
        EXPECT_EQ(info.error, test.error) << test.name;
        EXPECT_EQ(info.video.has_value(), test.error == Error::none) << test.name;
    }
}

// A fragmented movie: moov with mvex (mehd, trex, and `otherTrex` more trex for other tracks), then moof
// boxes whose trun list the samples.
Bytes fragmentedMovie(std::optional<std::uint32_t> mehd, std::uint32_t trexDuration, const Bytes& fragments,
                      std::size_t otherTrex = 0) {
    TrackLayout layout;
    layout.stts.clear();
    layout.duration = 0;
    Bytes trak = track(layout);
    // Give the track the id 1 (tkhd: version/flags, two times, then the id).
    const std::string tkhd = "tkhd";
    auto at = std::search(trak.begin(), trak.end(), tkhd.begin(), tkhd.end()) - trak.begin() + 4 + 12;
    trak[at + 3] = 1;
    Bytes mvex =
        box("mvex",
            cat({mehd ? fullBox("mehd", 0, be(*mehd, 4)) : Bytes{},
                 fullBox("trex", 0, cat({be(1, 4), be(1, 4), be(trexDuration, 4), zeros(8)})),
                 repeated(fullBox("trex", 0, cat({be(2, 4), be(1, 4), be(100, 4), zeros(8)})), otherTrex)}));
    return cat({ftyp(), box("moov", cat({mvhd(1000, 0), trak, mvex})), fragments});
}
// tfhd for a track, optionally with a default sample duration (flag 0x08)
Bytes tfhd(std::uint32_t trackId, std::optional<std::uint32_t> duration) {
    return box("tfhd", cat({be(duration ? 0x020008 : 0x020000, 4), be(trackId, 4),
                            duration ? be(*duration, 4) : Bytes{}}));
}
// trun with a data offset (0x01) and, when durations are given, one duration and size per sample
Bytes trun(std::uint32_t count, const std::vector<std::uint32_t>& durations) {
    Bytes samples;
    for (std::uint32_t d : durations) samples = cat({samples, be(d, 4), be(100, 4)});
    return box("trun",
               cat({be(durations.empty() ? 0x000001 : 0x000301, 4), be(count, 4), be(0, 4), samples}));
}
Bytes moof(const Bytes& trafs) {
    return cat({box("moof", cat({fullBox("mfhd", 0, be(1, 4)), trafs})), box("mdat", zeros(16))});
}

// A movie whose walk visits exactly n boxes (n at least 12, the minimal movie's count): the minimal movie,
// then tracks holding nothing but free boxes.
Bytes movieOfBoxes(std::size_t n) {
    Bytes payload = cat({mvhd(1000, 400), track(TrackLayout{})});
    for (std::size_t left = n - 12; left > 0;) {
        const std::size_t here = std::min(left, limits::kMaxChildBoxes);  // the trak and its children
        const Bytes filler = box("trak", repeated(box("free", {}), here - 1));
        payload.insert(payload.end(), filler.begin(), filler.end());
        left -= here;
    }
    return box("moov", payload);
}

// A movie whose stts or elst claims `count` entries and holds none.
Bytes tableClaiming(const char* table, std::uint32_t count) {
    TrackLayout layout;
    if (std::string(table) == "stts") {
        layout.stts.clear();
        Bytes moov = movie({layout});
        const std::string needle = "stts";
        auto at = std::search(moov.begin(), moov.end(), needle.begin(), needle.end()) - moov.begin() + 8;
        for (int i = 0; i < 4; ++i) moov[at + i] = static_cast<std::uint8_t>(count >> (24 - 8 * i));
        return moov;
    }
    layout.elst = fullBox("elst", 0, be(count, 4));
    return movie({layout});
}

TEST(MovieReader, EveryLimitHoldsAtItsValueAndTriggersOnePast) {
    using namespace limits;
    const Bytes freeBox = box("free", {});
    // mvhd, the video track, then `extra`.
    auto movieWith = [](const Bytes& extra) {
        return box("moov", cat({mvhd(1000, 400), track(TrackLayout{}), extra}));
    };
    auto fragmentsOf = [](const Bytes& runs) { return fragmentedMovie({}, 0, moof(box("traf", runs))); };
    // Boxes nested a hundred thousand deep where the reader looks for tracks.
    const std::size_t depth = 100000;
    Bytes bomb;
    for (std::size_t i = 0; i < depth; ++i) {
        const Bytes header = cat({be(8 * (depth - i), 4), text(i % 2 ? "mdia" : "trak")});
        bomb.insert(bomb.end(), header.begin(), header.end());
    }
    TrackLayout hugeEntry;
    hugeEntry.extensions = box("free", zeros(1u << 20));

    // Each file meets its limit exactly and reads (or fails later, for the reason given); the same file with
    // one more box, entry or sample is refused as too large.
    struct Case {
        const char* name;
        Bytes atLimit;
        Error atLimitError;
        Bytes onePast;
    };
    const Case cases[] = {
        {"top-level boxes before moov",
         cat({repeated(freeBox, kMaxTopLevelBoxes - 1), movie({TrackLayout{}})}), Error::none,
         cat({repeated(freeBox, kMaxTopLevelBoxes), movie({TrackLayout{}})})},
        {"top-level boxes after a fragmented moov",
         fragmentedMovie({}, 0, repeated(freeBox, kMaxFragmentBoxes)), Error::none,
         fragmentedMovie({}, 0, repeated(freeBox, kMaxFragmentBoxes + 1))},
        {"children of one box", movieWith(repeated(freeBox, kMaxChildBoxes - 2)), Error::none,
         movieWith(repeated(freeBox, kMaxChildBoxes - 1))},
        // Every parent within its own limit, but together as many boxes as one movie may make us visit.
        {"boxes in one movie", movieOfBoxes(kMaxBoxesPerMovie), Error::none,
         movieOfBoxes(kMaxBoxesPerMovie + 1)},
        {"tracks", movieWith(repeated(box("trak", {}), kMaxTracks - 1)), Error::none,
         movieWith(repeated(box("trak", {}), kMaxTracks))},
        {"track defaults in mvex", fragmentedMovie({}, 0, {}, kMaxTracks - 1), Error::none,
         fragmentedMovie({}, 0, {}, kMaxTracks)},
        // At the limit a table's count passes and its missing entries are noticed; past it, not even that.
        {"stts entries", tableClaiming("stts", kMaxTableEntries), Error::truncated,
         tableClaiming("stts", kMaxTableEntries + 1)},
        {"elst entries", tableClaiming("elst", kMaxTableEntries), Error::truncated,
         tableClaiming("elst", kMaxTableEntries + 1)},
        {"samples in the fragments, over two runs",
         fragmentsOf(cat({tfhd(1, 512), trun(kMaxTableEntries - 1, {}), trun(1, {})})), Error::none,
         fragmentsOf(cat({tfhd(1, 512), trun(kMaxTableEntries, {}), trun(1, {})}))},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(read(test.atLimit).error, test.atLimitError) << test.name;
        EXPECT_EQ(read(test.onePast).error, Error::tooLarge) << test.name << ", one past";
    }

    // No nesting or box-size limit: a deep nest is not walked, a big box is not loaded.
    EXPECT_EQ(read(box("moov", bomb)).error, Error::noVideoTrack);
    EXPECT_EQ(read(movie({hugeEntry})).error, Error::none);
}

TEST(MovieReader, WalksTheTimeTableAndTheEditList) {
    struct Case {
        const char* name;
        TrackLayout layout;
        std::uint32_t movieTimescale;
        bool valid;
        std::int64_t minValue;
        double nominal, seconds;
    };
    auto layout = [](std::vector<std::pair<std::uint32_t, std::uint32_t>> stts, std::optional<Bytes> elst,
                     std::uint32_t timescale = 24000, std::uint64_t duration = 24024, int version = 0) {
        TrackLayout t;
        t.stts = std::move(stts);
        t.elst = std::move(elst);
        t.timescale = timescale;
        t.duration = duration;
        t.mdhdVersion = version;
        return t;
    };
    const Bytes emptyThenOne = fullBox("elst", 0,
                                       cat({be(2, 4), be(500, 4), be(0xFFFFFFFFu, 4), be(0x10000, 4),
                                            be(1001, 4), be(0, 4), be(0x10000, 4)}));
    const Bytes version1 = fullBox("elst", 1, cat({be(1, 4), be(2002, 8), be(0, 8), be(0x10000, 4)}));
    const Case cases[] = {
        {"one entry", layout({{24, 1001}}, {}), 1000, true, 1001, 24000.0 / 1001, 1.001},
        // Entries without samples or with a zero delta do not set the minimum.
        {"smallest used delta", layout({{0, 1}, {20, 1001}, {4, 0}, {1, 2002}}, {}), 1000, true, 1001,
         25 / 1.001, 1.001},
        {"no entries", layout({}, {}), 1000, false, 0, 0, 1.001},
        {"zero time scale", layout({{24, 1001}}, {}, 0, 24024), 1000, false, 0, 0, 0},
        {"zero duration", layout({{24, 1001}}, {}, 24000, 0), 1000, true, 1001, 0, 0},
        {"version 1 media header", layout({{24, 1001}}, {}, 24000, 24024, 1), 1000, true, 1001,
         24000.0 / 1001, 1.001},
        // The edit list gives the length, in the movie's time scale, without its empty edits.
        {"empty edit skipped", layout({{24, 1001}}, emptyThenOne), 1000, true, 1001, 24000.0 / 1001, 1.001},
        {"version 1 edit list", layout({{24, 1001}}, version1), 2000, true, 1001, 24000.0 / 1001, 1.001},
        {"edit list without a movie time scale", layout({{24, 1001}}, version1), 0, true, 1001,
         24000.0 / 1001, 1.001},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const MovieInfo info = read(movie({test.layout}, test.movieTimescale));
        ASSERT_EQ(info.error, Error::none);
        EXPECT_EQ(info.video->minFrameDuration.valid, test.valid);
        if (test.valid) {
            EXPECT_EQ(info.video->minFrameDuration.value, test.minValue);
        }
        EXPECT_NEAR(info.video->nominalFrameRate, test.nominal, 1e-9);
        EXPECT_NEAR(info.video->durationSeconds, test.seconds, 1e-9);
    }
}

TEST(MovieReader, TakesTheFirstVideoTrackAndNoticesAudioAnywhere) {
    TrackLayout audio;
    audio.handler = "soun";
    audio.code = "mp4a";
    TrackLayout first;
    first.code = "apch";
    TrackLayout second;
    second.code = "avc1";

    MovieInfo info = read(movie({audio, first, second}));
    ASSERT_EQ(info.error, Error::none);
    EXPECT_EQ(info.video->format.code, 0x61706368u);  // apch
    EXPECT_TRUE(info.hasAudio);

    info = read(movie({first, audio}));
    EXPECT_TRUE(info.hasAudio);

    // Audio only: no video track, and the audio is not reported either.
    info = read(movie({audio}));
    EXPECT_EQ(info.error, Error::noVideoTrack);
    EXPECT_FALSE(info.hasAudio);

    TrackLayout noDescription;
    noDescription.withStsd = false;
    EXPECT_EQ(read(movie({noDescription})).error, Error::noVideoTrack);
}

TEST(MovieReader, ReadsColourAndBitDepthExtensions) {
    struct Case {
        const char* name;
        Bytes extensions;
        std::optional<std::string> primaries, transfer, matrix;
        std::optional<bool> fullRange;
        std::optional<std::int64_t> bits;
    };
    const Bytes icc = box("colr", cat({text("prof"), zeros(64)}));
    const Case cases[] = {
        {"none", {}, {}, {}, {}, {}, {}},
        {"nclc has no range flag", nclc(1, 1, 1), "ITU_R_709_2", "ITU_R_709_2", "ITU_R_709_2", {}, {}},
        {"nclx limited range", nclx(6, 7, 6, false), "SMPTE_C", "SMPTE_240M_1995", "ITU_R_601_4", false, {}},
        {"HLG", nclx(9, 18, 9, false), "ITU_R_2020", "ITU_R_2100_HLG", "ITU_R_2020", false, {}},
        {"unspecified codes are absent", nclx(2, 2, 2, true), {}, {}, {}, true, {}},
        {"an ICC profile before the codes",
         cat({icc, nclx(5, 14, 5, false)}),
         "EBU_3213",
         "ITU_R_2020",
         "ITU_R_601_4",
         false,
         {}},
        {"only the first code box counts",
         cat({nclx(1, 1, 1, true), nclx(9, 16, 9, false)}),
         "ITU_R_709_2",
         "ITU_R_709_2",
         "ITU_R_709_2",
         true,
         {}},
        {"hvcC 10 bit", hvcC(10), {}, {}, {}, {}, 10},
        {"hvcC 8 bit", hvcC(8), {}, {}, {}, {}, 8},
        {"a short colr is ignored", box("colr", cat({text("nclx"), be(1, 2)})), {}, {}, {}, {}, {}},
        // The children looked at are limited as in any box, but running out of them only ends the walk.
        {"colr as the last child looked at",
         cat({repeated(box("free", {}), limits::kMaxChildBoxes - 1), nclx(1, 1, 1, true)}),
         "ITU_R_709_2",
         "ITU_R_709_2",
         "ITU_R_709_2",
         true,
         {}},
        {"colr one past",
         cat({repeated(box("free", {}), limits::kMaxChildBoxes), nclx(1, 1, 1, true)}),
         {},
         {},
         {},
         {},
         {}},
        // Junk after the fixed fields ends the walk but keeps the entry.
        {"junk after the codes",
         cat({nclc(1, 1, 1), be(0xFFFF, 4), text("junk")}),
         "ITU_R_709_2",
         "ITU_R_709_2",
         "ITU_R_709_2",
         {},
         {}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        TrackLayout layout;
        layout.extensions = test.extensions;
        const MovieInfo info = read(movie({layout}));
        ASSERT_EQ(info.error, Error::none);
        const FormatDescription& format = info.video->format;
        EXPECT_EQ(format.colorPrimaries, test.primaries);
        EXPECT_EQ(format.transferFunction, test.transfer);
        EXPECT_EQ(format.yCbCrMatrix, test.matrix);
        EXPECT_EQ(format.fullRangeVideo, test.fullRange);
        EXPECT_EQ(format.bitsPerComponent, test.bits);
    }
}

TEST(MovieReader, TurnsTheRecordsSizesByTheTrackHeadersMatrix) {
    constexpr std::int32_t one = 0x10000, w = 0x40000000;
    const Matrix identity = {one, 0, 0, 0, one, 0, 0, 0, w};
    const Matrix quarter = {0, one, 0, -one, 0, 0, 0, 0, w};
    const Matrix threeQuarters = {0, -one, 0, one, 0, 0, 0, 0, w};  // what "-metadata:s:v rotate=90" writes
    struct Case {
        const char* name;
        Bytes tkhd;
        Error error;
        int rotation;  // ffmpeg's display rotation; 90 and 270 swap the record's sizes
    };
    const Case cases[] = {
        {"identity", tkhd(0, identity), Error::none, 0},
        {"identity, version 1", tkhd(1, identity), Error::none, 0},
        {"90", tkhd(0, quarter), Error::none, 90},
        {"90, version 1", tkhd(1, quarter), Error::none, 90},
        {"270", tkhd(0, threeQuarters), Error::none, 270},
        {"270, version 1", tkhd(1, threeQuarters), Error::none, 270},
        {"180", tkhd(0, {-one, 0, 0, 0, -one, 0, 0, 0, w}), Error::none, 180},
        {"mirrored left to right", tkhd(0, {-one, 0, 0, 0, one, 0, 0, 0, w}), Error::none, 180},
        {"mirrored top to bottom", tkhd(1, {one, 0, 0, 0, -one, 0, 0, 0, w}), Error::none, 0},
        // A flip about the diagonal: ffmpeg shows it transposed, so its sides swap too.
        {"mirrored about the diagonal", tkhd(0, {0, one, 0, one, 0, 0, 0, 0, w}), Error::none, 90},
        {"90 and stretched", tkhd(0, {0, 2 * one, 0, -one, 0, 0, 0, 0, w}), Error::none, 90},
        {"all zero", tkhd(0, {}), Error::none, 0},
        // After version and flags, the matrix starts at 36 (48 in version 1) and takes 36 bytes.
        {"matrix cut off", tkhd(0, quarter, 36 + 16), Error::none, 0},
        {"matrix cut off, version 1", tkhd(1, quarter, 48 + 35), Error::none, 0},
        {"only width and height cut off", tkhd(1, quarter, 48 + 36), Error::none, 90},
        {"cut before the track id", tkhd(0, quarter, 10), Error::malformed, 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        TrackLayout layout;
        layout.tkhd = test.tkhd;
        const MovieInfo info = read(movie({layout}));
        ASSERT_EQ(info.error, test.error);
        if (test.error != Error::none) continue;
        EXPECT_EQ(info.video->rotation, test.rotation);
        const bool swapped = test.rotation == 90 || test.rotation == 270;
        const ClipInfo clip = movieRecord(ClipInfo("/a/turned.mov"), *info.video, false);
        EXPECT_EQ(clip.width, swapped ? 32 : 64);
        EXPECT_EQ(clip.height, swapped ? 64 : 32);
    }
}

TEST(MovieReader, BreakingAnyByteOfAMovieNeverReadsOutOfBounds) {
    // Flip every byte of a small movie in turn; each variant must come back as a result or an error. Run
    // under the sanitizers this is what catches a read past a buffer.
    TrackLayout layout;
    layout.extensions = cat({nclx(1, 1, 1, false), hvcC(10)});
    layout.elst = fullBox("elst", 0, cat({be(1, 4), be(400, 4), be(0, 4), be(0x10000, 4)}));
    layout.tkhd = tkhd(1, {0, 0x10000, 0, -0x10000, 0, 0, 0, 0, 0x40000000});
    const Bytes original = cat({ftyp(), movie({layout})});
    for (std::size_t i = 0; i < original.size(); ++i) {
        for (std::uint8_t value :
             {std::uint8_t(0x00), std::uint8_t(0xFF), std::uint8_t(original[i] ^ 0x01)}) {
            Bytes broken = original;
            broken[i] = value;
            const MovieInfo info = read(broken);
            EXPECT_EQ(info.video.has_value(), info.error == Error::none) << i;
        }
    }
}

TEST(MovieReader, CountsTheSamplesOfMovieFragments) {
    struct Case {
        const char* name;
        Bytes file;
        Error error;
        std::int64_t minDelta;
        double nominal, seconds;
    };
    const Case cases[] = {
        {"durations per sample",
         fragmentedMovie({}, 0,
                         cat({moof(box("traf", cat({tfhd(1, {}), trun(3, {512, 512, 256})}))),
                              moof(box("traf", cat({tfhd(1, {}), trun(1, {512})})))})),
         Error::none, 256, 4 / (1792 / 12800.0), 1792 / 12800.0},
        {"default from tfhd", fragmentedMovie({}, 0, moof(box("traf", cat({tfhd(1, 512), trun(10, {})})))),
         Error::none, 512, 25, 0.4},
        {"default from trex, length from mehd",
         fragmentedMovie(2000, 512, moof(box("traf", cat({tfhd(1, {}), trun(50, {})})))), Error::none, 512,
         25, 2},
        {"another track's fragments are not counted",
         fragmentedMovie({}, 0,
                         moof(cat({box("traf", cat({tfhd(2, 100), trun(10, {})})),
                                   box("traf", cat({tfhd(1, 512), trun(5, {})}))}))),
         Error::none, 512, 25, 0.2},
        {"a last fragment cut short is left out",
         cat({fragmentedMovie({}, 0, moof(box("traf", cat({tfhd(1, 512), trun(5, {})})))), be(500, 4),
              text("moof")}),
         Error::none, 512, 25, 0.2},
        {"trun claiming more samples than it holds",
         fragmentedMovie({}, 0, moof(box("traf", cat({tfhd(1, {}), trun(1000, {512})})))), Error::truncated,
         0, 0, 0},
        {"trun claiming 2^32-1 samples",
         fragmentedMovie({}, 0, moof(box("traf", cat({tfhd(1, 512), trun(0xFFFFFFFFu, {})})))),
         Error::tooLarge, 0, 0, 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const MovieInfo info = read(test.file);
        ASSERT_EQ(info.error, test.error);
        if (test.error != Error::none) continue;
        EXPECT_EQ(info.video->minFrameDuration.value, test.minDelta);
        EXPECT_NEAR(info.video->nominalFrameRate, test.nominal, 1e-9);
        EXPECT_NEAR(info.video->durationSeconds, test.seconds, 1e-9);
    }
}

TEST(MovieReader, ProbingAMovieBehindAHugeSparseMdatReadsOnlyHeadersAndTheMovieBox) {
    TempDir dir;
    const auto file = dir / "sparse.mov";
    const std::uint64_t mdatSize = (3ull << 30) + 16;  // 3 GiB of holes: costs no disk
    const Bytes head = cat({ftyp(), be(1, 4), text("mdat"), be(mdatSize, 8)});
    const Bytes moov = movie({TrackLayout{}});
    {
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(head.data()), std::streamsize(head.size()));
        out.seekp(std::streamoff(head.size() - 16 + mdatSize));
        out.write(reinterpret_cast<const char*>(moov.data()), std::streamsize(moov.size()));
        ASSERT_TRUE(out.good());
    }
    FileSource source;
    ASSERT_TRUE(source.open(file));
    const MovieInfo info = readMovie(source);
    ASSERT_EQ(info.error, Error::none);
    // Two top-level headers of at most 16 bytes each, then the movie box itself.
    EXPECT_LE(source.bytesRead(), 3 * 16 + moov.size());
    EXPECT_EQ(probe(file).frames, 10);
}

}  // namespace
}  // namespace tessellane
