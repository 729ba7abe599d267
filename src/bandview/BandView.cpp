#include "bandview/BandView.h"

#include <QTcpServer>

#include "app/IniFile.h"
#include "bandview/LanAddress.h"

namespace kazoon {

namespace {

StageContent capped(StageContent c)
{
    const auto cut = [](QString &text, int most) {
        if (text.size() > most)
            text = text.left(most) + QStringLiteral("…");
    };
    cut(c.current, BandView::kMaxTitle);
    cut(c.next, BandView::kMaxTitle);
    cut(c.lyrics, BandView::kMaxLyrics);
    cut(c.nextLine, BandView::kMaxTitle);
    if (c.songs.size() > BandView::kMaxSongs)
        c.songs.resize(BandView::kMaxSongs);
    for (StageSong &song : c.songs)
        cut(song.title, BandView::kMaxTitle);
    return c;
}

} // namespace

BandView::BandView(BandViewHost host, QObject *parent)
    : QObject(parent), host_(std::move(host)), addresses_(&lanAddresses)
{
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &BandView::refresh);
}

BandView::~BandView()
{
    stop();
}

void BandView::start(const IniFile &ini)
{
    settings_ = BandViewSettings::read(ini);
    // A view never set up and a stage view never opened leave no section behind.
    writeView_ = !ini.keys(QStringLiteral("BandView")).isEmpty();
    writeStage_ = !ini.keys(QStringLiteral("Stage")).isEmpty();
    stage_ = std::make_unique<TfrmStage>(host_.stageKeys);
    stage_->readSettings(ini);
    if (settings_.enabled) {
        BandViewSettings wanted = settings_;
        settings_.enabled = false;
        const QString reason = apply(wanted);
        if (!reason.isEmpty() && host_.showStatus)
            host_.showStatus(QStringLiteral("バンドビュー: ") + reason, kStatusMs);
    }
    if (stage_->openAtStart())
        showStage();
}

void BandView::stop()
{
    poll_.stop();
    server_.close();
    if (stage_)
        stage_->hide();
}

void BandView::writeSettings(IniFile &ini) const
{
    if (writeView_)
        settings_.write(ini);
    if (stage_ && writeStage_)
        stage_->writeSettings(ini);
}

QString BandView::apply(const BandViewSettings &next)
{
    const BandViewSettings before = settings_;
    settings_ = next;
    writeView_ = writeView_ || !(settings_ == before);
    if (settings_.enabled && !isAccessCode(settings_.code))
        settings_.code = newAccessCode();
    if (!settings_.enabled) {
        server_.close();
        problem_.clear();
        keepPolling();
        return {};
    }
    server_.setCode(settings_.code);
    const bool moved = !server_.isListening() || (before.port != settings_.port);
    if (moved) {
        problem_ = server_.listen(settings_.port, listenAddress_);
        if (problem_.isEmpty())
            published_ = false; // the first page gets the show at once
    }
    keepPolling();
    refresh();
    return problem_;
}

QString BandView::checkPort(int port) const
{
    if (server_.isListening() && server_.port() == port)
        return {};
    QTcpServer trial;
    if (trial.listen(listenAddress_, quint16(port)))
        return {};
    return trial.serverError() == QAbstractSocket::AddressInUseError
               ? QStringLiteral("ポート %1 は他のプログラムが使っています。別のポート番号にしてください。")
                     .arg(port)
               : QStringLiteral("ポート %1 で待ち受けられません（%2）。").arg(port).arg(trial.errorString());
}

BandViewPageHooks BandView::pageHooks()
{
    BandViewPageHooks hooks;
    hooks.inUse = [this] { return settings_; };
    hooks.checkPort = [this](int port) { return checkPort(port); };
    hooks.addresses = [this] { return addresses_ ? addresses_() : QStringList(); };
    hooks.problem = [this] { return problem_; };
    return hooks;
}

void BandView::showStage()
{
    if (!stage_)
        stage_ = std::make_unique<TfrmStage>(host_.stageKeys);
    writeStage_ = true;
    stage_->showWindow();
    refresh();
    stage_->showContent(shown_);
    keepPolling();
}

void BandView::keepPolling()
{
    const bool wanted = server_.isListening() || (stage_ && stage_->isVisible());
    if (wanted && !poll_.isActive())
        poll_.start();
    else if (!wanted)
        poll_.stop();
}

void BandView::refresh()
{
    const bool serving = server_.isListening();
    const bool staged = stage_ && stage_->isVisible();
    if (!serving && !staged) {
        poll_.stop();
        return;
    }
    if (!host_.content)
        return;
    StageContent now = capped(host_.content());
    const bool changed = !(now == shown_);
    if (changed)
        shown_ = std::move(now);
    if (serving && (changed || !published_)) {
        server_.publish(shown_.toJson());
        published_ = true;
    }
    if (staged && changed)
        stage_->showContent(shown_);
}

} // namespace kazoon
