#pragma once

#include "options/OptionsContext.h"

namespace kazoon {

class TfrmMain;

// What the options dialog is given at its creation: the main window's
// dialogs, devices and hooks. The hooks hold `main`, which outlives the dialog.
OptionsContext optionsContextOf(TfrmMain *main);

} // namespace kazoon
