#include "dialog_template.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

void DialogBaseUnits(const QFont& font, int* baseX, int* baseY) {
    const QFontMetrics fm(font);
    static const QString kLetters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int width = fm.horizontalAdvance(kLetters);
    *baseX = (width / 26 + 1) / 2;
    *baseY = fm.height();
    if (*baseX < 1) *baseX = 1;
    if (*baseY < 1) *baseY = 1;
}

QRect DialogControls::MapDialogRect(const QRect& u) const {
    const int left = u.x() * baseX_ / 4;
    const int top = u.y() * baseY_ / 8;
    const int right = (u.x() + u.width()) * baseX_ / 4;
    const int bottom = (u.y() + u.height()) * baseY_ / 8;
    return QRect(left, top, right - left, bottom - top);
}

namespace {

QWidget* MakeStandard(const DlgItem& item, QWidget* parent) {
    const QString text = QString::fromUtf8(item.text ? item.text : "");
    switch (item.kind) {
        case DlgKind::Static:
        case DlgKind::StaticCenter:
        case DlgKind::StaticRight: {
            auto* label = new QLabel(text, parent);
            Qt::Alignment align = Qt::AlignLeft;
            if (item.kind == DlgKind::StaticCenter) align = Qt::AlignHCenter;
            if (item.kind == DlgKind::StaticRight) align = Qt::AlignRight;
            label->setAlignment(align | Qt::AlignTop);
            return label;
        }
        case DlgKind::PushButton:
        case DlgKind::DefPushButton: {
            return new QPushButton(text, parent);
        }
        case DlgKind::CheckBox:
            return new QCheckBox(text, parent);
        case DlgKind::RadioButton:
            return new QRadioButton(text, parent);
        case DlgKind::GroupBox:
            return new QGroupBox(text, parent);
        case DlgKind::Edit: {
            auto* edit = new QLineEdit(text, parent);
            return edit;
        }
        case DlgKind::MultiLineEdit: {
            auto* edit = new QPlainTextEdit(text, parent);
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);
            edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            return edit;
        }
        case DlgKind::DropDownList:
            return new QComboBox(parent);
        case DlgKind::HScrollBar:
            return new QScrollBar(Qt::Horizontal, parent);
        case DlgKind::Custom:
            return new QWidget(parent);
    }
    return new QWidget(parent);
}

}  // namespace

void DialogControls::Build(QDialog* dialog, const DialogTemplate& tmpl, const Factory& factory) {
    QFont font(QString::fromUtf8(tmpl.fontFace));
    font.setPointSize(tmpl.fontPoints);
    dialog->setFont(font);
    dialog->setWindowTitle(QString::fromUtf8(tmpl.caption));
    DialogBaseUnits(font, &baseX_, &baseY_);
    dialog->resize(MapDialogRect(QRect(0, 0, tmpl.width, tmpl.height)).size());

    // Radio buttons of one group exclude each other; a group starts at a marked item.
    QButtonGroup* radios = nullptr;
    for (const DlgItem& item : tmpl.items) {
        QWidget* w = factory ? factory(item, dialog) : nullptr;
        if (!w) w = MakeStandard(item, dialog);
        w->setGeometry(MapDialogRect(QRect(item.x, item.y, item.w, item.h)));
        // Qt makes every push button of a dialog an auto-default one (Enter presses the button
        // that last had the focus); here only the template's default button is one, whoever made
        // the widget.
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            button->setAutoDefault(false);
            button->setDefault(item.kind == DlgKind::DefPushButton);
        }
        if (item.id >= 0) {
            w->setObjectName(QStringLiteral("ctl%1").arg(item.id));
            byId_[item.id] = w;
        }
        if (auto* radio = qobject_cast<QRadioButton*>(w)) {
            if (!radios || item.groupStart) radios = new QButtonGroup(dialog);
            radios->addButton(radio);
        }
        // Group boxes stay behind the controls they frame.
        if (item.kind == DlgKind::GroupBox) w->lower();
        all_.push_back(w);
    }
}

QWidget* DialogControls::Item(int id) const {
    auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : it->second;
}
