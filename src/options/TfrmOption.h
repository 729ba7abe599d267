#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>

#include "app/OutputControl.h"
#include "remote/RemoteBindings.h"

namespace kazoon {

class IniFile;
class OutputControl;
class TfrmMain;

// The options dialog. Its check boxes, radio buttons, step bar and folder
// field are the program's live settings; the rest of the program reads them
// through LiveSettings. The sound output page shows the output in use and
// switches it on OK.
class TfrmOption : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOption(TfrmMain *main, QWidget *parent = nullptr);

    // The settings this dialog holds: read at creation, written at close.
    void readSettings(const IniFile &ini);
    void writeSettings(IniFile &ini) const;

    // Shows the dialog modally; returns its result.
    int execModal();

    void FormShow();
    void OKBtnClick();
    void CancelBtnClick();
    void StepBarChange();
    void UpDownClick();
    // Returns true when the key was one of the four arrows, which move the
    // offset by one: Left and Down lower it, Up and Right raise it.
    bool StepBarKeyDown(int key);
    void cmdFontClick();
    void cmdFcolorClick();
    void cmdBcolorClick();
    void cmdDefaultClick();
    void RadioWrd1Click();
    void RadioWrd2Click();
    void cmdDirClick();

    // The sound output page.
    void outputPageShow();
    void refreshPorts();
    void cmdSoundFontClick();
    void cmdTestClick();
    void updateLatency();
    // The output as the page's controls describe it.
    engine::OutputConfig outputFromPage() const;

    // The MIDI remote page: the input port and a binding per command, learnt
    // from the next message of the input.
    void remotePageShow();
    void remoteLearnClick(int command);
    void remoteClearClick(int command);
    void remoteLearnt(const QByteArray &message);
    void stopLearning();
    bool learning() const { return learning_ >= 0; }
    // The bindings as the page shows them, waiting for OK.
    RemoteBindings remoteFromPage() const;

    // The offset as the bar's field shows it: "+3", "0", "-2".
    static QString offsetText(int value);
    // Whether OK must look the lyrics cards up again: the rule changed, or
    // the dedicated folder did (by exact name).
    static bool folderRuleChanged(int savedMode, const QString &savedPath, int mode,
                                  const QString &path);
    // Frames × periods at the sample rate, as the page shows it ("2.7 ミリ秒").
    static QString latencyText(int periodSize, int periods, double sampleRate);

    // The dedicated lyrics folder, as the folder chooser writes it.
    void setLyricsFolder(const QString &folder) { txtDir->setText(folder); }

    QTabWidget *PageControl = nullptr;
    QSlider *StepBar = nullptr; // -15..16
    QLineEdit *txtBer = nullptr;
    QSpinBox *UpDown = nullptr;
    QCheckBox *chkOnMute = nullptr, *chkOnLsn = nullptr, *chkOnRep = nullptr, *chkOnStop = nullptr;
    QPushButton *cmdFont = nullptr, *cmdFcolor = nullptr, *cmdBcolor = nullptr,
                *cmdDefault = nullptr, *cmdDir = nullptr;
    QRadioButton *RadioWrd1 = nullptr, *RadioWrd2 = nullptr;
    QLineEdit *txtDir = nullptr;
    QLabel *lblDmy = nullptr;
    QPushButton *OKBtn = nullptr, *CancelBtn = nullptr;

    QWidget *OutputPage = nullptr;
    QRadioButton *RadioSynth = nullptr, *RadioPort = nullptr, *RadioNone = nullptr;
    QComboBox *cmbSoundFont = nullptr, *cmbDriver = nullptr, *cmbPort = nullptr;
    QPushButton *cmdSoundFont = nullptr, *cmdTest = nullptr;
    QSpinBox *spnPeriodSize = nullptr, *spnPeriods = nullptr;
    QLabel *lblLatency = nullptr;
    QCheckBox *chkGmReset = nullptr;

    QWidget *RemotePage = nullptr;
    QLabel *lblRemoteNone = nullptr;
    QComboBox *cmbRemotePort = nullptr;
    std::array<QLabel *, kRemoteCommandCount> lblRemoteBinding{};
    std::array<QPushButton *, kRemoteCommandCount> cmdRemoteLearn{}, cmdRemoteClear{};

    // The lyrics colours waiting for OK, in their stored form.
    int pendingForeColor() const { return pendingForeColor_; }
    int pendingBackColor() const { return pendingBackColor_; }

protected:
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

    TfrmMain *main_;

private:
    OutputControl *output() const;
    void setPendingColors(int fore, int back);
    void updateOutputControls();
    // Switches to the page's output; false (after the box) when it cannot be
    // opened, and the output in use stays.
    bool applyOutput(bool always);
    void reportOutputFailure(const QString &reason);
    void showRemoteBindings();
    void applyRemote();

    int savedStepPosition = 0;
    int pendingWidth = 0, pendingHeight = 0;
    int savedFolderMode = 1;
    QString savedFolderPath;
    bool savedShowWhileStopped = false, savedLessonEnabled = false, savedRepeatLast = false;
    bool savedMuteStandby = false;
    engine::OutputConfig savedOutput;
    SynthAudio audio_; // what the synthesizer offers, asked at opening
    int pendingForeColor_ = 0, pendingBackColor_ = 0;
    RemoteBindings pendingRemote_;
    int learning_ = -1; // the command being learnt
};

} // namespace kazoon
