// The wide merge button: white on the accent colour when it can act, dim on dark grey when it cannot.
#pragma once

#include <QAbstractButton>

namespace tessellane {

class MergeButton : public QAbstractButton {
    Q_OBJECT
  public:
    explicit MergeButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace tessellane
