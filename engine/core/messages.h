#pragma once

// The engine's words to the user, in one place: every Korean text that validation, the probe and the merge
// raise. Fixed texts are constants; texts that carry values are functions that put the values in place.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessellane::messages {

// Validation: why the clips cannot be merged as they are (blocking), or what the merge will change
// (warnings). Also the suffix's and the result size's problems, which the window shows beside them.
inline constexpr std::string_view kTooFewFiles = "파일이 2개 이상 필요합니다";
inline constexpr std::string_view kImagesAndVideosMixed =
    "이미지와 영상을 섞을 수 없습니다 — 한 종류만 넣어 주세요";
inline constexpr std::string_view kPixelAspectsFitted = "픽셀 종횡비가 다릅니다 — 정사각 픽셀로 맞춤";
inline constexpr std::string_view kSuffixHasSlash = "접미사에는 \"/\"를 넣을 수 없습니다";
inline constexpr std::string_view kSuffixHasControls = "접미사에는 제어 문자를 넣을 수 없습니다";
std::string heightsDiffer(std::string_view heights);
std::string widthsDiffer(std::string_view widths);
std::string sizesDiffer(std::string_view sizes);
std::string heightsFitted(std::int64_t height);
std::string widthsFitted(std::int64_t width);
std::string sizesFitted(std::string_view cellSize);
std::string withoutSound(std::string_view fileName);
std::string imageFormatsDiffer(std::string_view firstFormat);
std::string ratesDiffer(std::string_view rates);
std::string ratesConformed(std::string_view rates, std::string_view firstRate);
std::string pixelAspectsDiffer(std::string_view aspects);
std::string unsupportedCodec(std::string_view codec);
std::string proresInMp4(std::string_view extension);
std::string oddResultSize(std::int64_t width, std::int64_t height, std::string_view pixelFormat);
std::string codecsDiffer(std::string_view firstCodec);
std::string pixelFormatsDiffer(std::string_view firstPixelFormat);
std::string pixelFormatSubstituted(std::string_view pixelFormat, std::string_view encoder,
                                   std::string_view writtenAs);
std::string lengthsDiffer(std::int64_t shortestFrames);
std::string imageTooLarge(std::string_view size);
std::string imageTooLargeForFormat(std::string_view size, std::string_view format, std::string_view largest);
std::string videoTooLargeForH264(std::string_view size, std::int64_t largestSide);
std::string videoTooLargeForFfmpeg(std::string_view size);

// The probe: why a file cannot be read, or why a picture cannot be decoded. Each becomes the record's error.
inline constexpr std::string_view kMovieUnreadable = "영상 스트림 없음(또는 읽을 수 없는 파일)";
inline constexpr std::string_view kImageUnreadable = "읽을 수 없는 이미지";
// A copy that never started, or a placeholder: nothing to read, which says more than "unreadable".
inline constexpr std::string_view kEmptyFile = "빈 파일입니다";
inline constexpr std::string_view kLinkTargetMissing = "링크가 가리키는 파일이 없습니다";
inline constexpr std::string_view kFileMissing = "파일이 없습니다";
inline constexpr std::string_view kNoReadPermission = "읽을 권한이 없습니다";
inline constexpr std::string_view kMovieReadFailed = "읽기 오류 — 파일을 읽는 중에 실패했습니다";
inline constexpr std::string_view kMovieAudioOnly = "영상 트랙이 없습니다 (소리만 있는 파일)";
inline constexpr std::string_view kMovieHeaderTooLarge = "너무 큰 헤더 — 읽을 수 있는 한도를 넘습니다";
inline constexpr std::string_view kMovieTruncated = "잘린 파일입니다 — 영상 정보가 중간에 끝납니다";
inline constexpr std::string_view kMovieMalformed =
    "손상된 파일입니다 — 영상 정보의 크기가 서로 맞지 않습니다";
inline constexpr std::string_view kMovieWithoutFrames =
    "영상 트랙에 프레임이 없습니다 (초기화 세그먼트만 있는 파일)";
