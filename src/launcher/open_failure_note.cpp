#include "launcher/open_failure_note.h"

#include "device/open_failure.h"
#include "platform/profile_file.h"
#include "settings/AppSettings.h"
#include "startup/settings_paths.h"

std::string PanelIniOfRow(const std::string& launcherIni, int mode, int com) {
    // The panel's start-up names its file from the same folder and base name.
    std::string folder;
    std::string baseName;
    SplitModulePath(launcherIni, &folder, &baseName);
    AppSettings panel;
    panel.adBlock.adCom = com;
    panel.daBlock.daCom = com;
    panel.ioBlock.ioCom = com;
    const SettingsFileNames names = NameSettingsFiles(folder, baseName, panel);
    switch (mode) {
        case kModeIo:
            return names.ioIni;
        case kModeDa:
            return names.daIni;
        case kModeAd:
            return names.adIni;
        default:
            return "";
    }
}

std::string OpenFailureNote(const std::string& launcherIni, int mode, int com) {
    const std::string panelIni = PanelIniOfRow(launcherIni, mode, com);
    if (panelIni.empty()) return "";
    const int err = GetPrivateProfileInt(kOpenErrnoSection, kOpenErrnoKey, -1, panelIni);
    if (err <= 0) return "";
    // The launcher's settings folder holds the COM port folder the panel used.
    std::string folder;
    std::string baseName;
    SplitModulePath(launcherIni, &folder, &baseName);
    return " (" + ComOpenFailureText(folder, com, err) + ")";
}
