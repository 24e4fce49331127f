// The finished-outputs tab: newest first, each with a link that shows the file in the file manager.
#pragma once

#include <QScrollArea>

class QVBoxLayout;

namespace tessellane {

class AppModel;

class QueueList : public QScrollArea {
    Q_OBJECT
  public:
    explicit QueueList(AppModel& model, QWidget* parent = nullptr);

  public slots:
    void refresh();

  private:
    AppModel& model_;
    QVBoxLayout* rows_;
    std::size_t shown_ = static_cast<std::size_t>(-1);
};

// One two-line entry ("»", name, wrapped detail) as a widget.
class OutputItemWidget : public QWidget {
    Q_OBJECT
  public:
    OutputItemWidget(const QString& name, const QString& detail, QWidget* parent = nullptr);
    const QString& name() const { return name_; }
    const QString& detail() const { return detail_; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString name_;
    QString detail_;
};

}  // namespace tessellane
