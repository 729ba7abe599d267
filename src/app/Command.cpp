#include "app/Command.h"

namespace kazoon {

Command::Command(QAction *menuItem, QAction *button, std::function<void()> handler, QObject *parent)
    : QObject(parent), menuItem_(menuItem), handler_(std::move(handler))
{
    if (menuItem_)
        wire(menuItem_);
    if (button)
        addButton(button);
}

void Command::addButton(QAction *button)
{
    // Buttons show a down state; a click must not change it by itself, only
    // the handler decides (a refused play leaves the buttons as they were).
    button->setCheckable(true);
    button->setChecked(down_);
    if (!buttons_.isEmpty())
        button->setEnabled(buttons_.first()->isEnabled());
    buttons_.append(button);
    wire(button);
}

void Command::wire(QAction *action)
{
    connect(action, &QAction::triggered, this, [this] {
        for (QAction *b : std::as_const(buttons_))
            b->setChecked(down_);
        if (menuItem_ && menuItem_->isCheckable())
            menuItem_->setChecked(down_);
        trigger();
    });
}

void Command::setEnabled(bool enabled)
{
    if (menuItem_)
        menuItem_->setEnabled(enabled);
    for (QAction *b : std::as_const(buttons_))
        b->setEnabled(enabled);
}

bool Command::isEnabled() const
{
    if (menuItem_)
        return menuItem_->isEnabled();
    return !buttons_.isEmpty() && buttons_.first()->isEnabled();
}

void Command::setDown(bool down)
{
    down_ = down;
    for (QAction *b : std::as_const(buttons_))
        b->setChecked(down);
    if (menuItem_ && menuItem_->isCheckable())
        menuItem_->setChecked(down);
}

void Command::trigger()
{
    if (handler_)
        handler_();
}

} // namespace kazoon
