#include "launcher/clsDlgComSel.h"

#include <QPushButton>

#include "launcher/CComboBoxCom.h"
#include "platform/app_icon.h"
#include "platform/fonts.h"

namespace {
constexpr int kIdPortList = 1042;
}

const DialogTemplate& clsDlgComSel::Template() {
    static const DialogTemplate tmpl{133,
                                     "接続先のCOMの番号を選択してください",
                                     186,
                                     40,
                                     kFaceMsUiGothic,
                                     9,
                                     {
                                         {kIdPortList, DlgKind::DropDownList, "", 10, 12, 100, 14},
                                         {1, DlgKind::DefPushButton, "登録", 122, 11, 54, 16},
                                     }};
    return tmpl;
}

clsDlgComSel::clsDlgComSel(int* result, const std::string& settingsFolder, QWidget* parent)
    : QDialog(parent), result_(result) {
    dlg_.Build(this, Template(), [&](const DlgItem& item, QWidget* dialogWidget) -> QWidget* {
        if (item.id != kIdPortList) return nullptr;
        ports_ = new CComboBoxCom(settingsFolder, dialogWidget);
        return ports_;
    });
    setWindowIcon(AppIcon());
    ports_->setAccessibleName(QString::fromUtf8("COM番号"));
    if (auto* ok = dlg_.ItemAs<QPushButton>(1)) {
        connect(ok, &QPushButton::clicked, this, &clsDlgComSel::accept);
    }
    ports_->FillPorts(result_ ? *result_ : 0);
}

void clsDlgComSel::accept() {
    if (result_) *result_ = ports_->SelectedPort();
    QDialog::accept();
}
