#include "engine/merge/merge_error.h"

#include <string.h>

#include <cerrno>
#include <csignal>

#include "engine/core/messages.h"
#include "engine/core/utf8.h"
#include "engine/merge/tools.h"

namespace tessellane {

namespace {

std::string describe(MergeError::Kind kind, const std::string& payload) {
    switch (kind) {
        case MergeError::Kind::exists:
            return messages::nameTaken(payload);
        case MergeError::Kind::failed:
            return messages::ffmpegFailed(payload);
        case MergeError::Kind::noFFmpeg:
            return tool_search::missingFFmpegMessage();
        case MergeError::Kind::cancelled:
            return std::string(messages::kMergeCancelled);
        case MergeError::Kind::storage:
            return messages::storageFailed(payload);
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
    std::string text = messages::ffmpegKilled(signal, name ? name : "?");
    if (signal == SIGKILL) text += messages::kKilledOutOfMemory;
    if (signal == SIGXFSZ) text += messages::kKilledFileSizeLimit;
    MergeError error(Kind::failed, text);
    error.description_ = std::move(text);
    return error;
}

std::string fileProblem(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return std::string(messages::kNoSuchFileOrFolder);
        case EACCES:
        case EPERM:
            return std::string(messages::kPermissionDenied);
        case EROFS:
            return std::string(messages::kReadOnly);
        case ENOSPC:
        case EDQUOT:
            return std::string(messages::kNoSpace);
        case EIO:
            return std::string(messages::kInputOutputError);
        default:
            return ::strerror(error);
    }
}

}  // namespace tessellane
