#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>

#include "options/ClickOptions.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QSpinBox;

namespace kazoon {

class IniFile;

// The options dialog's click page: where the click goes, its level and
// accents, and the count-in songs get unless they have their own. The
// controls are edits; the settings in force change on OK only.
class ClickPage : public QWidget {
    Q_OBJECT
public:
    // `ports` lists the MIDI output ports (null: none offered).
    explicit ClickPage(std::function<QStringList()> ports, QWidget *parent = nullptr);

    // [Click] Route=none|mix|split|port, Port=, Channel=1..16, Level=0..100,
    // Accent=0|1, Count=0..2; a damaged value is its default.
    void readSettings(const IniFile &ini);
    void writeSettings(IniFile &ini) const;

    const ClickOptions &inForce() const { return inForce_; }
    // Shows the settings in force, with the ports there are now.
    void showCurrent();
    // The page's settings come into force (OK).
    const ClickOptions &accept();
    ClickOptions edited() const;

    QRadioButton *rdoClickNone = nullptr, *rdoClickMix = nullptr, *rdoClickSplit = nullptr,
                 *rdoClickPort = nullptr;
    QComboBox *cmbClickPort = nullptr, *cmbCountDefault = nullptr;
    QSpinBox *spnClickChannel = nullptr, *spnClickLevel = nullptr;
    QCheckBox *chkClickAccent = nullptr;

private:
    void updateControls();

    std::function<QStringList()> ports_;
    ClickOptions inForce_;
};

} // namespace kazoon
