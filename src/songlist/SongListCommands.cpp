// Placeholder: filled in by the team working on this folder.
#include "app/MainWindow.h"

namespace kazoon {

void TfrmMain::mnuOpenItemClick() {}
void TfrmMain::mnuSaveItemClick() {}
void TfrmMain::mnuOverItemClick() {}
void TfrmMain::ButtonSaveClick() {}
void TfrmMain::lstLiveClick() {}
void TfrmMain::lstLiveClickCheck() {}
void TfrmMain::mnuMedleyItemClick() {}
void TfrmMain::mnuClearItemClick() {}
void TfrmMain::setListHint(int) {}

} // namespace kazoon
namespace kazoon {
int TfrmMain::AskSaveChanges() { return 7; }
bool TfrmMain::confirmDiscardChanges() { return true; }
} // namespace kazoon
