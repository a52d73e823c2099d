#include "qvx_port.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "device/SerialLink.h"
#include "device/open_failure.h"
#include "platform/module_path.h"
#include "qvx_output.h"
#include "settings/SettingsStore.h"
#include "startup/settings_paths.h"

namespace {

// The launcher's base name: its ini is "vantrel.ini", beside the executables or in the settings
// folder.
constexpr char kLauncherBaseName[] = "vantrel";

bool AllDigits(const std::string& text) {
    if (text.empty() || text.size() > 3) return false;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

}  // namespace

bool ParsePort(const std::string& text, PortChoice* port) {
    if (!text.empty() && text[0] == '/') {
        port->com = 0;
        port->device = text;
        port->label = text;
        return true;
    }
    std::string digits = text;
    if (text.size() > 3 && strncasecmp(text.c_str(), "COM", 3) == 0) digits = text.substr(3);
    if (!AllDigits(digits)) return false;
    const int number = std::atoi(digits.c_str());
    if (number < 1 || number > 255) return false;
    port->com = number;
    port->device.clear();
    port->label = "COM" + std::to_string(number);
    return true;
}

std::string UseSettingsFolder() {
    std::string exeFolder;
    std::string baseName;
    SplitModulePath(ModulePath(), &exeFolder, &baseName);
    const SettingsFolderChoice choice =
        ChooseSettingsFolder(exeFolder, exeFolder + kLauncherBaseName + ".ini");
    // Without a per-user folder the launcher keeps its files beside the executable; so does qvx.
    const std::string folder = choice.warning == FolderWarning::kNone ? choice.folder : exeFolder;
    SerialLink::SetSettingsFolder(folder);
    return folder;
}

int TxOnlyOption(const std::string& settingsFolder) {
    SettingsStore store(settingsFolder + kLauncherBaseName + ".ini");
    AppSettings settings;
    LoadOptions(store, settings);
    return settings.txOnly;
}

void PortAccess::Release() {
    if (privateFolder_.empty()) return;
    unlink((privateFolder_ + "COM1").c_str());
    rmdir(privateFolder_.c_str());
    privateFolder_.clear();
}

bool PortAccess::Prepare(const PortChoice& port, const std::string& settingsFolder) {
    settingsFolder_ = settingsFolder;
    device_ = port.device;
    if (port.com != 0) {
        com_ = port.com;
        return true;
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/qvx-port-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        PrintError("cannot make a folder for " + port.device + ": " + std::strerror(errno));
        return false;
    }
    privateFolder_ = pattern + "/";
    if (symlink(port.device.c_str(), (privateFolder_ + "COM1").c_str()) != 0) {
        PrintError("cannot make a folder for " + port.device + ": " + std::strerror(errno));
        return false;
    }
    // The link finds COM1 through the COM port folder variable; qvx runs this one port only.
    setenv("VANTREL_COM_DIR", privateFolder_.c_str(), 1);
    com_ = 1;
    return true;
}

std::string PortAccess::OpenFailureText(int err) const {
    std::string text = ComOpenFailureText(settingsFolder_, com_, err);
    if (!privateFolder_.empty()) {
        // Only the device path means anything to the user, not the private entry before it.
        const size_t arrow = text.find(" -> ");
        if (arrow != std::string::npos) text = text.substr(arrow + 4);
    }
    return text;
}
