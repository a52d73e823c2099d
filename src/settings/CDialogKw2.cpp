#include "settings/CDialogKw2.h"

#include "platform/module_path.h"
#include "platform/profile_file.h"
#include "settings/iniacs.h"

CDialogKw2::CDialogKw2(int templateId) : CDialogKw(templateId, nullptr) {}

CDialogKw2::~CDialogKw2() {
    DestroyWindow();
}

bool CDialogKw2::OnInitDialog() {
    CDialogKw::OnInitDialog();
    iniFile = ResolveIniPath(iniFile, ModulePath());

    const QRect outer = frameGeometry();
    int x = outer.x();
    int y = outer.y();
    // -1 is the reading convention's "missing": the template's position stays.
    const int left = GetPrivateProfileInt(section, "Left", -1, iniFile);
    const int top = GetPrivateProfileInt(section, "Top", -1, iniFile);
    if (left != -1) x = left;
    if (top != -1) y = top;
    FitToWorkArea(x, y, outer.width(), outer.height());
    return true;
}

void CDialogKw2::SavePlacement() {
    const QRect normal = NormalOuterRect();
    iniacs ini;
    ini.iniPath = iniFile;
    ini.buffered = 1;
    ini.WriteInt("Left", section, normal.left());
    ini.WriteInt("Top", section, normal.top());
    // The destructor of ini rewrites the file once.
}
