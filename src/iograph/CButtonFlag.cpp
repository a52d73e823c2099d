#include "iograph/CButtonFlag.h"

CButtonFlag::CButtonFlag(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAutoDefault(false);
    // Connected first, so it runs before the dialog's own handler of the click.
    connect(this, &QPushButton::clicked, this, &CButtonFlag::OnClicked);
}

void CButtonFlag::OnClicked() {
    state = 1 - state;
    ShowState();
}

void CButtonFlag::ShowState() {
    setText(QString::fromStdString(state == 1 ? trueText : falseText));
}
