#include "program/program_arguments.h"

#include <gtest/gtest.h>

namespace tessellane {
namespace {

using Mode = ProgramArguments::Mode;

TEST(ProgramArguments, ChoosesWhatToStart) {
    // The arguments after the program's name; for the window, the files and how many entries Qt sees.
    const struct {
        std::vector<const char*> argv;
        Mode mode;
        std::vector<std::string> arguments = {};
        int toolkitArgumentCount = 0;
        std::string error = "";
    } rows[] = {
        {{}, Mode::window, {}, 1},
        {{"a.mov", "", "b.mov"}, Mode::window, {"a.mov", "b.mov"}, 4},
        // Help and version: anywhere before "--" and "--cli", the first one wins, also over a bad option.
        {{"--help"}, Mode::help},
        {{"a.mov", "-h"}, Mode::help},
        {{"--version", "--help"}, Mode::version},
        {{"-x", "--version"}, Mode::version},
        {{"--help", "--cli", "out", "_x", "a.png"}, Mode::help},
        // After "--" everything is a file, and Qt sees only what comes before it.
        {{"--", "--help"}, Mode::window, {"--help"}, 1},
        {{"a.png", "--", "-b.png", "", "--", "-h"}, Mode::window, {"a.png", "-b.png", "--", "-h"}, 2},
        // "--cli" before "--" keeps its meaning: its first occurrence takes everything after it.
        {{"--cli", "out", "_x", "--help.png", "b.png"}, Mode::cli, {"out", "_x", "--help.png", "b.png"}},
        {{"--cli", "--help"}, Mode::cli, {"--help"}},
        {{"--cli", "--cli", "x"}, Mode::cli, {"--cli", "x"}},
        {{"-x", "--cli", "o", "s"}, Mode::cli, {"o", "s"}},
        {{"--cli", "--", "x"}, Mode::cli, {"--", "x"}},
        {{"--", "--help", "--cli", "o"}, Mode::window, {"--help", "--cli", "o"}, 1},
        {{"-platform", "--cli"}, Mode::cli, {}},
        // Qt's own options pass, their values are not files.
        {{"-platform", "offscreen", "a.png", "--style", "Fusion"}, Mode::window, {"a.png"}, 6},
        {{"-style=Fusion", "--reverse", "a.png"}, Mode::window, {"a.png"}, 4},
        {{"-style", "-h"}, Mode::help},
        // Anything else that looks like an option is refused, the first one named.
        {{"-x", "a.mov", "--bogus"}, Mode::invalid, {}, 0, "알 수 없는 옵션 '-x'"},
        {{"-"}, Mode::invalid, {}, 0, "알 수 없는 옵션 '-'"},
        {{"-cli", "x"}, Mode::invalid, {}, 0, "알 수 없는 옵션 '-cli'"},
        {{"--helpme"}, Mode::invalid, {}, 0, "알 수 없는 옵션 '--helpme'"},
        {{"-platform=xcb"}, Mode::invalid, {}, 0, "알 수 없는 옵션 '-platform=xcb'"},
        {{"-style="}, Mode::invalid, {}, 0, "알 수 없는 옵션 '-style='"},
        {{"a.png", "-platform"}, Mode::invalid, {}, 0, "옵션 '-platform'에 값이 없습니다"},
        {{"-style", "--", "a.png"}, Mode::invalid, {}, 0, "옵션 '-style'에 값이 없습니다"},
    };
    for (const auto& row : rows) {
        std::vector<const char*> argv = {"tessellane"};
        argv.insert(argv.end(), row.argv.begin(), row.argv.end());
        SCOPED_TRACE(::testing::PrintToString(row.argv));
        const ProgramArguments got = programArguments(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(got.mode, row.mode);
        EXPECT_EQ(got.arguments, row.arguments);
        EXPECT_EQ(got.error, row.error);
        EXPECT_EQ(got.mode == Mode::window ? got.toolkitArgumentCount : 0, row.toolkitArgumentCount);
    }
}

// The merge settings before "--cli" (or in place of it, for the window); a value they cannot take is refused
// in both modes, the first one named.
TEST(ProgramArguments, MergeSettings) {
    const Layout row = Layout::row, column = Layout::column, grid = Layout::grid;
    const struct {
        std::vector<const char*> argv;
        MergeSettings settings;
        std::string error = "";
    } rows[] = {
        {{"a.mov"}, {}},
        {{"--layout=column", "--fit", "a.mov"}, {.layout = column, .fitSizes = true}},
        {{"--columns=3", "--conform-rate", "--cli", "o", "_", "a", "b"},
         {.layout = grid, .columns = 3, .conformRates = true}},
        {{"--layout=grid", "--audio=2", "--cli", "o", "_", "a", "b"}, {.layout = grid, .audioClip = 1}},
        {{"--audio=1", "--audio=none", "a", "b"}, {.layout = row}},
        // After "--cli" and after "--" they are arguments like any other.
        {{"--cli", "o", "--fit", "a", "b"}, {}},
        {{"--", "--fit"}, {}},
        {{"--layout=diagonal", "--cli", "o", "_", "a"},
         {},
         "옵션 '--layout=diagonal'의 값은 row, column, grid 중 하나입니다"},
        {{"--layout", "a"}, {}, "옵션 '--layout'에 값이 없습니다"},
        {{"--columns=0"}, {}, "옵션 '--columns=0'의 값은 1 이상의 정수입니다"},
        {{"--columns=2x", "--layout=row"}, {}, "옵션 '--columns=2x'의 값은 1 이상의 정수입니다"},
        {{"--columns=2", "--layout=row"}, {}, "--columns는 격자 배치(--layout=grid)에만 쓸 수 있습니다"},
        {{"--audio=-1", "a", "b"}, {}, "옵션 '--audio=-1'의 값은 none 또는 1 이상의 파일 번호입니다"},
        {{"--audio=3", "--cli", "o", "_", "a", "b"}, {}, "옵션 '--audio=3': 파일이 2개뿐입니다"},
        {{"--audio=1"}, {}, "옵션 '--audio=1': 파일이 0개뿐입니다"},
    };
    for (const auto& row : rows) {
        std::vector<const char*> argv = {"tessellane"};
        argv.insert(argv.end(), row.argv.begin(), row.argv.end());
        SCOPED_TRACE(::testing::PrintToString(row.argv));
        const ProgramArguments got = programArguments(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(got.error, row.error);
        EXPECT_TRUE(got.settings == row.settings);
        EXPECT_EQ(got.mode == Mode::invalid, !row.error.empty());
    }
}

// The window checks the "-platform" Qt would take before Qt starts: the last one given, never a file or the
// value of another option.
TEST(ProgramArguments, PlatformAsQtReadsIt) {
    const std::pair<std::vector<const char*>, std::string> rows[] = {
        {{"a.png"}, ""},
        {{"-platform", "offscreen", "a.png", "--platform", "xcb"}, "xcb"},
        {{"-title", "-platform", "a.png"}, ""},
        {{"a.png", "--", "-platform", "xcb"}, ""},
    };
    for (const auto& [arguments, platform] : rows) {
        std::vector<const char*> argv = {"tessellane"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        EXPECT_EQ(programArguments(static_cast<int>(argv.size()), argv.data()).platform, platform)
            << ::testing::PrintToString(arguments);
    }
}

TEST(ProgramArguments, HelpShowsEveryWayToStart) {
    const std::string text = usage();
    for (const char* piece :
         {"사용법:\n  tessellane [설정...] [파일들...]\n",
          "tessellane [설정...] --cli <출력폴더> <접미사> <파일들...>\n", "\n  -h, --help\n",
          "\n  --version\n", "\n  --\n", "\n  --layout=row|column|grid\n", "\n  --columns=N\n", "\n  --fit\n",
          "\n  --conform-rate\n", "\n  --audio=N, --audio=none\n", "tessellane -- --help", "man tessellane"})
        EXPECT_NE(text.find(piece), std::string::npos) << piece;
    EXPECT_TRUE(text.starts_with("사용법:") && text.ends_with("\n") && !text.ends_with("\n\n")) << text;
}

}  // namespace
}  // namespace tessellane
