#include "ScriptedDialogs.h"

#include <QDialog>

namespace kazoon::test {

namespace {
template <class T>
std::optional<T> take(std::deque<T> &queue)
{
    if (queue.empty())
        return std::nullopt;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}
} // namespace

int ScriptedDialogs::messageBox(QWidget *, const QString &text, const QString &caption, int flags)
{
    boxes.append(Box{text, caption, flags});
    if (duringBox)
        duringBox(boxes.constLast());
    const int buttons = flags & 0xF;
    const int unscripted =
        buttons == mb::YesNoCancel ? mb::IdCancel : buttons == mb::YesNo ? mb::IdNo : mb::IdOk;
    return take(answers_).value_or(unscripted);
}

QString ScriptedDialogs::getOpenFileName(QWidget *, const QString &folder, const QString &filter)
{
    openRequests.append(FileRequest{folder, filter, QString()});
    return take(openFiles_).value_or(QString());
}

QString ScriptedDialogs::getSaveFileName(QWidget *, const QString &folder, const QString &filter,
                                         const QString &defaultSuffix)
{
    saveRequests.append(FileRequest{folder, filter, defaultSuffix});
    return take(saveFiles_).value_or(QString());
}

bool ScriptedDialogs::chooseFont(QWidget *, QFont &f)
{
    ++fontRequests;
    const std::optional<QFont> chosen = take(fonts_).value_or(std::nullopt);
    if (chosen)
        f = *chosen;
    return chosen.has_value();
}

bool ScriptedDialogs::chooseColor(QWidget *, QColor &c)
{
    ++colorRequests;
    const std::optional<QColor> chosen = take(colors_).value_or(std::nullopt);
    if (chosen)
        c = *chosen;
    return chosen.has_value();
}

int ScriptedDialogs::exec(QDialog *dialog)
{
    executed.append(dialog->objectName());
    std::optional<DialogScript> script = take(execs_);
    // Shown as exec would show it, so that its show handler runs.
    dialog->setResult(QDialog::Rejected);
    dialog->show();
    const int answer = script && *script ? (*script)(dialog) : int(QDialog::Rejected);
    if (!dialog->isVisible())
        return dialog->result();
    dialog->done(answer);
    return answer;
}

} // namespace kazoon::test
