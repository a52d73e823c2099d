// A push button that flips between two states on each click, showing trueText in state 1 and
// falseText in state 0. The button flips itself before anyone else connected to its click
// hears of it, so a dialog's click handler already sees the new state.
#pragma once

#include <QPushButton>
#include <string>

class CButtonFlag : public QPushButton {
    Q_OBJECT
  public:
    explicit CButtonFlag(const QString& text = QString(), QWidget* parent = nullptr);

    // Shows the caption of the current state.
    void ShowState();

    int state = 0;
    std::string trueText = "true";    // caption while state is 1 (UTF-8)
    std::string falseText = "false";  // caption while state is 0 (UTF-8)

  private slots:
    void OnClicked();
};
