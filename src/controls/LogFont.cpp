#include "LogFont.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace {

int AppFontPixelSize(const QFont& font) {
    if (font.pixelSize() > 0) return font.pixelSize();
    // Points to pixels at the screen's logical resolution (96 when there is no screen).
    double dpi = 96.0;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        dpi = screen->logicalDotsPerInchY();
    const int px = static_cast<int>(std::lround(font.pointSizeF() * dpi / 72.0));
    return px > 0 ? px : 12;
}

}  // namespace

LogFont DefaultGuiLogFont() {
    const QFont app = QApplication::font();
    LogFont lf;
    lf.faceName = app.family().toStdString();
    lf.height = -AppFontPixelSize(app);
    lf.weight = app.weight();
    lf.italic = app.italic();
    lf.underline = app.underline();
    lf.strikeOut = app.strikeOut();
    return lf;
}

QFont MakeFont(const LogFont& lf) {
    QFont font(QString::fromStdString(lf.faceName));
    font.setWeight(
        static_cast<QFont::Weight>(lf.weight > 0 ? std::clamp(lf.weight, 1, 1000) : 400));
    font.setItalic(lf.italic);
    font.setUnderline(lf.underline);
    font.setStrikeOut(lf.strikeOut);

    if (lf.height < 0) {
        font.setPixelSize(-lf.height);
    } else if (lf.height > 0) {
        // Fit the cell: a font's line height usually exceeds its em by a pixel or two.
        int px = lf.height;
        font.setPixelSize(px);
        while (px > 1 && QFontMetrics(font).height() > lf.height) {
            font.setPixelSize(--px);
        }
    } else {
        font.setPixelSize(AppFontPixelSize(QApplication::font()));
    }

    if (lf.width > 0) {
        const int natural = QFontMetrics(font).averageCharWidth();
        if (natural > 0) {
            const int stretch = static_cast<int>(std::lround(100.0 * lf.width / natural));
            // Within a few percent the natural shape reads better than a rescaled one.
            if (std::abs(stretch - 100) > 3) font.setStretch(std::clamp(stretch, 50, 200));
        }
    }
    return font;
}
