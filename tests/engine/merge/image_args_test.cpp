#include <gtest/gtest.h>

#include "engine/merge/ffmpeg_args.h"

namespace tessellane {
namespace {

// A picture "a16" has alpha and 16 bits a sample, "8" neither; "l" marks a lossless one.
ClipInfo image(const std::string& path, const std::string& kind) {
    return ClipInfo(path, {.codec = "png",
                           .hasAlpha = kind.find('a') != std::string::npos,
                           .bitsPerSample = kind.find("16") != std::string::npos ? 16 : 8,
                           .lossless = kind.find('l') != std::string::npos});
}

// Each picture is read exactly as named and reaches hstack in the output's format, so an opaque or 8-bit
// first picture cannot strip the others' alpha or depth; the encoder follows the output's extension.
TEST(BuildImageArguments, FormatFollowsExtensionAlphaDepthAndTheFirstPicturesLosslessness) {
    const struct {
        std::string first, second, output, format, encoder;
    } rows[] = {
        {"8", "a8", "o.png", "rgba", "-c:v png"},
        {"8", "8", "o.PNG", "rgb24", "-c:v png"},
        {"8", "a16", "o.png", "rgba64be", "-c:v png"},
        {"16", "8", ".png", "rgb48be", "-c:v png"},
        {"8", "a16", "o.TIF", "rgba64le", "-c:v tiff"},
        {"16", "8", "o.tiff", "rgb48le", "-c:v tiff"},
        {"a8", "8", "o.tiff", "rgba", "-c:v tiff"},
        {"a16", "16", "o.JPEG", "yuvj444p", "-c:v mjpeg -q:v 1"},
        {"a8", "8", "o.bmp", "bgra", "-c:v bmp"},
        {"16", "8", "o.bmp", "bgr24", "-c:v bmp"},
        {"l8", "a8", "o.webp", "bgra", "-c:v libwebp -lossless 1"},
        {"8", "la8", "o.webp", "yuva420p", "-c:v libwebp -quality 95"},
        {"8", "l16", "o.WebP", "yuv420p", "-c:v libwebp -quality 95"},
        {"a8", "a8", "o.gif", "", ""},
    };
    for (const auto& row : rows) {
        std::string line;
        for (const std::string& argument : buildImageArguments(
                 {image("/i/a.png", row.first), image("/i/b.png", row.second)}, "/i/" + row.output))
            line += (line.empty() ? "" : " ") + argument;
        const std::string filter = row.format.empty()
                                       ? "[0:v][1:v]hstack=inputs=2"
                                       : "[0:v]format=" + row.format + "[i0];[1:v]format=" + row.format +
                                             "[i1];[i0][i1]hstack=inputs=2";
        EXPECT_EQ(line,
                  "-nostdin -hide_banner -n -f png_pipe -i /i/a.png -f png_pipe -i /i/b.png "
                  "-filter_complex " +
                      filter + "[v] -map [v] -frames:v 1 -update 1 " +
                      (row.format.empty() ? "" : row.encoder + " -pix_fmt " + row.format + " ") + "/i/" +
                      row.output);
    }
}

}  // namespace
}  // namespace tessellane
