#include "app/MainWindow.h"

namespace kazoon {

// The lesson commands do nothing yet; the player's handlers already carry
// lesson mode's branches.
void TfrmMain::mnuLsnItemClick() {}
void TfrmMain::ButtonSflgClick() {}
void TfrmMain::ButtonEflgClick() {}

} // namespace kazoon
