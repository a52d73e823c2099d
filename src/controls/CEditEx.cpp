#include "CEditEx.h"

#include "platform/fonts.h"

CEditEx::CEditEx(QWidget* parent) : CEditEx(QString(), parent) {}

CEditEx::CEditEx(const QString& text, QWidget* parent)
    : QLineEdit(text, parent),
      backColor_(SystemColor(QPalette::Base)),
      logFont_(DefaultGuiLogFont()),
      font_(MakeFont(logFont_)) {
    // Text and its background in fixed colours, in every state the field can be in.
    QPalette pal = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Text, ToQColor(textColor_));
        pal.setColor(group, QPalette::Base, ToQColor(backColor_));
    }
    setPalette(pal);
}

void CEditEx::SetLargeFont() {
    logFont_.faceName = kFaceMsGothic;
    logFont_.width = 11;
    logFont_.height = 22;
    font_ = MakeFont(logFont_);
    setFont(font_);
    repaint();
}
