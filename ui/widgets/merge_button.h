// The wide merge button: a tool button in a larger, bolder type, white on the accent colour when it can
// act, dim on dark grey when it cannot.
#pragma once

#include "ui/widgets/tool_button.h"

namespace tessellane {

class MergeButton : public ToolButton {
    Q_OBJECT
  public:
    explicit MergeButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    QColor faceColour() const override;
    void drawLabel(QPainter& p) const override;
};

}  // namespace tessellane
