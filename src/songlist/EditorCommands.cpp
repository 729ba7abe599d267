// Placeholder: filled in by the team working on this folder.
#include "app/MainWindow.h"

namespace kazoon {

void TfrmMain::mnuNewItemClick() {}
void TfrmMain::mnuMenuItemClick() {}

} // namespace kazoon
