#include "startup/clsMesDlg.h"

#include <QLabel>
#include <QPushButton>

#include "platform/app_icon.h"
#include "platform/fonts.h"

const DialogTemplate& MesDlgTemplate() {
    static const DialogTemplate kTemplate{
        clsMesDlg::IDD,
        "警告",
        216,
        63,
        kFaceMsUiGothic,
        9,
        {
            {clsMesDlg::IDC_MESSAGE, DlgKind::Static, "スタティック", 12, 12, 186, 12},
            {clsMesDlg::IDOK, DlgKind::DefPushButton, "OK", 156, 42, 50, 14},
        }};
    return kTemplate;
}

clsMesDlg::clsMesDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("clsMesDlg"));
    controls_.Build(this, MesDlgTemplate());
    setWindowIcon(AppIcon());
    // OK and Enter accept; Escape and the close box reject. The caller ignores which.
    if (auto* ok = controls_.ItemAs<QPushButton>(IDOK)) {
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    }
}

void clsMesDlg::SetMessage(const std::string& text) {
    message_ = text;
}

int clsMesDlg::OnInitDialog() {
    if (auto* label = controls_.ItemAs<QLabel>(IDC_MESSAGE)) {
        // The label breaks lines at "\n"; a CR before it would show as a stray glyph.
        QString text = QString::fromStdString(message_);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        label->setText(text);
    }
    initialised_ = true;
    return 1;
}

void clsMesDlg::showEvent(QShowEvent* event) {
    if (!initialised_) OnInitDialog();
    QDialog::showEvent(event);
}
