#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <array>
#include <cstdint>

class QDBusPendingCallWatcher;

namespace kazoon {

// Keeps the screen from blanking while the program wants it (a song list is
// open): the desktop's screen saver and its display power saving are held
// off through their standard D-Bus services. Every call is asynchronous, so
// a slow or missing service never holds up the window; where none answers,
// nothing happens and nothing is said.
class ScreenAwake : public QObject {
    Q_OBJECT
public:
    // The bus the desktop's services live on; an unconnected one is no bus.
    explicit ScreenAwake(const QDBusConnection &bus, QObject *parent = nullptr);
    // Lets the screen go to sleep again.
    ~ScreenAwake() override;

    // The bus named: "session" for the user's session bus, otherwise a bus
    // address; an empty name gives no bus at all.
    static QDBusConnection busNamed(const QString &name);

    // Asks for the screen to stay on, or lets it go.
    void setWanted(bool wanted);
    bool wanted() const { return wanted_; }
    // How many services hold the screen for us now.
    int held() const;

private:
    struct Service {
        const char *name, *path, *interface;
        std::uint32_t cookie = 0;
        bool holding = false; // the cookie is ours to give back
        bool asking = false;  // an Inhibit has no answer yet
    };
    void ask(Service &service);
    void answered(Service &service, QDBusPendingCallWatcher *call);
    void giveBack(Service &service);

    QDBusConnection bus_;
    bool wanted_ = false;
    std::array<Service, 2> services_;
};

} // namespace kazoon
