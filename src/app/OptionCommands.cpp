// The options command of the main window: the dialog hands back what OK
// changed and the window carries it out.
#include "app/OptionCommands.h"

#include "app/MainWindow.h"

#include <QStatusBar>

#include "app/Command.h"
#include "player/SequencerDevice.h"
#include "remote/MidiRemote.h"
#include "remote/RemoteInput.h"
#include "lyrics/LyricsPages.h"
#include "lyrics/TfrmWrd.h"
#include "lyrics/TfrmWrdDir.h"
#include "options/TfrmOption.h"
#include "songlist/CheckListBox.h"

namespace kazoon {

namespace {

bool inNormalState(const QWidget *window)
{
    return !(window->windowState() &
             (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

} // namespace

OptionsContext optionsContextOf(TfrmMain *main)
{
    OptionsContext c;
    c.dialogs = &main->dialogs();
    c.output = main->env().output;
    c.remote = main->env().remote;
    c.settingsPath = main->env().settingsPath;
    c.message = [main](const QString &text, const QString &caption, int flags) {
        return main->showMessage(text, caption, flags);
    };
    c.remoteBindings = [main] { return main->remote().bindings(); };
    c.setRemoteLearner = [main](std::function<void(const QByteArray &)> learner) {
        main->remote().setLearner(std::move(learner));
    };
    // The chooser and the lyrics window are looked up when needed: the
    // dialog is made before the lyrics window exists.
    c.chooseLyricsFolder = [main](const QString &current) -> std::optional<QString> {
        if (!main->frmWrdDir)
            return std::nullopt;
        return main->frmWrdDir->choose(current);
    };
    c.lyricsDesign = [main]() -> std::optional<LyricsDesign> {
        const TfrmWrd *wrd = main->frmWrd;
        if (!wrd)
            return std::nullopt;
        return LyricsDesign{wrd->lblWrd->font(), wrd->foreColor(), wrd->backColor(), wrd->size(),
                            inNormalState(wrd)};
    };
    return c;
}

void TfrmMain::mnuOptionItemClick()
{
    if (!frmOption)
        return;
    if (const std::optional<OptionsChange> change = frmOption->execModal())
        applyOptions(*change);
}

void TfrmMain::applyOptions(const OptionsChange &change)
{
    if (frmWrd && change.lyrics) {
        // A maximised or minimised window keeps its size.
        if (inNormalState(frmWrd))
            frmWrd->resize(change.lyrics->size);
        frmWrd->lblWrd->setFont(change.lyrics->font);
        frmWrd->setForeColor(change.lyrics->foreColor);
        frmWrd->setBackColor(change.lyrics->backColor);
    }
    applyRemoteBindings(change.remote);
    Player().SetClick(change.click.click);

    if (change.folderRuleChanged || change.songLyricsChanged)
        ResetLyricsCard();
    lyricsPages_->setShowsNextLine(liveSettings().showNextLine(), lstWrd.items);

    if (change.showWhileStopped)
        ShowLyricsCard();
    else
        hideLyricsWindow();

    const int n = lstLive->count();
    if (change.lessonAllowed) {
        if (n > 0)
            cmdLesson->setEnabled(true);
    } else {
        if (lessonMode) {
            mnuLsnItemClick(frmOption->OKBtn);
            lessonMode = false;
        }
        cmdLesson->setEnabled(false);
    }

    if (!change.repeatAllowed && n > 0 && lstLive->isChecked(n - 1)) {
        setSongMark(n - 1, false);
        listModified = true;
        if (lstLive->itemIndex() == n - 1)
            setListHint(n - 1);
    }
}

void TfrmMain::applyRemoteBindings(const RemoteBindings &next)
{
    const QString reason = remote_->apply(next);
    if (!reason.isEmpty())
        statusBar_->showMessage(reason, MidiRemote::kStatusMs);
}

} // namespace kazoon
