#include "engine/core/naming.h"

#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <array>
#include <sstream>
#include <thread>

namespace tessellane {
namespace {

// Comma-separated names, under /v/ unless they carry their own folder.
std::vector<FileURL> urls(const std::string& list) {
    std::vector<FileURL> out;
    std::istringstream names(list);
    for (std::string name; std::getline(names, name, ',');)
        out.emplace_back(name[0] == '/' ? name : "/v/" + name);
    return out;
}

// Hangul as conjoining jamo, the way macOS file systems store it: 촬영 테이크 here, 촬 in the last row.
const std::string kDecomposedTake =
    "\xE1\x84\x8E\xE1\x85\xAA\xE1\x86\xAF\xE1\x84\x8B\xE1\x85\xA7\xE1\x86\xBC "
    "\xE1\x84\x90\xE1\x85\xA6\xE1\x84\x8B\xE1\x85\xB5\xE1\x84\x8F\xE1\x85\xB3";

// The output name is the shared leading part, the suffix and the first extension.
TEST(Naming, OutputNames) {
    const std::array<std::string, 3> cases[] = {
        {"A001_C002_0101AB.mov,A001_C003_0101AB.mov", "", "A001_C.mov"},
        {"cam-1.mov,cam-2.mov,cam-10.mov", "_wide", "cam_wide.mov"},
        {"take 12.MOV", "", "take.MOV"},
        {"left.mp4,right.mp4", "_sbs", "_sbs.mp4"},
        {"Shot.A.mov,Shot.B.mov", "", "Shot..mov"},
        {"clipA,clipB", "_x", "clip_x"},
        {"left.png,right.png", "", ".png"},
        {".png,.png", "", ".png"},
        {"", "_x", "_x.mov"},
        {"a.mov,a.mp4", "", "a.mov"},
        {"x1.mp4,x2.MOV,x3.png", "-v2", "x-v2.mp4"},
        {"reel½.mov,reel½.mov", "", "reel.mov"},
        {"cam⑤.mov,cam⑤.mov", "", "cam.mov"},
        {"a1b_2.mov,a1b_3.mov", "", "a1b.mov"},
        {"Take_ 01 .mov,Take_ 02 .mov", "", "Take.mov"},
        {"caf\u00e9_1.mov,cafe\u0301_2.mov", "", "caf\u00e9.mov"},
        {"촬영.mov,촬실.mov", "", "촬.mov"},
        {kDecomposedTake + "_01.mov," + kDecomposedTake + "_02.mov", "", "촬영 테이크.mov"},
        {kDecomposedTake + "1.mov,촬영 테이크2.mov", "", "촬영 테이크.mov"},
        {"\xE1\x84\x8E\xE1\x85\xAA\xE1\x86\xAF.mov,촐.mov", "", ".mov"},
    };
    for (const auto& [inputs, suffix, output] : cases)
        EXPECT_EQ(outputFileName(urls(inputs), suffix), output) << inputs;
}

// The sorted list, its names under /v/ without the folder. ICU's locale is set in a thread of its own, since
// every thread keeps its collator; C.UTF-8, which the tests pin, reaches ICU as en_US_POSIX.
std::string sortedIn(const char* locale, const std::string& list) {
    std::string out;
    std::thread([&] {
        const icu::Locale saved = icu::Locale::getDefault();
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale(locale), status);
        std::string previous;
        for (const FileURL& url : naturalSortedURLs(urls(list))) {
            out.append(out.empty() ? "" : ",")
                .append((url.parent_path() == "/v" ? url.filename() : url).string());
            EXPECT_LE(naturalCompare(previous, url.filename().string()), 0) << "compare agrees with the sort";
            previous = url.filename().string();
        }
        icu::Locale::setDefault(saved, status);
    }).join();
    return out;
}

TEST(Naming, NaturalOrderIsStableAndFollowsTheLocale) {
    const std::pair<const char*, const char*> cases[] = {
        {"clip10.mov,clip2.mov,Clip1.mov", "Clip1.mov,clip2.mov,clip10.mov"},
        {"/x/B.mov,/y/a.mov", "/y/a.mov,/x/B.mov"},
        {"b.mov,a10.mov,a2.mov", "a2.mov,a10.mov,b.mov"},
        {"A001_C010.mov,A001_C002.mov", "A001_C002.mov,A001_C010.mov"},
        {"x100.mov,x99.mov,x1000.mov", "x99.mov,x100.mov,x1000.mov"},
        {"b.mov,A.mov,a.mov,aa.mov", "a.mov,A.mov,aa.mov,b.mov"},
        {"테이크10.mov,테이크2.mov", "테이크2.mov,테이크10.mov"},
        {"é.mov,f.mov,e.mov,10.mov,9.mov", "9.mov,10.mov,e.mov,é.mov,f.mov"},
        {"/z/s.mov,/a/s.mov,/m/o.mov,/b/s.mov", "/m/o.mov,/z/s.mov,/a/s.mov,/b/s.mov"},
    };
    for (auto [given, sorted] : cases) EXPECT_EQ(sortedIn("en_US_POSIX", given), sorted);
    EXPECT_EQ(sortedIn("da_DK", "b.mov,aa.mov,a.mov,A.mov,z.mov"), "A.mov,a.mov,b.mov,z.mov,aa.mov");
}

}  // namespace
}  // namespace tessellane
