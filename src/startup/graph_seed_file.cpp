#include "startup/graph_seed_file.h"

#include "startup/file_checks.h"

// The data folder relative to the folder of the executables, from the install layout of the
// build ("../share/vantrel/" for the usual bin/ and share/).
#ifndef VANTREL_DATA_FROM_BINDIR
#define VANTREL_DATA_FROM_BINDIR "../share/vantrel/"
#endif

std::string FindGraphSeedFile(const std::string& exeFolder) {
    const std::string beside = exeFolder + "PlotwinInitData";
    if (FileExists(beside)) return beside;
    const std::string installed = exeFolder + VANTREL_DATA_FROM_BINDIR "PlotwinInitData";
    return FileExists(installed) ? installed : beside;
}
