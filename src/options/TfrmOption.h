#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>

namespace kazoon {

class IniFile;
class TfrmMain;

// The options dialog. Its check boxes, radio buttons, step bar and folder
// field are the program's live settings; the rest of the program reads them
// through LiveSettings.
class TfrmOption : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOption(TfrmMain *main, QWidget *parent = nullptr);

    // The settings this dialog holds: read at creation, written at close.
    void readSettings(const IniFile &ini);
    void writeSettings(IniFile &ini) const;

    void RadioWrd1Click();
    void RadioWrd2Click();
    // The dedicated lyrics folder, as the folder chooser writes it.
    void setLyricsFolder(const QString &folder) { txtDir->setText(folder); }

    QTabWidget *PageControl = nullptr;
    QSlider *StepBar = nullptr; // -15..16
    QLineEdit *txtBer = nullptr;
    QSpinBox *UpDown = nullptr;
    QCheckBox *chkOnLsn = nullptr, *chkOnRep = nullptr, *chkOnStop = nullptr;
    QPushButton *cmdFont = nullptr, *cmdFcolor = nullptr, *cmdBcolor = nullptr,
                *cmdDefault = nullptr, *cmdDir = nullptr;
    QRadioButton *RadioWrd1 = nullptr, *RadioWrd2 = nullptr;
    QLineEdit *txtDir = nullptr;
    QLabel *lblDmy = nullptr;
    QPushButton *OKBtn = nullptr, *CancelBtn = nullptr;

protected:
    TfrmMain *main_;
};

} // namespace kazoon
