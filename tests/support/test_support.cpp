#include "tests/support/test_support.h"

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "engine/merge/tools.h"

namespace tessellane::testing {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tessellane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

ScopedPath::ScopedPath(const std::string& value) {
    if (const char* old = std::getenv("PATH")) old_ = old;
    ::setenv("PATH", value.c_str(), 1);
}

ScopedPath::~ScopedPath() { ::setenv("PATH", old_.c_str(), 1); }

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeScript(const std::filesystem::path& path, const std::string& body) {
    writeFile(path, "#!/bin/sh\n" + body);
    std::filesystem::permissions(path, std::filesystem::perms(0755));
}

std::string runTool(const std::string& program, const std::vector<std::string>& arguments, int* status) {
    auto found = Tools::find(program);
    if (!found) throw std::runtime_error(program + " not found");
    CaptureResult result = runCapture(*found, arguments);
    if (status) *status = result.status;
    return result.output;
}

std::filesystem::path makeMedia(const std::filesystem::path& output,
                                const std::vector<std::string>& arguments) {
    std::vector<std::string> full = {"-nostdin", "-v", "error", "-y"};
    full.insert(full.end(), arguments.begin(), arguments.end());
    full.push_back(output.string());
    int status = -1;
    runTool("ffmpeg", full, &status);
    if (status != 0 || !std::filesystem::exists(output)) {
        std::string line;
        for (const std::string& a : full) line += " " + a;
        throw std::runtime_error("ffmpeg failed (" + std::to_string(status) + "):" + line);
    }
    return output;
}

CommaLocale::CommaLocale() {
    writeFile(
        dir_ / "comma.src",
        "LC_NUMERIC\ndecimal_point \"<U002C>\"\nthousands_sep \"<U002E>\"\ngrouping 3;3\nEND LC_NUMERIC\n");
    try {
        // Missing categories make localedef warn and exit 1, but with -c it still writes the locale.
        runTool("localedef",
                {"-c", "-i", (dir_ / "comma.src").string(), "-f", "UTF-8", (dir_ / "comma.UTF-8").string()});
    } catch (const std::exception&) {
        return;
    }
    if (!std::filesystem::exists(dir_ / "comma.UTF-8" / "LC_NUMERIC")) return;
    saved_ = std::setlocale(LC_NUMERIC, nullptr);
    ::setenv("LOCPATH", dir_.path().c_str(), 1);
    active_ = std::setlocale(LC_NUMERIC, "comma.UTF-8") != nullptr;
}

CommaLocale::~CommaLocale() {
    if (!saved_.empty()) std::setlocale(LC_NUMERIC, saved_.c_str());
    ::unsetenv("LOCPATH");
}

}  // namespace tessellane::testing
