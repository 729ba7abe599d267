#include <QFileInfo>

#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/TfrmAbout.h"

namespace kazoon {

void TfrmMain::mnuExitItemClick()
{
    close();
}

void TfrmMain::mnuHelpItemClick()
{
    // A missing manual is not worth a message.
    if (QFileInfo(env_.helpPath).isFile() && env_.openUrl)
        env_.openUrl(QUrl::fromLocalFile(env_.helpPath));
}

void TfrmMain::mnuHPItemClick()
{
    if (env_.openUrl)
        env_.openUrl(QUrl(kWebAddress));
}

void TfrmMain::mnuAboutItemClick()
{
    if (frmAbout)
        dialogs().exec(frmAbout);
}

} // namespace kazoon
