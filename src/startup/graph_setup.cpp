#include "startup/graph_setup.h"

#include <string>

#include "plotwin.h"
#include "startup/file_checks.h"

namespace {
// The component's display parameters; their meaning is the component's own.
constexpr int kGraphChannels = 8;
constexpr int kGraphParamA = 500;
constexpr int kGraphParamB = 20001;
constexpr int kChannelParamA = 500;
constexpr int kChannelParamB = 1;
}  // namespace

void PrepareGraphComponent(const AppSettings& settings) {
    const std::string& ini = settings.adGraphIni;
    if (FileExists(ini)) {
        GraphInitialize(kGraphChannels, kGraphParamA, kGraphParamB, ini.c_str());
    } else if (FileExists(settings.graphSeedFile)) {
        // Whether the copy worked or not, the component starts on its own file name.
        CopyFileFailIfExists(settings.graphSeedFile, ini);
        GraphInitialize(kGraphChannels, kGraphParamA, kGraphParamB, ini.c_str());
    }
    GraphDataClear();
    for (int n = 1; n <= kGraphChannels; ++n) {
        const std::string name = "CH" + std::to_string(n);
        GraphSetParameter(n, settings.adBlock.adCom, name.c_str(), kChannelParamA, kChannelParamB);
    }
}

void EndGraphComponent() {
    GraphTerminate();
}
