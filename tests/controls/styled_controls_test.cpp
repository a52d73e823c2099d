// The styled controls on real widgets: the fonts they request and get, and the colours they
// paint with, read back from rendered pixels.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>

#include "controls/CButtonEx.h"
#include "controls/CEditEx.h"
#include "controls/CStaticEx.h"
#include "platform/fonts.h"

namespace {

const QString kGothic = QString::fromUtf8("ＭＳ ゴシック");

// Distinct desktop colours for the duration of a test, so that the fixed colours can be told
// apart from Qt's defaults.
class DesktopColours {
  public:
    DesktopColours() : saved_(QApplication::palette()) {
        QPalette pal = saved_;
        pal.setColor(QPalette::Button, QColor(10, 200, 30));
        pal.setColor(QPalette::Window, QColor(200, 180, 40));
        pal.setColor(QPalette::WindowText, QColor(90, 20, 160));
        pal.setColor(QPalette::Base, QColor(250, 240, 200));
        QApplication::setPalette(pal);
    }
    ~DesktopColours() { QApplication::setPalette(saved_); }

  private:
    QPalette saved_;
};

// The Japanese Gothic face actually used for "ＭＳ ゴシック", when one is installed.
bool ResolvesToJapaneseGothic(const QFont& font) {
    const QStringList subs = QFont::substitutes(kGothic);
    if (subs.isEmpty()) return true;  // no Japanese face on this machine: nothing to check
    return subs.contains(QFontInfo(font).family(), Qt::CaseInsensitive);
}

QImage Grab(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

TEST(StyledFonts, ButtonAndLabelTakeGothicSizesAndKeepTheRest) {
    const LogFont def = DefaultGuiLogFont();
    EXPECT_EQ(def.charSet, 128);
    EXPECT_EQ(def.weight, QApplication::font().weight());
    EXPECT_LT(def.height, 0);

    QDialog dialog;
    CButtonEx button(QStringLiteral("-10V出力"), &dialog);
    EXPECT_EQ(button.logFont().faceName, def.faceName);
    const QFont before = button.font();
    EXPECT_EQ(before, dialog.font());  // nothing applied until a size is asked for

    button.SetFontSize(9, 18);
    const LogFont& lf = button.logFont();
    EXPECT_EQ(lf.faceName, "ＭＳ ゴシック");
    EXPECT_EQ(lf.height, 18);
    EXPECT_EQ(lf.width, 9);
    EXPECT_EQ(lf.charSet, def.charSet);
    EXPECT_EQ(lf.weight, def.weight);
    EXPECT_EQ(button.font().family(), kGothic);
    EXPECT_EQ(button.font(), button.ownedFont());
    EXPECT_TRUE(ResolvesToJapaneseGothic(button.font()));
    // A positive height is the cell: the line height fits it, a little below is fine.
    const int cell = QFontMetrics(button.font()).height();
    EXPECT_LE(cell, 18);
    EXPECT_GE(cell, 15);

    CStaticEx label(QStringLiteral("電圧指定"), &dialog);
    label.SetFontSize(11, 22);
    label.SetFontBold();
    EXPECT_EQ(label.logFont().faceName, "ＭＳ ゴシック");
    EXPECT_EQ(label.logFont().height, 22);
    EXPECT_EQ(label.logFont().width, 11);
    EXPECT_EQ(label.logFont().weight, 700);
    EXPECT_EQ(label.font().weight(), QFont::Bold);
    EXPECT_EQ(label.font().family(), kGothic);
    EXPECT_LE(QFontMetrics(label.font()).height(), 22);
    EXPECT_GT(QFontMetrics(label.font()).height(), cell);

    CEditEx edit(&dialog);
    edit.SetLargeFont();
    EXPECT_EQ(edit.logFont().width, 11);
    EXPECT_EQ(edit.logFont().height, 22);
    EXPECT_EQ(edit.logFont().weight, def.weight);
    EXPECT_EQ(edit.font().family(), kGothic);
    EXPECT_TRUE(ResolvesToJapaneseGothic(edit.font()));

    // Width 0 keeps the natural shape; a narrow width squeezes the face.
    LogFont narrow = lf;
    narrow.width = 4;
    EXPECT_LT(MakeFont(narrow).stretch(), 100);
    narrow.width = 0;
    EXPECT_EQ(MakeFont(narrow).stretch(), QFont().stretch());
    LogFont em = lf;
    em.height = -20;  // negative: the characters' own height
    EXPECT_EQ(MakeFont(em).pixelSize(), 20);
}

TEST(StyledColours, LabelAndEditKeepTheColoursOfTheirConstruction) {
    DesktopColours colours;
    QDialog dialog;
    dialog.resize(200, 100);
    CStaticEx label(QStringLiteral("ON"), &dialog);
    label.setGeometry(10, 10, 120, 40);
    CEditEx edit(&dialog);
    edit.setGeometry(10, 60, 120, 30);
    EXPECT_EQ(label.textColor(), MakeColorRef(90, 20, 160));
    // The label's ground is the dialog's own, not the button face.
    EXPECT_EQ(label.backColor(), MakeColorRef(200, 180, 40));
    EXPECT_EQ(edit.textColor(), 0x000000u);
    EXPECT_EQ(edit.backColor(), MakeColorRef(250, 240, 200));
    EXPECT_EQ(edit.palette().color(QPalette::Text), QColor(0, 0, 0));
    EXPECT_EQ(edit.palette().color(QPalette::Base), QColor(250, 240, 200));

    // A later change of the desktop colours leaves them as they were.
    QPalette other = QApplication::palette();
    other.setColor(QPalette::Window, QColor(255, 0, 255));
    QApplication::setPalette(other);

    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QImage img = Grab(label);
    EXPECT_EQ(img.pixel(1, 1), qRgb(200, 180, 40));
    EXPECT_EQ(img.pixel(119, 39), qRgb(200, 180, 40));
    // The text is drawn in the window-text colour: its fully covered pixels have that colour.
    int textPixels = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (img.pixel(x, y) == qRgb(90, 20, 160)) ++textPixels;
        }
    }
    EXPECT_GT(textPixels, 5);
}

