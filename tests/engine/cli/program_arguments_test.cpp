#include "engine/cli/program_arguments.h"

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

TEST(ProgramArguments, HelpShowsEveryWayToStart) {
    const std::string text = usage();
    for (const char* piece :
         {"사용법:\n  tessellane [파일들...]\n", "tessellane --cli <출력폴더> <접미사> <파일들...>\n",
          "\n  -h, --help\n", "\n  --version\n", "\n  --\n", "tessellane -- --help", "man tessellane"})
        EXPECT_NE(text.find(piece), std::string::npos) << piece;
    EXPECT_TRUE(text.starts_with("사용법:") && text.ends_with("\n") && !text.ends_with("\n\n")) << text;
}

}  // namespace
}  // namespace tessellane
