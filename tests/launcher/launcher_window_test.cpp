// The launcher window on the offscreen platform: its rows after start, connect and stop, the
// auto-run, the close order and what it writes, the log, the COM selection and the option
// dialog, and the keys that must not close it. Panels are played by a real child process.
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <atomic>
#include <filesystem>
#include <thread>

#include "coordination/StatusWords.h"
#include "launcher/CComboBoxCom.h"
#include "launcher/clsDlgComSel.h"
#include "launcher/clsDlgOption.h"
#include "launcher/launcher_texts.h"
#include "launcher_test_support.h"
#include "messages/MesTable.h"
#include "platform/message_box.h"
#include "platform/profile_file.h"
#include "support/fake_serial_devices.h"

namespace {

constexpr int kComButtons[] = {1005, 1007, 1009, 1011};
constexpr int kConnectButtons[] = {1006, 1008, 1010, 1012};
constexpr int kTypeCombos[] = {1042, 1043, 1044, 1045};

std::string U8(const QString& s) {
    return s.toStdString();
}

bool ProcessGone(pid_t pid) {
    // Neither running nor left as a zombie: the entry has disappeared.
    return !std::filesystem::exists("/proc/" + std::to_string(pid));
}

pid_t RecordedPid(const std::string& record) {
    return static_cast<pid_t>(std::atol(record.c_str()));
}

std::string RecordedArgs(const std::string& record) {
    const size_t blank = record.find(' ');
    return blank == std::string::npos ? std::string() : record.substr(blank + 1);
}

}  // namespace

TEST_F(LauncherTest, RowsComeUpFromTheIniClampedAndStopped) {
    WriteFile(IniPath(),
              "[Option]\r\nAutoCom=1\r\nCh1_COM=5\r\nCh1_MODE=0\r\nCh2_COM=12\r\nCh2_MODE=7\r\n"
              "Ch3_COM=3\r\nCh3_MODE=3\r\nCh4_MODE=2\r\n");
    LoadRecord();
    Open();

    EXPECT_EQ(U8(Button(kComButtons[0])->text()), "COM5");
    EXPECT_EQ(U8(Button(kComButtons[1])->text()), "COM12");
    EXPECT_EQ(U8(Button(kComButtons[2])->text()), "COM3");
    EXPECT_EQ(U8(Button(kComButtons[3])->text()), "COM1");
    // 0 shows as the first type and 7 as "接続しない"; the record holds the clamped values.
    EXPECT_EQ(U8(Combo(kTypeCombos[0])->currentText()), "QVX-I/O");
    EXPECT_EQ(U8(Combo(kTypeCombos[1])->currentText()), "接続しない");
    EXPECT_EQ(U8(Combo(kTypeCombos[2])->currentText()), "QVX-A/D");
    EXPECT_EQ(U8(Combo(kTypeCombos[3])->currentText()), "QVX-D/A");
    EXPECT_EQ(settings.chMode[0], 1);
    EXPECT_EQ(settings.chMode[1], 4);
    for (int i = 0; i < kChannelCount; ++i) {
        EXPECT_EQ(U8(Button(kConnectButtons[i])->text()), "接続");
        EXPECT_TRUE(Combo(kTypeCombos[i])->isEnabled());
        EXPECT_EQ(settings.chRunning[i], 0);
        EXPECT_EQ(settings.chComShown[i], settings.chCom[i]);
    }
    // Collapsed, the window ends just above the log and holds every other control whole;
    // expanded, it holds the log too. Toggling twice comes back to the same height.
    const auto controlsInside = [&](bool withLog) {
        int seen = 0;
        for (QWidget* w : dialog->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (!w->isVisibleTo(dialog.get()) || (w == dialog->logEdit && !withLog)) continue;
            ++seen;
            EXPECT_TRUE(dialog->rect().contains(w->geometry()))
                << w->metaObject()->className() << " " << U8(w->objectName()) << " at "
                << w->geometry().bottom() << " of " << dialog->height();
        }
        EXPECT_GE(seen, 15);  // combos, COM and connect buttons, Option, Close, "+"
    };
    EXPECT_EQ(dialog->height(), dialog->CollapsedHeight());
    EXPECT_LE(dialog->height(), dialog->logEdit->geometry().top());
    controlsInside(false);
    QTest::mouseClick(Button(1002), Qt::LeftButton);
    EXPECT_EQ(dialog->height(), dialog->fullHeight);
    EXPECT_GT(dialog->fullHeight, dialog->logEdit->geometry().bottom());
    controlsInside(true);
    QTest::mouseClick(Button(1002), Qt::LeftButton);
    EXPECT_EQ(dialog->height(), dialog->CollapsedHeight());

    // The start line names the supervision thread: a thread of this process.
    const auto texts = LogTexts(*dialog);
    ASSERT_EQ(texts.size(), 1u);
    const std::string prefix = "Vantrel(V2.01) 開始 [";
    ASSERT_EQ(texts[0].compare(0, prefix.size(), prefix), 0) << texts[0];
    const std::string tid = texts[0].substr(prefix.size(), texts[0].size() - prefix.size() - 1);
    EXPECT_NE(tid, "0");
    EXPECT_NE(tid, std::to_string(getpid()));
    EXPECT_TRUE(std::filesystem::exists("/proc/self/task/" + tid)) << tid;

    // Changing a type touches nothing else.
    Combo(kTypeCombos[2])->setCurrentIndex(1);
    EXPECT_EQ(settings.chMode[2], 2);
    EXPECT_EQ(settings.chCom[2], 3);

    CloseByButton();
    // The clamped types are written back.
    EXPECT_EQ(GetPrivateProfileInt("Option", "Ch1_MODE", -1, IniPath()), 1);
    EXPECT_EQ(GetPrivateProfileInt("Option", "Ch2_MODE", -1, IniPath()), 4);
    EXPECT_EQ(GetPrivateProfileInt("Option", "Ch3_MODE", -1, IniPath()), 2);
}

