// Names as the window draws them: on one line, with nothing in them invisible or moving other text.
#pragma once

#include <QString>

namespace tessellane {

// `text` with each control character replaced by a visible stand-in: C0 controls and DEL by their symbols
// from the Control Pictures block (a line feed shows as ␊, a tab as ␉), the line and paragraph separators
// and NEL as ␤, other C1 controls as �. Everything else is kept as it is.
QString visibleText(const QString& text);

}  // namespace tessellane
