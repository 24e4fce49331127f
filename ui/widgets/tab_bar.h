// A row of equally wide tabs: the selected one in the accent colour, the others on the button grey.
#pragma once

#include <QAbstractButton>
#include <QList>
#include <QWidget>

namespace tessellane {

class TabBar : public QWidget {
    Q_OBJECT
  public:
    explicit TabBar(QWidget* parent = nullptr);

    // Rebuilds the tabs only when their number changes; otherwise just renames them.
    void setTitles(const QStringList& titles);
    QStringList titles() const;
    int selection() const { return selection_; }
    void setSelection(int index);
    QAbstractButton* tab(int index) const { return tabs_.value(index); }

  signals:
    void selectionChanged(int index);

  private:
    QList<QAbstractButton*> tabs_;
    int selection_ = 0;
};

}  // namespace tessellane
