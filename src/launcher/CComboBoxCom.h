// CComboBoxCom: the list of present COM ports, in ascending order ("COM1", "COM3", "COM10"),
// each item's tooltip naming the device its entry leads to. The ports are read once, when the
// combo is constructed; FillPorts lists them.
#pragma once

#include <QComboBox>
#include <string>

#include "launcher/com_port_choice.h"

class CComboBoxCom : public QComboBox {
    Q_OBJECT

  public:
    // Reads the present ports of the COM port folder that belongs to settingsFolder.
    explicit CComboBoxCom(const std::string& settingsFolder, QWidget* parent = nullptr);

    // Lists every present port and selects current, or the first item when current is absent.
    // Returns 1, or 0 without listing anything when current is outside 1..255.
    int FillPorts(int current);

    // The port of the selected item, or -1 when nothing is selected.
    int SelectedPort() const;

  private:
    ComPortChoice ports_;
};
