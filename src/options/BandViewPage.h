#pragma once

#include <QWidget>

#include "bandview/BandViewSettings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kazoon {

// The options dialog's band view page: on or off, the port, the address for
// the band's phones as text and as a QR code, and the access code. Nothing
// is live before OK: the page hands its settings back.
class BandViewPage : public QWidget {
    Q_OBJECT
public:
    explicit BandViewPage(BandViewPageHooks hooks, QWidget *parent = nullptr);

    // Shows the settings in use and what went wrong with them.
    void showCurrent();
    // The settings as the page shows them, waiting for OK.
    BandViewSettings settings() const;
    // At OK: false, with the reason shown on the page, when the view is to
    // be on at a port it cannot have.
    bool checkOnOk();

    void chkBandClick();
    void cmdBandCodeClick();

    QCheckBox *chkBand = nullptr;
    QSpinBox *txtBandPort = nullptr;
    QComboBox *cmbBandHost = nullptr;
    QLineEdit *txtBandAddress = nullptr;
    QLabel *imgBandQr = nullptr;
    QLabel *lblBandProblem = nullptr;
    QPushButton *cmdBandCode = nullptr;

private:
    void showAddress();

    BandViewPageHooks hooks_;
    QString code_; // the code waiting for OK
};

} // namespace kazoon
