#pragma once

#include <QApplication>
#include <functional>

namespace kazoon {

// The text of an exception box: a "." is appended when the last character
// sorts after ".".
QString exceptionText(const QString &message);

// Runs `deliver`. An exception that escapes it goes to `handler` with its
// message, and false is returned. This is the program's AppException hook.
bool deliverGuarded(const std::function<bool()> &deliver,
                    const std::function<void(const QString &)> &handler);

// The application object: every event handler of the program runs under
// deliverGuarded, so no exception escapes into the event loop.
class Application : public QApplication {
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // Set once the main window exists; before that an exception is shown in
    // a plain box and the program ends.
    std::function<void(const QString &)> onException;
};

} // namespace kazoon
