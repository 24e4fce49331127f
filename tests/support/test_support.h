// Helpers shared by the test suites: private temporary folders, small files and scripts, real media.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

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

// Sets PATH for a scope and restores it.
class ScopedPath {
  public:
    explicit ScopedPath(const std::string& value);
    ~ScopedPath();
    ScopedPath(const ScopedPath&) = delete;
    ScopedPath& operator=(const ScopedPath&) = delete;

  private:
    std::string old_;
};

void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);

// Writes a /bin/sh script with the given body and makes it executable (mode 0755).
void writeScript(const std::filesystem::path& path, const std::string& body);

// Runs the real ffmpeg as `ffmpeg -nostdin -v error -y <arguments> <output>`. Returns the output path;
// throws std::runtime_error naming the arguments when ffmpeg is missing or fails.
std::filesystem::path makeMedia(const std::filesystem::path& output,
                                const std::vector<std::string>& arguments);

// Runs a program from PATH with arguments and returns its standard output (stderr discarded).
std::string runTool(const std::string& program, const std::vector<std::string>& arguments,
                    int* status = nullptr);

// Switches LC_NUMERIC to a locale whose decimal point is a comma, compiled with localedef into a private
// folder (so no installed locale is needed), and restores the previous locale at destruction.
// active() is false when localedef is not available.
class CommaLocale {
  public:
    CommaLocale();
    ~CommaLocale();
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;
    bool active() const { return active_; }

  private:
    TempDir dir_;
    std::string saved_;
    bool active_ = false;
};

}  // namespace tessellane::testing
