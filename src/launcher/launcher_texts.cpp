#include "launcher/launcher_texts.h"

#include <cstdio>

#include "messages/MesTable.h"
#include "messages/mes_texts.h"

namespace {

// printf-style formatting into a string of any length.
template <class... Args>
std::string Format(const char* format, Args... args) {
    char buf[1024];
    const int n = std::snprintf(buf, sizeof buf, format, args...);
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < sizeof buf) return std::string(buf, static_cast<size_t>(n));
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), format, args...);
    out.resize(static_cast<size_t>(n));
    return out;
}

}  // namespace

std::string DeviceTypeName(int32_t mode) {
    switch (mode) {
        case 1:
            return "QVX-I/O";
        case 2:
            return "QVX-D/A";
        case 3:
            return "QVX-A/D";
        default:
            return std::string();
    }
}

std::string ModeWord(int32_t mode) {
    switch (mode) {
        case 1:
            return "QVX-IO";
        case 2:
            return "QVX-DA";
        case 3:
            return "QVX-AD";
        default:
            return std::string();
    }
}

std::vector<std::string> PanelArguments(int32_t com, int32_t mode, int channel) {
    return {Format("/%d", com), "/" + ModeWord(mode), Format("/%d", channel)};
}

std::string ComButtonText(int32_t com) {
    return Format("COM%d", com);
}

std::string LauncherStartText(long threadId) {
    return Format("Vantrel(V%s) 開始 [%ld]", kVantrelVersion, threadId);
}

std::string NotConnectedText(int row) {
    return Format("接続しないモードになっています。CH%d", row + 1);
}

std::string PanelStartedText(int32_t mode, int row, int32_t com) {
    return Format("%sの処理を開始しました。CH[%d] COM[%d]", DeviceTypeName(mode).c_str(), row, com);
}

std::string PanelStartFailedText(int32_t mode, int result) {
    return Format("%s 起動失敗 [%d]", DeviceTypeName(mode).c_str(), result);
}

std::string PanelEndedText(int32_t mode, int row, int32_t com) {
    return Format("%sの処理が終了しました。Ch[%d] COM[%d]", DeviceTypeName(mode).c_str(), row, com);
}

std::string SettingsBesideExecutableText(const std::string& launcherIni, const std::string& reason,
                                         bool writable) {
    static constexpr MesTextPair kKept = {
        "設定は実行ファイルのフォルダに保存します: %s (%s) "
        "このファイルがある間は、次回以降の起動もここに保存します。",
        "Settings are kept beside the executable: %s (%s) "
        "While this file exists, later starts keep them there too."};
    static constexpr MesTextPair kLost = {
        "設定は実行ファイルのフォルダに保存します: %s (%s) "
        "このフォルダに書き込めないため、設定は保存されません。",
        "Settings are kept beside the executable: %s (%s) "
        "That folder cannot be written, so no settings will be saved."};
    const MesTextPair& text = writable ? kKept : kLost;
    const char* format = MesTable().language == 1 ? text.english : text.japanese;
    return Format(format, launcherIni.c_str(), reason.c_str());
}

std::string ChildErrorText(int row, int32_t code, int32_t com) {
    return Format("%s Ch[%d] COM[%d]", GetMesText(code, std::string()).c_str(), row + 1, com);
}
