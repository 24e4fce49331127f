#include "engine/core/validation.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>

#include "engine/core/ascii_case.h"
#include "engine/core/layout_geometry.h"
#include "engine/core/messages.h"
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

// The heights that differ, "1080 / 720", or the widths and sizes a column and a grid need.
std::string sizeMismatch(Layout layout, const std::vector<ClipInfo>& clips) {
    if (layout == Layout::row)
        return messages::heightsDiffer(
            joined(clips, [](const ClipInfo& c) { return std::to_string(c.height); }));
    if (layout == Layout::column)
        return messages::widthsDiffer(
            joined(clips, [](const ClipInfo& c) { return std::to_string(c.width); }));
    return messages::sizesDiffer(
        joined(clips, [](const ClipInfo& c) { return sizeText(c.width, c.height); }));
}

// What the clips are fitted to: the first clip's height, width or size, as the layout measures it.
std::string fittingWarning(Layout layout, const LayoutGeometry& geometry) {
    if (layout == Layout::row) return messages::heightsFitted(geometry.height);
    if (layout == Layout::column) return messages::widthsFitted(geometry.width);
    const PixelRect& cell = geometry.tiles.front().cell;
    return messages::sizesFitted(sizeText(cell.width, cell.height));
}

std::string withoutSound(const ClipInfo& clip) { return messages::withoutSound(escapeControls(clip.name())); }

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
        result.warnings.push_back(messages::imageFormatsDiffer(asciiUpper(extensionOf(clips.front().url()))));
    // A picture has no sound to keep.
    if (settings.audioClip && *settings.audioClip < clips.size())
        result.blocking.push_back(withoutSound(clips[*settings.audioClip]));
}

void checkRates(const std::vector<ClipInfo>& clips, const MergeSettings& settings, Validation& result) {
    if (allSame(clips, std::mem_fn(&ClipInfo::fpsString))) return;
    const auto rates = [](const ClipInfo& c) { return formatFrameRate(c.fps()); };
    if (settings.conformRates)
        result.warnings.push_back(
            messages::ratesConformed(joined(clips, rates), formatFrameRate(clips.front().fps())));
    else
        result.blocking.push_back(messages::ratesDiffer(joined(clips, rates)));
}

// hstack gives the output the first clip's pixel aspect: the others would come out stretched. Fitted,
// every clip is brought to square pixels.
void checkPixelAspects(const std::vector<ClipInfo>& clips, const MergeSettings& settings,
                       Validation& result) {
    if (allSame(clips, std::mem_fn(&ClipInfo::pixelAspect))) return;
    if (settings.fitSizes)
        result.warnings.emplace_back(messages::kPixelAspectsFitted);
    else
        result.blocking.push_back(messages::pixelAspectsDiffer(joined(clips, [](const ClipInfo& c) {
            return c.pixelAspect.empty() ? std::string("1:1") : c.pixelAspect;
        })));
}

// Whether the first clip's codec, container and pixel format can be written at the result's size.
void checkOutputFormat(const ClipInfo& first, const VideoOutputFormat& output, const LayoutGeometry& geometry,
                       bool sized, Validation& result) {
    if (!isSupportedCodec(first.codec)) result.blocking.push_back(messages::unsupportedCodec(first.codec));
    // The output takes the first file's extension, and ffmpeg's MP4 writer has no ProRes.
    if (const std::string extension = lowerExtensionOf(first.url());
        first.codec == "prores" && (extension == "mp4" || extension == "m4v"))
        result.blocking.push_back(messages::proresInMp4(extensionOf(first.url())));
    if (sized && needsEvenSides(output.pixFmt) && (geometry.width % 2 != 0 || geometry.height % 2 != 0))
        result.blocking.push_back(messages::oddResultSize(geometry.width, geometry.height, first.pixFmt));
}

// What the encoding converts: another codec, another pixel format or range, a format the encoder lacks.
void conversionWarnings(const std::vector<ClipInfo>& clips, const VideoOutputFormat& output,
                        Validation& result) {
    const ClipInfo& first = clips.front();
    if (!allSame(clips, [](const ClipInfo& c) { return c.codec + c.codecTag; }))
        result.warnings.push_back(messages::codecsDiffer(first.codecLabel()));
    // A range that differs is converted like a pixel format, and the warning then names it.
    const bool sameRanges = allSame(clips, isFullRange);
    if (!sameRanges || !allSame(clips, std::mem_fn(&ClipInfo::pixFmt)))
        result.warnings.push_back(
            messages::pixelFormatsDiffer(first.pixFmt + (sameRanges           ? ""
                                                         : isFullRange(first) ? "·pc"
                                                                              : "·tv")));
    if (output.substituted)
        result.warnings.push_back(
            messages::pixelFormatSubstituted(first.pixFmt, output.encoder, output.pixFmt));
}

// The result ends with the shortest clip; at one rate frames are compared, at several how long clips last.
void checkLengths(const std::vector<ClipInfo>& clips, Validation& result) {
    if (allSame(clips, std::mem_fn(&ClipInfo::fpsString))) {
        if (!allSame(clips, std::mem_fn(&ClipInfo::frames))) {
            const auto shortest =
                std::min_element(clips.begin(), clips.end(),
                                 [](const ClipInfo& a, const ClipInfo& b) { return a.frames < b.frames; });
            result.warnings.push_back(messages::lengthsDiffer(shortest->frames));
        }
    } else if (const std::vector<std::int64_t> lengths = framesAtFirstRate(clips);
               !std::all_of(lengths.begin(), lengths.end(),
                            [&](std::int64_t length) { return length == lengths.front(); })) {
        result.warnings.push_back(messages::lengthsDiffer(*std::min_element(lengths.begin(), lengths.end())));
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
        result.blocking.emplace_back(messages::kTooFewFiles);
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
        result.blocking.emplace_back(messages::kImagesAndVideosMixed);
    else if (images != 0)
        checkImages(clips, settings, geometry, sized, result);
    else
        checkVideos(clips, settings, geometry, sized, result);
    return result;
}

}  // namespace tessellane
