#include "iograph/CComboBoxTime.h"

CComboBoxTime::CComboBoxTime(QWidget* parent) : QComboBox(parent) {}

void CComboBoxTime::AllocateValues(int count) {
    clear();
    itemCount = 0;
    if (count <= 0) {
        itemValues.reset();
        maxItems = 0;
        return;
    }
    itemValues.reset(new int[static_cast<size_t>(count)]());
    maxItems = count;
}

bool CComboBoxTime::AddTime(int value) {
    if (!itemValues || itemCount >= maxItems) return false;
    itemValues[static_cast<size_t>(itemCount)] = value;
    ++itemCount;
    // Wide product: a large value or unit gives a large text, not an overflow.
    addItem(TimeText(static_cast<long long>(value) * unitMs));
    return true;
}

bool CComboBoxTime::ValueAt(int index, int* value) const {
    if (!itemValues || index < 0 || index >= itemCount) return false;
    *value = itemValues[static_cast<size_t>(index)];
    return true;
}

QString CComboBoxTime::TimeText(long long ms) {
    if (ms < 1000) return QString::asprintf("%lldmsec", ms);
    if (ms % 1000 != 0) return QString::asprintf("%lld.%03lldsec", ms / 1000, ms % 1000);
    return QString::asprintf("%lldsec", ms / 1000);
}
