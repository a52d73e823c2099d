#include "launcher/clsDlgOption.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "launcher/child_supervision.h"
#include "launcher/launcher_texts.h"
#include "platform/app_icon.h"
#include "platform/fonts.h"

namespace {
constexpr int kIdAutoCom = 1047;
constexpr int kIdAutoRun = 1048;
constexpr int kIdVersion = 1049;
constexpr int kIdMaker = 1050;
// A supervision pass takes microseconds; the limit only matters for a stalled machine.
constexpr uint32_t kPauseLimitMs = 1000;
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
    if (target) {
        // The supervision thread clears chRunning when a panel ends, maybe while this dialog
        // was open; the copy's older 1 would show a stopped channel as running. The thread
        // holds still while the live values are taken over and the copy is stored.
        // (A thread that does not pause in time is not waited for further.)
        if (supervision) PauseSupervision(*supervision, kPauseLimitMs);
        for (int i = 0; i < kChannelCount; ++i) settingsCopy.chRunning[i] = target->chRunning[i];
        *target = settingsCopy;
        if (supervision) {
            supervision->MirrorRows(*target);
            ResumeSupervision(*supervision);
        }
    }
    QDialog::accept();
}
