#include "startup/settings_paths.h"

#include <cerrno>
#include <cstring>

#include "hostprep.h"

void SplitModulePath(const std::string& modulePath, std::string* folder, std::string* baseName) {
    const size_t slash = modulePath.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::string name = modulePath.substr(nameStart);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    *folder = modulePath.substr(0, nameStart);
    *baseName = name;
}

SettingsFileNames NameSettingsFiles(const std::string& folder, const std::string& baseName,
                                    const AppSettings& settings) {
    const std::string stem = folder + baseName;
    SettingsFileNames names;
    names.launcherIni = stem + ".ini";
    names.adIni = stem + "AD" + std::to_string(settings.adBlock.adCom) + ".ini";
    names.daIni = stem + "DA" + std::to_string(settings.daBlock.daCom) + ".ini";
    names.ioIni = stem + "IO" + std::to_string(settings.ioBlock.ioCom) + ".ini";
    names.adGraphIni = stem + "ADg" + std::to_string(settings.adBlock.adCom) + ".ini";
    return names;
}

SettingsFolderChoice ChooseSettingsFolder(const std::string& exeFolder,
                                          const std::string& exeLauncherIni) {
    SettingsFolderChoice choice;
    choice.folder = exeFolder;
    // The folder library exchanges the folder through a fixed 520-byte buffer that holds the
    // launcher ini path on entry.
    char buffer[520];
    snprintf(buffer, sizeof buffer, "%s", exeLauncherIni.c_str());
    const bool iniBesideExe = hpr_FilePresent(exeLauncherIni.c_str()) == 1;
    choice.platformCheck = hpr_HostCheckAndAppPath(buffer, sizeof buffer);
    if (iniBesideExe) return choice;  // a portable installation: everything stays here
    if (choice.platformCheck == -1 || buffer[0] == '\0') {
        choice.warning = FolderWarning::kNoUserFolder;
        return choice;
    }
    buffer[sizeof buffer - 1] = '\0';
    std::string folder = buffer;
    if (folder.back() != '/') folder += '/';
    folder += "Harbelt/Vantrel/";
    errno = 0;
    if (hpr_MakeFolder(folder.c_str()) != 0) {
        choice.warning = FolderWarning::kMakeFolderFailed;
        choice.userFolder = folder;
        choice.makeFolderErrno = errno;
        return choice;
    }
    choice.folder = folder;
    return choice;
}

std::string FolderWarningText(FolderWarning warning) {
    switch (warning) {
        case FolderWarning::kNoUserFolder:
            return "Windowsのバージョンの取得もしくは\r\n"
                   "アプリケーションフォルダの取得に失敗しました。";
        case FolderWarning::kMakeFolderFailed:
            return "ユーザアプリケーションフォルダの生成に失敗しました。";
        case FolderWarning::kNone:
            break;
    }
    return std::string();
}

std::string FolderFallbackReason(const SettingsFolderChoice& choice) {
    std::string reason = FolderWarningText(choice.warning);
    for (size_t p; (p = reason.find_first_of("\r\n")) != std::string::npos;) reason.erase(p, 1);
    if (!choice.userFolder.empty()) {
        reason += " " + choice.userFolder;
        if (choice.makeFolderErrno != 0)
            reason += ": " + std::string(strerror(choice.makeFolderErrno));
    }
    return reason;
}

std::string AlreadyRunningText(const std::string& baseName) {
    return baseName + "は既に起動しております";
}
