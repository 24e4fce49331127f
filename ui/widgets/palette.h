// The eight colours every view of the window draws with, plus the hex constructor they are built from.
#pragma once

#include <QColor>
#include <cstdint>

namespace tessellane::palette {

// An opaque sRGB colour from 0xRRGGBB; the upper 8 bits are ignored.
QColor fromHex(std::uint32_t hex);

const QColor& winBG();     // window background, visible as the gaps between the columns
const QColor& panelBG();   // left column, unselected cards, list rows
const QColor& cyan();      // the accent (an orange-red despite its name)
const QColor& fieldBG();   // tool buttons and text fields
const QColor& buttonBG();  // unselected tabs
const QColor& dimText();   // secondary and disabled text
const QColor& warn();      // warning rows
const QColor& danger();    // blocking rows and per-file errors

}  // namespace tessellane::palette
