#include "app/MainWindow.h"

namespace kazoon {

// Lesson mode comes later; the player's handlers already carry its branches.
void TfrmMain::mnuLsnItemClick() {}
void TfrmMain::ButtonSflgClick() {}
void TfrmMain::ButtonEflgClick() {}

} // namespace kazoon
