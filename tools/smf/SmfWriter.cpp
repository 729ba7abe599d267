#include "smf/SmfWriter.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace kazoon::smf {

void appendVariableLength(std::vector<std::uint8_t> &out, std::uint32_t value)
{
    std::uint8_t buffer[5];
    int n = 0;
    buffer[n++] = value & 0x7F;
    while ((value >>= 7) != 0)
        buffer[n++] = 0x80 | (value & 0x7F);
    while (n > 0)
        out.push_back(buffer[--n]);
}

void appendBigEndian(std::vector<std::uint8_t> &out, std::uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

bool writeBytes(const std::string &path, const std::vector<std::uint8_t> &bytes)
{
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush())
            return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

Track &Track::at(std::int64_t tick)
{
    if (tick < now_)
        throw std::invalid_argument("SmfWriter: time goes backwards");
    now_ = tick;
    return *this;
}

Track &Track::delta(std::uint32_t ticks)
{
    now_ += ticks;
    return *this;
}

Track &Track::add(std::vector<std::uint8_t> bytes)
{
    events_.push_back({now_, std::move(bytes)});
    return *this;
}

Track &Track::channel(int status, int channel, std::initializer_list<int> data)
{
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(status | (channel & 0x0F))};
    for (int d : data)
        bytes.push_back(static_cast<std::uint8_t>(d & 0x7F));
    return add(std::move(bytes));
}

Track &Track::noteOn(int ch, int note, int velocity) { return channel(0x90, ch, {note, velocity}); }
Track &Track::noteOff(int ch, int note, int velocity) { return channel(0x80, ch, {note, velocity}); }
Track &Track::controlChange(int ch, int controller, int value) { return channel(0xB0, ch, {controller, value}); }
Track &Track::programChange(int ch, int program) { return channel(0xC0, ch, {program}); }
Track &Track::channelPressure(int ch, int value) { return channel(0xD0, ch, {value}); }
Track &Track::pitchBend(int ch, int value) { return channel(0xE0, ch, {value & 0x7F, (value >> 7) & 0x7F}); }

Track &Track::note(int ch, int note, int velocity, std::uint32_t length)
{
    noteOn(ch, note, velocity);
    delta(length);
    return noteOff(ch, note);
}

Track &Track::meta(int type, const std::vector<std::uint8_t> &data)
{
    std::vector<std::uint8_t> bytes{0xFF, static_cast<std::uint8_t>(type)};
    appendVariableLength(bytes, static_cast<std::uint32_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    return add(std::move(bytes));
}

Track &Track::tempo(std::uint32_t usPerQuarter)
{
    return meta(0x51, {static_cast<std::uint8_t>(usPerQuarter >> 16), static_cast<std::uint8_t>(usPerQuarter >> 8),
                       static_cast<std::uint8_t>(usPerQuarter)});
}

Track &Track::bpm(double beatsPerMinute)
{
    return tempo(static_cast<std::uint32_t>(std::lround(60'000'000.0 / beatsPerMinute)));
}

Track &Track::timeSignature(int numerator, int denominatorPower, int clocksPerClick, int thirtySeconds)
{
    return meta(0x58, {static_cast<std::uint8_t>(numerator), static_cast<std::uint8_t>(denominatorPower),
                       static_cast<std::uint8_t>(clocksPerClick), static_cast<std::uint8_t>(thirtySeconds)});
}

Track &Track::sysEx(const std::vector<std::uint8_t> &payload)
{
    std::vector<std::uint8_t> bytes{0xF0};
    appendVariableLength(bytes, static_cast<std::uint32_t>(payload.size()));
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return add(std::move(bytes));
}

Track &Track::escape(const std::vector<std::uint8_t> &data)
{
    std::vector<std::uint8_t> bytes{0xF7};
    appendVariableLength(bytes, static_cast<std::uint32_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    return add(std::move(bytes));
}

Track &Track::text(const std::string &t) { return meta(0x01, {t.begin(), t.end()}); }
Track &Track::lyric(const std::string &t) { return meta(0x05, {t.begin(), t.end()}); }
Track &Track::trackName(const std::string &t) { return meta(0x03, {t.begin(), t.end()}); }

Track &Track::endOfTrack()
{
    ended_ = true;
    return meta(0x2F, {});
}

Track &Track::raw(const std::vector<std::uint8_t> &bytes) { return add(bytes); }

Track &Track::withoutEndOfTrack()
{
    omitEnd_ = true;
    return *this;
}

std::vector<std::uint8_t> Track::bytes(bool runningStatus) const
{
    std::vector<std::uint8_t> out;
    std::int64_t last = 0;
    std::uint8_t status = 0;
    auto write = [&](const Event &e) {
        appendVariableLength(out, static_cast<std::uint32_t>(e.tick - last));
        last = e.tick;
        const std::uint8_t first = e.bytes.empty() ? 0 : e.bytes[0];
        const bool channelMessage = first >= 0x80 && first < 0xF0;
        const bool skipStatus = runningStatus && channelMessage && first == status;
        out.insert(out.end(), e.bytes.begin() + (skipStatus ? 1 : 0), e.bytes.end());
        if (channelMessage)
            status = first;
    };
    for (const Event &e : events_)
        write(e);
    if (!ended_ && !omitEnd_)
        write({now_, {0xFF, 0x2F, 0x00}});
    return out;
}

SmfWriter::SmfWriter(int format, int ppqn) : format_(format), ppqn_(ppqn) {}

Track &SmfWriter::addTrack()
{
    tracks_.emplace_back();
    return tracks_.back();
}

std::vector<std::uint8_t> SmfWriter::bytes() const
{
    std::vector<std::uint8_t> out{'M', 'T', 'h', 'd'};
    appendBigEndian(out, 6, 4);
    appendBigEndian(out, static_cast<std::uint32_t>(format_), 2);
    appendBigEndian(out, static_cast<std::uint32_t>(tracks_.size()), 2);
    appendBigEndian(out, static_cast<std::uint32_t>(ppqn_), 2);
    for (const Track &track : tracks_) {
        const std::vector<std::uint8_t> data = track.bytes(runningStatus_);
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        appendBigEndian(out, static_cast<std::uint32_t>(data.size()), 4);
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}

bool SmfWriter::writeFile(const std::string &path) const { return writeBytes(path, bytes()); }

} // namespace kazoon::smf
