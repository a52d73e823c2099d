// Driving the graph component through its C interface as the A/D panel and start-up do.
#pragma once

#include <string>

#include "GraphComponent.h"
#include "plotwin.h"

namespace plotwin_drive {

// The component's window, or nullptr when there is none.
inline plotwin::StripChartWindow* Window() {
    plotwin::GraphComponent* g = plotwin::GraphComponent::Existing();
    return g ? g->window() : nullptr;
}

// Start-up's preparation of the component for an A/D box on COM com.
inline void Prepare(int com, const std::string& ini, int points = 20001, int refreshMs = 500) {
    GraphInitialize(8, refreshMs, points, ini.c_str());
    GraphDataClear();
    for (int n = 1; n <= 8; ++n) {
        const std::string name = "CH" + std::to_string(n);
        GraphSetParameter(n, com, name.c_str(), 500, 1);
    }
}

inline void Put(int ch, double v) {
    GraphPutData(ch, &v, 1, 1);
}

// Pushes what came in into the window, as the next refresh tick would.
inline void Refresh() {
    plotwin::GraphComponent::Existing()->Refresh();
}

}  // namespace plotwin_drive
