// The window's fonts: a Korean-capable family with a symbol fallback, sized in pixels so that a
// "size 12" text has the same extent as on the platform the layout was drawn for.
#pragma once

#include <QFont>

class QApplication;

namespace tessellane {

// The family list, most preferred first: Korean glyphs first, then a font with the ✕ ✓ ⚠ ⌘ symbols.
QStringList uiFontFamilies();

// A font of the window at `pixelSize` pixels and the given weight.
QFont uiFont(int pixelSize, QFont::Weight weight = QFont::Normal);

// Makes uiFont(12) the default font of every widget.
void installUiFont(QApplication& app);

}  // namespace tessellane
