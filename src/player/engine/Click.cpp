#include "player/engine/Click.h"

#include "player/engine/MidiFile.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kazoon::engine {

namespace {

bool isNoteOn(std::span<const std::uint8_t> m) { return m.size() >= 3 && (m[0] & 0xF0) == 0x90 && m[2] != 0; }

// Beats per bar above this are counted as this many (a damaged file).
constexpr int kMaxBeatsPerBar = 32;

} // namespace

std::uint32_t ClickSettings::pack() const
{
    return std::uint32_t(route) | std::uint32_t(std::clamp(level, 0, kMaxLevel)) << 8 | (accent ? 1u : 0u) << 16
           | std::uint32_t(channel & 0x0F) << 20;
}

ClickSettings ClickSettings::unpack(std::uint32_t word)
{
    ClickSettings s;
    s.route = Route(std::min<std::uint32_t>(word & 0xFF, std::uint32_t(Route::Port)));
    s.level = std::min<int>(int(word >> 8 & 0xFF), kMaxLevel);
    s.accent = word >> 16 & 1;
    s.channel = int(word >> 20 & 0x0F);
    return s;
}

std::array<std::uint8_t, 3> clickNoteOn(const ClickSettings &settings, bool accent)
{
    accent = accent && settings.accent;
    const int level = std::clamp(settings.level, 0, ClickSettings::kMaxLevel);
    const int velocity = (accent ? 127 : 95) * level / ClickSettings::kMaxLevel;
    return {std::uint8_t(0x90 | (settings.channel & 0x0F)), accent ? kAccentNote : kClickNote,
            std::uint8_t(velocity)};
}

Beat beatOf(int numerator, int denominatorPower, int ppqn)
{
    numerator = std::clamp(numerator, 1, 255);
    // Beats shorter than a 32nd are no beats to count: a damaged file.
    const int power = std::clamp(denominatorPower, 0, 5);
    const std::int64_t note = std::max<std::int64_t>(std::int64_t(ppqn) * 4 >> power, 1);
    const bool compound = numerator % 3 == 0 && numerator > 3 && power >= 3;
    if (compound)
        return {note * 3, std::min(numerator / 3, kMaxBeatsPerBar)};
    return {note, std::min(numerator, kMaxBeatsPerBar)};
}

TimeSignature metreAt(const Song &song, std::int64_t tick)
{
    auto it = std::upper_bound(song.metre.begin(), song.metre.end(), tick,
                               [](std::int64_t t, const TimeSignature &s) { return t < s.tick; });
    if (it == song.metre.begin())
        return {0, 4, 2};
    return *(it - 1);
}

CountIn planCountIn(const Song &song, std::int64_t fromTick, std::int64_t toTick, int bars)
{
    CountIn plan;
    plan.firstTick = fromTick;
    auto it = std::lower_bound(song.events.begin(), song.events.end(), fromTick,
                               [](const SongEvent &e, std::int64_t t) { return e.tick < t; });
    for (; it != song.events.end() && it->tick < toTick; ++it) {
        if (!it->escape && isNoteOn(song.message(*it))) {
            plan.firstTick = it->tick;
            break;
        }
    }
    const TimeSignature metre = metreAt(song, plan.firstTick);
    const Beat beat = beatOf(metre.numerator, metre.denominatorPower, song.tempo.ppqn());
    plan.perBar = beat.perBar;
    plan.usPerQuarter = song.tempo.usPerQuarterAt(plan.firstTick);
    plan.firstSongUs = song.tempo.tickToUs(plan.firstTick);
    plan.beatSongUs = beat.ticks * plan.usPerQuarter / song.tempo.ppqn();
    plan.beats = std::max(bars, 0) * beat.perBar;
    return plan;
}

void BeatCursor::start(const Song &song, std::int64_t fromTick)
{
    song_ = &song;
    place(fromTick);
}

void BeatCursor::next() { place(tick_ + 1); }

void BeatCursor::place(std::int64_t atOrAfter)
{
    const auto &metre = song_->metre;
    // The signature in force, and where the next one takes over.
    auto it = std::upper_bound(metre.begin(), metre.end(), atOrAfter,
                               [](std::int64_t t, const TimeSignature &s) { return t < s.tick; });
    for (;;) {
        const TimeSignature sig = it == metre.begin() ? TimeSignature{0, 4, 2} : *(it - 1);
        const Beat beat = beatOf(sig.numerator, sig.denominatorPower, song_->tempo.ppqn());
        const std::int64_t k = (std::max(atOrAfter - sig.tick, std::int64_t{0}) + beat.ticks - 1) / beat.ticks;
        const std::int64_t tick = sig.tick + k * beat.ticks;
        if (it != metre.end() && tick >= it->tick) {
            atOrAfter = it->tick; // the bar starts again at the next signature
            ++it;
            continue;
        }
        tick_ = tick;
        accent_ = k % beat.perBar == 0;
        return;
    }
}

void ClickSound::setSampleRate(double sampleRate) { sampleRate_ = sampleRate > 0 ? sampleRate : 44100.0; }

void ClickSound::strike(int frame, bool accent, int level)
{
    pendingFrame_ = std::max(frame, 0);
    pendingAccent_ = accent;
    pendingGain_ = 0.5f * float(std::clamp(level, 0, ClickSettings::kMaxLevel)) / ClickSettings::kMaxLevel
                   * (accent ? 1.0f : 0.7f);
}

void ClickSound::mix(float *left, float *right, int frames)
{
    for (int i = 0; i < frames; ++i) {
        if (i == pendingFrame_) {
            pendingFrame_ = -1;
            const double frequency = pendingAccent_ ? 2000.0 : 1000.0;
            step_ = 2 * std::numbers::pi * frequency / sampleRate_;
            phase_ = 0;
            envelope_ = 1;
            decay_ = std::exp(-1.0 / (0.006 * sampleRate_)); // down by 1/e every 6 ms
            left_ = int(0.04 * sampleRate_);
            gain_ = pendingGain_;
        }
        if (left_ <= 0)
            continue;
        const float sample = gain_ * float(envelope_ * std::sin(phase_));
        left[i] += sample;
        if (right)
            right[i] += sample;
        phase_ += step_;
        envelope_ *= decay_;
        --left_;
    }
    // A strike at or past the block's end belongs to the start of the next.
    if (pendingFrame_ >= frames)
        pendingFrame_ = 0;
}

} // namespace kazoon::engine
