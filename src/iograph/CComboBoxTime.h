// A drop-down list of time spans: each item carries an int value (a page size in samples) and
// reads as the span it stands for, value x unitMs milliseconds: "500msec", "1.500sec", "10sec".
#pragma once

#include <QComboBox>
#include <memory>

class CComboBoxTime : public QComboBox {
    Q_OBJECT
  public:
    explicit CComboBoxTime(QWidget* parent = nullptr);

    // A new value array of count entries (the old one is freed); the list is emptied so that
    // item n and value n stay together.
    void AllocateValues(int count);

    // Appends value and its item. False when there is no value array or it is full.
    bool AddTime(int value);

    // The value of item index, in *value. False for an index without a value.
    bool ValueAt(int index, int* value) const;

    // The item text for a span of ms milliseconds.
    static QString TimeText(long long ms);

    int unitMs = 0;
    int maxItems = 0;
    int itemCount = 0;
    std::unique_ptr<int[]> itemValues;  // maxItems entries
};
