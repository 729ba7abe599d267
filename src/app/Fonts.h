#pragma once

namespace kazoon {

// Lets the classic Japanese font names that the windows and the settings
// file use find the IPA fonts of this system.
void installFontSubstitutes();

} // namespace kazoon
