#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <bitset>
#include <optional>

namespace kazoon {

class IniFile;

// The show commands a MIDI remote can give, each as its key does; the panic
// has no key of its own.
enum class RemoteCommand { Play, Stop, Top, Next, Previous, Qs, Panic };
constexpr int kRemoteCommandCount = 7;

// What a command is bound to: a note-on (velocity above zero), a control
// change reaching the threshold, or a program change, on one channel.
struct RemoteBinding {
    enum Kind { None, Note, Control, Program };
    Kind kind = None;
    int channel = 0; // 0..15
    int number = 0;  // key, controller or program, 0..127

    bool operator==(const RemoteBinding &) const = default;
    bool isSet() const { return kind != None; }
    // "ノート 60 (ch1)", "CC64 (ch1)", "プログラム 5 (ch1)", "未設定".
    QString text() const;
    // The settings file's form: "note:0:60", "cc:0:64", "pc:0:5"; empty when unset.
    QString iniText() const;
    // Unset when the text is not one of the forms above.
    static RemoteBinding fromIni(const QString &text);
    // What a message would be learnt as; unset for a note-off, a control
    // change below the threshold, clock, sysex and the like.
    static RemoteBinding fromMessage(const QByteArray &message, int threshold);
};

// The remote's port and bindings, as [Remote] of the settings file keeps
// them, and the matching of incoming messages.
class RemoteBindings {
public:
    static constexpr int kDefaultThreshold = 64;

    QString port;
    int threshold = kDefaultThreshold;

    RemoteBinding &operator[](RemoteCommand c) { return bindings_[std::size_t(c)]; }
    const RemoteBinding &operator[](RemoteCommand c) const { return bindings_[std::size_t(c)]; }
    bool operator==(const RemoteBindings &o) const
    {
        return port == o.port && threshold == o.threshold && bindings_ == o.bindings_;
    }

    // Takes the port and bindings of `o`, keeping what the pedals are doing now.
    void assign(const RemoteBindings &o)
    {
        port = o.port;
        threshold = o.threshold;
        bindings_ = o.bindings_;
    }

    // The command this message gives, if any. A control change fires when it
    // rises to the threshold, not again until it has fallen below, so a pedal
    // held down does not repeat.
    std::optional<RemoteCommand> match(const QByteArray &message);

    void read(const IniFile &ini);
    void write(IniFile &ini) const;

    // The settings key of a command ("Play", "Stop", ...).
    static QString key(RemoteCommand c);
    // The command's name on the options page.
    static QString caption(RemoteCommand c);

private:
    std::array<RemoteBinding, kRemoteCommandCount> bindings_{};
    std::bitset<16 * 128> controlHigh_; // per channel and controller: at or above the threshold
};

} // namespace kazoon