TEST_F(LauncherTest, AutoComOffShowsComOneOnEveryRow) {
    WriteFile(IniPath(), "[Option]\r\nAutoCom=0\r\nCh1_COM=5\r\nCh2_COM=6\r\nCh3_COM=7\r\n");
    LoadRecord();
    Open();
    for (int i = 0; i < kChannelCount; ++i) {
        EXPECT_EQ(U8(Button(kComButtons[i])->text()), "COM1");
        EXPECT_EQ(settings.chCom[i], 1);
    }
    CloseByButton();
    EXPECT_EQ(GetPrivateProfileInt("Option", "Ch1_COM", -1, IniPath()), 1);
}

TEST_F(LauncherTest, ConnectOnANotConnectedRowOnlyLogs) {
    LoadRecord();  // no ini: every row "接続しない"
    Open();
    QTest::mouseClick(Button(kConnectButtons[3]), Qt::LeftButton);
    ASSERT_TRUE(PumpUntil([&] { return LogTexts(*dialog).size() == 2; }));
    EXPECT_EQ(LogTexts(*dialog)[1], "接続しないモードになっています。CH4");
    EXPECT_EQ(U8(Button(kConnectButtons[3])->text()), "接続");
    EXPECT_EQ(settings.chRunning[3], 0);
    EXPECT_FALSE(PathExists(PanelRecord(3)));
    CloseByButton();
}

TEST_F(LauncherTest, FailedStartsAreLoggedWithTheirCodes) {
    LoadRecord();
    settings.chMode[0] = kModeIo;
    settings.chMode[1] = kModeDa;
    Open();
    dialog->settings->exePath = env.root() + "missing-panel";
    QTest::mouseClick(Button(kConnectButtons[0]), Qt::LeftButton);
    dialog->settings->exePath = env.root() + "no-folder/missing-panel";
    QTest::mouseClick(Button(kConnectButtons[1]), Qt::LeftButton);
    PumpFor(50);
    const auto texts = LogTexts(*dialog);
    EXPECT_TRUE(HasLine(texts, "QVX-I/O 起動失敗 [2]"));
    EXPECT_TRUE(HasLine(texts, "QVX-D/A 起動失敗 [3]"));
    EXPECT_EQ(U8(Button(kConnectButtons[0])->text()), "接続");
    EXPECT_EQ(settings.chRunning[0], 0);
    EXPECT_TRUE(Combo(kTypeCombos[0])->isEnabled());
    CloseByButton();
}

