// vantrel: the launcher, or, started with "/<COM> /<mode> /<channel>", the panel of one box.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/display_session.h"
#include "platform/module_path.h"
#include "startup/CVantrelApp.h"
#include "startup/application_setup.h"
#include "startup/settings_paths.h"

int main(int argc, char** argv) {
    // The raw arguments, before Qt takes out the options it knows.
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::string modulePath = ModulePath();
    if (modulePath.empty() && argc > 0) modulePath = argv[0];

    // Without a display Qt would abort with a hint about reinstalling; say what is missing.
    if (!HasDisplaySession(args)) {
        std::string folder;
        std::string baseName;
        SplitModulePath(modulePath, &folder, &baseName);
        std::fprintf(stderr, "%s: %s", baseName.c_str(), NoDisplayText(baseName).c_str());
        return 1;
    }

    QApplication app(argc, argv);
    SetUpApplication(modulePath);

    CVantrelApp theApp;
    theApp.InitInstance(args, modulePath);
    return 0;
}
