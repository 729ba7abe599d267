#pragma once

#include <memory>

#include "app/Environment.h"

namespace kazoon {

class TfrmMain;
class TfrmWrdDir;
class TfrmOption;
class TfrmSelect;
class TfrmWrd;
class TfrmAbout;

// The six windows of the program. They live until the program ends; on
// destruction the main window's FormDestroy runs first, then the windows go
// in the reverse order of their creation.
struct Windows {
    std::unique_ptr<TfrmMain> frmMain;
    std::unique_ptr<TfrmWrdDir> frmWrdDir;
    std::unique_ptr<TfrmOption> frmOption;
    std::unique_ptr<TfrmSelect> frmSelect;
    std::unique_ptr<TfrmWrd> frmWrd;
    std::unique_ptr<TfrmAbout> frmAbout;

    Windows();
    ~Windows();
    Windows(const Windows &) = delete;
    Windows &operator=(const Windows &) = delete;
};

// Creates the six windows in order: the main window first (its FormCreate
// reads its settings before the others exist), then the lyrics folder
// chooser, the options dialog, the song list editor, the lyrics card window
// and the version dialog, each reading its own settings as it is created.
std::unique_ptr<Windows> createWindows(const Environment &env);

} // namespace kazoon
