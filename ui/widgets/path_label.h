// A path in small dim text over at most two lines, shortened in the middle when it needs more.
#pragma once

#include <QWidget>

namespace tessellane {

class PathLabel : public QWidget {
    Q_OBJECT
  public:
    explicit PathLabel(QWidget* parent = nullptr);

    void setText(const QString& text);
    const QString& text() const { return text_; }
    // What is drawn at the current width (the text, or its middle-shortened form).
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
};

}  // namespace tessellane