TEST_F(LauncherTest, ConnectAndStopARowWithARealPanel) {
    LoadRecord();
    settings.chMode[1] = kModeAd;
    settings.chCom[1] = 5;
    Open();

    ASSERT_TRUE(ConnectRow(1));
    EXPECT_EQ(RecordedArgs(ReadFile(PanelRecord(1))), "/5 /QVX-AD /1");
    const pid_t pid = RecordedPid(ReadFile(PanelRecord(1)));
    EXPECT_EQ(settings.chRunning[1], 1);
    EXPECT_EQ(GetMainStatus(1), 0);
    EXPECT_FALSE(Combo(kTypeCombos[1])->isEnabled());
    EXPECT_FALSE(Button(kComButtons[1])->isEnabled());
    EXPECT_TRUE(Button(kConnectButtons[1])->isEnabled());

    // The panel's error: the catalog text, rows counted from 1.
    const std::string errorLine = GetMesText(2) + " Ch[2] COM[5]";
    ASSERT_TRUE(PumpUntil([&] { return HasLine(LogTexts(*dialog), errorLine); }));
    EXPECT_TRUE(HasLine(LogTexts(*dialog), "QVX-A/Dの処理を開始しました。CH[1] COM[5]"));

    // Stop: the end request goes out and the row shows stopped at once, before the panel ends.
    QTest::mouseClick(Button(kConnectButtons[1]), Qt::LeftButton);
    EXPECT_EQ(GetMainStatus(1), 1);
    EXPECT_EQ(settings.chRunning[1], 0);
    ASSERT_TRUE(PumpUntil([&] { return U8(Button(kConnectButtons[1])->text()) == "接続"; }));
    EXPECT_TRUE(Combo(kTypeCombos[1])->isEnabled());

    // The panel ends on its own; the supervision thread reports it, rows counted from 0.
    ASSERT_TRUE(PumpUntil(
        [&] { return HasLine(LogTexts(*dialog), "QVX-A/Dの処理が終了しました。Ch[1] COM[5]"); }));
    EXPECT_EQ(GetChildStatus(1), 0);
    // Reaped: no zombie is left behind.
    EXPECT_TRUE(PumpUntil([&] { return ProcessGone(pid); })) << pid;
    CloseByButton();
}

TEST_F(LauncherTest, AutoRunStartsTypedRowsInOrderAfterTheStartLine) {
    WriteFile(IniPath(),
              "[Option]\r\nAutoRun=1\r\nCh1_COM=4\r\nCh1_MODE=1\r\nCh2_MODE=4\r\nCh3_COM=6\r\n"
              "Ch3_MODE=3\r\nCh4_MODE=4\r\n");
    LoadRecord();
    Open();
    ASSERT_TRUE(PumpUntil([&] { return LogTexts(*dialog).size() >= 3; }));
    // The start lines were posted before the supervision thread ran, so they come before any
    // report of the panels (which announce error 2 as soon as they run).
    const auto texts = LogTexts(*dialog);
    EXPECT_EQ(texts[0].rfind("Vantrel(V2.01) 開始 [", 0), 0u) << texts[0];
    EXPECT_EQ(texts[1], "QVX-I/Oの処理を開始しました。CH[0] COM[4]");
    EXPECT_EQ(texts[2], "QVX-A/Dの処理を開始しました。CH[2] COM[6]");
    ASSERT_TRUE(
        PumpUntil([&] { return PathExists(PanelRecord(0)) && PathExists(PanelRecord(2)); }));
    EXPECT_EQ(RecordedArgs(ReadFile(PanelRecord(0))), "/4 /QVX-IO /0");
    EXPECT_EQ(RecordedArgs(ReadFile(PanelRecord(2))), "/6 /QVX-AD /2");
    EXPECT_FALSE(PathExists(PanelRecord(1)));
    EXPECT_FALSE(PathExists(PanelRecord(3)));
    CloseByButton();  // ends both panels through the main words
}

TEST_F(LauncherTest, AutoRunFailuresComeBeforeTheStartLine) {
    WriteFile(IniPath(), "[Option]\r\nAutoRun=1\r\nCh1_MODE=1\r\nCh3_MODE=3\r\n");
    LoadRecord();
    settings.exePath = env.root() + "missing-panel";
    Open();
    PumpFor(50);
    const auto texts = LogTexts(*dialog);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "QVX-I/O 起動失敗 [2]");
    EXPECT_EQ(texts[1], "QVX-A/D 起動失敗 [2]");
    EXPECT_EQ(texts[2].rfind("Vantrel(V2.01) 開始 [", 0), 0u) << texts[2];
    CloseByButton();
}

