#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <functional>

class QDialog;
class QWidget;

namespace kazoon {

// Message box flags and answers, as the program has always used them.
namespace mb {
constexpr int Ok = 0x0;
constexpr int YesNoCancel = 0x3;
constexpr int YesNo = 0x4;
constexpr int IconStop = 0x10;
constexpr int IconQuestion = 0x20;
constexpr int IconExclamation = 0x30;
constexpr int DefButton2 = 0x100;

constexpr int IdOk = 1;
constexpr int IdCancel = 2;
constexpr int IdYes = 6;
constexpr int IdNo = 7;
} // namespace mb

// Every modal box and common dialog of the program goes through here, so that
// tests can script the answers.
class UiDialogs {
public:
    virtual ~UiDialogs() = default;

    // Returns mb::IdOk, IdYes, IdNo or IdCancel.
    virtual int messageBox(QWidget *parent, const QString &text, const QString &caption,
                           int flags) = 0;
    // Empty when not confirmed. `filter` is in Qt form ("曲リストファイル(*.mnu)").
    virtual QString getOpenFileName(QWidget *parent, const QString &folder,
                                    const QString &filter) = 0;
    // Asks before an existing file is replaced; appends `defaultSuffix` to a
    // name typed without one. Empty when not confirmed.
    virtual QString getSaveFileName(QWidget *parent, const QString &folder, const QString &filter,
                                    const QString &defaultSuffix) = 0;
    // Offers family, style and size; no underline or strike-out.
    virtual bool chooseFont(QWidget *parent, QFont &font) = 0;
    virtual bool chooseColor(QWidget *parent, QColor &color) = 0;
    // Shows a dialog of the program modally; returns QDialog::Accepted or Rejected.
    virtual int exec(QDialog *dialog) = 0;
};

// Shows a message box as the main window does (its answer, mb::IdOk ...),
// for the program's dialogs that have a message of their own to give.
using MessageFn = std::function<int(const QString &text, const QString &caption, int flags)>;

// The real dialogs.
class QtDialogs : public UiDialogs {
public:
    int messageBox(QWidget *parent, const QString &text, const QString &caption,
                   int flags) override;
    QString getOpenFileName(QWidget *parent, const QString &folder,
                            const QString &filter) override;
    QString getSaveFileName(QWidget *parent, const QString &folder, const QString &filter,
                            const QString &defaultSuffix) override;
    bool chooseFont(QWidget *parent, QFont &font) override;
    bool chooseColor(QWidget *parent, QColor &color) override;
    int exec(QDialog *dialog) override;
};

} // namespace kazoon
