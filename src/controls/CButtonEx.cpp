#include "CButtonEx.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "platform/fonts.h"

namespace {

constexpr ColorRef kWhite = 0xFFFFFF;
constexpr ColorRef kBlack = 0x000000;

// A one-pixel frame just inside r: top and left in one colour, bottom and right in another.
void Frame3d(QPainter& p, const QRect& r, ColorRef topLeft, ColorRef bottomRight) {
    if (r.width() <= 0 || r.height() <= 0) return;
    const QColor tl = ToQColor(topLeft);
    const QColor br = ToQColor(bottomRight);
    p.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), tl);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), tl);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), br);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), br);
}

}  // namespace

CButtonEx::CButtonEx(QWidget* parent) : CButtonEx(QString(), parent) {}

CButtonEx::CButtonEx(const QString& text, QWidget* parent)
    : QPushButton(text, parent),
      textColor_(SystemColor(QPalette::WindowText)),
      faceColor_(SystemColor(QPalette::Button)),
      logFont_(DefaultGuiLogFont()),
      font_(MakeFont(logFont_)) {}

void CButtonEx::SetFontSize(int width, int height) {
    logFont_.faceName = kFaceMsGothic;
    logFont_.height = height;
    logFont_.width = width;
    font_ = MakeFont(logFont_);
    setFont(font_);
    repaint();
}

void CButtonEx::SetOwnerDraw(bool on) {
    ownerDraw_ = on;
    update();
}

void CButtonEx::DrawItem(QPainter& p, const QRect& rect, bool pressed, bool focused) const {
    QRect r = rect;
    p.fillRect(r, ToQColor(faceColor_));

    if (focused) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = r.adjusted(4, 4, -4, -4);
        option.backgroundColor = ToQColor(faceColor_);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }

    if (pressed) {
        Frame3d(p, r, kBlack, kBlack);
        r.adjust(1, 1, -1, -1);
        Frame3d(p, r, faceColor_, faceColor_);
        r.adjust(2, 2, 0, 0);
    } else {
        Frame3d(p, r, kWhite, kBlack);
        r.adjust(1, 1, -1, -1);
        Frame3d(p, r, kWhite, kBlack);
    }

    p.setFont(font_);
    p.setPen(ToQColor(textColor_));
    p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, text());
}

void CButtonEx::paintEvent(QPaintEvent* event) {
    if (!ownerDraw_) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainter p(this);
    DrawItem(p, rect(), isDown(), hasFocus());
}
