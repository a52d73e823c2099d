// Colour references as the windows keep them: 32-bit values 0x00BBGGRR, converted to QColor only
// when something is painted, so stored colours compare and copy as plain integers.
#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>

using ColorRef = uint32_t;

constexpr ColorRef MakeColorRef(int red, int green, int blue) {
    return static_cast<ColorRef>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}

inline QColor ToQColor(ColorRef c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

inline ColorRef ToColorRef(const QColor& c) {
    return MakeColorRef(c.red(), c.green(), c.blue());
}

// The desktop's colour for a role (window text, button face, window background), taken from
// the application palette: the counterpart of the system colours.
ColorRef SystemColor(QPalette::ColorRole role);
