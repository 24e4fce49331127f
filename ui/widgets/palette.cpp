#include "ui/widgets/palette.h"

namespace tessellane::palette {

QColor fromHex(std::uint32_t hex) {
    return QColor::fromRgb(static_cast<int>((hex >> 16) & 0xFF), static_cast<int>((hex >> 8) & 0xFF),
                           static_cast<int>(hex & 0xFF));
}

// Function-local statics: each colour is built once, on first use.
const QColor& winBG() {
    static const QColor c = fromHex(0x121416);
    return c;
}
const QColor& panelBG() {
    static const QColor c = fromHex(0x1B1F22);
    return c;
}
const QColor& accent() {
    static const QColor c = fromHex(0xF8581C);
    return c;
}
const QColor& fieldBG() {
    static const QColor c = fromHex(0x2A2D31);
    return c;
}
const QColor& buttonBG() {
    static const QColor c = fromHex(0x30343A);
    return c;
}
const QColor& dimText() {
    static const QColor c = fromHex(0x8A9399);
    return c;
}
const QColor& warn() {
    static const QColor c = fromHex(0xE0A83F);
    return c;
}
const QColor& danger() {
    static const QColor c = fromHex(0xE05A4F);
    return c;
}

const QColor& text() {
    static const QColor c = fromHex(0xFFFFFF);
    return c;
}
const QColor& textOnAccent() {
    static const QColor c = fromHex(0x101216);
    return c;
}
const QColor& faintText() {
    static const QColor c = fromHex(0x3A4044);
    return c;
}
const QColor& idleBG() {
    static const QColor c = fromHex(0x23292D);
    return c;
}
const QColor& selectedCardBG() {
    static const QColor c = fromHex(0x232A2E);
    return c;
}
const QColor& divider() {
    static const QColor c = fromHex(0x2A3034);
    return c;
}
const QColor& pictureBG() {
    static const QColor c = fromHex(0x000000);
    return c;
}
const QColor& tileBG() {
    static const QColor c = fromHex(0x15191B);
    return c;
}
const QColor& focusRing() {
    static const QColor c = fromHex(0xF2F4F5);
    return c;
}

}  // namespace tessellane::palette
