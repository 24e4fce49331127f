// The flat face the window's buttons and boxed labels share: a filled rectangle with small rounded corners.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>

namespace tessellane {

// The corner radius of every face and outline in the window, in pixels.
inline constexpr qreal kCornerRadius = 2;

// Fills `rect` with `fill` as a face with kCornerRadius corners, turning on antialiasing.
void paintButtonFace(QPainter& p, const QRect& rect, const QColor& fill);

// The outline that shows where the keyboard is: 2 pixels just inside `rect`, light on every colour of the
// window, the accent included.
void paintFocusRing(QPainter& p, const QRect& rect);

}  // namespace tessellane
