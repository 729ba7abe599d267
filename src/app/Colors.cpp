#include "app/Colors.h"

#include <QApplication>
#include <QPalette>

namespace kazoon {

namespace {

// The palette colour that stands for a system colour index.
QPalette::ColorRole systemRole(int index)
{
    switch (index) {
    case 4: return QPalette::Window;          // menu
    case 5: return QPalette::Base;            // window
    case 7: return QPalette::Text;            // menu text
    case 13: return QPalette::Highlight;
    case 14: return QPalette::HighlightedText;
    case 15: return QPalette::Button;         // button face
    case 16: return QPalette::Dark;           // button shadow
    case 18: return QPalette::ButtonText;
    case 20: return QPalette::Light;          // button highlight
    case 21: return QPalette::Shadow;
    case 22: return QPalette::Midlight;
    case 23: return QPalette::ToolTipText;
    case 24: return QPalette::ToolTipBase;
    default: return QPalette::WindowText;     // 8, window text, and the rest
    }
}

} // namespace

QColor colorFromValue(int value)
{
    const auto bits = unsigned(value);
    if (bits & 0x80000000u)
        return QApplication::palette().color(systemRole(int(bits & 0xFFu)));
    return QColor(int(bits & 0xFF), int((bits >> 8) & 0xFF), int((bits >> 16) & 0xFF));
}

int colorValue(const QColor &color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

} // namespace kazoon
