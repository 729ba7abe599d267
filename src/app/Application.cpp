#include "app/Application.h"

#include <QMessageBox>
#include <exception>

#include "app/AppTitle.h"
#include "player/SequencerDevice.h"

namespace kazoon {

QString exceptionText(const QString &message)
{
    // A sentence that ends in a Japanese full stop has its period already.
    if (!message.isEmpty() && message.back() > QChar(u'.') && message.back() != QChar(0x3002))
        return message + u'.';
    return message;
}

bool deliverGuarded(const std::function<bool()> &deliver,
                    const std::function<void(const QString &)> &handler)
{
    QString message;
    try {
        return deliver();
    } catch (const std::exception &e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
        message = QString::fromUtf8(kUnknownErrorText);
    }
    handler(message);
    return false;
}

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

bool Application::notify(QObject *receiver, QEvent *event)
{
    return deliverGuarded([&] { return QApplication::notify(receiver, event); },
                          [this](const QString &message) {
                              if (onException) {
                                  onException(message);
                                  return;
                              }
                              QMessageBox::critical(nullptr, kAppTitle, exceptionText(message));
                              QCoreApplication::exit(0);
                          });
}

} // namespace kazoon
