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
        FitMessage(label);
    }
    initialised_ = true;
    return 1;
}

void clsMesDlg::FitMessage(QLabel* label) {
    // A text longer than the static's one line (with the substituted Japanese font most are)
    // wraps within the static's width; when it needs more lines than the static is high, the
    // static, the button below it and the dialog grow by the difference.
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const int extra = label->heightForWidth(label->width()) - label->height();
    if (extra <= 0) return;
    label->resize(label->width(), label->height() + extra);
    if (QWidget* ok = controls_.Item(IDOK)) ok->move(ok->x(), ok->y() + extra);
    resize(width(), height() + extra);
}

void clsMesDlg::showEvent(QShowEvent* event) {
    if (!initialised_) OnInitDialog();
    QDialog::showEvent(event);
}
