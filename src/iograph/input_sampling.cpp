#include "input_sampling.h"

int ioGraphInputs[kInputCount] = {};

void AppendInputSample(ChartStore<short>& store, const int (&inputs)[kInputCount],
                       short (&refLevel)[kInputCount]) {
    short values[kInputCount];
    for (int i = 0; i < kInputCount; ++i) {
        values[i] = inputs[i] != 0 ? InputOnValue(i) : InputOffValue(i);
        refLevel[i] = InputRefLevel(i);
    }
    for (int i = 0; i < store.traceCount && i < kInputCount; ++i) {
        store.PushSample(i, values[i]);
    }
}