TEST(StyledColours, OwnerDrawnButtonPaintsFaceFramesAndText) {
    DesktopColours colours;
    QDialog dialog;
    dialog.resize(200, 100);
    CButtonEx button(QStringLiteral("変換"), &dialog);
    button.setGeometry(10, 10, 80, 30);
    button.SetOwnerDraw(true);
    button.SetFontSize(13, 26);
    EXPECT_EQ(button.faceColor(), MakeColorRef(10, 200, 30));
    EXPECT_EQ(button.textColor(), MakeColorRef(90, 20, 160));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    const QRgb white = qRgb(255, 255, 255);
    const QRgb black = qRgb(0, 0, 0);
    const QRgb face = qRgb(10, 200, 30);
    QImage img = Grab(button);
    ASSERT_EQ(img.size(), QSize(80, 30));
    // Up: two frames, white above and left, black below and right.
    EXPECT_EQ(img.pixel(0, 0), white);
    EXPECT_EQ(img.pixel(1, 1), white);
    EXPECT_EQ(img.pixel(0, 15), white);
    EXPECT_EQ(img.pixel(40, 1), white);
    EXPECT_EQ(img.pixel(79, 0), black);
    EXPECT_EQ(img.pixel(79, 29), black);
    EXPECT_EQ(img.pixel(78, 28), black);
    EXPECT_EQ(img.pixel(40, 29), black);
    EXPECT_EQ(img.pixel(2, 2), face);
    EXPECT_EQ(img.pixel(3, 15), face);
    bool textDrawn = false;
    for (int y = 5; y < 25 && !textDrawn; ++y) {
        for (int x = 20; x < 60; ++x) {
            const QRgb c = img.pixel(x, y);
            if (qBlue(c) > 100 && qGreen(c) < 120) textDrawn = true;
        }
    }
    EXPECT_TRUE(textDrawn);

    // Pressed: a black outer frame and a face-coloured inner one.
    button.setDown(true);
    img = Grab(button);
    EXPECT_EQ(img.pixel(0, 0), black);
    EXPECT_EQ(img.pixel(79, 29), black);
    EXPECT_EQ(img.pixel(1, 1), face);
    EXPECT_EQ(img.pixel(78, 28), face);

    // Not owner-drawn: the widget style paints it, not the white/black frames.
    button.setDown(false);
    button.SetOwnerDraw(false);
    img = Grab(button);
    EXPECT_FALSE(img.pixel(0, 0) == white && img.pixel(79, 29) == black &&
                 img.pixel(1, 1) == white);
}

