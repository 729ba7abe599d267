#include "app/Dialogs.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QGroupBox>
#include <QMessageBox>

namespace kazoon {

int QtDialogs::messageBox(QWidget *parent, const QString &text, const QString &caption, int flags)
{
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (flags & 0xF0) {
    case mb::IconStop: box.setIcon(QMessageBox::Critical); break;
    case mb::IconQuestion: box.setIcon(QMessageBox::Question); break;
    case mb::IconExclamation: box.setIcon(QMessageBox::Warning); break;
    default: break;
    }
    if ((flags & 0xF) == mb::YesNoCancel) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
        box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
        switch (box.exec()) {
        case QMessageBox::Yes: return mb::IdYes;
        case QMessageBox::No: return mb::IdNo;
        default: return mb::IdCancel;
        }
    }
    if ((flags & 0xF) == mb::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton((flags & mb::DefButton2) ? QMessageBox::No : QMessageBox::Yes);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
        box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
        return box.exec() == QMessageBox::Yes ? mb::IdYes : mb::IdNo;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return mb::IdOk;
}

QString QtDialogs::getOpenFileName(QWidget *parent, const QString &folder, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, QString(), folder, filter);
}

QString QtDialogs::getSaveFileName(QWidget *parent, const QString &folder, const QString &filter,
                                   const QString &defaultSuffix)
{
    QFileDialog dialog(parent, QString(), folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    // The dialog itself asks before an existing file is replaced.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

bool QtDialogs::chooseFont(QWidget *parent, QFont &font)
{
    // Qt's own dialog, without its effects group: the program keeps no
    // underline or strike-out in a font, so it offers none.
    QFontDialog dialog(font, parent);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    const QList<QGroupBox *> groups = dialog.findChildren<QGroupBox *>();
    for (QGroupBox *effects : groups) {
        if (effects->findChildren<QCheckBox *>().isEmpty())
            continue;
        // The sample beside it took its height from it.
        for (QGroupBox *sample : groups)
            if (sample != effects)
                sample->setMinimumHeight(effects->sizeHint().height());
        effects->hide();
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    font = dialog.selectedFont();
    return true;
}

bool QtDialogs::chooseColor(QWidget *parent, QColor &color)
{
    QColor chosen = QColorDialog::getColor(color, parent);
    if (!chosen.isValid())
        return false;
    color = chosen;
    return true;
}

int QtDialogs::exec(QDialog *dialog)
{
    return dialog->exec();
}

} // namespace kazoon
