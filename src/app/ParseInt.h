#pragma once

#include <QStringView>
#include <optional>

namespace kazoon {

// The program's one integer conversion, shared by the settings file and the
// lyrics card reader: optional leading blanks, an optional "+" or "-", then
// decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X".
// Nothing may follow the digits. Decimal values must fit a signed 32-bit
// integer; hexadecimal ones may use all 32 bits (0x80000008 is -2147483640),
// as colours are stored that way.
std::optional<int> parseInteger(QStringView text);

} // namespace kazoon
