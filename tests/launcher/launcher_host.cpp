// A launcher process for the signal tests: what start-up does for the launcher role, reduced to
// the window. Usage: vantrel-launcher-host <launcher ini> <panel executable>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <cstdio>

#include "launcher/CVantrelDlg.h"
#include "platform/fonts.h"
#include "settings/SettingsStore.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc != 3) return 2;
    QApplication app(argc, argv);
    RegisterFontSubstitutions();

    AppSettings settings;
    settings.launcherIni = argv[1];
    settings.exePath = argv[2];
    {
        SettingsStore store(settings.launcherIni);
        LoadOptions(store, settings);
    }
    CVantrelDlg dialog(&settings);
    QObject::connect(
        dialog.logEdit, &QPlainTextEdit::textChanged, [&dialog, printed = 0]() mutable {
            // Every block but the last (which is still being written) is a line.
            QTextDocument* doc = dialog.logEdit->document();
            for (; printed < doc->blockCount() - 1; ++printed) {
                std::printf("log %s\n",
                            doc->findBlockByNumber(printed).text().toUtf8().constData());
            }
            std::fflush(stdout);
        });
    // Tells the test that the window runs and its signal handlers are in place.
    QMetaObject::invokeMethod(
        &dialog,
        [] {
            std::printf("ready\n");
            std::fflush(stdout);
        },
        Qt::QueuedConnection);
    dialog.exec();
    std::printf("closed\n");
    return 0;
}
