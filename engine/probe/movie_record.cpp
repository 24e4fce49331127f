#include "engine/probe/movie_record.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <utility>

#include "engine/core/ascii_case.h"
#include "engine/core/messages.h"
#include "engine/core/pixel_format.h"
#include "engine/core/prores_profiles.h"
#include "engine/probe/probe_limits.h"

namespace tessellane {
namespace {

// Codes index these tables; an empty name is a code ffmpeg leaves unnamed or calls unspecified.
template <std::size_t N>
std::string nameOf(std::uint16_t code, const std::array<std::string_view, N>& names) {
    return code < names.size() ? std::string(names[code]) : std::string();
}

std::string trimBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

}  // namespace

std::string movieErrorText(MovieReadError error) {
    switch (error) {
        case MovieReadError::cannotRead:
            return std::string(messages::kMovieReadFailed);
        case MovieReadError::audioOnly:
            return std::string(messages::kMovieAudioOnly);
        case MovieReadError::tooLarge:
            return std::string(messages::kMovieHeaderTooLarge);
        case MovieReadError::truncated:
            return std::string(messages::kMovieTruncated);
        case MovieReadError::malformed:
            return std::string(messages::kMovieMalformed);
        case MovieReadError::noSamples:
            return std::string(messages::kMovieWithoutFrames);
        case MovieReadError::unknownRate:
            return std::string(messages::kMovieRateUnknown);
        case MovieReadError::dataPastEnd:
            return std::string(messages::kMovieDataPastEnd);
        default:
            return std::string(messages::kMovieUnreadable);
    }
}

std::string ffmpegPrimaries(std::uint16_t code) {
    static constexpr std::array<std::string_view, 23> names = {
        "",     "bt709",  "",         "",         "bt470m",   "bt470bg", "smpte170m", "smpte240m",
        "film", "bt2020", "smpte428", "smpte431", "smpte432", "",        "",          "",
        "",     "",       "",         "",         "",         "",        "ebu3213"};
    return nameOf(code, names);
}

std::string ffmpegTransfer(std::uint16_t code) {
    static constexpr std::array<std::string_view, 19> names = {
        "",          "bt709",     "",          "",         "bt470m",       "bt470bg", "smpte170m",
        "smpte240m", "linear",    "log100",    "log316",   "iec61966-2-4", "bt1361e", "iec61966-2-1",
        "bt2020-10", "bt2020-12", "smpte2084", "smpte428", "arib-std-b67"};
    return nameOf(code, names);
}

std::string ffmpegMatrix(std::uint16_t code) {
    static constexpr std::array<std::string_view, 15> names = {
        "gbr",       "bt709", "",         "",        "fcc",       "bt470bg",           "smpte170m",
        "smpte240m", "ycgco", "bt2020nc", "bt2020c", "smpte2085", "chroma-derived-nc", "chroma-derived-c",
        "ictcp"};
    return nameOf(code, names);
}

std::string codeText(std::uint32_t code) {
    std::string text(4, '\0');
    for (int i = 0; i < 4; ++i) {
        const auto byte = static_cast<std::uint8_t>(code >> (24 - 8 * i));
        if (byte > 0x7F) return {};
        text[static_cast<std::size_t>(i)] = static_cast<char>(byte);
    }
    return text;
}

namespace {

// The pixel format an H.264 or HEVC track decodes to: its sequence parameter set decides, else what its
// configuration box says, else 4:2:0 at 8 bits. A 4:4:4 picture whose usability information names the
// identity matrix holds RGB, as ffmpeg's decoders report it.
std::string codedPixelFormat(const FormatDescription& format) {
    const std::optional<CodecConfiguration>& configuration = format.configuration;
    int chroma = 1, depth = 8;
    bool rgb = false;
    if (configuration && configuration->sequence) {
        const SequenceParameters& sequence = *configuration->sequence;
        chroma = sequence.chromaFormat;
        depth = sequence.bitDepthLuma;
        rgb = sequence.colour && sequence.colour->matrix == 0;
    } else if (configuration) {
        chroma = configuration->chromaFormat.value_or(1);
        depth = configuration->bitDepthLuma.value_or(8);
    }
    return pixelFormatName({chroma, rgb && chroma == 3, false, depth});
}

// "4:3" for pixels wider than tall, reduced; empty for square pixels.
std::string aspectText(const PixelAspect& aspect) {
    const std::uint32_t divisor = std::gcd(aspect.horizontal, aspect.vertical);
    if (aspect.horizontal == aspect.vertical) return {};
    return std::to_string(aspect.horizontal / divisor) + ":" + std::to_string(aspect.vertical / divisor);
}

// The codec of a sound description's code, as ffmpeg's reader names it; the code itself for any other.
std::string audioCodecName(std::uint32_t code) {
    // "mp4a" is AAC for the usual object type, which ffmpeg's reader assumes too.
    static constexpr std::pair<std::string_view, const char*> kNamed[] = {
        {"mp4a", "aac"}, {"alac", "alac"}, {"ac-3", "ac3"},  {"ec-3", "eac3"},
        {".mp3", "mp3"}, {"Opus", "opus"}, {"fLaC", "flac"}, {"lpcm", "pcm"},
        {"sowt", "pcm"}, {"twos", "pcm"},  {"in24", "pcm"},  {"in32", "pcm"},
        {"fl32", "pcm"}, {"fl64", "pcm"},  {"raw ", "pcm"},  {"NONE", "pcm"},
    };
    const std::string text = codeText(code);
    for (const auto& [known, name] : kNamed)
        if (text == known) return name;
    if (code == 0x6D730055) return "mp3";  // "ms" and the WAVE format tag of MPEG layer 3
    return trimBlanks(text);
}

// The track's parameter set, when its configuration box holds one.
const SequenceParameters* sequenceOf(const FormatDescription& format) {
    return format.configuration && format.configuration->sequence ? &*format.configuration->sequence
                                                                  : nullptr;
}

// Sizes are the ones ffmpeg shows: the decoder's (the parameter set's, where the sample entry may say
// nothing), turned upright for a quarter-turned track before any filter sees it.
void setSize(ClipInfo& record, const VideoTrack& video) {
    const FormatDescription& format = video.format;
    const SequenceParameters* coded = sequenceOf(format);
    const std::int64_t width = coded && coded->width > 0 ? coded->width : format.width;
    const std::int64_t height = coded && coded->width > 0 ? coded->height : format.height;
    const bool quarterTurn = video.rotation == 90 || video.rotation == 270;
    record.width = quarterTurn ? height : width;
    record.height = quarterTurn ? width : height;
}

// The codec, its profile and the pixel format it decodes to, told by the sample description's code.
void setCodec(ClipInfo& record, const FormatDescription& format) {
    record.codecTag = codeText(format.code);
    const std::string& tag = record.codecTag;
    if (std::string prores = proresPixelFormat(tag, format.depth == 32); !prores.empty()) {
        record.codec = "prores";
        record.pixFmt = std::move(prores);
    } else if (tag == "avc1" || tag == "avc3") {
        record.codec = "h264";
        record.pixFmt = codedPixelFormat(format);
    } else if (tag == "hvc1" || tag == "hev1") {
        record.codec = "hevc";
        record.pixFmt = codedPixelFormat(format);
    } else {
        record.codec = asciiLower(trimBlanks(tag));
    }
    record.profile = proresName(record.codecTag, "");
}

void setTiming(ClipInfo& record, const VideoTrack& video) {
    record.fpsString = video.frameRate.text();
    // A length that is not a finite, non-negative number has no meaning for the labels; keep 0.
    record.duration =
        std::isfinite(video.durationSeconds) && video.durationSeconds >= 0 ? video.durationSeconds : 0;
    // The frames ffmpeg will decode: every sample, unless the edit list presents fewer.
    const std::uint64_t frames = std::min(video.samples, video.presentedSamples.value_or(video.samples));
    record.frames = static_cast<std::int64_t>(std::min<std::uint64_t>(frames, limits::kMaxFrameCount));
}

// The colr box is what the container says; where it has none, the codec's own usability information.
void setColour(ClipInfo& record, const FormatDescription& format) {
    const SequenceParameters* sequence = sequenceOf(format);
    const ColourCodes* codes = format.colour                  ? &*format.colour
                               : sequence && sequence->colour ? &*sequence->colour
                                                              : nullptr;
    if (codes) {
        record.colorPrimaries = ffmpegPrimaries(codes->primaries);
        record.colorTransfer = ffmpegTransfer(codes->transfer);
        record.colorSpace = ffmpegMatrix(codes->matrix);
    }
    // The range likewise; where neither says it, ffmpeg's HEVC decoder takes it as limited, as the
    // standard does.
    if (format.colour && format.colour->fullRange)
        record.colorRange = *format.colour->fullRange ? "pc" : "tv";
    else if (sequence && sequence->fullRange)
        record.colorRange = *sequence->fullRange ? "pc" : "tv";
    else if (record.codec == "hevc")
        record.colorRange = "tv";
}

// ffmpeg takes the container's pixel aspect over the codec's.
void setPixelAspect(ClipInfo& record, const FormatDescription& format) {
    const SequenceParameters* sequence = sequenceOf(format);
    if (format.pixelAspect)
        record.pixelAspect = aspectText(*format.pixelAspect);
    else if (sequence && sequence->pixelAspect)
        record.pixelAspect = aspectText(*sequence->pixelAspect);
}

}  // namespace

ClipInfo movieRecord(ClipInfo record, const VideoTrack& video, bool hasAudio, const AudioTrack& audio) {
    record.hasAudio = hasAudio;
    if (hasAudio) {
        record.audioCodec = audioCodecName(audio.code);
        record.audioChannels = audio.channels;
    }
    setSize(record, video);
    setCodec(record, video.format);
    setTiming(record, video);
    setColour(record, video.format);
    setPixelAspect(record, video.format);
    return record;
}

}  // namespace tessellane
