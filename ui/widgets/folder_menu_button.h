// The output-folder pull-down: a flat face reading "Custom" or "Same as Source" with a small ▼, opening
// a menu with "Same as Source" and "Choose...".
#pragma once

#include "ui/widgets/menu_button.h"

class QAction;

namespace tessellane {

class FolderMenuButton : public MenuButton {
    Q_OBJECT
  public:
    explicit FolderMenuButton(QWidget* parent = nullptr);

    QAction* sameAsSourceAction() const { return sameAsSource_; }
    QAction* chooseAction() const { return choose_; }

  signals:
    void sameAsSourceChosen();
    void chooseRequested();

  private:
    QAction* sameAsSource_;
    QAction* choose_;
};

}  // namespace tessellane
