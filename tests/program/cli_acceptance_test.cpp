// The command line byte for byte: every run of cli_acceptance.txt prints exactly its recorded lines and
// ends with its recorded status. The transcript holds the inputs (made by the real ffmpeg), the runs and
// what each printed; TESSELLANE_RECORD=1 writes what the program prints now back into it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/program/program_run.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

namespace fs = std::filesystem;

// "\e", "\n" and "\\" in an argument, and '' for an empty one.
std::string unescaped(const std::string& word) {
    if (word == "''") return "";
    std::string out;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] != '\\' || i + 1 == word.size()) {
            out += word[i];
            continue;
        }
        const char next = word[++i];
        out += next == 'e' ? '\x1b' : next == 'n' ? '\n' : next;
    }
    return out;
}

std::vector<std::string> words(const std::string& line, const fs::path& dir) {
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string word; in >> word;) {
        for (std::size_t at; (at = word.find('@')) != std::string::npos;) word.replace(at, 1, dir.string());
        out.push_back(unescaped(word));
    }
    return out;
}

std::string withPlaceholder(std::string text, const fs::path& dir) {
    const std::string folder = dir.string();
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(folder, from)) != std::string::npos; from = at + folder.size()) {
        out.append(text, from, at - from);
        out += '@';
    }
    out.append(text, from);
    return out;
}

TEST(CommandLineAcceptance, EveryRunPrintsWhatItPrintedBefore) {
    const fs::path transcript = TESSELLANE_SOURCE_DIR "/tests/program/cli_acceptance.txt";
    const bool record = std::getenv("TESSELLANE_RECORD") != nullptr;
    testing::TempDir dir;
    fs::create_directories(dir / "out");
    fs::create_directories(dir / "fake");
    testing::writeScript(dir / "fake/ffmpeg", "exit 0\n");  // starts, writes nothing
    std::istringstream in(testing::readFile(transcript));
    std::string rewritten, line, expected, command;
    std::optional<testing::ProgramRun> run;
    const auto finish = [&] {
        if (!run) return;
        const std::string printed =
            withPlaceholder(run->out + run->err, dir.path()) + "= " + std::to_string(run->exit.number) + "\n";
        EXPECT_EQ(printed, expected) << command;
        rewritten += printed;
        run.reset();
    };
    while (std::getline(in, line)) {
        if (run) {
            expected += line + "\n";
            if (line.starts_with("= ")) finish();
            continue;
        }
        rewritten += line + "\n";
        if (line.starts_with(">")) {
            std::vector<std::string> made = words(line.substr(1), dir.path());
            const fs::path name = dir / made.front();
            made.erase(made.begin());
            testing::makeMedia(name, made);
        } else if (line.starts_with("$")) {
            // "$!" runs the machine's ffmpeg; "$" one that starts and writes nothing.
            const bool real = line.starts_with("$!");
            command = line;
            std::vector<std::string> variables = {"HOME=" + dir.path().string()};
            if (!real) variables.push_back("TESSELLANE_TOOL_PATH=" + (dir / "fake").string());
            run = testing::runProgram(dir.path(), variables, words(line.substr(real ? 2 : 1), dir.path()));
            expected.clear();
        }
    }
    finish();
    if (record) testing::writeFile(transcript, rewritten);
}

}  // namespace
}  // namespace tessellane
