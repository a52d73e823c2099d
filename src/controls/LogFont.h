// A font description in the terms the windows use (face, height and width in logical units,
// weight, character set, quality), and its conversion to a QFont.
//
// Logical units are pixels here. A positive height is the height of the character cell, a
// negative one the height of the characters themselves (the em), 0 the default size. Qt sizes
// fonts by their em, so a negative height becomes the pixel size directly, while a positive
// height picks the largest pixel size whose line height (ascent + descent) still fits the
// cell. A non-zero width is the average character width: the font is stretched horizontally
// so that its average width at that size becomes the one asked for; 0 keeps the natural
// proportions. Weights use the same 100..900 scale in both worlds (400 normal, 700 bold).
#pragma once

#include <QFont>
#include <string>

struct LogFont {
    int height = 0;
    int width = 0;
    int escapement = 0;
    int orientation = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charSet = 128;  // Shift-JIS: the interface is Japanese
    int outPrecision = 0;
    int clipPrecision = 0;
    int quality = 0;  // 1 = draft
    int pitchAndFamily = 0;
    std::string faceName;  // UTF-8
};

// The description of the desktop's default GUI font (the application font): its family, its
// size as a negative (em) height in pixels, its weight and slant, character set Shift-JIS.
LogFont DefaultGuiLogFont();

// The QFont for a description (see the top of this file for the size rules).
QFont MakeFont(const LogFont& lf);
