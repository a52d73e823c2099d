// A text label with its own font, the desktop's window-text colour on the background of the
// dialog it sits on (its parent's window colour at construction), and no separate background
// erase: the paint fills the background and draws the text in one
// pass, so a label that changes often ("ON"/"OFF" lamps, live values) does not flicker.
#pragma once

#include <QFont>
#include <QLabel>

#include "controls/LogFont.h"
#include "controls/color_ref.h"

class CStaticEx : public QLabel {
    Q_OBJECT
  public:
    explicit CStaticEx(QWidget* parent = nullptr);
    CStaticEx(const QString& text, QWidget* parent = nullptr);

    // Face "ＭＳ ゴシック" with this width and height (logical units); the other fields stay.
    void SetFontSize(int width, int height);
    // Weight 700; face and size stay as they are.
    void SetFontBold();

    ColorRef textColor() const { return textColor_; }
    ColorRef backColor() const { return backColor_; }
    const LogFont& logFont() const { return logFont_; }
    const QFont& ownedFont() const { return font_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void ApplyFont();

    ColorRef textColor_;
    ColorRef backColor_;
    LogFont logFont_;
    QFont font_;
};
