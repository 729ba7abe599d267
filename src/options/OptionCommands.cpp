// Placeholder: filled in by the team working on this folder.
#include "app/MainWindow.h"

namespace kazoon {

void TfrmMain::mnuOptionItemClick() {}

} // namespace kazoon
