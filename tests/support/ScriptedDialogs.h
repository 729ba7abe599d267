#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

#include "app/Dialogs.h"

namespace kazoon::test {

// Answers the program's boxes and dialogs from a script, one queue per kind,
// and records what was shown. Unscripted answers are the safe ones:
// - a box answers OK, or Cancel when it asks Yes/No/Cancel (nothing is lost),
//   or No when it asks Yes/No;
// - file dialogs return an empty name (cancelled);
// - font and colour dialogs are cancelled;
// - a dialog's exec is rejected.
class ScriptedDialogs : public UiDialogs {
public:
    struct Box {
        QString text;
        QString caption;
        int flags = 0;
    };
    struct FileRequest {
        QString folder;
        QString filter;
        QString defaultSuffix; // save dialogs only
    };
    // Operates the shown dialog's controls and returns QDialog::Accepted or
    // Rejected. Clicking the dialog's OK or Cancel button inside the callback
    // runs its handlers; the dialog's own result then wins.
    using DialogScript = std::function<int(QDialog *)>;

    void answer(int id) { answers_.push_back(id); }
    void openFile(const QString &path) { openFiles_.push_back(path); }
    void saveFile(const QString &path) { saveFiles_.push_back(path); }
    void font(std::optional<QFont> f) { fonts_.push_back(std::move(f)); }
    void color(std::optional<QColor> c) { colors_.push_back(std::move(c)); }
    void onExec(DialogScript script) { execs_.push_back(std::move(script)); }
    // Runs while each box is up (to look at the program's state then).
    std::function<void(const Box &)> duringBox;

    QList<Box> boxes;
    QList<FileRequest> openRequests, saveRequests;
    int fontRequests = 0, colorRequests = 0;
    QStringList executed; // object names of the dialogs shown modally

    // Nothing scripted was left unused.
    bool allUsed() const
    {
        return answers_.empty() && openFiles_.empty() && saveFiles_.empty() && fonts_.empty() &&
               colors_.empty() && execs_.empty();
    }

    int messageBox(QWidget *parent, const QString &text, const QString &caption,
                   int flags) override;
    QString getOpenFileName(QWidget *parent, const QString &folder,
                            const QString &filter) override;
    QString getSaveFileName(QWidget *parent, const QString &folder, const QString &filter,
                            const QString &defaultSuffix) override;
    bool chooseFont(QWidget *parent, QFont &font) override;
    bool chooseColor(QWidget *parent, QColor &color) override;
    int exec(QDialog *dialog) override;

private:
    std::deque<int> answers_;
    std::deque<QString> openFiles_, saveFiles_;
    std::deque<std::optional<QFont>> fonts_;
    std::deque<std::optional<QColor>> colors_;
    std::deque<DialogScript> execs_;
};

} // namespace kazoon::test
