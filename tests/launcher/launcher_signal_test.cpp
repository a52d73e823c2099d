// A launcher ended by SIGTERM, SIGINT or SIGHUP closes as if its Close button were pressed:
// placement and options saved, supervision stopped, every main word 1, so its panels end on their
// own. Once with real launcher processes, once in-process with a small dialog open on top.
#include <signal.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include "coordination/StatusWords.h"
#include "launcher/clsDlgOption.h"
#include "launcher_test_support.h"
#include "platform/profile_file.h"

namespace {

// True once the process has handlers of its own for SIGTERM, SIGINT and SIGHUP, which the
// launcher window sets up at its initialisation.
bool CatchesTerminationSignals(qint64 pid) {
    const QString status =
        QString::fromStdString(ReadFile("/proc/" + std::to_string(pid) + "/status"));
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("SigCgt:\\s*([0-9a-f]+)")).match(status);
    if (!m.hasMatch()) return false;
    const qulonglong caught = m.captured(1).toULongLong(nullptr, 16);
    const qulonglong wanted =
        (1ull << (SIGTERM - 1)) | (1ull << (SIGINT - 1)) | (1ull << (SIGHUP - 1));
    return (caught & wanted) == wanted;
}

}  // namespace

TEST_F(LauncherTest, SigtermClosesTheRealLauncher) {
    // The vantrel executable as start-up runs it: settings in the per-user folder of this test.
    WriteFile(IniPath(), "[Option]\r\nCh2_COM=6\r\nCh2_MODE=3\r\n");
    QProcess launcher;
    launcher.setProgram(QString::fromStdString(BinDir() + "vantrel"));
    launcher.start();
    ASSERT_TRUE(launcher.waitForStarted(30000));
    ASSERT_TRUE(WaitFor([&] { return CatchesTerminationSignals(launcher.processId()); }, 60000));
    for (int i = 0; i < kChannelCount; ++i) SetMainStatus(i, 0);

    ASSERT_EQ(::kill(static_cast<pid_t>(launcher.processId()), SIGTERM), 0);
    ASSERT_TRUE(launcher.waitForFinished(60000));
    EXPECT_EQ(launcher.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(launcher.exitCode(), 0);
    EXPECT_NE(GetPrivateProfileInt("System", "Left", -1, IniPath()), -1);
    EXPECT_EQ(GetPrivateProfileInt("Option", "Ch2_COM", -1, IniPath()), 6);
    EXPECT_EQ(GetPrivateProfileInt("Option", "Ch2_MODE", -1, IniPath()), 3);
    EXPECT_EQ(GetPrivateProfileInt("Option", "AutoRun", -1, IniPath()), 0);
    for (int i = 0; i < kChannelCount; ++i) EXPECT_EQ(GetMainStatus(i), 1);
}

TEST_F(LauncherTest, TerminationSignalsCloseARealLauncherLikeItsCloseButton) {
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        std::remove(IniPath().c_str());
        std::remove(PanelRecord(0).c_str());
        SetChildStatus(0, 0);
        WriteFile(IniPath(), "[Option]\r\nAutoRun=1\r\nCh1_COM=9\r\nCh1_MODE=2\r\n");

        QProcess host;
        host.setProgram(QString::fromStdString(BinDir() + "vantrel-launcher-host"));
        host.setArguments({QString::fromStdString(IniPath()),
                           QString::fromStdString(BinDir() + "vantrel-fake-panel")});
        host.start();
        ASSERT_TRUE(host.waitForStarted(30000));
        ASSERT_TRUE(WaitFor(
            [&] {
                host.waitForReadyRead(10);
                return host.peek(64).contains("ready");
            },
            60000));
        // Its auto-run started a panel, which now waits for the end request.
        ASSERT_TRUE(WaitFor([&] { return PathExists(PanelRecord(0)); }, 60000));
        EXPECT_EQ(GetMainStatus(0), 0);

        ASSERT_EQ(::kill(static_cast<pid_t>(host.processId()), sig), 0);
        ASSERT_TRUE(host.waitForFinished(60000));
        EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(host.exitCode(), 0);
        EXPECT_TRUE(host.readAllStandardOutput().contains("closed"));

        EXPECT_NE(GetPrivateProfileInt("System", "Left", -1, IniPath()), -1);
        EXPECT_EQ(GetPrivateProfileInt("Option", "Ch1_COM", -1, IniPath()), 9);
        EXPECT_EQ(GetPrivateProfileInt("Option", "Ch4_MODE", -1, IniPath()), 4);
        for (int i = 0; i < kChannelCount; ++i) EXPECT_EQ(GetMainStatus(i), 1);
        // The panel ends on its own.
        EXPECT_TRUE(WaitFor([] { return GetChildStatus(0) == 3; }, 60000));
    }
}

TEST_F(LauncherTest, TerminationSignalClosesTheOpenOptionDialogAndTheWindow) {
    LoadRecord();
    settings.chMode[2] = kModeAd;
    dialog = std::make_unique<CVantrelDlg>(&settings);
    bool optionOpened = false;
    QTimer::singleShot(0, dialog.get(), [&] {
        QTest::mouseClick(Button(1046), Qt::LeftButton);  // runs the Option dialog's own loop
    });
    WhenVisible<clsDlgOption>([&](clsDlgOption*) {
        optionOpened = true;
        raise(SIGTERM);
    });
    dialog->exec();  // returns only when the signal closed both
    EXPECT_TRUE(optionOpened);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->SupervisorStateNow(), 2);
    EXPECT_NE(GetPrivateProfileInt("System", "Top", -1, IniPath()), -1);
    EXPECT_EQ(GetPrivateProfileInt("Option", "Ch3_MODE", -1, IniPath()), 3);
    for (int i = 0; i < kChannelCount; ++i) EXPECT_EQ(GetMainStatus(i), 1);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(qobject_cast<clsDlgOption*>(w) && w->isVisible());
    }
    dialog.reset();
}
