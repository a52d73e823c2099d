// clsDlgComSel: the small modal dialog of a row's COM button (template 133). It lists the
// present COM ports, preselects the row's port and hands back the one the user confirms.
#pragma once

#include <QDialog>
#include <string>

#include "platform/dialog_template.h"

class CComboBoxCom;

class clsDlgComSel : public QDialog {
    Q_OBJECT

  public:
    // result holds the row's port; on confirmation it gets the chosen port, or -1 when nothing
    // is selected. Cancel leaves it as it is. The ports are read now, from the COM port folder
    // of settingsFolder.
    clsDlgComSel(int* result, const std::string& settingsFolder, QWidget* parent = nullptr);

    CComboBoxCom* PortList() const { return ports_; }

    static const DialogTemplate& Template();

  public slots:
    void accept() override;

  private:
    int* result_;
    CComboBoxCom* ports_ = nullptr;
    DialogControls dlg_;
};
