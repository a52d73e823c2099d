#include "message_box.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {
std::function<void(const std::string&)>& Hook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}
}  // namespace

void ShowMessageBox(QWidget* owner, const std::string& text) {
    if (Hook()) {
        Hook()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(),
                    QString::fromStdString(text), QMessageBox::Ok, owner);
    box.exec();
}

void SetMessageBoxHook(std::function<void(const std::string&)> hook) {
    Hook() = std::move(hook);
}