TEST_F(LauncherTest, CloseSavesPlacementThenOptionsThenEndsEveryPanel) {
    LoadRecord();  // first run: no ini at all
    settings.chMode[0] = kModeDa;
    settings.chCom[0] = 7;
    Open();
    QTest::mouseClick(Button(kConnectButtons[0]), Qt::LeftButton);
    ASSERT_TRUE(PumpUntil([&] { return PathExists(PanelRecord(0)); }));
    const pid_t pid = RecordedPid(ReadFile(PanelRecord(0)));
    const QPoint where = dialog->frameGeometry().topLeft();

    CloseByButton();
    // The placement (buffered, one rewrite) comes first, then the eleven Option keys.
    const std::string expected = "[System]\r\nLeft=" + std::to_string(where.x()) +
                                 "\r\nTop=" + std::to_string(where.y()) +
                                 "\r\n[Option]\r\nCom=1\r\nAutoCom=1\r\nAutoRun=0\r\n"
                                 "Ch1_COM=7\r\nCh1_MODE=2\r\nCh2_COM=1\r\nCh2_MODE=4\r\n"
                                 "Ch3_COM=1\r\nCh3_MODE=4\r\nCh4_COM=1\r\nCh4_MODE=4\r\n";
    EXPECT_EQ(ReadFile(IniPath()), expected);
    for (int i = 0; i < kChannelCount; ++i) EXPECT_EQ(GetMainStatus(i), 1);

    // The panel saw the end request only after the Option section was written, and the
    // supervision thread had stopped by then: nobody resets the panel's status 3 any more.
    ASSERT_TRUE(WaitFor([&] { return GetChildStatus(0) == 3; }, 30000));
    EXPECT_EQ(ReadFile(RecordDir() + "ch0.ini-at-end"), expected);
    SleepForMs(50);
    EXPECT_EQ(GetChildStatus(0), 3);
    // The child ends; it was the launcher's to reap, and the next start sweeps it.
    (void)pid;
}

