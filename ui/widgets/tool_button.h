// A flat, borderless button with a text face on the field colour; dims its text when disabled. Return and
// Enter press it as Space does.
#pragma once

#include <QAbstractButton>
#include <QColor>

class QPainter;

namespace tessellane {

class ToolButton : public QAbstractButton {
    Q_OBJECT
  public:
    explicit ToolButton(const QString& label, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    // The face's colour and its text, for buttons that look otherwise.
    virtual QColor faceColour() const;
    virtual void drawLabel(QPainter& p) const;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace tessellane
