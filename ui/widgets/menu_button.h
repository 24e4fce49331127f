// A flat pull-down in the settings column's look: Qt's menu button (QPushButton::setMenu) with a face that
// reads its text and a small ▼. Space, Return, Enter, Down and Alt+Down open the menu, as on a combo box;
// opened from the keyboard, the item readyIndex() names is ready to be taken with Return.
#pragma once

#include <QPushButton>

namespace tessellane {

class MenuButton : public QPushButton {
    Q_OBJECT
  public:
    explicit MenuButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    // The item made active when the menu opens from the keyboard.
    virtual int readyIndex() const { return 0; }
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace tessellane
