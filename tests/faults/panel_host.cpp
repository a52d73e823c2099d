// vantrel-panel-host: runs exactly what vantrel runs (start-up, the role's real dialog), and in
// addition clicks the dialog's buttons when a test asks. The fault tests use it where only a
// user's click makes a panel talk to its box (the D/A panel sends nothing until a value is set).
//
// Usage: vantrel-panel-host /<COM> /<mode> /<channel>
// $VANTREL_PANEL_HOST_CLICKS names a file; each line "click <id>" appended to it clicks the
// button with that control id once (checked every 20 ms inside the dialog's modal loop).
#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/module_path.h"
#include "startup/CVantrelApp.h"
#include "startup/RoleDialogs.h"
#include "startup/application_setup.h"

namespace {

// Clicks the buttons named by lines not yet seen in the clicks file.
void FollowClicks(QDialog* dialog, const std::string& path, size_t* done) {
    std::ifstream in(path);
    std::string line;
    size_t n = 0;
    while (std::getline(in, line)) {
        if (n++ < *done) continue;
        ++*done;
        std::istringstream words(line);
        std::string verb;
        int id = 0;
        if (!(words >> verb >> id) || verb != "click") continue;
        if (auto* b = dialog->findChild<QAbstractButton*>(QStringLiteral("ctl%1").arg(id))) {
            b->click();
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::string modulePath = ModulePath();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetUpApplication(modulePath);

    const std::string clicks = qEnvironmentVariable("VANTREL_PANEL_HOST_CLICKS").toStdString();
    CVantrelApp theApp;
    theApp.SetRoleDialogFactory([clicks](AppSettings* settings) {
        std::unique_ptr<QDialog> dialog = MakeRoleDialog(settings);
        if (!clicks.empty()) {
            auto* timer = new QTimer(dialog.get());
            auto done = std::make_shared<size_t>(0);
            QDialog* d = dialog.get();
            QObject::connect(timer, &QTimer::timeout, d,
                             [d, clicks, done] { FollowClicks(d, clicks, done.get()); });
            timer->start(20);
        }
        return dialog;
    });
    theApp.InitInstance(args, modulePath);
    return 0;
}
