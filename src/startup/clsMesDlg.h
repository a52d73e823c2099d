// The warning dialog of start-up: a text (wrapped within its static) and an OK button, shown
// modally for the problems start-up reports before any main window exists.
#pragma once

#include <QDialog>
#include <string>

#include "platform/dialog_template.h"

class QLabel;

class clsMesDlg : public QDialog {
    Q_OBJECT
  public:
    enum { IDD = 132, IDC_MESSAGE = 1040, IDOK = 1 };

    explicit clsMesDlg(QWidget* parent = nullptr);

    // Stores the text to show; call before the dialog runs.
    void SetMessage(const std::string& text);
    const std::string& message() const { return message_; }

    // Puts the message into static 1040. Runs when the dialog is first shown. Returns 1.
    int OnInitDialog();

    const DialogControls& controls() const { return controls_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FitMessage(QLabel* label);

    DialogControls controls_;
    std::string message_;
    bool initialised_ = false;
};

// The template of the warning dialog.
const DialogTemplate& MesDlgTemplate();
