#include "ui/fonts.h"

#include <QApplication>

namespace tessellane {

QStringList uiFontFamilies() {
    // NanumGothic lacks the dingbats (✕ ✓ ⚠ ⌘); DejaVu Sans carries them.
    return {"NanumGothic", "NanumBarunGothic", "Noto Sans CJK KR", "DejaVu Sans"};
}

QFont uiFont(int pixelSize, QFont::Weight weight) {
    QFont font;
    font.setFamilies(uiFontFamilies());
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

void installUiFont(QApplication& app) { app.setFont(uiFont(12)); }

}  // namespace tessellane
