#include "engine/cli/program_arguments.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "tests/support/test_support.h"

namespace tessellane {
namespace {

using Mode = ProgramArguments::Mode;

ProgramArguments parse(const std::vector<const char*>& argv) {
    return programArguments(static_cast<int>(argv.size()), argv.data());
}

ProgramArguments make(Mode mode, std::vector<std::string> arguments = {}, std::string error = {},
                      int toolkitArgumentCount = 0) {
    ProgramArguments result;
    result.mode = mode;
    result.arguments = std::move(arguments);
    result.error = std::move(error);
    result.toolkitArgumentCount = toolkitArgumentCount;
    return result;
}

ProgramArguments window(std::vector<std::string> files, int toolkitArgumentCount) {
    return make(Mode::window, std::move(files), {}, toolkitArgumentCount);
}
ProgramArguments cli(std::vector<std::string> arguments) { return make(Mode::cli, std::move(arguments)); }
ProgramArguments invalid(std::string error) { return make(Mode::invalid, {}, std::move(error)); }

TEST(ProgramArguments, ChoosesWhatToStart) {
    const ProgramArguments help = make(Mode::help), version = make(Mode::version);
    struct Case {
        std::vector<const char*> argv;
        ProgramArguments expected;
    };
    const Case cases[] = {
        {{"tessellane"}, window({}, 1)},
        {{"tessellane", "a.mov", "", "b.mov"}, window({"a.mov", "b.mov"}, 4)},
        // Help and version: anywhere before "--" and "--cli", the first one wins, also over a bad option.
        {{"tessellane", "--help"}, help},
        {{"tessellane", "a.mov", "-h"}, help},
        {{"tessellane", "--version", "--help"}, version},
        {{"tessellane", "-x", "--version"}, version},
        {{"tessellane", "--help", "--cli", "out", "_x", "a.png"}, help},
        // After "--" everything is a file, and Qt sees only what comes before it.
        {{"tessellane", "--", "--help"}, window({"--help"}, 1)},
        {{"tessellane", "a.png", "--", "-b.png", "", "--", "-h"}, window({"a.png", "-b.png", "--", "-h"}, 2)},
        // "--cli" anywhere keeps its meaning: its first occurrence takes everything after it.
        {{"tessellane", "--cli", "out", "_x", "--help.png", "b.png"},
         cli({"out", "_x", "--help.png", "b.png"})},
        {{"tessellane", "--cli", "--help"}, cli({"--help"})},
        {{"tessellane", "-x", "--cli", "o", "s"}, cli({"o", "s"})},
        {{"tessellane", "--", "--help", "--cli", "o"}, cli({"o"})},
        {{"tessellane", "-platform", "--cli"}, cli({})},
        // Qt's own options pass, their values are not files.
        {{"tessellane", "-platform", "offscreen", "a.png", "--style", "Fusion"}, window({"a.png"}, 6)},
        {{"tessellane", "-style=Fusion", "--reverse", "a.png"}, window({"a.png"}, 4)},
        {{"tessellane", "-style", "-h"}, help},
        // Anything else that looks like an option is refused, the first one named.
        {{"tessellane", "-x", "a.mov", "--bogus"}, invalid("알 수 없는 옵션 '-x'")},
        {{"tessellane", "-"}, invalid("알 수 없는 옵션 '-'")},
        {{"tessellane", "--helpme"}, invalid("알 수 없는 옵션 '--helpme'")},
        {{"tessellane", "-platform=xcb"}, invalid("알 수 없는 옵션 '-platform=xcb'")},
        {{"tessellane", "-style="}, invalid("알 수 없는 옵션 '-style='")},
        {{"tessellane", "a.png", "-platform"}, invalid("옵션 '-platform'에 값이 없습니다")},
        {{"tessellane", "-style", "--", "a.png"}, invalid("옵션 '-style'에 값이 없습니다")},
    };
    for (const Case& test : cases) {
        std::string line;
        for (const char* argument : test.argv) line += std::string(" [") + argument + "]";
        const ProgramArguments got = parse(test.argv);
        EXPECT_EQ(got.mode, test.expected.mode) << line;
        EXPECT_EQ(got.arguments, test.expected.arguments) << line;
        EXPECT_EQ(got.error, test.expected.error) << line;
        if (got.mode == Mode::window) {
            EXPECT_EQ(got.toolkitArgumentCount, test.expected.toolkitArgumentCount) << line;
        }
    }
}

TEST(ProgramArguments, AnswersHelpVersionAndMistakesWithoutStarting) {
    struct Case {
        ProgramArguments arguments;
        std::optional<int> status;
        std::string out, err;
    };
    const Case cases[] = {
        {make(Mode::help), 0, usage(), ""},
        {make(Mode::version), 0, std::string("tessellane ") + programVersion() + "\n", ""},
        {invalid("알 수 없는 옵션 '-x'"), 2, "", "오류: 알 수 없는 옵션 '-x'\n도움말: tessellane --help\n"},
        {window({"a.mov"}, 2), std::nullopt, "", ""},
        {cli({}), std::nullopt, "", ""},
    };
    for (const Case& test : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(answerDirectly(test.arguments, out, err), test.status);
        EXPECT_EQ(out.str(), test.out);
        EXPECT_EQ(err.str(), test.err);
    }
}

TEST(ProgramArguments, HelpShowsEveryWayToStart) {
    const std::string text = usage();
    EXPECT_TRUE(text.starts_with("사용법:\n  tessellane [파일들...]\n")) << text;
    for (const char* piece : {"tessellane --cli <출력폴더> <접미사> <파일들...>\n", "\n  -h, --help\n",
                              "\n  --version\n", "\n  --\n", "tessellane -- --help", "man tessellane"})
        EXPECT_NE(text.find(piece), std::string::npos) << piece;
    EXPECT_TRUE(text.ends_with("\n") && !text.ends_with("\n\n"));
}

// The built program, started as a user starts it. None of these may open a window; the timeout turns a
// window that opens by mistake into a failure instead of a hang.
TEST(ProgramArguments, TheProgramAnswersWithoutAWindow) {
    const std::string program = TESSELLANE_BUILD_DIR "/tessellane";
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string out;
    };
    const Case cases[] = {
        {{"--version"}, 0, "tessellane " TESSELLANE_EXPECTED_VERSION "\n"},
        {{"--help"}, 0, usage()},
        {{"a.png", "-h"}, 0, usage()},
        {{"--bogus", "a.png"}, 2, ""},  // the complaint goes to standard error
    };
    for (const Case& test : cases) {
        std::vector<std::string> arguments = {"-k", "5", "30", "env", "QT_QPA_PLATFORM=offscreen", program};
        arguments.insert(arguments.end(), test.arguments.begin(), test.arguments.end());
        int status = -1;
        EXPECT_EQ(testing::runTool("timeout", arguments, &status), test.out) << test.arguments[0];
        EXPECT_EQ(status, test.status) << test.arguments[0];
    }
}

}  // namespace
}  // namespace tessellane
