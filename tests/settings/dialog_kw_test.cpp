#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <memory>

#include "platform/profile_file.h"
#include "settings/CDialogKw2.h"
#include "support/test_env.h"

namespace {

const DialogTemplate kTestTemplate{
    500,
    "Kw test",
    160,
    80,
    "MS UI Gothic",
    9,
    {
        {1000, DlgKind::PushButton, "Other", 6, 6, 50, 14},
        {1001, DlgKind::Edit, "", 6, 26, 80, 12},
        {1, DlgKind::DefPushButton, "Close", 100, 60, 50, 14},
    },
};

// A placement-remembering dialog that counts its life-cycle steps.
class TestDialog : public CDialogKw2 {
  public:
    explicit TestDialog(std::string ini) : CDialogKw2(500), ini_(std::move(ini)) {
        BuildTemplate(kTestTemplate);
        connect(Button(1000), &QPushButton::clicked, this, [this] { ++otherClicks; });
    }
    ~TestDialog() override { DestroyWindow(); }

    QPushButton* Button(int id) const { return dlg.ItemAs<QPushButton>(id); }
    QWidget* Item(int id) const { return dlg.Item(id); }

    int inits = 0;
    int destroys = 0;
    int otherClicks = 0;

  protected:
    bool OnInitDialog() override {
        ++inits;
        iniFile = ini_;
        return CDialogKw2::OnInitDialog();
    }
    void OnDestroy() override { ++destroys; }

  private:
    std::string ini_;
};

std::string IniWith(int left, int top) {
    return "[System]\r\nLeft=" + std::to_string(left) + "\r\nTop=" + std::to_string(top) + "\r\n";
}

}  // namespace

TEST(DialogKw, FitPositionCentresOnlyTheAxisThatLeavesTheWorkArea) {
    const QRect work(0, 0, 1920, 1040);
    const QRect leftBar(100, 20, 1820, 1020);  // task bars on the left and at the top
    struct Case {
        QRect work;
        int x, y, w, h, wantX, wantY;
    };
    const Case cases[] = {
        {work, 1700, 100, 400, 300, 760, 100},                     // off on the right: x only
        {QRect(100, 0, 1820, 1040), 50, 900, 400, 300, 710, 370},  // no left offset added
        // Flush with the edges stays; one pixel over moves only that axis.
        {work, 0, 0, 400, 300, 0, 0},
        {work, 1520, 740, 400, 300, 1520, 740},  // 1520 + 400 = 1920, 740 + 300 = 1040
        {work, 1521, 740, 400, 300, 760, 740},
        {work, 1520, 741, 400, 300, 1520, 370},
        {leftBar, 100, 20, 400, 300, 100, 20},
        {leftBar, 99, 20, 400, 300, 710, 20},
        {leftBar, 100, 19, 400, 300, 100, 360},  // (1040 - 20 - 300) / 2
        // Larger than the work area: centred to a negative position, truncated toward zero.
        {work, 0, 0, 2001, 300, -40, 0},
    };
    for (const Case& c : cases) {
        int x = c.x, y = c.y;
        CDialogKw::FitPosition(&x, &y, c.w, c.h, c.work);
        EXPECT_EQ(QPoint(c.wantX, c.wantY), QPoint(x, y)) << c.x << "," << c.y;
    }
}

TEST(DialogKw, ResolveIniPath) {
    const std::string exe = "/opt/v.d/bin/vantrel";
    EXPECT_EQ("/opt/v.d/bin/vantrel.ini", CDialogKw::ResolveIniPath("", exe));
    EXPECT_EQ("/home/u/x.cfg", CDialogKw::ResolveIniPath("/home/u/x.cfg", exe));
    EXPECT_EQ("sub/x", CDialogKw::ResolveIniPath("sub/x", exe));
    EXPECT_EQ("/opt/v.d/bin/panel.ini", CDialogKw::ResolveIniPath("panel", exe));
    EXPECT_EQ("/opt/v.d/bin/panel.cfg", CDialogKw::ResolveIniPath("panel.cfg", exe));
    EXPECT_EQ("/opt/v.d/bin/prog.ini", CDialogKw::ResolveIniPath("", "/opt/v.d/bin/prog.x"));
}

