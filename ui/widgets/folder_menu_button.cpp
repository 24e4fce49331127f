#include "ui/widgets/folder_menu_button.h"

#include <QMenu>

namespace tessellane {

FolderMenuButton::FolderMenuButton(QWidget* parent)
    : MenuButton(parent),
      sameAsSource_(menu()->addAction(QStringLiteral("Same as Source"))),
      choose_(menu()->addAction(QStringLiteral("Choose..."))) {
    connect(sameAsSource_, &QAction::triggered, this, &FolderMenuButton::sameAsSourceChosen);
    connect(choose_, &QAction::triggered, this, &FolderMenuButton::chooseRequested);
}

}  // namespace tessellane
