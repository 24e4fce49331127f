// libFuzzer target: any bytes, as ffmpeg's progress output and as its diagnostics, read in chunks whose
// sizes the input chooses, must not crash, must keep progress within 0..1 and must give readable reasons
// and decoder errors, each on one line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/core/utf8.h"
#include "engine/merge/diagnostic_tail.h"
#include "engine/merge/progress_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t chunk = 1 + data[0] % 64;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    const tessellane::ProgressReader::Callback check = [](double fraction) {
        if (!(fraction >= 0.0 && fraction <= 1.0)) std::abort();
    };
    tessellane::ProgressReader progress(240, check);
    tessellane::DiagnosticTail diagnostics;
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
        progress.feed(bytes.substr(at, chunk));
        diagnostics.append(bytes.substr(at, chunk));
    }
    // Shown on one line: valid UTF-8 without control characters, the decoder errors as the reasons.
    for (const std::string& shown : {diagnostics.reason(), diagnostics.errors()}) {
        if (!tessellane::isValidUtf8(shown) || tessellane::escapeControls(shown) != shown) std::abort();
    }
    return 0;
}
