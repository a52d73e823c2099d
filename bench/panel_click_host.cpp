// panel_click_host: runs exactly what vantrel runs for a panel (start-up, the role's real
// dialog) and clicks one of the dialog's controls once, a while after the dialog opened, as a
// user would; then the panel runs on undisturbed. process_figures uses it for the I/O panel in
// interrupt mode, which only a click on an interrupt check box reaches.
//
//   panel_click_host --click ID [--after MS] /<COM> /<mode> /<channel>
#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/module_path.h"
#include "startup/CVantrelApp.h"
#include "startup/RoleDialogs.h"
#include "startup/application_setup.h"

int main(int argc, char** argv) {
    int id = -1;
    int afterMs = 500;  // the workers' first step pauses 100 ms; the I/O worker then polls
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--click" && i + 1 < argc) {
            id = std::atoi(argv[++i]);
        } else if (a == "--after" && i + 1 < argc) {
            afterMs = std::atoi(argv[++i]);
        } else {
            args.push_back(a);
        }
    }
    if (id < 0 || args.size() != 3) {
        std::fprintf(stderr, "usage: panel_click_host --click ID [--after MS] /COM /MODE /CH\n");
        return 2;
    }
    // As if this were vantrel in the build's bin folder.
    const std::string modulePath = ModulePath();
    const std::string vantrel = modulePath.substr(0, modulePath.rfind('/') + 1) + "vantrel";
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetUpApplication(vantrel);
    CVantrelApp theApp;
    theApp.SetRoleDialogFactory([id, afterMs](AppSettings* settings) {
        std::unique_ptr<QDialog> dialog = MakeRoleDialog(settings);
        QDialog* d = dialog.get();
        QTimer::singleShot(afterMs, d, [d, id] {
            if (auto* b = d->findChild<QAbstractButton*>(QStringLiteral("ctl%1").arg(id))) {
                b->click();
            }
        });
        return dialog;
    });
    theApp.InitInstance(args, vantrel);
    return 0;
}
