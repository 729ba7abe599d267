#pragma once

#include <QAction>
#include <QList>
#include <QObject>
#include <functional>

namespace kazoon {

// One command of the program and all of its controls: a menu item, a tool
// button and, for the player commands, the lyrics card window's button. The
// controls are enabled, disabled, pressed and released together here, so no
// handler can forget one of them. Every control is a QAction (tool bars make
// their buttons from them); a control can still be reached alone through
// menuItem()/button() where the program treats one on its own.
class Command : public QObject {
    Q_OBJECT
public:
    Command(QAction *menuItem, QAction *button, std::function<void()> handler,
            QObject *parent = nullptr);

    // Adds a further button (the lyrics card window's copy of a player button).
    void addButton(QAction *button);

    void setEnabled(bool enabled);
    // True when the menu item (or, without one, the first button) is enabled.
    bool isEnabled() const;

    // The down state of the buttons; the menu item of a check-style command
    // shows it as its check mark.
    void setDown(bool down);
    bool isDown() const { return down_; }

    QAction *menuItem() const { return menuItem_; }
    QAction *button(int i = 0) const { return buttons_.value(i); }
    const QList<QAction *> &buttons() const { return buttons_; }

    // Runs the handler as a click on one of the controls would.
    void trigger();

private:
    void wire(QAction *action);

    QAction *menuItem_;
    QList<QAction *> buttons_;
    std::function<void()> handler_;
    bool down_ = false;
};

} // namespace kazoon
