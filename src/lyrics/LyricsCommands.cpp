// Placeholder: filled in by the team working on this folder.
#include "app/MainWindow.h"

namespace kazoon {

void TfrmMain::mnuWrdItemClick(QObject *) {}
void TfrmMain::mnuWrdEditItemClick() {}
void TfrmMain::ResetLyricsCard() {}
void TfrmMain::ShowLyricsCard() {}
void TfrmMain::UpdateLyricsPage() {}
void TfrmMain::hideLyricsWindow() {}

} // namespace kazoon
