#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <string>

#include "options/MidiClockOptions.h"

class QCheckBox;
class QComboBox;

namespace kazoon {

class IniFile;

// The options dialog's MIDI clock page: whether the clock goes out and to
// which port. The controls are edits; the setting in force changes on OK.
class MidiClockPage : public QWidget {
    Q_OBJECT
public:
    // `ports` lists the MIDI output ports (null: none offered).
    explicit MidiClockPage(std::function<QStringList()> ports, QWidget *parent = nullptr);

    // [MidiClock] Send=0|1, Port=; a damaged value is its default.
    void readSettings(const IniFile &ini);
    void writeSettings(IniFile &ini) const;

    const MidiClockOptions &inForce() const { return inForce_; }
    // Shows the setting in force, with the ports there are now.
    void showCurrent();
    // The page's setting comes into force (OK).
    const MidiClockOptions &accept();
    MidiClockOptions edited() const;

    QCheckBox *chkMidiClock = nullptr;
    QComboBox *cmbMidiClockPort = nullptr;

private:
    void updateControls();

    std::function<QStringList()> ports_;
    MidiClockOptions inForce_;
};

} // namespace kazoon