namespace {

// Every colour role of the desktop palette set to a colour of its own (never black or white),
// shifted by offset so that two such palettes share no colour.
QPalette EveryRoleDistinct(int offset) {
    QPalette pal = QApplication::palette();
    for (int r = 0; r < QPalette::NColorRoles; ++r) {
        if (r == QPalette::NoRole) continue;
        pal.setColor(static_cast<QPalette::ColorRole>(r),
                     QColor(20 + 9 * r + offset, 240 - 7 * r, 60 + 5 * r + offset));
    }
    return pal;
}

int PixelsOf(const QImage& img, QRgb colour, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) n += img.pixel(x, y) == colour ? 1 : 0;
    }
    return n;
}

}  // namespace

// Whatever role the desktop gives which colour, and however it changes later, the controls
// paint with the colours fixed at their construction: the label's text in the window-text
// colour on its dialog's background, the edit's text black on the window colour, the
// owner-drawn button's face in the button-face colour.
TEST(StyledColours, FixedColoursHoldWhateverThePaletteSays) {
    const QPalette saved = QApplication::palette();
    const QPalette desk = EveryRoleDistinct(0);
    QApplication::setPalette(desk);
    QDialog dialog;
    dialog.resize(300, 160);
    CStaticEx label(QStringLiteral("ONOFF"), &dialog);
    label.setGeometry(10, 10, 120, 40);
    label.SetFontSize(11, 22);
    CEditEx edit(QStringLiteral("8888"), &dialog);
    edit.setGeometry(10, 60, 120, 36);
    edit.SetLargeFont();
    CButtonEx button(QStringLiteral("変換"), &dialog);
    button.setGeometry(150, 10, 100, 40);
    button.SetOwnerDraw(true);
    button.SetFontSize(13, 26);
    QApplication::setPalette(EveryRoleDistinct(3));

    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QRgb windowText = desk.color(QPalette::WindowText).rgb();

    QImage img = Grab(label);
    EXPECT_EQ(label.backColor(), ToColorRef(desk.color(QPalette::Window)));
    EXPECT_EQ(img.pixel(1, 1), desk.color(QPalette::Window).rgb());
    EXPECT_EQ(img.pixel(119, 39), desk.color(QPalette::Window).rgb());
    EXPECT_GT(PixelsOf(img, windowText, img.rect()), 5);
    EXPECT_EQ(PixelsOf(img, desk.color(QPalette::ButtonText).rgb(), img.rect()), 0);

    img = Grab(edit);
    const QRect inside = img.rect().adjusted(4, 4, -4, -4);
    EXPECT_GT(PixelsOf(img, qRgb(0, 0, 0), inside), 5);
    EXPECT_EQ(PixelsOf(img, desk.color(QPalette::Text).rgb(), img.rect()), 0);
    EXPECT_GT(PixelsOf(img, desk.color(QPalette::Base).rgb(), inside), inside.width());

    img = Grab(button);
    EXPECT_EQ(img.pixel(3, 20), desk.color(QPalette::Button).rgb());
    EXPECT_GT(PixelsOf(img, windowText, img.rect()), 5);
    EXPECT_EQ(PixelsOf(img, desk.color(QPalette::ButtonText).rgb(), img.rect()), 0);
    QApplication::setPalette(saved);
}
