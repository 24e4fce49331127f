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

// Why an output with this extension cannot be written, naming the extensions that can.
std::string noWriterMessage(const FileURL& output);

}  // namespace tessellane
