// A one-line label that shortens its text in the middle to fit, keeps the full text for reading back
// and copying, and can be selected with the mouse.
#pragma once

#include <QLabel>

namespace tessellane {

class ElidedLabel : public QLabel {
    Q_OBJECT
  public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void setFullText(const QString& text);
    const QString& fullText() const { return full_; }
    // What fits: the full text or its middle-shortened form.
    const QString& shownText() const { return shown_; }
    // Text colour; the background is left to the style sheet.
    void setTextColor(const QColor& colour);
    QColor textColor() const { return colour_; }

    // A rounded (radius 2) background behind the text; invalid = none.
    void setBoxBackground(const QColor& colour);

    QSize minimumSizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void relayout();

    QString full_;
    QString shown_;
    QColor colour_;
    QColor background_;
};

}  // namespace tessellane
