// The standard message box: titled with the executable's base name (the application name),
// one OK button, modal to its owner.
#pragma once

#include <functional>
#include <string>

class QWidget;

void ShowMessageBox(QWidget* owner, const std::string& text);

// Tests replace the box with a recorder, so a window under test never blocks on it.
// Pass an empty function to show real boxes again.
void SetMessageBoxHook(std::function<void(const std::string&)> hook);
