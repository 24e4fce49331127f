// A 3-pixel bar: dark track, a fill from the left; faded to 30 % when nothing is being reported.
// It keeps its height when faded so the layout below never jumps.
#pragma once

#include <QWidget>

namespace tessellane {

class ProgressBar : public QWidget {
    Q_OBJECT
  public:
    explicit ProgressBar(QWidget* parent = nullptr);

    double value() const { return value_; }
    bool barVisible() const { return visible_; }
    // value is clamped to 0..1.
    void setState(double value, bool visible);
    // The colour of the fill (the accent unless changed).
    void setFill(const QColor& colour);
    QColor fill() const { return fill_; }

    // Width of the fill for a track of trackWidth pixels.
    static double fillWidth(double value, double trackWidth);

    QSize sizeHint() const override { return {100, 3}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    double value_ = 0;
    bool visible_ = false;
    QColor fill_;
};

}  // namespace tessellane
