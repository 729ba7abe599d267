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

#include "options/OptionsContext.h"

namespace kazoon {

class IniFile;
class ClickPage;
class OutputPage;
class RemotePage;
class SongLyricsBoxes;

// The options dialog. Its check boxes, radio buttons, step bar and folder
// field are the program's live settings; the rest of the program reads them
// through LiveSettings. The sound output page shows the output in use and
// switches it on OK; everything else OK changed is handed back as an
// OptionsChange for the main window to carry out.
class TfrmOption : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOption(OptionsContext context, QWidget *parent = nullptr);

    // The settings this dialog holds: read at creation, written at close.
    void readSettings(const IniFile &ini);
    void writeSettings(IniFile &ini) const;

    // Shows the dialog modally; what OK changed, nothing when closed otherwise.
    std::optional<OptionsChange> execModal();

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

    // The offset as the bar's field shows it: "+3", "0", "-2".
    static QString offsetText(int value);
    // Whether OK must look the lyrics cards up again: the rule changed, or
    // the dedicated folder did (by exact name).
    static bool folderRuleChanged(int savedMode, const QString &savedPath, int mode,
                                  const QString &path);

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

    // The sound output page and the MIDI remote page.
    OutputPage *outputPage = nullptr;
    RemotePage *remotePage = nullptr;
    ClickPage *clickPage = nullptr;
    // The lyrics page's choices for the song's own lyrics and the next line.
    SongLyricsBoxes *songLyricsBoxes = nullptr;

    // The lyrics colours waiting for OK, in their stored form.
    int pendingForeColor() const { return pendingForeColor_; }
    int pendingBackColor() const { return pendingBackColor_; }

protected:
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void setPendingColors(int fore, int back);
    OptionsChange changeOnOk() const;

    OptionsContext context_;
    std::optional<OptionsChange> change_; // set by OK
    std::optional<LyricsDesign> shownDesign_; // the lyrics window's design at opening

    int savedStepPosition = 0;
    int pendingWidth = 0, pendingHeight = 0;
    int savedFolderMode = 1;
    QString savedFolderPath;
    bool savedShowWhileStopped = false, savedLessonEnabled = false, savedRepeatLast = false;
    bool savedMuteStandby = false;
    int pendingForeColor_ = 0, pendingBackColor_ = 0;
};

} // namespace kazoon
