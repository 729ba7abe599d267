#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "player/SequencerDevice.h"

namespace kazoon::test {

// A scripted sequencer device for window tests. Songs are known by path
// (setSong); time moves only when the test says so (advance / finish), and a
// notification reaches the window only when the test delivers it
// (deliverNotifications), as the real one arrives through the event loop.
class FakeDevice : public SequencerDevice {
public:
    struct Song {
        std::int64_t steps = 64;       // length in steps
        std::int64_t smpte = 0;        // packed h | m<<8 | s<<16 | f<<24
    };

    void setSong(const QString &path, Song song) { songs_[path.toStdString()] = song; }
    // The next Open of this path fails with this code and text.
    void failOpen(const QString &path, int code, const std::string &text)
    {
        openFailures_[path.toStdString()] = {code, text};
    }
    // The next command named (e.g. "Play") sets this error code.
    void failNext(const std::string &command, int code, const std::string &text = "エラー")
    {
        nextFailure_ = command;
        failCode_ = code;
        failText_ = text;
    }

    // The output goes away mid-play: the play stops, Error() tells why, and
    // the next Stop reports it again.
    void loseOutput(const std::string &text);
    // Moves a play on by `steps` (stopping at the end position or the end).
    void advance(std::int64_t steps);
    // Plays to the end (or end position) at once.
    void finish() { advance(1 << 30); }
    void deliverNotifications();
    int pendingNotifications() const { return int(pending_.size()); }

    QStringList calls;           // every command, e.g. "Open a.mid", "Seek 16", "Play"
    std::string openFile;        // empty when closed
    bool lastPlayNotify = false; // whether the last Play/Resume asked for notification
    bool lastPlayMuted = false;  // whether the last Play/Resume kept its note-ons back
    int lastPlayCount = 0;       // the count-in bars of the last Play/Resume
    bool clickDuringSong = false;
    engine::ClickSettings click;
    std::string midiClockPort = "(never set)";
    std::string clockLoss; // told once by TakeMidiClockLoss

    // SequencerDevice
    void Open(const std::string &fileName) override;
    void Close() override;
    void SetTimeFormat(TimeFormat format) override { format_ = format; }
    std::int64_t Length() override;
    std::int64_t Position() override;
    DeviceMode Mode() override { return mode_; }
    void Seek(std::int64_t position) override;
    void SeekToStart() override { Seek(0); }
    void Play() override;
    void Stop() override;
    void Pause() override;
    void Resume() override;
    void SetNotifyNext(bool notify) override { notifyNext_ = notify; }
    void SetEndPosition(std::int64_t position) override { endPosition_ = position; endSet_ = true; }
    std::int64_t EndPosition() const override { return endPosition_; }
    void SetMuteNotesNext(bool mute) override { muteNext_ = mute; }
    void SetAdjust(const engine::SongAdjust &adjust) override;
    // Recorded as "SetSetupNext <messages>" when there is a set-up.
    void SetSetupNext(std::shared_ptr<const engine::SetupMessages> setup) override
    {
        if (setup)
            calls << QStringLiteral("SetSetupNext %1").arg(setup->messages.size());
    }
    engine::SongAdjust Adjust() const override { return adjust_; }
    void Panic() override { calls << QStringLiteral("Panic"); }
    void SetCountInNext(int bars) override { countNext_ = bars; }
    void SetClickDuringSong(bool on) override { clickDuringSong = on; }
    void SetClick(const engine::ClickSettings &settings) override { click = settings; }
    void SetMidiClockPort(const std::string &port) override { midiClockPort = port; }
    std::string TakeMidiClockLoss() override { return std::exchange(clockLoss, {}); }
    int Error() const override { return error_; }
    std::string ErrorText() const override;

private:
    void requireOpen();
    bool failing(const std::string &command);
    void startPlay(bool notify);
    void endNotified();

    std::map<std::string, Song> songs_;
    std::map<std::string, std::pair<int, std::string>> openFailures_;
    std::string nextFailure_;
    int failCode_ = 0;
    std::string failText_;

    TimeFormat format_ = TimeFormat::Steps;
    DeviceMode mode_ = DeviceMode::NotOpen;
    std::int64_t position_ = 0;
    std::int64_t steps_ = 0;
    std::int64_t smpte_ = 0;
    std::int64_t endPosition_ = 0;
    std::int64_t playEnd_ = 0;
    bool endSet_ = false;
    bool notifyNext_ = true;
    bool muteNext_ = false;
    int countNext_ = 0;
    bool notifyPending_ = false; // a notified command is running
    int generation_ = 0;
    std::vector<int> pending_;   // generations of posted notifications
    int error_ = 0;
    std::string errorText_;
    engine::SongAdjust adjust_;
};

} // namespace kazoon::test
