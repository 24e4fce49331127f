#include "ui/widgets/choice_button.h"

#include <QMenu>

namespace tessellane {

ChoiceButton::ChoiceButton(QWidget* parent) : MenuButton(parent) {
    connect(menu(), &QMenu::aboutToShow, this, &ChoiceButton::fillMenu);
}

void ChoiceButton::fillMenu() {
    menu()->clear();
    const std::vector<Choice> choices = choices_ ? choices_() : std::vector<Choice>();
    for (int i = 0; i < static_cast<int>(choices.size()); ++i) {
        QAction* action = menu()->addAction(choices[static_cast<std::size_t>(i)].text);
        action->setCheckable(true);
        action->setChecked(i == current_);
        action->setEnabled(choices[static_cast<std::size_t>(i)].enabled);
        connect(action, &QAction::triggered, this, [this, i] { emit chosen(i); });
    }
}

}  // namespace tessellane
