#pragma once

#include <QColor>

namespace kazoon {

// Colours as the settings file stores them: 0x00BBGGRR for a plain colour,
// 0x80000000 plus an index for a colour of the system's palette.
constexpr int kWindowTextColor = int(0x80000008u);
constexpr int kWhiteColor = 0xFFFFFF;

QColor colorFromValue(int value);
// The stored form of a plain colour.
int colorValue(const QColor &color);

} // namespace kazoon
