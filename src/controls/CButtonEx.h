// A push button whose font can be switched to large "ＭＳ ゴシック" type. The panels use it for
// their command and output buttons. A button marked owner-drawn paints itself in the classic
// flat-faced look (face colour, white/black double frame, centred text); otherwise it keeps the
// standard look and only its font changes.
#pragma once

#include <QFont>
#include <QPushButton>

#include "controls/LogFont.h"
#include "controls/color_ref.h"

class CButtonEx : public QPushButton {
    Q_OBJECT
  public:
    explicit CButtonEx(QWidget* parent = nullptr);
    CButtonEx(const QString& text, QWidget* parent = nullptr);

    // Face "ＭＳ ゴシック" with this width and height (logical units); every other field stays
    // that of the default GUI font. The new font is applied and the button repainted at once.
    void SetFontSize(int width, int height);

    // The owner-draw style: the button is painted by DrawItem instead of the widget style.
    void SetOwnerDraw(bool on);
    bool IsOwnerDraw() const { return ownerDraw_; }

    // Paints the owner-drawn look into rect.
    void DrawItem(QPainter& painter, const QRect& rect, bool pressed, bool focused) const;

    ColorRef textColor() const { return textColor_; }
    ColorRef faceColor() const { return faceColor_; }
    const LogFont& logFont() const { return logFont_; }
    const QFont& ownedFont() const { return font_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    ColorRef textColor_;
    ColorRef faceColor_;
    LogFont logFont_;
    QFont font_;
    bool ownerDraw_ = false;
};
