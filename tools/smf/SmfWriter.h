#pragma once

// A small Standard MIDI File writer for tests, the benchmark and the demo songs.
// Events are added in time order per track; times are absolute ticks (at) or
// deltas from the previous event (delta).

#include <cstdint>
#include <string>
#include <vector>

namespace kazoon::smf {

class Track {
public:
    Track &at(std::int64_t tick);       // absolute time of the next event (never backwards)
    Track &delta(std::uint32_t ticks);  // advance the time of the next event

    Track &noteOn(int channel, int note, int velocity);
    Track &noteOff(int channel, int note, int velocity = 0);
    Track &note(int channel, int note, int velocity, std::uint32_t length); // on now, off after length; time ends after the off
    Track &controlChange(int channel, int controller, int value);
    Track &programChange(int channel, int program);
    Track &channelPressure(int channel, int value);
    Track &pitchBend(int channel, int value); // 0..16383, 8192 centred
    Track &tempo(std::uint32_t microsecondsPerQuarter);
    Track &bpm(double beatsPerMinute);
    Track &timeSignature(int numerator, int denominatorPower, int clocksPerClick = 24, int thirtySecondsPerQuarter = 8);
    Track &sysEx(const std::vector<std::uint8_t> &payload); // payload after F0, usually ending in F7
    Track &escape(const std::vector<std::uint8_t> &bytes);  // F7 event: bytes sent as they are
    Track &meta(int type, const std::vector<std::uint8_t> &data);
    Track &text(const std::string &text);
    Track &lyric(const std::string &text);
    Track &trackName(const std::string &name);
    Track &endOfTrack();
    // Raw bytes after the delta time, for damaged or unusual events.
    Track &raw(const std::vector<std::uint8_t> &bytes);
    // Leave out the End of Track event that the writer adds otherwise.
    Track &withoutEndOfTrack();

    std::int64_t now() const { return now_; }
    std::vector<std::uint8_t> bytes(bool runningStatus) const;

private:
    struct Event {
        std::int64_t tick;
        std::vector<std::uint8_t> bytes;
    };
    Track &channel(int status, int channel, std::initializer_list<int> data);
    Track &add(std::vector<std::uint8_t> bytes);

    std::int64_t now_ = 0;
    std::vector<Event> events_;
    bool ended_ = false;
    bool omitEnd_ = false;
};

class SmfWriter {
public:
    explicit SmfWriter(int format = 1, int ppqn = 480);

    Track &addTrack();
    Track &track(std::size_t index) { return tracks_.at(index); }
    std::size_t trackCount() const { return tracks_.size(); }
    void setRunningStatus(bool on) { runningStatus_ = on; }

    std::vector<std::uint8_t> bytes() const;
    // Writes through a temporary file renamed into place; false on failure.
    bool writeFile(const std::string &path) const;

private:
    int format_;
    int ppqn_;
    bool runningStatus_ = false;
    std::vector<Track> tracks_;
};

// Helpers for hand-made damaged files.
void appendVariableLength(std::vector<std::uint8_t> &out, std::uint32_t value);
void appendBigEndian(std::vector<std::uint8_t> &out, std::uint32_t value, int bytes);
bool writeBytes(const std::string &path, const std::vector<std::uint8_t> &bytes);

} // namespace kazoon::smf
