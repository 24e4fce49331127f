// Every colour the window draws with, plus the hex constructor they are built from. The first eight are the
// window's main colours; the rest are shades used in one or two places each.
#pragma once

#include <QColor>
#include <cstdint>

namespace tessellane::palette {

// An opaque sRGB colour from 0xRRGGBB; the upper 8 bits are ignored.
QColor fromHex(std::uint32_t hex);

const QColor& winBG();     // window background, visible as the gaps between the columns
const QColor& panelBG();   // left column, unselected cards, list rows
const QColor& accent();    // orange-red: the merge button, the selected tab, the progress bar
const QColor& fieldBG();   // tool buttons and text fields
const QColor& buttonBG();  // unselected tabs
const QColor& dimText();   // secondary and disabled text
const QColor& warn();      // warning rows
const QColor& danger();    // blocking rows and per-file errors

const QColor& text();            // primary text, white
const QColor& textOnAccent();    // the selected tab's title, on the accent colour
const QColor& faintText();       // the empty preview's word
const QColor& idleBG();          // the merge button when it cannot act, the progress track
const QColor& selectedCardBG();  // a selected file card
const QColor& divider();         // the lines between the settings sections
const QColor& pictureBG();       // behind pictures: the preview pane, letterboxed thumbnails
const QColor& tileBG();          // a preview tile before its picture arrives
const QColor& focusRing();       // the outline around whatever has the keyboard

// accent() under its former name, still read by the program's start (ui/shell/windowed_app.cpp).
inline const QColor& cyan() { return accent(); }

}  // namespace tessellane::palette
