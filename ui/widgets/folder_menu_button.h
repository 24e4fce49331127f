// The output-folder pull-down: a flat face reading "Custom" or "Same as Source" with a small ▼, opening
// a menu with "Same as Source" and "Choose...".
#pragma once

#include <QAbstractButton>

class QMenu;
class QAction;

namespace tessellane {

class FolderMenuButton : public QAbstractButton {
    Q_OBJECT
  public:
    explicit FolderMenuButton(QWidget* parent = nullptr);

    QMenu* menu() const { return menu_; }
    QAction* sameAsSourceAction() const { return sameAsSource_; }
    QAction* chooseAction() const { return choose_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    void sameAsSourceChosen();
    void chooseRequested();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QMenu* menu_;
    QAction* sameAsSource_;
    QAction* choose_;
};

}  // namespace tessellane
