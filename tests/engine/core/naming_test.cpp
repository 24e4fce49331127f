#include "engine/core/naming.h"

#include <gtest/gtest.h>

namespace tessellane {
namespace {

std::vector<FileURL> paths(std::initializer_list<const char*> names, const char* folder = "/v/") {
    std::vector<FileURL> out;
    for (const char* name : names) out.emplace_back(std::string(folder) + name);
    return out;
}

std::vector<std::string> names(const std::vector<FileURL>& urls) {
    std::vector<std::string> out;
    for (const FileURL& url : urls) out.push_back(url.filename().string());
    return out;
}

// Hangul syllables written as conjoining jamo, the way macOS file systems store them.
const char* const composedTake = "촬영 테이크";
const char* const decomposedTake =
    "\xE1\x84\x8E\xE1\x85\xAA\xE1\x86\xAF\xE1\x84\x8B\xE1\x85\xA7\xE1\x86\xBC "
    "\xE1\x84\x90\xE1\x85\xA6\xE1\x84\x8B\xE1\x85\xB5\xE1\x84\x8F\xE1\x85\xB3";

TEST(Naming, WorkedExamples) {
    struct Case {
        std::vector<FileURL> inputs;
        const char* suffix;
        const char* base;
        const char* output;
    };
    const Case cases[] = {
        {paths({"A001_C002_0101AB.mov", "A001_C003_0101AB.mov"}), "", "A001_C", "A001_C.mov"},
        {paths({"cam-1.mov", "cam-2.mov", "cam-10.mov"}), "_wide", "cam", "cam_wide.mov"},
        {paths({"take 12.MOV"}), "", "take", "take.MOV"},
        {paths({"left.mp4", "right.mp4"}), "_sbs", "", "_sbs.mp4"},
        {paths({"2024-05-01.mov", "2024-05-02.mov"}), "", "", ".mov"},
        {paths({"Shot.A.mov", "Shot.B.mov"}), "", "Shot.", "Shot..mov"},
        {paths({"clipA", "clipB"}), "_x", "clip", "clip_x"},
        // A name that is only a dot and an extension has that extension and an empty stem.
        {paths({"left.png", "right.png"}), "", "", ".png"},
        {paths({".png", ".png"}), "", "", ".png"},
        {{}, "_x", "", "_x.mov"},
        // Stems only: the shared prefix never reaches into an extension; the first extension wins.
        {paths({"a.mov", "a.mp4"}), "", "a", "a.mov"},
        {paths({"x1.mp4", "x2.MOV", "x3.png"}), "-v2", "x", "x-v2.mp4"},
        // Any character with a numeric value is trimmed, and only at the end.
        {paths({"reel½.mov", "reel½.mov"}), "", "reel", "reel.mov"},
        {paths({"cam⑤.mov", "cam⑤.mov"}), "", "cam", "cam.mov"},
        {paths({"a1b_2.mov", "a1b_3.mov"}), "", "a1b", "a1b.mov"},
        {paths({"Take_ 01 .mov", "Take_ 02 .mov"}), "", "Take", "Take.mov"},
        // Accented letters compare as whole characters: é (composed) equals e + U+0301.
        {{FileURL("/v/caf\u00e9_1.mov"), FileURL("/v/cafe\u0301_2.mov")}, "", "caf\u00e9", "caf\u00e9.mov"},
        // A shared first byte of a multi-byte character is no shared character.
        {paths({"촬영.mov", "촬실.mov"}), "", "촬", "촬.mov"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(baseName(c.inputs), c.base) << ::testing::PrintToString(names(c.inputs));
        EXPECT_EQ(outputFileName(c.inputs, c.suffix), c.output) << ::testing::PrintToString(names(c.inputs));
    }
}

TEST(Naming, DecomposedKoreanGivesTheComposedBaseName) {
    const std::string composed = std::string(composedTake);
    const std::string decomposed = std::string(decomposedTake);
    ASSERT_NE(composed, decomposed);
    const auto base = [](const std::string& a, const std::string& b) {
        return baseName({FileURL("/v/" + a + ".mov"), FileURL("/v/" + b + ".mov")});
    };
    EXPECT_EQ(base(composed + "_01", composed + "_02"), composed);
    EXPECT_EQ(base(decomposed + "_01", decomposed + "_02"), composed);
    EXPECT_EQ(base(decomposed + "_01", composed + "_02"), composed);
    EXPECT_EQ(base(composed + "1", decomposed + "2"), composed);
    // A decomposed syllable is one user-perceived character: 촬 vs 촐 share nothing, not the initial jamo.
    EXPECT_EQ(baseName({FileURL("/v/\xE1\x84\x8E\xE1\x85\xAA\xE1\x86\xAF.mov"), FileURL("/v/촐.mov")}), "");
}

TEST(Naming, NaturalOrder) {
    struct Case {
        std::vector<FileURL> inputs;
        std::vector<std::string> sorted;
    };
    const Case cases[] = {
        {paths({"clip10.mov", "clip2.mov", "Clip1.mov"}), {"Clip1.mov", "clip2.mov", "clip10.mov"}},
        {{FileURL("/x/B.mov"), FileURL("/y/a.mov")}, {"a.mov", "B.mov"}},
        {paths({"take10.mov", "take2.mov", "take1.mov"}), {"take1.mov", "take2.mov", "take10.mov"}},
        {paths({"b.mov", "a10.mov", "a2.mov"}), {"a2.mov", "a10.mov", "b.mov"}},
        {paths({"A001_C010.mov", "A001_C002.mov", "A001_C001.mov"}),
         {"A001_C001.mov", "A001_C002.mov", "A001_C010.mov"}},
        {paths({"x100.mov", "x99.mov", "x1000.mov"}), {"x99.mov", "x100.mov", "x1000.mov"}},
        // Case only breaks ties: a.mov and A.mov both precede b.mov.
        {paths({"b.mov", "A.mov", "a.mov"}), {"a.mov", "A.mov", "b.mov"}},
        {paths({"테이크2.mov", "테이크10.mov", "테이크1.mov"}),
         {"테이크1.mov", "테이크2.mov", "테이크10.mov"}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        std::vector<FileURL> sorted = naturalSortedURLs(c.inputs);
        EXPECT_EQ(names(sorted), c.sorted);
        EXPECT_EQ(naturalSortedURLs(sorted), sorted) << "sorting twice changes nothing";
    }
}

TEST(Naming, SortIsStableForEqualNames) {
    std::vector<FileURL> input = {FileURL("/z/same.mov"), FileURL("/a/same.mov"), FileURL("/m/other.mov"),
                                  FileURL("/b/same.mov")};
    std::vector<FileURL> sorted = naturalSortedURLs(input);
    EXPECT_EQ(sorted, (std::vector<FileURL>{FileURL("/m/other.mov"), FileURL("/z/same.mov"),
                                            FileURL("/a/same.mov"), FileURL("/b/same.mov")}));
}

TEST(Naming, ClipListSortsByFileNameAndKeepsRecords) {
    std::vector<ClipInfo> clips{ClipInfo(FileURL("/v/c10.mov")), ClipInfo(FileURL("/v/c9.mov")),
                                ClipInfo(FileURL("/v/C1.mov"))};
    const std::vector<ClipInfo> before = clips;
    std::vector<ClipInfo> sorted = naturalSorted(clips);
    EXPECT_EQ(clips, before) << "the input is not changed";
    ASSERT_EQ(sorted.size(), 3u);
    EXPECT_EQ(sorted[0], before[2]);
    EXPECT_EQ(sorted[1], before[1]);
    EXPECT_EQ(sorted[2], before[0]);
}

TEST(Naming, CompareAgreesWithSortedOrder) {
    // The sort uses collation keys; naturalCompare compares directly. Both must order alike.
    std::vector<FileURL> input =
        paths({"z.mov", "Z2.mov", "z10.mov", "é.mov", "e.mov", "E.mov", "a b.mov", "a_b.mov", "a-b.mov",
               "10.mov", "9.mov", "촬영.mov", "Ab.mov", "ab.mov"});
    std::vector<FileURL> sorted = naturalSortedURLs(input);
    for (std::size_t i = 1; i < sorted.size(); ++i)
        EXPECT_LE(naturalCompare(sorted[i - 1].filename().string(), sorted[i].filename().string()), 0)
            << sorted[i - 1] << " vs " << sorted[i];
}

}  // namespace
}  // namespace tessellane
