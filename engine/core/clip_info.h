// ClipInfo: the value record describing one input or output file, with its display labels.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessellane {

// A file URL: always an absolute path. Relative arguments are made absolute by the caller.
using FileURL = std::filesystem::path;

// A random (version 4) UUID.
class Uuid {
  public:
    static Uuid random();
    static Uuid fromBytes(const std::array<std::uint8_t, 16>& bytes) { return Uuid(bytes); }

    const std::array<std::uint8_t, 16>& bytes() const { return bytes_; }
    std::string toString() const;  // 8-4-4-4-12 lower-case hex

    friend bool operator==(const Uuid&, const Uuid&) = default;
    friend auto operator<=>(const Uuid&, const Uuid&) = default;

  private:
    explicit Uuid(const std::array<std::uint8_t, 16>& bytes) : bytes_(bytes) {}
    std::array<std::uint8_t, 16> bytes_{};
};

// Accepted file kinds: lower-case extensions without the dot, in order.
extern const std::vector<std::string> imageExts;
extern const std::vector<std::string> videoExts;

// The text after the last dot of a path's last component ("" when there is none), as written.
std::string extensionOf(const FileURL& url);
// The same, lower-cased (ASCII only, which is all the accepted kinds use).
std::string lowerExtensionOf(const FileURL& url);
// The last component without its extension and the dot before it ("" for ".png").
std::string stemOf(const FileURL& url);
// True when the lower-cased extension of url is one of imageExts.
bool hasImageExtension(const FileURL& url);

std::string asciiLower(std::string_view text);
std::string asciiUpper(std::string_view text);

// ProRes profile name for a sample-description code; any other code yields `profile` unchanged.
std::string proresName(std::string_view tag, std::string_view profile);
// ProRes encoder profile number 0..5 for a code; other codes are decided by the profile text.
int proresProfileNumber(std::string_view tag, std::string_view profile);
// The pixel format a ProRes code decodes to (the 4444 ones with alpha when the picture has it); empty for a
// code that is not ProRes.
std::string proresPixelFormat(std::string_view tag, bool alpha);
// The code the encoder writes for a profile number, clamped to 0..5.
std::string_view proresTag(int profileNumber);

// Parses a frame-rate text such as "30000/1001", "25/1" or "25"; unparsable text gives 0.
double parseFrameRate(std::string_view fpsString);

// A frame rate as people read it, with enough digits to tell 29.97 from 30 and a dot whatever the process
// locale is (the window switches to the user's locale, where printf would write 29,97): at most three
// decimals, trailing zeros dropped: 23.976, 29.97, 59.94, 30, 12.5.
std::string formatFrameRate(double fps);

// File size in decimal units (1 KB = 1000 bytes), short and human-readable.
std::string formatByteCount(std::int64_t bytes);

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

std::size_t hashValue(const ClipInfo& clip);

}  // namespace tessellane

template <>
struct std::hash<tessellane::Uuid> {
    std::size_t operator()(const tessellane::Uuid& id) const noexcept;
};

template <>
struct std::hash<tessellane::ClipInfo> {
    std::size_t operator()(const tessellane::ClipInfo& clip) const noexcept {
        return tessellane::hashValue(clip);
    }
};
