// The window's fonts: a Korean-capable family with a symbol fallback, sized in pixels so that a
// "size 12" text has the same extent as on the platform the layout was drawn for.
#pragma once

#include <QFont>
#include <QList>
#include <QTextLayout>

class QApplication;
class QLabel;
class QPainter;
class QRectF;

namespace tessellane {

// The family list, most preferred first: Korean glyphs first, then a font with the ✕ ✓ ⚠ symbols, then
// the emoji and the control-character symbols.
QStringList uiFontFamilies();

// A font of the window at `pixelSize` pixels and the given weight.
QFont uiFont(int pixelSize, QFont::Weight weight = QFont::Normal);

// The two text fonts of the painted list entries (file cards and finished outputs): the bold name line
// and the smaller detail lines.
QFont itemNameFont();
QFont itemDetailFont();

// Makes uiFont(12) the default font of every widget.
void installUiFont(QApplication& app);

// The Korean fonts draw "…" (U+2026) centred like the CJK ellipsis; this family draws it on the baseline,
// as the window's texts mean it. Every "…" the window shows, written or made by shortening, comes from it.
QString ellipsisFamily();

// The font of Qt's own dialogs (choosers, questions), whose views shorten names with "…" by themselves:
// Latin text and the ellipsis from ellipsisFamily(), Korean from the window's family.
QFont dialogFont();

// Formats that take each "…" of `text` from ellipsisFamily(), at the size and weight of `font`.
QList<QTextLayout::FormatRange> ellipsisFormats(const QString& text, const QFont& font);

// Draws `text` on one line inside `rect` with the painter's font and pen, aligned as `alignment` says,
// its baseline where QPainter::drawText would put it.
void drawTextLine(QPainter& p, const QRectF& rect, Qt::Alignment alignment, const QString& text);

// Sets a label's plain text; a text with "…" becomes rich text with that character from ellipsisFamily().
void setLabelText(QLabel* label, const QString& text);

}  // namespace tessellane
