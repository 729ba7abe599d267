// The options command of the main window.
#include "app/MainWindow.h"

namespace kazoon {

void TfrmMain::mnuOptionItemClick() {}

} // namespace kazoon
