// What every subcommand that talks to one box does with its command line: the options, then
// exactly the operands it names (PORT first).
#pragma once

#include <string>
#include <vector>

#include "qvx_options.h"
#include "qvx_port.h"

// Checks operands against the names the command takes ("PORT", "VOLTS"): a missing or an extra
// one is a usage error (printed; kExitUsage). The first one is parsed as the port. Returns
// kExitDone when all is well.
int TakeOperands(const std::vector<std::string>& operands, const std::vector<const char*>& names,
                 PortChoice* port);
