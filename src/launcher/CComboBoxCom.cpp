#include "launcher/CComboBoxCom.h"

#include "platform/com_ports.h"

CComboBoxCom::CComboBoxCom(const std::string& settingsFolder, QWidget* parent)
    : QComboBox(parent), ports_(ListComPorts(settingsFolder)) {}

int CComboBoxCom::FillPorts(int current) {
    clear();
    if (!ports_.Fill(current)) return 0;
    for (int item = 0; item < ports_.ItemCount(); ++item) {
        addItem(QString::fromStdString(ports_.ItemText(item)));
        // The device behind the number, so the user can tell two adapters apart.
        setItemData(item, QString::fromStdString(ports_.ItemTarget(item)), Qt::ToolTipRole);
    }
    setCurrentIndex(ports_.SelectedItem());
    return 1;
}

int CComboBoxCom::SelectedPort() const {
    return ports_.PortOfItem(currentIndex());
}
