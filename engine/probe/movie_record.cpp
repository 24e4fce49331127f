#include "engine/probe/movie_record.h"

#include <cmath>
#include <numeric>

#include "engine/probe/probe_limits.h"

namespace tessellane {
namespace {

struct Name {
    std::string_view framework;
    std::string_view ffmpeg;
};

std::string lookUp(const std::optional<std::string>& value, std::initializer_list<Name> table) {
    if (!value) return {};
    for (const Name& name : table)
        if (*value == name.framework) return std::string(name.ffmpeg);
    return {};
}

std::string trimBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

}  // namespace

std::string ffmpegPrimaries(const std::optional<std::string>& value) {
    return lookUp(value, {{"ITU_R_709_2", "bt709"},
                          {"SMPTE_C", "smpte170m"},
                          {"EBU_3213", "bt470bg"},
                          {"ITU_R_2020", "bt2020"}});
}

std::string ffmpegTransfer(const std::optional<std::string>& value) {
    return lookUp(value, {{"ITU_R_709_2", "bt709"},
                          {"SMPTE_240M_1995", "smpte240m"},
                          {"ITU_R_2020", "bt2020-10"},
                          {"SMPTE_ST_2084_PQ", "smpte2084"},
                          {"ITU_R_2100_HLG", "arib-std-b67"}});
}

std::string ffmpegMatrix(const std::optional<std::string>& value) {
    return lookUp(value, {{"ITU_R_709_2", "bt709"},
                          {"ITU_R_601_4", "smpte170m"},
                          {"SMPTE_240M_1995", "smpte240m"},
                          {"ITU_R_2020", "bt2020nc"}});
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

std::string frameRateText(const MediaTime& minFrameDuration, double nominalFrameRate) {
    if (minFrameDuration.valid && minFrameDuration.value >= 1 && minFrameDuration.timescale >= 1) {
        const std::int64_t scale = minFrameDuration.timescale, value = minFrameDuration.value;
        const std::int64_t divisor = std::gcd(scale, value);
        return std::to_string(scale / divisor) + "/" + std::to_string(value / divisor);
    }
    // A negative scale or count is no rate; NaN and infinities fail the comparison too.
    if (!(nominalFrameRate >= 0 && nominalFrameRate <= limits::kMaxFrameRate)) return "0/1";
    return std::to_string(std::llround(nominalFrameRate)) + "/1";
}

std::int64_t frameCount(double durationSeconds, double fps) {
    const double product = durationSeconds * fps;
    if (!(product >= 0 && product <= limits::kMaxFrameCount)) return 0;
    return std::llround(product);
}

ClipInfo movieRecord(ClipInfo record, const VideoTrack& video, bool hasAudio) {
    const FormatDescription& format = video.format;
    record.hasAudio = hasAudio;
    record.codecTag = codeText(format.code);
    // Sizes are the ones ffmpeg shows: it turns a quarter-turned track upright before any filter sees it.
    const bool quarterTurn = video.rotation == 90 || video.rotation == 270;
    record.width = quarterTurn ? format.height : format.width;
    record.height = quarterTurn ? format.width : format.height;
    const std::int64_t bits = format.bitsPerComponent.value_or(8);
    const bool alpha = format.depth == 32;

    const std::string& tag = record.codecTag;
    if (tag == "apco" || tag == "apcs" || tag == "apcn" || tag == "apch") {
        record.codec = "prores";
        record.pixFmt = "yuv422p10le";
    } else if (tag == "ap4h" || tag == "ap4x") {
        record.codec = "prores";
        record.pixFmt = alpha ? "yuva444p10le" : "yuv444p10le";
    } else if (tag == "avc1" || tag == "avc3") {
        record.codec = "h264";
        record.pixFmt = "yuv420p";
    } else if (tag == "hvc1" || tag == "hev1") {
        record.codec = "hevc";
        record.pixFmt = bits > 8 ? "yuv420p10le" : "yuv420p";
    } else {
        record.codec = asciiLower(trimBlanks(tag));
    }
    record.profile = proresName(record.codecTag, "");

    record.fpsString = frameRateText(video.minFrameDuration, video.nominalFrameRate);
    // A length that is not a finite, non-negative number has no meaning for the labels; keep 0.
    record.duration =
        std::isfinite(video.durationSeconds) && video.durationSeconds >= 0 ? video.durationSeconds : 0;
    record.frames = frameCount(record.duration, record.fps());

    record.colorPrimaries = ffmpegPrimaries(format.colorPrimaries);
    record.colorTransfer = ffmpegTransfer(format.transferFunction);
    record.colorSpace = ffmpegMatrix(format.yCbCrMatrix);
    if (format.fullRangeVideo) record.colorRange = *format.fullRangeVideo ? "pc" : "tv";
    return record;
}

}  // namespace tessellane
