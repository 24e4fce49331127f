// ffmpeg's "-progress pipe:1" output turned into fractions of the expected frame count.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tessellane {

// Splits standard output into lines at the byte level, so a character or a line cut across two reads is
// put back together before it is looked at. Each "frame=N" line reports min(N / total, 1); other keys and
// lines that do not parse are skipped.
class ProgressReader {
  public:
    using Callback = std::function<void(double)>;
    // `progress` is kept by reference and must outlive the reader.
    ProgressReader(double total, const Callback& progress) : total_(total), progress_(progress) {}

    void feed(std::string_view bytes);

  private:
    void handleLine(std::string_view line);

    double total_;
    const Callback& progress_;
    std::string line_;
    bool overlong_ = false;
};

}  // namespace tessellane
