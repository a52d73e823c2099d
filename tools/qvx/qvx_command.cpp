#include "qvx_command.h"

#include "qvx_output.h"

int TakeOperands(const std::vector<std::string>& operands, const std::vector<const char*>& names,
                 PortChoice* port) {
    if (operands.size() < names.size()) {
        return UsageError(std::string("missing ") + names[operands.size()]);
    }
    if (operands.size() > names.size()) {
        return UsageError("unexpected argument '" + operands[names.size()] + "'");
    }
    if (!ParsePort(operands[0], port)) {
        return UsageError("'" + operands[0] +
                          "' is no port (COMn, n from 1 to 255, or a device path)");
    }
    return kExitDone;
}
