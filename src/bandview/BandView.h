#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "bandview/BandServer.h"
#include "bandview/BandViewSettings.h"
#include "bandview/StageContent.h"
#include "bandview/TfrmStage.h"

namespace kazoon {

class IniFile;

// What the band view asks of the window whose show it shows.
struct BandViewHost {
    // The show as it stands now (UI thread).
    std::function<StageContent()> content;
    // A line in the status bar for a while.
    std::function<void(const QString &text, int timeoutMs)> showStatus;
    StageWindowHooks stageKeys;
};

// The band view: the web server for the band's phones and the stage view
// window, both fed from one content value that is looked at every few
// hundredths of a second while either is in use and sent on only when it
// changed.
class BandView : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollMs = 40;
    static constexpr int kStatusMs = 30'000;
    // Beyond these a page is cut short: nobody reads more on stage, and a
    // message stays small enough for a slow phone.
    static constexpr int kMaxLyrics = 4000;
    static constexpr int kMaxTitle = 200;
    static constexpr int kMaxSongs = 500;

    explicit BandView(BandViewHost host, QObject *parent = nullptr);
    ~BandView() override;

    // Reads [BandView] and [Stage]; starts the server when it is on (a port
    // in use is told in the status bar, and the show goes on).
    void start(const IniFile &ini);
    // Closes every connection and the stage view (the program is ending).
    void stop();
    void writeSettings(IniFile &ini) const;

    const BandViewSettings &settings() const { return settings_; }
    // Takes these settings: starts, stops or moves the server; a new code
    // closes every page opened with the old one. An empty text, or why the
    // server could not start.
    QString apply(const BandViewSettings &next);
    // Why the server could not listen at `port` now; empty when it can.
    QString checkPort(int port) const;
    // Why the view, turned on, is not running; empty otherwise.
    const QString &problem() const { return problem_; }
    BandViewPageHooks pageHooks();

    // Opens the stage view.
    void showStage();
    TfrmStage *stage() const { return stage_.get(); }
    BandServer &server() { return server_; }

    // Looks at the show now and sends it on when it changed.
    void refresh();
    const StageContent &content() const { return shown_; }

    // Where the server listens (tests: the loopback address).
    void setListenAddress(const QHostAddress &address) { listenAddress_ = address; }
    // Where the options page finds this computer's addresses (tests: their own).
    void setAddressSource(std::function<QStringList()> source) { addresses_ = std::move(source); }

private:
    void keepPolling();

    BandViewHost host_;
    BandViewSettings settings_;
    BandServer server_;
    std::unique_ptr<TfrmStage> stage_;
    QTimer poll_;
    StageContent shown_;
    bool published_ = false;
    bool writeView_ = false, writeStage_ = false;
    QString problem_;
    QHostAddress listenAddress_ = QHostAddress::Any;
    std::function<QStringList()> addresses_;
};

} // namespace kazoon
