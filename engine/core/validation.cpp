#include "engine/core/validation.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>

#include "engine/core/ascii_case.h"
#include "engine/core/layout_geometry.h"
#include "engine/core/picture_size.h"
#include "engine/core/readable_numbers.h"
#include "engine/core/utf8.h"
#include "engine/core/video_output.h"

namespace tessellane {

namespace {

template <typename Key>
bool allSame(const std::vector<ClipInfo>& clips, Key key) {
    return std::all_of(clips.begin(), clips.end(),
                       [&](const ClipInfo& clip) { return key(clip) == key(clips.front()); });
}

template <typename Format>
std::string joined(const std::vector<ClipInfo>& clips, Format format) {
    std::string out;
    for (std::size_t i = 0; i < clips.size(); ++i) {
        if (i > 0) out += " / ";
        out += format(clips[i]);
    }
    return out;
}

// Each clip's length counted in frames of the first clip's rate, the rate the result is written at: clips
// at other rates are compared by how long they last, not by how many frames they hold; less than half a
// frame apart is no difference.
std::vector<std::int64_t> framesAtFirstRate(const std::vector<ClipInfo>& clips) {
    const double rate = clips.front().fps();
    std::vector<std::int64_t> lengths;
    for (const ClipInfo& clip : clips) {
        const double own = clip.fps();
        lengths.push_back(own > 0 && rate > 0 ? std::llround(static_cast<double>(clip.frames) * rate / own)
                                              : clip.frames);
    }
    return lengths;
}

bool isSupportedCodec(const std::string& codec) {
    return codec == "prores" || codec == "h264" || codec == "hevc";
}

// "높이가 다릅니다: 1080 / 720", and the like for the width and size a column and a grid need.
std::string sizeMismatch(Layout layout, const std::vector<ClipInfo>& clips) {
    if (layout == Layout::row)
        return "높이가 다릅니다: " +
               joined(clips, [](const ClipInfo& c) { return std::to_string(c.height); });
    if (layout == Layout::column)
        return "너비가 다릅니다: " + joined(clips, [](const ClipInfo& c) { return std::to_string(c.width); });
    return "크기가 다릅니다: " + joined(clips, [](const ClipInfo& c) { return sizeText(c.width, c.height); });
}

// What the clips are fitted to: the first clip's height, width or size, as the layout measures it.
std::string fittingWarning(Layout layout, const LayoutGeometry& geometry) {
    if (layout == Layout::row)
        return "높이가 다릅니다 — 첫 파일 높이(" + std::to_string(geometry.height) + ")로 맞춤";
    if (layout == Layout::column)
        return "너비가 다릅니다 — 첫 파일 너비(" + std::to_string(geometry.width) + ")로 맞춤";
    const PixelRect& cell = geometry.tiles.front().cell;
    return "크기가 다릅니다 — 첫 파일 크기(" + sizeText(cell.width, cell.height) + ") 칸에 맞춤";
}

std::string withoutSound(const ClipInfo& clip) {
    return escapeControls(clip.name()) + "에는 소리가 없습니다 — 소리를 가져올 파일을 다시 고르세요";
}

// Every file that could not be read is named, so that all of them can be dealt with at once.
void checkReadable(const std::vector<ClipInfo>& clips, Validation& result) {
    for (const ClipInfo& clip : clips)
        if (clip.error) result.blocking.push_back(clip.name() + ": " + *clip.error);
}

// The sizes the layout needs; with fitting, a clip that differs is scaled, and the user is told to what.
// True when the result has a size to check further: the sizes agree or are fitted.
bool checkSizes(const std::vector<ClipInfo>& clips, const MergeSettings& settings,
                const LayoutGeometry& geometry, Validation& result) {
    const bool sizesOk = sizesAgree(clips, settings.layout);
    if (!sizesOk && settings.fitSizes)
        result.warnings.push_back(fittingWarning(settings.layout, geometry));
    else if (!sizesOk)
        result.blocking.push_back(sizeMismatch(settings.layout, clips));
    return sizesOk || settings.fitSizes;
}

void checkImages(const std::vector<ClipInfo>& clips, const MergeSettings& settings,
                 const LayoutGeometry& geometry, bool sized, Validation& result) {
    // ffmpeg refuses a frame this big, or one beyond what the output's format can hold, only once it has
    // read every picture.
    if (sized) {
        if (auto problem = resultSizeProblem(geometry.width, geometry.height,
                                             lowerExtensionOf(clips.front().url()), std::nullopt))
            result.blocking.push_back(*problem);
    }
    if (!allSame(clips, [](const ClipInfo& c) { return lowerExtensionOf(c.url()); }))
        result.warnings.push_back("이미지 형식이 서로 다릅니다 — 첫 파일(" +
                                  asciiUpper(extensionOf(clips.front().url())) + ") 형식으로 저장");
    // A picture has no sound to keep.
    if (settings.audioClip && *settings.audioClip < clips.size())
        result.blocking.push_back(withoutSound(clips[*settings.audioClip]));
}

void checkRates(const std::vector<ClipInfo>& clips, const MergeSettings& settings, Validation& result) {
    if (allSame(clips, std::mem_fn(&ClipInfo::fpsString))) return;
    const auto rates = [](const ClipInfo& c) { return formatFrameRate(c.fps()); };
    if (settings.conformRates)
        result.warnings.push_back("fps가 다릅니다: " + joined(clips, rates) + " — 첫 파일 fps(" +
                                  formatFrameRate(clips.front().fps()) + ")로 맞춤");
    else
        result.blocking.push_back("fps가 다릅니다: " + joined(clips, rates));
}

// hstack gives the output the first clip's pixel aspect: the others would come out stretched. Fitted,
// every clip is brought to square pixels.
void checkPixelAspects(const std::vector<ClipInfo>& clips, const MergeSettings& settings,
                       Validation& result) {
    if (allSame(clips, std::mem_fn(&ClipInfo::pixelAspect))) return;
    if (settings.fitSizes)
        result.warnings.push_back("픽셀 종횡비가 다릅니다 — 정사각 픽셀로 맞춤");
    else
        result.blocking.push_back("픽셀 종횡비가 다릅니다: " + joined(clips, [](const ClipInfo& c) {
                                      return c.pixelAspect.empty() ? std::string("1:1") : c.pixelAspect;
                                  }));
}

// Whether the first clip's codec, container and pixel format can be written at the result's size.
void checkOutputFormat(const ClipInfo& first, const VideoOutputFormat& output, const LayoutGeometry& geometry,
                       bool sized, Validation& result) {
    if (!isSupportedCodec(first.codec))
        result.blocking.push_back("지원하지 않는 코덱: " + first.codec + " (ProRes·H.264·HEVC만)");
    // The output takes the first file's extension, and ffmpeg's MP4 writer has no ProRes.
    if (const std::string extension = lowerExtensionOf(first.url());
        first.codec == "prores" && (extension == "mp4" || extension == "m4v"))
        result.blocking.push_back("ProRes는 MP4(." + extensionOf(first.url()) +
                                  ")에 쓸 수 없습니다 — .mov 파일을 첫 파일로 놓아 주세요");
    if (sized && needsEvenSides(output.pixFmt) && (geometry.width % 2 != 0 || geometry.height % 2 != 0))
        result.blocking.push_back("결과 크기가 홀수입니다: " + std::to_string(geometry.width) + "×" +
                                  std::to_string(geometry.height) + " — 픽셀 포맷(" + first.pixFmt +
                                  ")에는 짝수 크기가 필요합니다");
}

// What the encoding converts: another codec, another pixel format or range, a format the encoder lacks.
void conversionWarnings(const std::vector<ClipInfo>& clips, const VideoOutputFormat& output,
                        Validation& result) {
    const ClipInfo& first = clips.front();
    if (!allSame(clips, [](const ClipInfo& c) { return c.codec + c.codecTag; }))
        result.warnings.push_back("코덱이 서로 다릅니다 — 첫 파일(" + first.codecLabel() +
                                  ") 사양으로 인코딩");
    // A range that differs is converted like a pixel format, and the warning then names it.
    const bool sameRanges = allSame(clips, isFullRange);
    if (!sameRanges || !allSame(clips, std::mem_fn(&ClipInfo::pixFmt)))
        result.warnings.push_back("픽셀 포맷이 서로 다릅니다 — 첫 파일(" + first.pixFmt +
                                  (sameRanges           ? ""
                                   : isFullRange(first) ? "·pc"
                                                        : "·tv") +
                                  ")로 변환");
    if (output.substituted)
        result.warnings.push_back("첫 파일의 픽셀 포맷(" + first.pixFmt + ")은 " + output.encoder +
                                  "로 쓸 수 없습니다 — " + output.pixFmt + "로 변환");
}

// The result ends with the shortest clip; at one rate frames are compared, at several how long clips last.
void checkLengths(const std::vector<ClipInfo>& clips, Validation& result) {
    if (allSame(clips, std::mem_fn(&ClipInfo::fpsString))) {
        if (!allSame(clips, std::mem_fn(&ClipInfo::frames))) {
            const auto shortest =
                std::min_element(clips.begin(), clips.end(),
                                 [](const ClipInfo& a, const ClipInfo& b) { return a.frames < b.frames; });
            result.warnings.push_back("길이가 다릅니다 — 짧은 쪽(" + std::to_string(shortest->frames) +
                                      "f) 기준으로 자름");
        }
    } else if (const std::vector<std::int64_t> lengths = framesAtFirstRate(clips);
               !std::all_of(lengths.begin(), lengths.end(),
                            [&](std::int64_t length) { return length == lengths.front(); })) {
        result.warnings.push_back("길이가 다릅니다 — 짧은 쪽(" +
                                  std::to_string(*std::min_element(lengths.begin(), lengths.end())) +
                                  "f) 기준으로 자름");
    }
}

void checkVideos(const std::vector<ClipInfo>& clips, const MergeSettings& settings,
                 const LayoutGeometry& geometry, bool sized, Validation& result) {
    const VideoOutputFormat output = videoOutputFormat(clips.front());
    checkRates(clips, settings, result);
    checkPixelAspects(clips, settings, result);
    checkOutputFormat(clips.front(), output, geometry, sized, result);
    if (settings.audioClip && *settings.audioClip < clips.size() && !clips[*settings.audioClip].hasAudio)
        result.blocking.push_back(withoutSound(clips[*settings.audioClip]));
    conversionWarnings(clips, output, result);
    checkLengths(clips, result);
}

}  // namespace

Validation validate(const std::vector<ClipInfo>& clips, const MergeSettings& settings) {
    Validation result;
    if (clips.size() < 2) {
        result.blocking.push_back("파일이 2개 이상 필요합니다");
        return result;
    }
    // What the others have in common is not worth comparing until every file can be read.
    checkReadable(clips, result);
    if (!result.blocking.empty()) return result;
    const LayoutGeometry geometry = layoutGeometry(clips, settings);
    const bool sized = checkSizes(clips, settings, geometry, result);
    const auto images =
        std::count_if(clips.begin(), clips.end(), [](const ClipInfo& c) { return c.isImage(); });
    if (images != 0 && static_cast<std::size_t>(images) != clips.size())
        result.blocking.push_back("이미지와 영상을 섞을 수 없습니다 — 한 종류만 넣어 주세요");
    else if (images != 0)
        checkImages(clips, settings, geometry, sized, result);
    else
        checkVideos(clips, settings, geometry, sized, result);
    return result;
}

}  // namespace tessellane
