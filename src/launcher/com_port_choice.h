// The list of the COM selection dialog: which ports are present, the items in ascending order,
// and which item is preselected.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/com_ports.h"

class ComPortChoice {
  public:
    static constexpr int kMaxPort = 255;

    // Marks the ports of entries present; numbers outside 1..255 are left out, and several
    // entries of one number give a single port.
    explicit ComPortChoice(const std::vector<ComPortEntry>& entries);

    // Lists the present ports in ascending order and preselects current, or the first item when
    // current is absent. Returns 1, or 0 (and lists nothing) when current is outside 1..255.
    int Fill(int current);

    // Filled items: "COM<n>" texts, their port numbers and the devices they point to.
    int ItemCount() const { return static_cast<int>(itemPorts_.size()); }
    int PortOfItem(int item) const;  // -1 for an item that does not exist
    std::string ItemText(int item) const;
    const std::string& ItemTarget(int item) const;
    // The item to select after Fill, -1 when the list is empty.
    int SelectedItem() const { return selected_; }

  private:
    // Per port 1..255 (index 0 unused): -1 absent, 0 present, then the item's index once listed.
    std::array<int, kMaxPort + 1> itemOfPort_;
    std::array<std::string, kMaxPort + 1> targets_;
    std::vector<int> itemPorts_;
    int selected_ = -1;
};
