#include "startup/RoleDialogs.h"

#include "platform/app_icon.h"

namespace {

// Stands in for a role's window until that window exists: an empty dialog with the window's
// class name and caption.
std::unique_ptr<QDialog> PlainDialog(const char* className, const char* caption) {
    auto dialog = std::make_unique<QDialog>();
    dialog->setObjectName(QString::fromUtf8(className));
    dialog->setWindowTitle(QString::fromUtf8(caption));
    dialog->setWindowIcon(AppIcon());
    return dialog;
}

}  // namespace

std::unique_ptr<QDialog> MakeRoleDialog(AppSettings* settings) {
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
