#pragma once

#include <QDialog>

class QLabel;

namespace kazoon {

class TfrmMain;

// Who makes the program and where to reach them.
inline const QString kMakerName = QStringLiteral("Kazoon Project");
inline const QString kWebAddress = QStringLiteral("https://kazoon.example.org");
inline const QString kMailAddress = QStringLiteral("kazoon@example.org");
inline const QString kVersionText = QStringLiteral("Version 2.31");

// The version information dialog.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(TfrmMain *main, QWidget *parent = nullptr);

    void lblURLClick();
    void lblEmailClick();

    QLabel *lblURL = nullptr, *lblEmail = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    TfrmMain *main_;
};

} // namespace kazoon
