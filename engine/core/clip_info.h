// ClipInfo: the value record describing one input or output file, with its display labels.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/core/file_kinds.h"
#include "engine/core/uuid.h"

namespace tessellane {

// Everything a clip record holds besides its identity, so that records are written with named fields:
// ClipInfo(url, {.codec = "h264", .width = 1920, .height = 1080}). Codec, pixel-format and colour fields
// hold ffmpeg's own names.
struct ClipFields {
    std::string codec = "?";
    std::string codecTag{};
    std::string profile{};
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::string pixFmt{};
    // Still images only, as ffmpeg decodes the picture: the merge keeps alpha and depth that any picture has,
    // and writes a WebP losslessly after a lossless first picture.
    bool hasAlpha = false;
    int bitsPerSample = 0;
    bool lossless = false;
    std::string fpsString = "0/1";
    std::int64_t frames = 0;
    double duration = 0.0;
    std::string colorSpace{};
    std::string colorPrimaries{};
    std::string colorTransfer{};
    std::string colorRange{};
    std::string pixelAspect{};  // the sample aspect ratio as "4:3"; empty for square pixels
    bool hasAudio = false;
    // The first audio track's codec: "aac", "pcm", "alac", "ac3", "eac3", "mp3", "opus", "flac", or its
    // sample-description code for any other; and its channels (0: not said).
    std::string audioCodec{};
    int audioChannels = 0;
    std::int64_t fileSize = 0;
    // The file's modification time when it was read, in nanoseconds since the epoch; 0 when it could not
    // be looked at. With fileSize it tells whether the file on disk is still the one read.
    std::int64_t modified = 0;
    std::optional<std::string> error{};

    friend bool operator==(const ClipFields&, const ClipFields&) = default;
};

class ClipInfo : public ClipFields {
    Uuid id_;
    FileURL url_;

  public:
    // Each construction draws a new id.
    explicit ClipInfo(FileURL url, ClipFields fields = {});

    const Uuid& id() const { return id_; }
    const FileURL& url() const { return url_; }

    // Derived on every call; cheap string work only, never file access.
    std::string name() const;        // last path component
    bool isImage() const;            // extension is an image kind
    double fps() const;              // parseFrameRate(fpsString)
    std::string codecLabel() const;  // "ProRes 422 HQ", "H264", "PNG", ...
    std::string timecode() const;    // HH:MM:SS of duration, hours not wrapped
    std::string sizeLabel() const;   // fileSize as "12.3 MB"

    // Identity first: two records are equal only when they are the same clip with the same fields.
    friend bool operator==(const ClipInfo& a, const ClipInfo& b) {
        return a.id_ == b.id_ && a.url_ == b.url_ &&
               static_cast<const ClipFields&>(a) == static_cast<const ClipFields&>(b);
    }
};

}  // namespace tessellane
