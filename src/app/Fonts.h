#pragma once

#include <QFont>

namespace kazoon {

// The font of every window's controls: ＭＳ Ｐゴシック at 9 points, set in
// pixels so that the fixed layouts hold on any screen.
QFont uiFont();

// Lets the classic Japanese font names that the windows and the settings
// file use find the IPA fonts of this system.
void installFontSubstitutes();

} // namespace kazoon
