// A row of equally wide tabs: the selected one in the accent colour, the others on the button grey. The row
// is one stop of the Tab order; Left, Right, Home and End choose the tab.
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
    int count() const { return int(tabs_.size()); }
    // Names for screen readers, one per tab; the bar itself reads as its selected tab.
    void setAccessibleNames(const QStringList& names);

  signals:
    void selectionChanged(int index);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    QList<QAbstractButton*> tabs_;
    int selection_ = 0;
};

}  // namespace tessellane
