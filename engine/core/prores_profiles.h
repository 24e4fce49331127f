// The ProRes profiles in one table: sample-description codes, names, encoder profile numbers and the pixel
// formats they decode to.
#pragma once

#include <string>
#include <string_view>

namespace tessellane {

// ProRes profile name for a sample-description code; any other code yields `profile` unchanged.
std::string proresName(std::string_view tag, std::string_view profile);
// ProRes encoder profile number 0..5 for a code; other codes are decided by the profile text.
int proresProfileNumber(std::string_view tag, std::string_view profile);
// The pixel format a ProRes code decodes to (the 4444 ones with alpha when the picture has it); empty for a
// code that is not ProRes.
std::string proresPixelFormat(std::string_view tag, bool alpha);
// The code the encoder writes for a profile number, clamped to 0..5.
std::string_view proresTag(int profileNumber);

}  // namespace tessellane
