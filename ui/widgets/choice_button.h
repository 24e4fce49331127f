// A pull-down of choices: the face reads the current choice (set by the owner, with setText), the menu
// lists the choices with a check on the current one. The choices are asked for when the menu opens,
// so a long list (a clip each) costs nothing while the list changes.
#pragma once

#include <functional>
#include <vector>

#include "ui/widgets/menu_button.h"

namespace tessellane {

class ChoiceButton : public MenuButton {
    Q_OBJECT
  public:
    struct Choice {
        QString text;
        bool enabled = true;
    };

    explicit ChoiceButton(QWidget* parent = nullptr);

    // Called each time the menu opens.
    void setChoices(std::function<std::vector<Choice>()> choices) { choices_ = std::move(choices); }
    // The choice checked in the menu (the face's text is set by the owner, with setText).
    void setCurrent(int index) { current_ = index; }
    int current() const { return current_; }

    // Fills the menu from the choices, as opening it does.
    void fillMenu();

  signals:
    void chosen(int index);

  protected:
    // From the keyboard the current choice is ready to be taken again or moved from.
    int readyIndex() const override { return current_; }

  private:
    std::function<std::vector<Choice>()> choices_;
    int current_ = 0;
};

}  // namespace tessellane
