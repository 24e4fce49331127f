// The orientation tag (274) of an Exif block's first directory, as a JPEG carries it in APP1.
#pragma once

#include "engine/probe/byte_reader.h"

namespace tessellane {

// `exif` holds the block after its "Exif" and two padding bytes: a TIFF header and its directories. Gives the
// orientation 1 to 8, or 0 when the block has none, or one that is broken or out of range.
int readExifOrientation(ByteReader exif);

// For 5 to 8 the picture is shown turned a quarter, with its sides swapped.
inline bool swapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

}  // namespace tessellane
