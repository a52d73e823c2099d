#include "launcher/clsDlgOption.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "launcher/launcher_texts.h"
#include "platform/app_icon.h"
#include "platform/fonts.h"

namespace {
constexpr int kIdAutoCom = 1047;
constexpr int kIdAutoRun = 1048;
constexpr int kIdVersion = 1049;
constexpr int kIdMaker = 1050;
}  // namespace

const DialogTemplate& clsDlgOption::Template() {
    static const DialogTemplate tmpl{
        134,
        "Option",
        246,
        80,
        kFaceMsUiGothic,
        9,
        {
            {kIdAutoCom, DlgKind::CheckBox, "前回起動時に設定したCOMポートを使用する", 18, 6, 168,
             18},
            {-1, DlgKind::Static, "(再起動後に有効)", 30, 22, 150, 8},
            {kIdAutoRun, DlgKind::CheckBox, "接続確認後、自動的に操作画面を開く", 18, 30, 168, 18},
            {kIdVersion, DlgKind::Static, "", 6, 54, 162, 8},
            {kIdMaker, DlgKind::Static, "", 6, 66, 162, 8},
            {1, DlgKind::DefPushButton, "登録して戻る", 186, 54, 54, 18},
        }};
    return tmpl;
}

QString clsDlgOption::VersionLine() {
    return QStringLiteral("Vantrel V%1  Copyright (C) Harbelt")
        .arg(QString::fromUtf8(kVantrelVersion));
}

QString clsDlgOption::MakerLine() {
    return QStringLiteral("https://www.harbelt.example/");
}

clsDlgOption::clsDlgOption(AppSettings* target, QWidget* parent)
    : QDialog(parent), settingsCopy(target ? *target : AppSettings()), target(target) {
    dlg.Build(this, Template());
    setWindowIcon(AppIcon());
    if (auto* ok = dlg.ItemAs<QPushButton>(1)) {
        connect(ok, &QPushButton::clicked, this, &clsDlgOption::accept);
    }
    dlg.ItemAs<QLabel>(kIdVersion)->setText(VersionLine());
    dlg.ItemAs<QLabel>(kIdMaker)->setText(MakerLine());
    dlg.ItemAs<QCheckBox>(kIdAutoCom)->setChecked(settingsCopy.autoCom != 0);
    dlg.ItemAs<QCheckBox>(kIdAutoRun)->setChecked(settingsCopy.autoRun != 0);
}

void clsDlgOption::accept() {
    settingsCopy.autoCom = dlg.ItemAs<QCheckBox>(kIdAutoCom)->isChecked() ? 1 : 0;
    settingsCopy.autoRun = dlg.ItemAs<QCheckBox>(kIdAutoRun)->isChecked() ? 1 : 0;
    // Only these two options are the dialog's. Every other field belongs to the launcher
    // window or its supervision thread, which go on while the dialog is open: a panel that
    // ends clears its row's chRunning, and the window's redraw then its chRunningShown. The
    // copy holds the values of the opening moment, so putting them back would show a row
    // stopped while its panel runs; the live values stay.
    if (target) {
        target->autoCom = settingsCopy.autoCom;
        target->autoRun = settingsCopy.autoRun;
    }
    QDialog::accept();
}
