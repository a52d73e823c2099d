// Where start-up finds the seed of the A/D graph component's settings file.
#pragma once

#include <string>

// The seed "PlotwinInitData": beside the executable when it lies there (a program run from its
// build or from a folder of its own), else in the installed program's data folder,
// <prefix>/share/vantrel/ reached from the executable's <prefix>/bin/ (a system installation
// keeps only programs in bin/). When neither folder holds it, the name beside the executable,
// so that no seed is found, as before. exeFolder ends in "/".
std::string FindGraphSeedFile(const std::string& exeFolder);