TEST_F(IsolatedTest, DialogKwEnterAndEscapeNeverClose) {
    const std::string ini = env.root() + "kw.ini";
    TestDialog dialog(ini);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(1, dialog.inits);

    // Escape: swallowed by the Cancel it turns into.
    QTest::keyClick(dialog.Item(1001), Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(0, dialog.keyFlag);

    // Enter in the edit presses the default button, whose OK is swallowed.
    dialog.Item(1001)->setFocus();
    QTest::keyClick(dialog.Item(1001), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(0, dialog.keyFlag);

    // Enter on a focused non-default button presses that button; the next Close is swallowed.
    dialog.Button(1000)->setFocus();
    QTest::keyClick(dialog.Button(1000), Qt::Key_Enter);
    EXPECT_EQ(1, dialog.otherClicks);
    EXPECT_EQ(1, dialog.keyFlag);
    QTest::mouseClick(dialog.Button(1), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(0, dialog.destroys);

    // The close box after an Escape is swallowed once too, then closes.
    QTest::keyClick(dialog.Item(1001), Qt::Key_Escape);  // swallowed, flag cleared
    dialog.keyFlag = 1;
    EXPECT_FALSE(dialog.close());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.close());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(QDialog::Rejected, dialog.result());
    EXPECT_EQ(1, dialog.destroys);
}

TEST_F(IsolatedTest, DialogKwCloseButtonEndsModalRunAndSavesOnce) {
    const std::string ini = env.root() + "kw.ini";
    WriteFile(ini, "; kept\r\n[System]\r\nLeft=30\r\nTop=40\r\n[Other]\r\nX=1\r\n");
    auto dialog = std::make_unique<TestDialog>(ini);
    QTimer::singleShot(0, dialog.get(), [&] {
        EXPECT_EQ(QPoint(30, 40), dialog->frameGeometry().topLeft());
        dialog->move(44, 55);
        QTest::mouseClick(dialog->Button(1), Qt::LeftButton);
    });
    EXPECT_EQ(QDialog::Accepted, dialog->exec());
    EXPECT_EQ("; kept\r\n[System]\r\nLeft=44\r\nTop=55\r\n[Other]\r\nX=1\r\n", ReadFile(ini));
    EXPECT_EQ(1, dialog->destroys);

    // Deleting the ended window does not save a second time.
    WriteFile(ini, "edited\r\n");
    dialog.reset();
    EXPECT_EQ("edited\r\n", ReadFile(ini));
}

TEST_F(IsolatedTest, DialogKwDeletingAShownWindowSaves) {
    const std::string ini = env.root() + "kw.ini";
    auto dialog = std::make_unique<TestDialog>(ini);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    dialog->move(12, 34);
    dialog.reset();
    EXPECT_EQ(IniWith(12, 34), ReadFile(ini));

    // Never shown, never initialised: nothing is written.
    const std::string other = env.root() + "never.ini";
    { TestDialog never(other); }
    EXPECT_FALSE(PathExists(other));
}

TEST_F(IsolatedTest, DialogKwRestoresAndPullsIntoTheWorkArea) {
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    const std::string ini = env.root() + "kw.ini";

    // Off-screen on x only: x is re-centred, y is kept.
    WriteFile(ini, IniWith(work.right() + 500, 20));
    {
        TestDialog dialog(ini);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        // Before the first show the frame is not known yet, so the centring uses the client
        // width as the outer width.
        const QRect outer = dialog.frameGeometry();
        EXPECT_EQ((work.right() + 1 - work.left() - dialog.width()) / 2, outer.x());
        EXPECT_EQ(20, outer.y());
    }
    // "Left" of -1 reads as missing: the template's x (0) stays.
    WriteFile(ini, IniWith(-1, 25));
    {
        TestDialog dialog(ini);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        const int expectX = work.left() <= 0 ? 0 : (work.width() - dialog.width()) / 2;
        EXPECT_EQ(QPoint(expectX, 25), dialog.frameGeometry().topLeft());
    }
}

TEST_F(IsolatedTest, DialogKwMaximisedWindowSavesItsRestoredRectangle) {
    const std::string ini = env.root() + "kw.ini";
    {
        TestDialog dialog(ini);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        dialog.move(60, 70);
        const QSize normalSize = dialog.size();
        dialog.showMaximized();
        ASSERT_TRUE(WaitFor(
            [&] {
                QCoreApplication::processEvents();
                return dialog.isMaximized() && dialog.size() != normalSize;
            },
            30000));
        EXPECT_TRUE(dialog.close());
    }
    EXPECT_EQ(IniWith(60, 70), ReadFile(ini));

    TestDialog again(ini);
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    EXPECT_FALSE(again.isMaximized());
    EXPECT_EQ(QPoint(60, 70), again.frameGeometry().topLeft());
}