inline constexpr std::string_view kMovieRateUnknown = "프레임 속도를 알 수 없습니다 (프레임 길이가 모두 0)";
inline constexpr std::string_view kMovieDataPastEnd = "잘린 파일입니다 — 영상 데이터가 파일 끝을 넘어갑니다";
// The pieces after "지원하지 않는 TIFF: " and "잘린 이미지 — ".
inline constexpr std::string_view kPixelDataPastEnd = "픽셀 데이터가 파일 끝을 넘습니다";
inline constexpr std::string_view kArithmeticCoding = "산술 부호화";
inline constexpr std::string_view kHierarchicalCoding = "계층 부호화";
inline constexpr std::string_view kJpegWithoutEnd = "JPEG의 끝(EOI)이 없습니다";
inline constexpr std::string_view kPngWithoutEnd = "PNG의 끝(IEND)이 없습니다";
inline constexpr std::string_view kPngWithoutImageData = "PNG에 이미지 데이터(IDAT)가 없습니다";
inline constexpr std::string_view kPngProfileDamaged = "PNG의 색 프로필(iCCP)이 손상되었습니다";
inline constexpr std::string_view kFloatingPointSamples = "부동소수점 샘플";
inline constexpr std::string_view kSignedIntegerSamples = "부호 있는 정수 샘플";
inline constexpr std::string_view kTilesWithoutOffsets = "타일 위치(TileOffsets)가 없는 타일 구성";
inline constexpr std::string_view kAnimation = "애니메이션";
// "지원하지 않는 TIFF: 부동소수점 샘플": a kind of picture that ffmpeg does not decode.
std::string unsupportedImage(std::string_view format, std::string_view why);
// A picture whose file ends before its data does.
std::string truncatedImage(std::string_view why);
std::string pictureTooLarge(std::int64_t width, std::int64_t height);
std::string compressionMethod(std::uint64_t code);
std::string colourSpace(std::uint64_t code);
std::string bmpPixelBits(std::int64_t bits, bool withBitFields);
std::string jpegSampling(std::int64_t components);
std::string reversedBitOrder(std::int64_t bits);
std::string tiffSampleLayout(bool cmyk, std::uint64_t samples, std::int64_t bits, bool planar);

// The merge: what the plan refuses, what the run refuses or fails with, and what it tells when it is done.
inline constexpr std::string_view kOutputNameless = "출력 파일 이름이 없습니다 — 접미사를 정해 주세요";
inline constexpr std::string_view kMergeCancelled = "합치기를 취소했습니다";
inline constexpr std::string_view kNoResultFile = "ffmpeg가 결과 파일을 만들지 않았습니다";
inline constexpr std::string_view kResultUnreadable = "ffmpeg가 만든 결과 파일을 읽을 수 없습니다";
inline constexpr std::string_view kResultWithoutSound = "결과 파일에 소리가 없습니다";
inline constexpr std::string_view kKilledOutOfMemory = " — 메모리가 부족했을 수 있습니다";
inline constexpr std::string_view kKilledFileSizeLimit = " — 파일 크기 한도를 넘었습니다";
// A file system error as the user reads it; the system's own words for the rare ones.
inline constexpr std::string_view kNoSuchFileOrFolder = "파일이나 폴더가 없습니다";
inline constexpr std::string_view kPermissionDenied = "권한이 없습니다";
inline constexpr std::string_view kReadOnly = "읽기 전용입니다";
inline constexpr std::string_view kNoSpace = "공간이 부족합니다";
inline constexpr std::string_view kInputOutputError = "입출력 오류가 났습니다";
std::string outputNameUnusable(std::string_view name);
// "이 확장자로는 쓸 수 없습니다: out.qt (mov·mp4·m4v·png·jpg·jpeg·tif·tiff·bmp·webp만)".
std::string noWriterForExtension(std::string_view fileName);
// "ffmpeg를 찾을 수 없습니다 (/usr/local/bin, PATH)", with the folders that were searched.
std::string ffmpegNotFound(std::string_view folders);
// "b.mov의 소리(AAC) — 그대로 복사", "... — PCM 24비트로 인코딩", "... — AAC 256 kb/s로 인코딩".
std::string soundCopied(std::string_view fileName, std::string_view codec);
std::string soundAsPcm(std::string_view fileName, std::string_view codec);
std::string soundAsAac(std::string_view fileName, std::string_view codec, std::string_view kilobitsPerSecond);
std::string tooManyInputs(std::uint64_t inputs, std::uint64_t openable);
std::string inputMissing(std::string_view fileName);
std::string inputUnopenable(std::string_view fileName, std::string_view problem);
std::string inputChanged(std::string_view fileName);
std::string outputFolderMissing(std::string_view folder);
std::string outputFolderUnwritable(std::string_view folder, std::string_view problem);
std::string nameTooLong(std::uint64_t bytes, std::int64_t longest);
std::string nameUnusableHere(std::string_view name);
std::string nameTaken(std::string_view path);
std::string ffmpegFailed(std::string_view reason);
std::string storageFailed(std::string_view reason);
// "ffmpeg가 신호 9(SIGKILL)로 끝났습니다".
std::string ffmpegKilled(int signal, std::string_view signalName);
std::string pictureNotDecoded(std::string_view picture, std::string_view reason);
std::string inputErrorsReported(std::string_view errors);
std::string resultSizeDiffers(std::string_view size, std::string_view expected);
std::string resultFormatDiffers(std::string_view format, std::string_view expected);
std::string resultCodecDiffers(std::string_view codec, std::string_view expected);
std::string resultFramesDiffer(std::int64_t frames, std::int64_t expected);
// "5760×1080 · ProRes 422 HQ · 1440f 완료" ("... · 1440f · 소리 PCM 완료" with sound), or for images
// "3840×1080 · PNG · rgb24 완료".
std::string videoDone(std::string_view size, std::string_view codec, std::int64_t frames,
                      std::optional<std::string_view> sound);
std::string imageDone(std::string_view size, std::string_view codec, std::string_view pixelFormat);

}  // namespace tessellane::messages
