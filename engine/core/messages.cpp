#include "engine/core/messages.h"

#include <initializer_list>

namespace tessellane::messages {

namespace {

// Appended piece by piece: no temporaries to prepend to, and one allocation.
std::string concat(std::initializer_list<std::string_view> pieces) {
    std::size_t length = 0;
    for (std::string_view piece : pieces) length += piece.size();
    std::string out;
    out.reserve(length);
    for (std::string_view piece : pieces) out += piece;
    return out;
}

}  // namespace

std::string heightsDiffer(std::string_view heights) { return concat({"높이가 다릅니다: ", heights}); }
std::string widthsDiffer(std::string_view widths) { return concat({"너비가 다릅니다: ", widths}); }
std::string sizesDiffer(std::string_view sizes) { return concat({"크기가 다릅니다: ", sizes}); }

std::string heightsFitted(std::int64_t height) {
    return concat({"높이가 다릅니다 — 첫 파일 높이(", std::to_string(height), ")로 맞춤"});
}

std::string widthsFitted(std::int64_t width) {
    return concat({"너비가 다릅니다 — 첫 파일 너비(", std::to_string(width), ")로 맞춤"});
}

std::string sizesFitted(std::string_view cellSize) {
    return concat({"크기가 다릅니다 — 첫 파일 크기(", cellSize, ") 칸에 맞춤"});
}

std::string withoutSound(std::string_view fileName) {
    return concat({fileName, "에는 소리가 없습니다 — 소리를 가져올 파일을 다시 고르세요"});
}

std::string imageFormatsDiffer(std::string_view firstFormat) {
    return concat({"이미지 형식이 서로 다릅니다 — 첫 파일(", firstFormat, ") 형식으로 저장"});
}

std::string ratesDiffer(std::string_view rates) { return concat({"fps가 다릅니다: ", rates}); }

std::string ratesConformed(std::string_view rates, std::string_view firstRate) {
    return concat({"fps가 다릅니다: ", rates, " — 첫 파일 fps(", firstRate, ")로 맞춤"});
}

std::string pixelAspectsDiffer(std::string_view aspects) {
    return concat({"픽셀 종횡비가 다릅니다: ", aspects});
}

std::string unsupportedCodec(std::string_view codec) {
    return concat({"지원하지 않는 코덱: ", codec, " (ProRes·H.264·HEVC만)"});
}

std::string proresInMp4(std::string_view extension) {
    return concat({"ProRes는 MP4(.", extension, ")에 쓸 수 없습니다 — .mov 파일을 첫 파일로 놓아 주세요"});
}

std::string oddResultSize(std::int64_t width, std::int64_t height, std::string_view pixelFormat) {
    return concat({"결과 크기가 홀수입니다: ", std::to_string(width), "×", std::to_string(height),
                   " — 픽셀 포맷(", pixelFormat, ")에는 짝수 크기가 필요합니다"});
}

std::string codecsDiffer(std::string_view firstCodec) {
    return concat({"코덱이 서로 다릅니다 — 첫 파일(", firstCodec, ") 사양으로 인코딩"});
}

std::string pixelFormatsDiffer(std::string_view firstPixelFormat) {
    return concat({"픽셀 포맷이 서로 다릅니다 — 첫 파일(", firstPixelFormat, ")로 변환"});
}

std::string pixelFormatSubstituted(std::string_view pixelFormat, std::string_view encoder,
                                   std::string_view writtenAs) {
    return concat(
        {"첫 파일의 픽셀 포맷(", pixelFormat, ")은 ", encoder, "로 쓸 수 없습니다 — ", writtenAs, "로 변환"});
}

std::string lengthsDiffer(std::int64_t shortestFrames) {
    return concat({"길이가 다릅니다 — 짧은 쪽(", std::to_string(shortestFrames), "f) 기준으로 자름"});
}

std::string imageTooLarge(std::string_view size) { return concat({"결과 이미지가 너무 큽니다: ", size}); }

std::string imageTooLargeForFormat(std::string_view size, std::string_view format, std::string_view largest) {
    return concat({"결과 이미지가 너무 큽니다: ", size, " (", format, " 최대 ", largest, ")"});
}

std::string videoTooLargeForH264(std::string_view size, std::int64_t largestSide) {
    return concat({"결과 크기가 너무 큽니다: ", size, " — H.264는 가로·세로 ", std::to_string(largestSide),
                   " 이하여야 합니다"});
}

std::string videoTooLargeForFfmpeg(std::string_view size) {
    return concat({"결과 크기가 너무 큽니다: ", size, " — ffmpeg가 다룰 수 있는 그림보다 큽니다"});
}

std::string unsupportedImage(std::string_view format, std::string_view why) {
    return concat({"지원하지 않는 ", format, ": ", why});
}

std::string truncatedImage(std::string_view why) { return concat({"잘린 이미지 — ", why}); }

std::string pictureTooLarge(std::int64_t width, std::int64_t height) {
    return concat({"이미지가 너무 큽니다: ", std::to_string(width), "×", std::to_string(height)});
}

std::string compressionMethod(std::uint64_t code) { return concat({"압축 방식 ", std::to_string(code)}); }
std::string colourSpace(std::uint64_t code) { return concat({"색 공간 ", std::to_string(code)}); }

std::string bmpPixelBits(std::int64_t bits, bool withBitFields) {
    return concat({std::to_string(bits), "비트 픽셀", withBitFields ? "의 이 비트 필드" : ""});
}

std::string jpegSampling(std::int64_t components) {
    return concat({"성분 ", std::to_string(components), "개의 이 샘플링"});
}

std::string reversedBitOrder(std::int64_t bits) {
    return concat({"비트 순서가 거꾸로인(FillOrder 2) ", std::to_string(bits), "비트 샘플"});
}

std::string tiffSampleLayout(bool cmyk, std::uint64_t samples, std::int64_t bits, bool planar) {
    return concat({cmyk ? "CMYK " : "", "샘플 ", std::to_string(samples), "개 × ", std::to_string(bits),
                   "비트", planar ? " (평면 배치)" : ""});
}

std::string outputNameUnusable(std::string_view name) {
    return concat({"출력 파일 이름으로 쓸 수 없습니다: ", name});
}

std::string noWriterForExtension(std::string_view fileName) {
    return concat(
        {"이 확장자로는 쓸 수 없습니다: ", fileName, " (mov·mp4·m4v·png·jpg·jpeg·tif·tiff·bmp·webp만)"});
}

std::string ffmpegNotFound(std::string_view folders) {
    return concat({"ffmpeg를 찾을 수 없습니다 (", folders, ")"});
}

std::string soundCopied(std::string_view fileName, std::string_view codec) {
    return concat({fileName, "의 소리(", codec, ") — 그대로 복사"});
}

std::string soundAsPcm(std::string_view fileName, std::string_view codec) {
    return concat({fileName, "의 소리(", codec, ") — PCM 24비트로 인코딩"});
}

std::string soundAsAac(std::string_view fileName, std::string_view codec,
                       std::string_view kilobitsPerSecond) {
    return concat({fileName, "의 소리(", codec, ") — AAC ", kilobitsPerSecond, " kb/s로 인코딩"});
}

std::string tooManyInputs(std::uint64_t inputs, std::uint64_t openable) {
    return concat({"입력 파일이 너무 많습니다: ", std::to_string(inputs), "개 — 한 번에 열 수 있는 파일은 ",
                   std::to_string(openable), "개까지입니다"});
}

std::string inputMissing(std::string_view fileName) { return concat({"입력 파일이 없습니다: ", fileName}); }

std::string inputUnopenable(std::string_view fileName, std::string_view problem) {
    return concat({"입력 파일을 열 수 없습니다: ", fileName, ": ", problem});
}

std::string inputChanged(std::string_view fileName) {
    return concat({"입력 파일이 확인한 뒤에 바뀌었습니다: ", fileName});
}

std::string outputFolderMissing(std::string_view folder) {
    return concat({"출력 폴더가 없습니다: ", folder});
}

std::string outputFolderUnwritable(std::string_view folder, std::string_view problem) {
    return concat({"출력 폴더에 쓸 수 없습니다: ", folder, ": ", problem});
}

std::string nameTooLong(std::uint64_t bytes, std::int64_t longest) {
    return concat({"파일 이름이 너무 깁니다: ", std::to_string(bytes), "바이트 (이 폴더에는 ",
                   std::to_string(longest), "바이트까지)"});
}

std::string nameUnusableHere(std::string_view name) {
    return concat({"이 폴더의 파일 시스템에서 쓸 수 없는 이름입니다: ", name});
}

std::string nameTaken(std::string_view path) { return concat({"같은 이름의 파일이 이미 있습니다: ", path}); }
std::string ffmpegFailed(std::string_view reason) { return concat({"ffmpeg 실패: ", reason}); }
std::string storageFailed(std::string_view reason) { return concat({"저장 실패: ", reason}); }

std::string ffmpegKilled(int signal, std::string_view signalName) {
    return concat({"ffmpeg가 신호 ", std::to_string(signal), "(SIG", signalName, ")로 끝났습니다"});
}

std::string pictureNotDecoded(std::string_view picture, std::string_view reason) {
    return concat({"디코딩할 수 없는 그림: ", picture, " — ", reason});
}

std::string inputErrorsReported(std::string_view errors) {
    return concat(
        {"ffmpeg가 입력을 읽으며 오류를 알렸습니다 — 결과에 손상된 곳이 있을 수 있습니다: ", errors});
}

std::string resultSizeDiffers(std::string_view size, std::string_view expected) {
    return concat({"결과 크기가 예상과 다릅니다: ", size, " (예상 ", expected, ")"});
}

std::string resultFormatDiffers(std::string_view format, std::string_view expected) {
    return concat({"결과 형식이 예상과 다릅니다: ", format, " (예상 ", expected, ")"});
}

std::string resultCodecDiffers(std::string_view codec, std::string_view expected) {
    return concat({"결과 코덱이 예상과 다릅니다: ", codec, " (예상 ", expected, ")"});
}

std::string resultFramesDiffer(std::int64_t frames, std::int64_t expected) {
    return concat({"결과 프레임 수가 예상과 다릅니다: ", std::to_string(frames), " (예상 ",
                   std::to_string(expected), ")"});
}

std::string videoDone(std::string_view size, std::string_view codec, std::int64_t frames,
                      std::optional<std::string_view> sound) {
    return concat({size, " · ", codec, " · ", std::to_string(frames), "f", sound ? " · 소리 " : "",
                   sound.value_or(""), " 완료"});
}

std::string imageDone(std::string_view size, std::string_view codec, std::string_view pixelFormat) {
    return concat({size, " · ", codec, " · ", pixelFormat, " 완료"});
}

}  // namespace tessellane::messages
