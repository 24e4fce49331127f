// Which of ffmpeg's writers an output's extension asks for. ffmpeg would pick it by the name, but the file
// it writes is a descriptor of ours (/proc/self/fd/N): the merge names the writer, and the encoder where
// the vector leaves it open.
#pragma once

#include <string>
#include <string_view>

#include "engine/core/clip_info.h"

namespace tessellane {

struct OutputWriter {
    std::string_view extension;  // lower case
    const char* format;          // ffmpeg's -f
    const char* codec;           // nullptr: the vector names it
};

// The writer for the output's extension (any case); nullptr for an extension none of them takes.
const OutputWriter* outputWriter(const FileURL& output);

// "이 확장자로는 쓸 수 없습니다: out.qt (mov·mp4·m4v·png·jpg·jpeg·tif·tiff·bmp·webp만)".
std::string noWriterMessage(const FileURL& output);

}  // namespace tessellane
