#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "startup/clsMesDlg.h"
#include "startup/settings_paths.h"

namespace {

// Runs the dialog modally and performs act once it is shown; returns whether exec() ended.
bool RunAndAct(clsMesDlg& dlg, const std::function<void()>& act) {
    bool acted = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!acted && dlg.isVisible()) {
            acted = true;
            act();
        }
    });
    poll.start();
    // A safety net: a dialog that ignores the action must not hang the test.
    QTimer::singleShot(60000, &dlg, [&] { dlg.done(-5); });
    const int result = dlg.exec();
    return acted && result != -5;
}

}  // namespace

TEST(MesDlg, ShowsItsMessageInStatic1040) {
    clsMesDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("警告"));
    EXPECT_TRUE(dlg.message().empty());
    auto* label = dlg.controls().ItemAs<QLabel>(clsMesDlg::IDC_MESSAGE);
    auto* ok = dlg.controls().ItemAs<QPushButton>(clsMesDlg::IDOK);
    ASSERT_NE(label, nullptr);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(label->text(), QString::fromUtf8("スタティック"));
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(dlg.windowIcon().isNull());

    dlg.SetMessage(
        "Windowsのバージョンの取得もしくは\r\nアプリケーションフォルダの取得に失敗しました。");
    dlg.show();
    EXPECT_EQ(
        label->text(),
        QString::fromUtf8(
            "Windowsのバージョンの取得もしくは\nアプリケーションフォルダの取得に失敗しました。"));
    // The template's geometry: the static sits left of and above the button.
    EXPECT_LT(label->geometry().top(), ok->geometry().top());
    EXPECT_GT(label->width(), ok->width());
    dlg.close();
}

TEST(MesDlg, OkEnterEscapeAndTheCloseBoxCloseIt) {
    {
        clsMesDlg dlg;
        dlg.SetMessage("vantrelは既に起動しております");
        EXPECT_TRUE(RunAndAct(dlg, [&] {
            QTest::mouseClick(dlg.controls().ItemAs<QPushButton>(clsMesDlg::IDOK), Qt::LeftButton);
        }));
        EXPECT_EQ(dlg.controls().ItemAs<QLabel>(clsMesDlg::IDC_MESSAGE)->text(),
                  QString::fromUtf8("vantrelは既に起動しております"));
    }
    {
        clsMesDlg dlg;
        EXPECT_TRUE(RunAndAct(dlg, [&] { QTest::keyClick(&dlg, Qt::Key_Return); }));
    }
    {
        clsMesDlg dlg;
        EXPECT_TRUE(RunAndAct(dlg, [&] { QTest::keyClick(&dlg, Qt::Key_Escape); }));
    }
    {
        clsMesDlg dlg;
        // The close box delivers a close event to the window.
        EXPECT_TRUE(RunAndAct(dlg, [&] {
            QCloseEvent event;
            QApplication::sendEvent(&dlg, &event);
        }));
        EXPECT_FALSE(dlg.isVisible());
    }
}

TEST(MesDlg, EveryWarningFitsItsStaticWrappedAndTheDialogGrowsForMoreLines) {
    const std::vector<std::string> texts = {
        AlreadyRunningText("vantrel"),
        FolderWarningText(FolderWarning::kNoUserFolder),
        FolderWarningText(FolderWarning::kMakeFolderFailed),
        // A copy of the program under a long name: several lines.
        AlreadyRunningText("vantrel-bench-copy-for-the-second-test-rig vantrel-bench-copy "
                           "for the third test rig of the line"),
    };
    int templateHeight = 0;
    for (const std::string& text : texts) {
        clsMesDlg dlg;
        if (templateHeight == 0) templateHeight = dlg.height();
        const int templateWidth = dlg.width();
        dlg.SetMessage(text);
        dlg.show();
        auto* label = dlg.controls().ItemAs<QLabel>(clsMesDlg::IDC_MESSAGE);
        auto* ok = dlg.controls().ItemAs<QPushButton>(clsMesDlg::IDOK);
        ASSERT_NE(label, nullptr);
        // The text laid out within the static's width needs no more than the static's height.
        const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 100000),
                                                               Qt::TextWordWrap, label->text());
        EXPECT_LE(needed.height(), label->height()) << text;
        EXPECT_LE(needed.width(), label->width()) << text;
        EXPECT_TRUE(label->wordWrap());
        // Static and button stay inside the dialog, the button below the text.
        EXPECT_LE(label->geometry().bottom(), ok->geometry().top()) << text;
        EXPECT_LE(ok->geometry().bottom(), dlg.height()) << text;
        EXPECT_EQ(dlg.width(), templateWidth);
        EXPECT_GE(dlg.height(), templateHeight);
        if (text == texts.back()) {
            EXPECT_GT(dlg.height(), templateHeight);  // three lines or more
        }
        dlg.close();
    }
}
