// Where ffmpeg writes a merge before it is known to be good: a hidden folder of this run's own beside the
// output, so nothing of the user's is touched until the finished file is published under its final name.
#pragma once

#include <filesystem>
#include <string>

namespace tessellane {

class TemporaryOutput {
  public:
    // Creates the hidden folder inside `output`'s folder. Throws std::system_error when it cannot (a
    // missing or read-only folder, a full disk).
    explicit TemporaryOutput(const std::filesystem::path& output);
    // Removes whatever is still inside: a failed, stopped or refused run leaves nothing behind.
    ~TemporaryOutput();
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;

    // The file for ffmpeg: a fixed plain name with the output's extension, so the same writer is chosen
    // and no character of the user's name is ever read as a pattern.
    const std::filesystem::path& path() const { return file_; }

    enum class Publish { published, nameTaken };
    // Moves the file to `output` atomically and never over anything that is there, whatever appeared
    // since the run started. Throws std::system_error on any other failure.
    Publish publish(const std::filesystem::path& output);

  private:
    std::filesystem::path folder_;
    std::filesystem::path file_;
};

}  // namespace tessellane