TEST_F(LauncherTest, LogKeepsThreeHundredAndOneLines) {
    LoadRecord();
    Open();
    QPlainTextEdit* log = dialog->logEdit;
    log->clear();
    // Lines typed into the log count like any other.
    log->setPlainText(QStringLiteral("typed 1\ntyped 2\n"));
    for (int n = 1; n <= 300; ++n) dialog->AppendLog(("line " + std::to_string(n)).c_str());
    // 2 typed + 300 appended, plus the empty last line: 303 lines, so two go first.
    EXPECT_EQ(log->document()->blockCount(), 302);
    auto texts = LogTexts(*dialog);
    EXPECT_EQ(texts.front(), "BAD STAMP: typed 2");
    dialog->AppendLog("line 301");
    texts = LogTexts(*dialog);
    ASSERT_EQ(texts.size(), 301u);
    EXPECT_EQ(texts.front(), "line 1");
    EXPECT_EQ(texts.back(), "line 301");
    dialog->AppendLog("line 302");
    texts = LogTexts(*dialog);
    ASSERT_EQ(texts.size(), 301u);
    EXPECT_EQ(texts.front(), "line 2");
    EXPECT_EQ(texts.back(), "line 302");
    EXPECT_EQ(log->document()->blockCount(), 302);

    // A long line stays one line and shows no horizontal scroll bar, only the vertical one.
    dialog->AppendLog(std::string(400, 'w').c_str());
    QCoreApplication::processEvents();
    EXPECT_EQ(log->document()->lastBlock().previous().layout()->lineCount(), 1);
    EXPECT_EQ(log->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_FALSE(log->horizontalScrollBar()->isVisible());
    EXPECT_EQ(log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    CloseByButton();
}

TEST_F(LauncherTest, PostedTextsFromTwoThreadsAllReachTheLog) {
    LoadRecord();
    Open();
    // Two threads post 30 texts each at once; with fewer than 64 waiting, every text arrives
    // exactly once, so no two posts shared a slot.
    std::atomic<int> go{0};
    auto poster = [&](const char* who) {
        while (go.load() == 0) std::this_thread::yield();
        for (int n = 0; n < 30; ++n) {
            dialog->PostLogText((std::string(who) + " " + std::to_string(n)).c_str());
        }
    };
    std::thread a(poster, "a");
    std::thread b(poster, "b");
    go = 1;
    a.join();
    b.join();
    ASSERT_TRUE(PumpUntil([&] { return LogTexts(*dialog).size() == 61; }));
    const auto texts = LogTexts(*dialog);
    for (const char* who : {"a", "b"}) {
        for (int n = 0; n < 30; ++n) {
            const std::string line = std::string(who) + " " + std::to_string(n);
            EXPECT_EQ(std::count(texts.begin(), texts.end(), line), 1) << line;
        }
    }
    // A long text arrives cut at 511 bytes, on a character boundary.
    std::string longText(508, 'x');
    longText += "開始";  // 3 bytes each: 508 + 3 fits 511, the second does not
    dialog->PostLogText(longText.c_str());
    ASSERT_TRUE(PumpUntil([&] { return LogTexts(*dialog).size() == 62; }));
    EXPECT_EQ(LogTexts(*dialog).back(), std::string(508, 'x') + "開");
    CloseByButton();
}

TEST_F(LauncherTest, ComSelectionListsPortsAscendingAndPreselects) {
    // Entries made in the order COM10, COM1, COM3.
    const std::string dev = env.root() + "dev/";
    std::filesystem::create_directories(dev);
    for (int n : {10, 1, 3}) {
        WriteFile(dev + "tty" + std::to_string(n), "");
        std::filesystem::create_symlink(dev + "tty" + std::to_string(n),
                                        env.comDir() + "COM" + std::to_string(n));
    }
    LoadRecord();
    settings.chCom[0] = 3;
    settings.chCom[1] = 5;
    Open();

    // Present port 3: COM3 is preselected; confirming returns 3.
    std::vector<std::string> items;
    std::string tooltip;
    WhenVisible<clsDlgComSel>([&](clsDlgComSel* select) {
        CComboBoxCom* list = select->PortList();
        for (int i = 0; i < list->count(); ++i) items.push_back(U8(list->itemText(i)));
        EXPECT_EQ(U8(list->currentText()), "COM3");
        tooltip = U8(list->itemData(list->currentIndex(), Qt::ToolTipRole).toString());
        QTest::keyClick(list, Qt::Key_Return);  // Enter presses "登録"
    });
    QTest::mouseClick(Button(kComButtons[0]), Qt::LeftButton);
    EXPECT_EQ(items, (std::vector<std::string>{"COM1", "COM3", "COM10"}));
    EXPECT_EQ(tooltip, std::filesystem::canonical(dev + "tty3").string());
    EXPECT_EQ(settings.chCom[0], 3);

    // Present port 5 is absent: COM1 is preselected; confirming switches the row to it.
    WhenVisible<clsDlgComSel>([&](clsDlgComSel* select) {
        EXPECT_EQ(U8(select->PortList()->currentText()), "COM1");
        QTest::mouseClick(select->findChild<QPushButton*>(Ctl(1)), Qt::LeftButton);
    });
    QTest::mouseClick(Button(kComButtons[1]), Qt::LeftButton);
    EXPECT_EQ(settings.chCom[1], 1);
    ASSERT_TRUE(PumpUntil([&] { return U8(Button(kComButtons[1])->text()) == "COM1"; }));

    // Escape after changing the selection keeps the old port.
    WhenVisible<clsDlgComSel>([&](clsDlgComSel* select) {
        select->PortList()->setCurrentIndex(2);
        QTest::keyClick(select->PortList(), Qt::Key_Escape);
    });
    QTest::mouseClick(Button(kComButtons[0]), Qt::LeftButton);
    EXPECT_EQ(settings.chCom[0], 3);
    EXPECT_EQ(U8(Button(kComButtons[0])->text()), "COM3");
    CloseByButton();
}

TEST_F(LauncherTest, StartLinksTheAdaptersInTheDefaultComFolder) {
    // Two adapters are plugged in; the default COM port folder has no entries yet. Without a
    // look at the COM selection, COM1 and COM2 must exist once the launcher is up, so that a
    // row's connect on COM1 finds its adapter.
    WriteFile(env.root() + "ttyUSB0", "");
    WriteFile(env.root() + "ttyUSB1", "");
    FakeSerialDevices devices;
    const std::string first = devices.AddById("usb-FTDI_A-if00-port0", env.root() + "ttyUSB0");
    const std::string second = devices.AddById("usb-FTDI_B-if00-port0", env.root() + "ttyUSB1");
    unsetenv("VANTREL_COM_DIR");
    LoadRecord();
    Open();
    EXPECT_EQ(LinkText(env.settingsFolder() + "ports/COM1"), first);
    EXPECT_EQ(LinkText(env.settingsFolder() + "ports/COM2"), second);
    CloseByButton();
}

TEST_F(LauncherTest, SettingsBesideTheExecutableAfterAFailedFolderAreExplainedInTheLog) {
    LoadRecord();
    settings.settingsFallback =
        "ユーザアプリケーションフォルダの生成に失敗しました。 /x/: Not a directory";
    Open();
    const std::vector<std::string> lines = LogTexts(*dialog);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("Vantrel(V2.01) 開始 [", 0), 0u);
    EXPECT_EQ(lines[1],
              "設定は実行ファイルのフォルダに保存します: " + IniPath() +
                  " (ユーザアプリケーションフォルダの生成に失敗しました。 /x/: Not a "
                  "directory) このファイルがある間は、次回以降の起動もここに保存します。");
    EXPECT_EQ(lines[1], SettingsBesideExecutableText(IniPath(), settings.settingsFallback, true));
    CloseByButton();
    EXPECT_NE(
        SettingsBesideExecutableText("/usr/bin/vantrel.ini", "r", false).find("保存されません"),
        std::string::npos);

    // Without a fallback there is nothing to explain.
    settings.settingsFallback.clear();
    Open();
    EXPECT_EQ(LogTexts(*dialog).size(), 1u);
    CloseByButton();
}

TEST_F(LauncherTest, ComSelectionWithoutPortsShowsTheMessageAndKeepsThePort) {
    LoadRecord();
    settings.chCom[2] = 4;
    Open();
    std::vector<std::string> boxes;
    SetMessageBoxHook([&](const std::string& text) { boxes.push_back(text); });
    int listed = -1;
    WhenVisible<clsDlgComSel>([&](clsDlgComSel* select) {
        listed = select->PortList()->count();
        QTest::keyClick(select->PortList(), Qt::Key_Return);
    });
    QTest::mouseClick(Button(kComButtons[2]), Qt::LeftButton);
    EXPECT_EQ(listed, 0);
    EXPECT_EQ(boxes, std::vector<std::string>{"選択するCom番号がありません"});
    EXPECT_EQ(LogTexts(*dialog).back(), "選択するCom番号がありません");
    EXPECT_EQ(settings.chCom[2], 4);
    EXPECT_EQ(U8(Button(kComButtons[2])->text()), "COM4");
    CloseByButton();
}

TEST_F(LauncherTest, OptionDialogAssignsOnConfirmOnly) {
    WriteFile(IniPath(), "[Option]\r\nAutoCom=1\r\nAutoRun=5\r\n");
    LoadRecord();
    Open();

    // Escape: nothing changes.
    WhenVisible<clsDlgOption>([&](clsDlgOption* option) {
        EXPECT_TRUE(option->findChild<QCheckBox*>(Ctl(1048))->isChecked());  // 5 shows ticked
        option->findChild<QCheckBox*>(Ctl(1047))->setChecked(false);
        QTest::keyClick(option, Qt::Key_Escape);
    });
    QTest::mouseClick(Button(1046), Qt::LeftButton);
    EXPECT_EQ(settings.autoCom, 1);
    EXPECT_EQ(settings.autoRun, 5);

    // Confirm: both boxes into the record, as 0 and 1; the version and maker lines are shown.
    // A row the supervision thread marked stopped while the dialog was open stays stopped.
    settings.chRunning[3] = 1;
    std::string version;
    WhenVisible<clsDlgOption>([&](clsDlgOption* option) {
        version = U8(option->findChild<QLabel*>(Ctl(1049))->text());
        option->findChild<QCheckBox*>(Ctl(1047))->setChecked(false);
        settings.chRunning[3] = 0;
        QTest::mouseClick(option->findChild<QPushButton*>(Ctl(1)), Qt::LeftButton);
    });
    QTest::mouseClick(Button(1046), Qt::LeftButton);
    EXPECT_EQ(version.rfind("Vantrel V2.01", 0), 0u) << version;
    EXPECT_NE(version.find("Harbelt"), std::string::npos);
    EXPECT_EQ(settings.autoCom, 0);
    EXPECT_EQ(settings.autoRun, 1);
    EXPECT_EQ(settings.chRunning[3], 0);
    // Nothing reaches the file before the launcher closes.
    EXPECT_EQ(GetPrivateProfileInt("Option", "AutoCom", -1, IniPath()), 1);
    CloseByButton();
    EXPECT_EQ(GetPrivateProfileInt("Option", "AutoCom", -1, IniPath()), 0);
    EXPECT_EQ(GetPrivateProfileInt("Option", "AutoRun", -1, IniPath()), 1);
}

TEST_F(LauncherTest, RowWhosePanelEndedUnderTheOptionDialogStartsAgainAsRunning) {
    LoadRecord();
    settings.chMode[2] = kModeIo;
    settings.chCom[2] = 7;
    Open();
    ASSERT_TRUE(ConnectRow(2));

    // The panel ends while the dialog is open: the supervision thread and the window's redraw
    // show the row stopped before the dialog is confirmed.
    bool shownStopped = false;
    WhenVisible<clsDlgOption>([&](clsDlgOption* option) {
        SetMainStatus(2, 1);
        shownStopped = PumpUntil([&] {
            return HasLine(LogTexts(*dialog), "QVX-I/Oの処理が終了しました。Ch[2] COM[7]") &&
                   U8(Button(kConnectButtons[2])->text()) == "接続";
        });
        QTest::mouseClick(option->findChild<QPushButton*>(Ctl(1)), Qt::LeftButton);
    });
    QTest::mouseClick(Button(1046), Qt::LeftButton);
    ASSERT_TRUE(shownStopped);
    EXPECT_TRUE(Combo(kTypeCombos[2])->isEnabled());

    // Started again, the row shows running, its type and COM locked.
    std::filesystem::remove(PanelRecord(2));
    EXPECT_TRUE(ConnectRow(2));
    EXPECT_FALSE(Combo(kTypeCombos[2])->isEnabled());
    EXPECT_FALSE(Button(kComButtons[2])->isEnabled());
    CloseByButton();
}

TEST_F(LauncherTest, EnterAndEscapeNeverCloseTheLauncher) {
    LoadRecord();
    Open();
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    QTest::keyClick(dialog.get(), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());

    // Enter on the focused "+" button presses it; the next Close is swallowed once.
    QPushButton* plus = Button(1002);
    plus->setFocus();
    QTest::keyClick(plus, Qt::Key_Return);
    EXPECT_EQ(dialog->expanded, 1);
    EXPECT_EQ(dialog->height(), dialog->fullHeight);
    QTest::mouseClick(Button(1), Qt::LeftButton);
    EXPECT_TRUE(dialog->isVisible());
    QTest::mouseClick(Button(1), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    dialog.reset();
}

TEST_F(LauncherTest, EnterInTheLogIsALineBreakAndArmsNoSwallow) {
    LoadRecord();
    Open();
    auto* log = dialog->findChild<QPlainTextEdit*>(Ctl(CVantrelDlg::kIdLog));
    ASSERT_NE(log, nullptr);
    log->clear();
    log->setFocus();
    QTest::keyClicks(log, "ab");
    QTest::keyClick(log, Qt::Key_Return);
    QTest::keyClicks(log, "c");
    EXPECT_EQ(U8(log->toPlainText()), "ab\nc");
    // The first click on Close closes.
    QTest::mouseClick(Button(1), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    dialog.reset();
}

TEST_F(LauncherTest, PositionOffTheWorkAreaComesBackCentredOnThatAxis) {
    WriteFile(IniPath(), "[System]\r\nLeft=5000\r\nTop=20\r\n");
    LoadRecord();
    Open();
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect frame = dialog->frameGeometry();
    // Centred without the work area's offset. The frame's own margins are not known before the
    // window is first shown, so the centring may use the client width.
    EXPECT_NEAR(frame.x(), (work.width() - frame.width()) / 2, frame.width() - dialog->width());
    EXPECT_GT(frame.x(), 0);
    EXPECT_EQ(frame.y(), 20);
    CloseByButton();
    EXPECT_EQ(GetPrivateProfileInt("System", "Left", -1, IniPath()), frame.x());
    EXPECT_EQ(GetPrivateProfileInt("System", "Top", -1, IniPath()), 20);
}
