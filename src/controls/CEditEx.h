// An edit field that can be switched to large "ＭＳ ゴシック" type and always shows black text
// on the desktop's window colour. The D/A panel uses it for its voltage entry.
#pragma once

#include <QFont>
#include <QLineEdit>

#include "controls/LogFont.h"
#include "controls/color_ref.h"

class CEditEx : public QLineEdit {
    Q_OBJECT
  public:
    explicit CEditEx(QWidget* parent = nullptr);
    CEditEx(const QString& text, QWidget* parent = nullptr);

    // Face "ＭＳ ゴシック", width 11, height 22 (logical units); applied and repainted at once.
    void SetLargeFont();

    ColorRef textColor() const { return textColor_; }
    ColorRef backColor() const { return backColor_; }
    const LogFont& logFont() const { return logFont_; }
    const QFont& ownedFont() const { return font_; }

  private:
    ColorRef textColor_ = 0x000000;
    ColorRef backColor_;
    LogFont logFont_;
    QFont font_;
};
