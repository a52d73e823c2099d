#include "startup/RoleDialogs.h"

#include "launcher/CVantrelDlg.h"
#include "panels/clsDlgAD.h"
#include "panels/clsDlgDA.h"
#include "panels/clsDlgIO.h"
#include "platform/app_icon.h"

namespace {

std::unique_ptr<QDialog> PlainDialog(const char* className, const char* caption) {
    auto dialog = std::make_unique<QDialog>();
    dialog->setObjectName(QString::fromUtf8(className));
    dialog->setWindowTitle(QString::fromUtf8(caption));
    dialog->setWindowIcon(AppIcon());
    return dialog;
}

}  // namespace

std::unique_ptr<QDialog> MakeStandInRoleDialog(AppSettings* settings) {
    switch (settings->role) {
        case kRoleIo:
            return PlainDialog("clsDlgIO", "QVX-I/O");
        case kRoleDa:
            return PlainDialog("clsDlgDA", "QVX-D/A");
        case kRoleAd:
            return PlainDialog("clsDlgAD", "QVX-A/D");
        default:
            return PlainDialog("CVantrelDlg", "Vantrel");
    }
}

std::unique_ptr<QDialog> MakeRoleDialog(AppSettings* settings) {
    switch (settings->role) {
        case kRoleIo:
            return std::make_unique<clsDlgIO>(settings);
        case kRoleDa:
            return std::make_unique<clsDlgDA>(settings);
        case kRoleAd:
            return std::make_unique<clsDlgAD>(settings);
        default:
            return std::make_unique<CVantrelDlg>(settings);
    }
}
