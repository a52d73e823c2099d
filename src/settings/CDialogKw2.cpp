#include "settings/CDialogKw2.h"

#include "platform/module_path.h"

CDialogKw2::CDialogKw2(int templateId) : CDialogKw(templateId, nullptr) {}

CDialogKw2::~CDialogKw2() {
    DestroyWindow();
}

bool CDialogKw2::OnInitDialog() {
    CDialogKw::OnInitDialog();
    iniFile = ResolveIniPath(iniFile, ModulePath());

    const QRect r = ReadPlacement(iniFile, section, frameGeometry(), false);
    FitToWorkArea(r.x(), r.y(), r.width(), r.height());
    return true;
}

void CDialogKw2::SavePlacement() {
    WritePlacement(iniFile, section, false);
}
