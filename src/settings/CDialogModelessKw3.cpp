#include "settings/CDialogModelessKw3.h"

CDialogModelessKw3::CDialogModelessKw3(int templateId, QWidget* parent)
    : CDialogKw3(templateId, parent) {}

CDialogModelessKw3::~CDialogModelessKw3() {
    // Reached through DestroyWindow's deferred deletion, or when the owner is deleted first and
    // takes this window with it: the latter does not save.
    savePlacement = false;
}

int CDialogModelessKw3::CreateModeless(const std::string& ini, const std::string& sect) {
    if (created_ || ended_) return 0;
    created_ = true;
    iniFile = ini;
    section = sect;
    InitialiseHidden();
    return 1;
}

void CDialogModelessKw3::DestroyWithoutSaving() {
    savePlacement = false;
    if (IsInitialised()) {
        DestroyWindow();
    } else {
        PostNcDestroy();
    }
}

void CDialogModelessKw3::done(int result) {
    // Not CDialogKw::done, which would destroy the window: only hide it.
    QDialog::done(result);
}

void CDialogModelessKw3::setVisible(bool visible) {
    if (visible && ended_) return;
    CDialogKw3::setVisible(visible);
}

void CDialogModelessKw3::PostNcDestroy() {
    if (ended_) return;
    ended_ = true;
    hide();
    deleteLater();
}
