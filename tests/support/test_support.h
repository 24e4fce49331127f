// Helpers shared by the test suites: private temporary folders, small files and scripts, real media.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "engine/merge/exit_status.h"

namespace tessellane::testing {

// A fresh folder under the temporary directory, removed with everything in it at destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// Makes every test binary independent of the machine it runs on: the offscreen Qt platform and no display,
// the C.UTF-8 locale, an ffmpeg search list of one folder (the Debian ffmpeg chosen at configure time) in
// place of /usr/local/bin and PATH, and a private TMPDIR, HOME and XDG folders removed at exit. Called first
// thing in each test binary's main.
void pinTestEnvironment();

// Sets the ffmpeg search list (TESSELLANE_TOOL_PATH) for a scope and restores the pinned one.
class ScopedToolPath {
  public:
    explicit ScopedToolPath(const std::filesystem::path& folder);
    ~ScopedToolPath();
    ScopedToolPath(const ScopedToolPath&) = delete;
    ScopedToolPath& operator=(const ScopedToolPath&) = delete;

  private:
    std::string old_;
};

// Switches the whole C locale (and LC_ALL for child processes) to an installed locale such as
// "de_DE.UTF-8" for a scope; throws when the locale is not installed (the locales-all package provides it).
class ScopedLocale {
  public:
    explicit ScopedLocale(const std::string& name);
    ~ScopedLocale();
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

  private:
    std::string saved_;
    std::string savedVariable_;
};

void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);

// Writes a /bin/sh script with the given body and makes it executable (mode 0755).
void writeScript(const std::filesystem::path& path, const std::string& body);

// Runs the real ffmpeg as `ffmpeg -nostdin -v error -y <arguments> <output>`. Returns the output path;
// throws std::runtime_error naming the arguments when ffmpeg is missing or fails.
std::filesystem::path makeMedia(const std::filesystem::path& output,
                                const std::vector<std::string>& arguments);

// Runs one of the machine's own programs (ffmpeg, ffprobe, ...: from the pinned folder, then /usr/bin and
// /bin; never the scoped search list) and returns its standard output (stderr discarded).
std::string runTool(const std::string& program, const std::vector<std::string>& arguments,
                    ExitStatus* status = nullptr);

}  // namespace tessellane::testing
