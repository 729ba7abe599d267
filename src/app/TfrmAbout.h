#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;

namespace kazoon {

// Who makes the program and where to reach them.
inline const QString kMakerName = QStringLiteral("Kazoon Project");
inline const QString kWebAddress = QStringLiteral("https://kazoon.example.org");
inline const QString kMailAddress = QStringLiteral("kazoon@example.org");
inline const QString kVersionText = QStringLiteral("Version 2.31");

// The version information dialog.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    // `openUrl` opens the web and mail addresses; null opens nothing.
    explicit TfrmAbout(std::function<void(const QUrl &)> openUrl, QWidget *parent = nullptr);

    void lblURLClick();
    void lblEmailClick();

    QLabel *lblURL = nullptr, *lblEmail = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    std::function<void(const QUrl &)> openUrl_;
};

} // namespace kazoon
