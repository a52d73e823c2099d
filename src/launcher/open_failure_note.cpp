#include "launcher/open_failure_note.h"

#include "device/open_failure.h"
#include "platform/profile_file.h"
#include "settings/AppSettings.h"

std::string PanelIniOfRow(const std::string& launcherIni, int mode, int com) {
    const std::string suffix = ".ini";
    if (launcherIni.size() <= suffix.size() ||
        launcherIni.compare(launcherIni.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return "";
    }
    const char* type = mode == kModeIo   ? "IO"
                       : mode == kModeDa ? "DA"
                       : mode == kModeAd ? "AD"
                                         : "";
    if (!*type) return "";
    return launcherIni.substr(0, launcherIni.size() - suffix.size()) + type + std::to_string(com) +
           suffix;
}

std::string OpenFailureNote(const std::string& launcherIni, int mode, int com) {
    const std::string panelIni = PanelIniOfRow(launcherIni, mode, com);
    if (panelIni.empty()) return "";
    const int err = GetPrivateProfileInt(kOpenErrnoSection, kOpenErrnoKey, -1, panelIni);
    if (err <= 0) return "";
    return " (" + ComOpenFailureText(FolderOfPath(launcherIni), com, err) + ")";
}
