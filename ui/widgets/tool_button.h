// A flat, borderless button with a text face on the field colour; dims its text when disabled.
#pragma once

#include <QAbstractButton>

namespace tessellane {

class ToolButton : public QAbstractButton {
    Q_OBJECT
  public:
    explicit ToolButton(const QString& label, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace tessellane
