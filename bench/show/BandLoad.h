#pragma once

#include <QString>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace kazoon {
class TfrmMain;
}

namespace kazoon::bench {

// Band members' pages on a thread of their own, as phones are other machines:
// each keeps when it first saw each page of lyrics.
class BandPages {
public:
    BandPages(quint16 port, const QString &code, int count);
    ~BandPages();
    BandPages(const BandPages &) = delete;
    BandPages &operator=(const BandPages &) = delete;

    int connected() const { return connected_.load(); }
    long messages() const { return messages_.load(); }
    // Steady-clock nanoseconds at which each page first showed these lyrics;
    // -1 for a page that has not yet.
    std::vector<std::int64_t> arrivals(const QString &lyrics) const;

private:
    QThread thread_;
    QObject *worker_ = nullptr; // lives on thread_
    mutable std::mutex mutex_;
    std::vector<std::map<QString, std::int64_t>> seen_;
    std::atomic<int> connected_{0};
    std::atomic<long> messages_{0};
};

std::int64_t steadyNs();

// Turns the window's band view on at the loopback address with `count` pages
// connected; nothing for 0.
std::unique_ptr<BandPages> attachBand(TfrmMain *main, int count);

// bandview_update_ms: a page of lyrics turning in the program to its text in
// every one of `count` pages.
void bandUpdateLatency(int count);

} // namespace kazoon::bench
