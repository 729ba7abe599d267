// Placeholder: filled in by the team working on this folder.
#include "app/MainWindow.h"

namespace kazoon {

void TfrmMain::LoadSelectedSong() {}
void TfrmMain::ReportLoadFailure() {}
void TfrmMain::CheckPlayerError() {}
void TfrmMain::ShowInfoMessage() {}
void TfrmMain::EnterPlayingState() {}
void TfrmMain::LeavePlayingState() {}
void TfrmMain::UpdateFlagButtons() {}
void TfrmMain::ButtonPlayClick() {}
void TfrmMain::ButtonStopClick() {}
void TfrmMain::ButtonPrevClick() {}
void TfrmMain::PlayTimerTimer() {}
void TfrmMain::TrackBarChange() {}
void TfrmMain::LagTimerTimer() {}
void TfrmMain::PlayerNotify() {}
void TfrmMain::mnuQsItemClick() {}
void TfrmMain::ButtonSBClick() {}
void TfrmMain::mnuLsnItemClick() {}
void TfrmMain::ButtonSflgClick() {}
void TfrmMain::ButtonEflgClick() {}
void TfrmMain::FormKeyUp(QObject *, int, Qt::KeyboardModifiers) {}

} // namespace kazoon
namespace kazoon {
bool TfrmMain::FormKeyDown(QObject *, int, Qt::KeyboardModifiers) { return false; }
} // namespace kazoon
