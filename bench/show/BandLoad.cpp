#include "BandLoad.h"
#include "BenchWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebSocket>
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "app/MainWindow.h"
#include "bandview/BandView.h"
#include "lyrics/TfrmWrd.h"
#include "support/EngineShow.h"

namespace kazoon::bench {

namespace {

const QString kCode = QStringLiteral("benchmark234");

} // namespace

std::int64_t steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

BandPages::BandPages(quint16 port, const QString &code, int count) : seen_(std::size_t(count))
{
    worker_ = new QObject;
    worker_->moveToThread(&thread_);
    thread_.start();
    const QUrl url(QStringLiteral("ws://127.0.0.1:%1/ws?k=%2").arg(port).arg(code));
    QMetaObject::invokeMethod(worker_, [this, url, count] {
        for (int i = 0; i < count; ++i) {
            auto *socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, worker_);
            QObject::connect(socket, &QWebSocket::connected, [this] { ++connected_; });
            QObject::connect(socket, &QWebSocket::textMessageReceived, [this, i](const QString &m) {
                const std::int64_t at = steadyNs();
                ++messages_;
                const QString lyrics =
                    QJsonDocument::fromJson(m.toUtf8()).object().value(QStringLiteral("lyrics")).toString();
                const std::lock_guard lock(mutex_);
                seen_[std::size_t(i)].emplace(lyrics, at);
            });
            socket->open(url);
        }
    });
}

BandPages::~BandPages()
{
    QMetaObject::invokeMethod(worker_, [this] { delete worker_; }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

std::vector<std::int64_t> BandPages::arrivals(const QString &lyrics) const
{
    const std::lock_guard lock(mutex_);
    std::vector<std::int64_t> out;
    for (const auto &page : seen_) {
        const auto it = page.find(lyrics);
        out.push_back(it == page.end() ? -1 : it->second);
    }
    return out;
}

std::unique_ptr<BandPages> attachBand(TfrmMain *main, int count)
{
    if (count <= 0)
        return nullptr;
    BandView &view = main->bandView();
    view.setListenAddress(QHostAddress::LocalHost);
    if (!view.apply({true, 0, kCode}).isEmpty())
        return nullptr;
    auto pages = std::make_unique<BandPages>(view.server().port(), kCode, count);
    runUntil([&] { return pages->connected() == count && view.server().pageCount() == count; }, 10'000, 1);
    return pages;
}

void bandUpdateLatency(int count)
{
    constexpr int pages = 200;
    test::EngineShow rig(engine::Driver::Mode::Manual);
    const QString song = rig.app.path(QStringLiteral("band.mid"));
    test::writeQuarterNotes(song, 60, pages, 120); // a page a beat
    QString card;
    for (int i = 0; i < pages; ++i)
        card += QStringLiteral("%1\r\n%2 番目の歌詞\r\nラララ\r\n").arg(i * 4 + 1).arg(i + 1);
    rig.app.makeFile(QStringLiteral("band.txt"), card.toUtf8());
    rig.app.writeSettings(QStringLiteral("[Words]\r\nSet=1\r\n"));
    TfrmMain *m = rig.open({QStringLiteral("0 ") + song});
    const auto band = attachBand(m, count);
    if (!band || band->connected() != count) {
        std::printf("bandview_update_ms=failed\n");
        return;
    }
    m->ButtonPlayClick();
    std::vector<double> latencies;
    int missed = 0;
    for (int tick = 0; tick < pages * 10 && m->playing; ++tick) {
        rig.output->advanceBy(50'000);
        QCoreApplication::processEvents();
        const QString before = m->frmWrd->lyrics();
        const std::int64_t changed = steadyNs();
        m->PlayTimerTimer();
        const QString page = m->frmWrd->lyrics();
        if (!m->playing || page == before || page.isEmpty())
            continue;
        QString sent = page;
        sent.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        std::vector<std::int64_t> at;
        const bool all = runUntil([&] {
            at = band->arrivals(sent);
            return std::none_of(at.begin(), at.end(), [](std::int64_t t) { return t < 0; });
        }, 2'000, 1);
        if (!all) {
            ++missed;
            continue;
        }
        for (std::int64_t t : at)
            latencies.push_back(double(t - changed) / 1e6);
    }
    std::printf("bandview_clients=%d\n", count);
    std::printf("bandview_updates=%zu\n", latencies.size() / std::size_t(count));
    std::printf("bandview_missed=%d\n", missed);
    std::printf("bandview_update_ms_p50=%.1f\n", percentile(latencies, 0.5));
    std::printf("bandview_update_ms_p99=%.1f\n", percentile(latencies, 0.99));
    std::printf("bandview_update_ms_max=%.1f\n",
                latencies.empty() ? 0.0 : *std::max_element(latencies.begin(), latencies.end()));
}

} // namespace kazoon::bench
