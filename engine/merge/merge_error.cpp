#include "engine/merge/merge_error.h"

#include <string.h>

#include <cerrno>
#include <csignal>

#include "engine/core/utf8.h"
#include "engine/merge/tools.h"

namespace tessellane {

namespace {

std::string describe(MergeError::Kind kind, const std::string& payload) {
    switch (kind) {
        case MergeError::Kind::exists:
            return "같은 이름의 파일이 이미 있습니다: " + payload;
        case MergeError::Kind::failed:
            return "ffmpeg 실패: " + payload;
        case MergeError::Kind::noFFmpeg:
            return tool_search::missingFFmpegMessage();
        case MergeError::Kind::cancelled:
            return "합치기를 취소했습니다";
        case MergeError::Kind::storage:
            return "저장 실패: " + payload;
        case MergeError::Kind::invalid:
        case MergeError::Kind::unverified:
        case MergeError::Kind::refused:
            break;
    }
    return payload;
}

}  // namespace

MergeError::MergeError(Kind kind, std::string payload)
    : kind_(kind), payload_(std::move(payload)), description_(describe(kind_, payload_)) {}

MergeError MergeError::exists(std::string outputPath) {
    return MergeError(Kind::exists, escapeControls(outputPath));
}

MergeError MergeError::killed(int signal) {
    const char* name = ::sigabbrev_np(signal);
    std::string text =
        "ffmpeg가 신호 " + std::to_string(signal) + "(SIG" + (name ? name : "?") + ")로 끝났습니다";
    if (signal == SIGKILL) text += " — 메모리가 부족했을 수 있습니다";
    if (signal == SIGXFSZ) text += " — 파일 크기 한도를 넘었습니다";
    MergeError error(Kind::failed, text);
    error.description_ = std::move(text);
    return error;
}

std::string fileProblem(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return "파일이나 폴더가 없습니다";
        case EACCES:
        case EPERM:
            return "권한이 없습니다";
        case EROFS:
            return "읽기 전용입니다";
        case ENOSPC:
        case EDQUOT:
            return "공간이 부족합니다";
        case EIO:
            return "입출력 오류가 났습니다";
        default:
            return ::strerror(error);
    }
}

}  // namespace tessellane
