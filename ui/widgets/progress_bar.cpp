#include "ui/widgets/progress_bar.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "ui/widgets/palette.h"

namespace tessellane {

namespace {
constexpr int kInset = 10;
constexpr int kHeight = 3;
}  // namespace

ProgressBar::ProgressBar(QWidget* parent) : QWidget(parent), fill_(palette::accent()) {
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ProgressBar::setState(double value, bool visible) {
    if (!std::isfinite(value)) value = 0;
    value = std::clamp(value, 0.0, 1.0);
    if (value == value_ && visible == visible_) return;
    value_ = value;
    visible_ = visible;
    update();
}

void ProgressBar::setFill(const QColor& colour) {
    if (colour == fill_) return;
    fill_ = colour;
    update();
}

double ProgressBar::fillWidth(double value, double trackWidth) {
    return std::clamp(value, 0.0, 1.0) * std::max(0.0, trackWidth);
}

void ProgressBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setOpacity(visible_ ? 1.0 : 0.3);
    const QRectF track(kInset, 0, std::max(0, width() - 2 * kInset), kHeight);
    p.fillRect(track, palette::idleBG());
    p.fillRect(QRectF(track.left(), 0, fillWidth(value_, track.width()), kHeight), fill_);
}

}  // namespace tessellane
