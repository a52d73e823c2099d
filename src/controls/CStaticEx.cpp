#include "CStaticEx.h"

#include <QPainter>

#include "platform/fonts.h"

CStaticEx::CStaticEx(QWidget* parent) : CStaticEx(QString(), parent) {}

CStaticEx::CStaticEx(const QString& text, QWidget* parent)
    : QLabel(text, parent),
      textColor_(SystemColor(QPalette::WindowText)),
      // The colour the dialog itself is painted with, so the label shows no box of its own.
      backColor_(parent ? ToColorRef(parent->palette().color(QPalette::Window))
                        : SystemColor(QPalette::Window)),
      logFont_(DefaultGuiLogFont()),
      font_(MakeFont(logFont_)) {
    // The label draws its text with its own font from the start, not the dialog's.
    setFont(font_);
    QPalette pal = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::WindowText, ToQColor(textColor_));
        pal.setColor(group, QPalette::Window, ToQColor(backColor_));
    }
    setPalette(pal);
    // The paint covers every pixel itself; nothing is erased beforehand.
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CStaticEx::SetFontSize(int width, int height) {
    logFont_.faceName = kFaceMsGothic;
    logFont_.height = height;
    logFont_.width = width;
    ApplyFont();
}

void CStaticEx::SetFontBold() {
    logFont_.weight = 700;
    ApplyFont();
}

void CStaticEx::ApplyFont() {
    font_ = MakeFont(logFont_);
    setFont(font_);
    repaint();
}

void CStaticEx::paintEvent(QPaintEvent* event) {
    {
        QPainter p(this);
        p.fillRect(rect(), ToQColor(backColor_));
    }
    QLabel::paintEvent(event);
}
