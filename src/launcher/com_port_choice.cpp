#include "launcher/com_port_choice.h"

ComPortChoice::ComPortChoice(const std::vector<ComPortEntry>& entries) {
    itemOfPort_.fill(-1);
    for (const ComPortEntry& e : entries) {
        if (e.number < 1 || e.number > kMaxPort) continue;
        if (itemOfPort_[e.number] == 0) continue;  // the first entry of a number counts
        itemOfPort_[e.number] = 0;
        targets_[e.number] = e.target;
    }
}

int ComPortChoice::Fill(int current) {
    itemPorts_.clear();
    selected_ = -1;
    if (current < 1 || current > kMaxPort) return 0;
    for (int n = 1; n <= kMaxPort; ++n) {
        if (itemOfPort_[n] < 0) continue;
        itemOfPort_[n] = static_cast<int>(itemPorts_.size());
        itemPorts_.push_back(n);
    }
    if (itemOfPort_[current] >= 0) {
        selected_ = itemOfPort_[current];
    } else {
        selected_ = itemPorts_.empty() ? -1 : 0;
    }
    return 1;
}

int ComPortChoice::PortOfItem(int item) const {
    if (item < 0 || item >= ItemCount()) return -1;
    return itemPorts_[static_cast<size_t>(item)];
}

std::string ComPortChoice::ItemText(int item) const {
    const int port = PortOfItem(item);
    return port < 0 ? std::string() : "COM" + std::to_string(port);
}

const std::string& ComPortChoice::ItemTarget(int item) const {
    static const std::string kNone;
    const int port = PortOfItem(item);
    return port < 0 ? kNone : targets_[static_cast<size_t>(port)];
}
