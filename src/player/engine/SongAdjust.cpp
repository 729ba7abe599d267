#include "player/engine/SongAdjust.h"

#include <algorithm>

namespace kazoon::engine {

namespace {
constexpr std::int64_t kMaxUs = std::int64_t{1} << 60;

std::int64_t saturate(__int128 value)
{
    return value > kMaxUs ? kMaxUs : value < -kMaxUs ? -kMaxUs : static_cast<std::int64_t>(value);
}
} // namespace

SongAdjust SongAdjust::clamped() const
{
    return {std::clamp(transpose, kMinTranspose, kMaxTranspose), std::clamp(tempoPercent, kMinTempo, kMaxTempo),
            std::clamp(volumePercent, kMinVolume, kMaxVolume)};
}

std::uint32_t SongAdjust::pack() const
{
    const SongAdjust a = clamped();
    return std::uint32_t(a.transpose - kMinTranspose) | std::uint32_t(a.tempoPercent) << 8
           | std::uint32_t(a.volumePercent) << 16;
}

SongAdjust SongAdjust::unpack(std::uint32_t word)
{
    return SongAdjust{int(word & 0xFF) + kMinTranspose, int(word >> 8 & 0xFF), int(word >> 16 & 0xFF)}.clamped();
}

std::int64_t clockUsFor(std::int64_t songUs, int tempoPercent)
{
    if (tempoPercent == 100)
        return songUs;
    return saturate(static_cast<__int128>(songUs) * 100 / std::max(tempoPercent, 1));
}

std::int64_t songUsFor(std::int64_t clockUs, int tempoPercent)
{
    if (tempoPercent == 100)
        return clockUs;
    return saturate(static_cast<__int128>(clockUs) * tempoPercent / 100);
}

std::uint8_t scaledVolume(std::uint8_t value, int volumePercent)
{
    if (volumePercent == 100)
        return value;
    return static_cast<std::uint8_t>(std::min((value * std::max(volumePercent, 0) + 50) / 100, 127));
}

void TempoAnchor::publish(const Point &p)
{
    const std::uint32_t v = version_.load(std::memory_order_relaxed);
    version_.store(v + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    playId_.store(p.playId, std::memory_order_relaxed);
    clockUs_.store(p.clockUs, std::memory_order_relaxed);
    songUs_.store(p.songUs, std::memory_order_relaxed);
    tempoPercent_.store(p.tempoPercent, std::memory_order_relaxed);
    version_.store(v + 2, std::memory_order_release);
}

TempoAnchor::Point TempoAnchor::read() const
{
    for (;;) {
        const std::uint32_t before = version_.load(std::memory_order_acquire);
        Point p{playId_.load(std::memory_order_relaxed), clockUs_.load(std::memory_order_relaxed),
                songUs_.load(std::memory_order_relaxed), tempoPercent_.load(std::memory_order_relaxed)};
        std::atomic_thread_fence(std::memory_order_acquire);
        if (!(before & 1) && version_.load(std::memory_order_relaxed) == before)
            return p;
    }
}

int SongAdjuster::pitch(int key) const
{
    const int p = key + adjust_.transpose;
    return p < 0 || p > 127 ? kNone : p;
}

SongAdjuster::Out SongAdjuster::song(std::span<const std::uint8_t> m)
{
    Out out;
    out.original = true;
    out.count = 1;
    if (m.size() >= 6 && m[0] == 0xF0 && m[1] == 0x7E && m[3] == 0x09 && (m[4] == 0x01 || m[4] == 0x03)) {
        moduleReset();
        return out;
    }
    if (m.size() < 3 || m[0] < 0x80 || m[0] >= 0xF0 || m[1] >= 0x80)
        return out;
    const int ch = m[0] & 0x0F;
    Channel &c = channels_[ch];
    const int kind = m[0] & 0xF0;
    auto put = [&](std::uint8_t status, std::uint8_t a, std::uint8_t b, int times = 1) {
        out.original = false;
        out.bytes[out.count] = {status, a, b};
        out.times[out.count] = times;
        ++out.count;
    };

    if (kind == 0xB0) {
        if (m[1] == 7) {
            c.songVolume = m[2];
            c.volumeKnown = true;
            c.sentVolume = scaledVolume(m[2], adjust_.volumePercent);
            if (c.sentVolume != m[2]) {
                out.count = 0;
                put(m[0], 7, c.sentVolume);
            }
        } else if (m[1] == 120 || m[1] == 123) {
            c.count.fill(0); // the module lets go of everything itself
        }
        return out;
    }
    if (ch == kDrumChannel || (kind != 0x80 && kind != 0x90 && kind != 0xA0))
        return out;

    const int key = m[1];
    out.original = false;
    out.count = 0;
    if (kind == 0x90 && m[2] != 0) {
        const int p = pitch(key);
        if (c.count[key] > 0 && c.sent[key] != p) {
            // Struck again in another key: the old pitch goes first, so that
            // every pitch sent on is sent off.
            if (c.sent[key] != kNone)
                put(static_cast<std::uint8_t>(0x80 | ch), c.sent[key], 0, c.count[key]);
            c.count[key] = 0;
        }
        c.sent[key] = static_cast<std::uint8_t>(p);
        if (c.count[key] < 255)
            ++c.count[key];
        if (p != kNone) {
            if (p == key && out.count == 0)
                out.original = true, out.count = 1;
            else
                put(m[0], static_cast<std::uint8_t>(p), m[2]);
        }
        return out;
    }
    // Note-off or pressure: the pitch the note sounds at.
    const int p = c.count[key] > 0 ? c.sent[key] : pitch(key);
    if (kind != 0xA0 && c.count[key] > 0)
        --c.count[key];
    if (p == kNone)
        return out;
    if (p == key)
        out.original = true, out.count = 1;
    else
        put(m[0], static_cast<std::uint8_t>(p), m[2]);
    return out;
}

std::uint8_t SongAdjuster::reset(int channel)
{
    Channel &c = channels_[channel];
    c.count.fill(0);
    c.songVolume = 100;
    c.sentVolume = scaledVolume(100, adjust_.volumePercent);
    c.volumeKnown = true;
    return c.sentVolume;
}

void SongAdjuster::moduleReset()
{
    for (Channel &c : channels_) {
        c.songVolume = c.sentVolume = 100;
        c.volumeKnown = true;
    }
}

void SongAdjuster::forgetNotes()
{
    for (Channel &c : channels_)
        c.count.fill(0);
}

} // namespace kazoon::engine
