// vantrel: the launcher, or, started with "/<COM> /<mode> /<channel>", the panel of one box.
#include <QApplication>
#include <string>
#include <vector>

#include "messages/MesTable.h"
#include "platform/app_icon.h"
#include "platform/fonts.h"
#include "platform/module_path.h"
#include "startup/CVantrelApp.h"
#include "startup/settings_paths.h"

int main(int argc, char** argv) {
    // The raw arguments, before Qt takes out the options it knows.
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::string modulePath = ModulePath();
    if (modulePath.empty() && argc > 0) modulePath = argv[0];

    QApplication app(argc, argv);
    std::string folder;
    std::string baseName;
    SplitModulePath(modulePath, &folder, &baseName);
    // The base name is the caption of every message box.
    QApplication::setApplicationName(QString::fromStdString(baseName));
    RegisterFontSubstitutions();
    QApplication::setWindowIcon(AppIcon());
    MesTable();  // the catalog is complete before any window opens

    CVantrelApp theApp;
    theApp.InitInstance(args, modulePath);
    return 0;
}
