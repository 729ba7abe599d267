#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <array>
#include <functional>

#include "player/engine/InstrumentSetup.h"

namespace kazoon {

// What the set-up dialog needs from outside.
struct InstrumentDialogHooks {
    std::function<QStringList()> ports; // the ports there are now
    // Reads a SysEx file as it is chosen: empty when usable, else the reason.
    std::function<QString(const QString &file)> readSysex;
    // The open-file dialog for a .syx file; empty when not confirmed.
    std::function<QString(const QString &folder)> chooseSysex;
    std::function<int(const QString &text, const QString &caption, int flags)> showMessage;
};

// "音色の設定": the instruments' set-up of one song. The SysEx file is named
// by its full path here.
class TfrmInstruments : public QDialog {
    Q_OBJECT
public:
    TfrmInstruments(InstrumentDialogHooks hooks, const QString &songName, const engine::InstrumentSetup &setup,
                    QWidget *parent = nullptr);

    // What the dialog holds; the controllers as typed must be sound (accept() checks).
    engine::InstrumentSetup setup() const;
    void accept() override;

    struct ChannelRow {
        QSpinBox *bankMsb, *bankLsb, *program;
        QLineEdit *controls;
    };
    std::array<ChannelRow, engine::InstrumentSetup::kChannels> rows{};
    QLabel *lblSysex = nullptr;
    QPushButton *cmdSysex = nullptr, *cmdNoSysex = nullptr;
    QCheckBox *chkSongNo = nullptr;
    QSpinBox *spnSongNo = nullptr, *spnSongNoChannel = nullptr;
    QComboBox *cboSongNoPort = nullptr;
    QPushButton *cmdClear = nullptr, *OKBtn = nullptr, *CancelBtn = nullptr;

    // "7=100 91=40": controller=value pairs; nothing when a pair is bad.
    static std::optional<std::vector<std::pair<int, int>>> parseControls(const QString &text);
    static QString controlsText(const std::vector<std::pair<int, int>> &controls);

private:
    void chooseSysex();
    void showSysex();
    void setSongNumberEnabled();
    void load(const engine::InstrumentSetup &setup);

    InstrumentDialogHooks hooks_;
    QString sysexFile_;
};

} // namespace kazoon
