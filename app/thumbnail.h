// One preview picture per clip: a single frame written by ffmpeg to a short-lived PNG, decoded and shrunk.
#pragma once

#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/clip_info.h"
#include "engine/merge/tools.h"

namespace tessellane {

// Views never draw a preview larger than this, so keeping more pixels would only cost memory.
inline constexpr int kMaxThumbnailSide = 1920;

// A folder only this user can enter (mode 0700), made under the user's temporary directory and removed
// with its content on destruction. On a shared /tmp this keeps others from planting or reading the PNGs.
class PrivateTempFolder {
  public:
    PrivateTempFolder();
    ~PrivateTempFolder();
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

    bool valid() const { return !path_.empty(); }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// "tessellane_" + the clip id in upper-case 8-4-4-4-12 form + ".png".
std::string thumbnailFileName(const Uuid& id);

// Seconds into the clip, with three decimals and a dot whatever the locale: the middle of a movie,
// 0.000 for a still image or an unknown length.
std::string thumbnailSeekTime(const ClipInfo& clip);

// The eleven ffmpeg arguments that write one frame of `clip` to `png`.
std::vector<std::string> thumbnailArguments(const ClipInfo& clip, const std::filesystem::path& png);

// Shrinks to at most kMaxThumbnailSide on the longer side, keeping the aspect ratio; smaller ones as they
// are.
QImage limitThumbnailSize(const QImage& image);

// Runs ffmpeg (blocking, within `limits`) to write the PNG inside `folder`, decodes it, deletes it in
// every case and returns the limited picture, or a null image when anything failed or ffmpeg was stopped.
// Callable from any thread.
QImage makeThumbnailImage(const std::string& ffmpeg, const ClipInfo& clip,
                          const std::filesystem::path& folder, const CaptureLimits& limits = {});

}  // namespace tessellane
