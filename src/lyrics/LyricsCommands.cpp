#include "app/Command.h"
#include "app/MainWindow.h"
#include "lyrics/TfrmWrd.h"
#include "songlist/CheckListBox.h"

namespace kazoon {

void TfrmMain::mnuWrdItemClick(QObject *sender)
{
    if (cmdWrd->menuItem()->isChecked()) {
        cmdWrd->setDown(false);
        cmdWrdEdit->setEnabled(false);
        ResetLyricsCard();
        // At start-up the main window switches the function off before the
        // lyrics card window exists.
        if (!(sender && sender->objectName() == QLatin1String("frmMain")))
            hideLyricsWindow();
    } else {
        cmdWrd->setDown(true);
        cmdWrdEdit->button()->setEnabled(lstLive->count() > 0);
        cmdWrdEdit->menuItem()->setEnabled(true);
        ShowLyricsCard();
    }
}

void TfrmMain::mnuWrdEditItemClick()
{
    ResetLyricsCard();
    ShowLyricsCard();
}

void TfrmMain::ResetLyricsCard() {}
void TfrmMain::ShowLyricsCard() {}
void TfrmMain::UpdateLyricsPage() {}

void TfrmMain::hideLyricsWindow()
{
    if (frmWrd)
        frmWrd->hide();
}

} // namespace kazoon
