#include "startup/application_setup.h"

#include <QApplication>

#include "messages/MesTable.h"
#include "platform/app_icon.h"
#include "platform/fonts.h"
#include "startup/settings_paths.h"

void SetUpApplication(const std::string& modulePath) {
    std::string folder;
    std::string baseName;
    SplitModulePath(modulePath, &folder, &baseName);
    QApplication::setApplicationName(QString::fromStdString(baseName));
    RegisterFontSubstitutions();
    QApplication::setWindowIcon(AppIcon());
    MesTable();
}
