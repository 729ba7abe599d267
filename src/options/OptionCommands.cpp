// The options command of the main window.
#include "app/MainWindow.h"
#include "options/TfrmOption.h"

namespace kazoon {

void TfrmMain::mnuOptionItemClick()
{
    if (frmOption)
        frmOption->execModal();
}

} // namespace kazoon
