#include "launcher_test_support.h"

#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>
#include <filesystem>

#include "platform/message_box.h"
#include "settings/SettingsStore.h"

void PumpFor(int ms) {
    const int64_t end = NowMs() + ms;
    while (NowMs() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        SleepForMs(2);
    }
}

std::vector<std::string> LogTexts(const CVantrelDlg& dialog) {
    static const QRegularExpression kStamp(
        QStringLiteral("^\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2}  "));
    std::vector<std::string> out;
    const QStringList lines = dialog.logEdit->toPlainText().split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (line.isEmpty()) continue;
        const QRegularExpressionMatch m = kStamp.match(line);
        if (m.hasMatch()) {
            out.push_back(line.mid(m.capturedLength()).toStdString());
        } else {
            out.push_back("BAD STAMP: " + line.toStdString());
        }
    }
    return out;
}

bool HasLine(const std::vector<std::string>& texts, const std::string& line) {
    for (const std::string& t : texts) {
        if (t == line) return true;
    }
    return false;
}

LauncherTest::LauncherTest() {
    std::filesystem::create_directories(env.settingsFolder());
    std::filesystem::create_directories(RecordDir());
    setenv("VANTREL_FAKE_PANEL_DIR", RecordDir().c_str(), 1);
    setenv("VANTREL_FAKE_PANEL_INI", IniPath().c_str(), 1);
    settings.launcherIni = IniPath();
    settings.exePath = BinDir() + "vantrel-fake-panel";
    SetMessageBoxHook([](const std::string&) {});
}

LauncherTest::~LauncherTest() {
    dialog.reset();
    SetMessageBoxHook({});
    unsetenv("VANTREL_FAKE_PANEL_DIR");
    unsetenv("VANTREL_FAKE_PANEL_INI");
}

std::string LauncherTest::PanelRecord(int channel) const {
    return RecordDir() + "ch" + std::to_string(channel) + ".args";
}

void LauncherTest::LoadRecord() {
    SettingsStore store(settings.launcherIni);
    LoadOptions(store, settings);
}

CVantrelDlg* LauncherTest::Open() {
    dialog = std::make_unique<CVantrelDlg>(&settings);
    dialog->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    return dialog.get();
}

bool LauncherTest::ConnectRow(int row) {
    QPushButton* connect = Button(1006 + 2 * row);
    QTest::mouseClick(connect, Qt::LeftButton);
    return PumpUntil([&] { return PathExists(PanelRecord(row)); }) &&
           PumpUntil([&] { return connect->text() == QStringLiteral("接続中"); });
}

void LauncherTest::CloseByButton() {
    QTest::mouseClick(Button(1), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    dialog.reset();
}
