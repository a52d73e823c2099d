// The launcher's fixed words and the texts of its rows and log lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vantrel_version.h"

// The version shown in the start-up log line and the option dialog: the project's version.
inline constexpr const char* kVantrelVersion = VANTREL_VERSION;

// "QVX-I/O", "QVX-D/A", "QVX-A/D" for chMode 1, 2, 3; "" otherwise (log texts).
std::string DeviceTypeName(int32_t mode);
// "QVX-IO", "QVX-DA", "QVX-AD" for chMode 1, 2, 3; "" otherwise (command line).
std::string ModeWord(int32_t mode);

// A panel's command line "/<com> /<mode word> /<channel>", one argv entry each.
std::vector<std::string> PanelArguments(int32_t com, int32_t mode, int channel);

// "COM<n>", the text of a row's COM button.
std::string ComButtonText(int32_t com);

// Log lines. Rows count from 0 in the start and end lines, from 1 in the others.
std::string LauncherStartText(long threadId);  // "Vantrel(V2.01) 開始 [id]"
std::string NotConnectedText(int row);         // "接続しないモードに…CH<row+1>"
std::string PanelStartedText(int32_t mode, int row, int32_t com);  // "…を開始しました。CH[row]…"
std::string PanelStartFailedText(int32_t mode, int result);  // "<type> 起動失敗 [result]"
std::string PanelEndedText(int32_t mode, int row, int32_t com);  // "…が終了しました。Ch[row]…"
// "設定は実行ファイルのフォルダに保存します: <ini> (<reason>)…": where the settings went after
// the per-user folder failed, and that later starts keep them there; or, when that folder takes
// no files either (writable false), that nothing will be saved. In the catalog's language.
std::string SettingsBesideExecutableText(const std::string& launcherIni, const std::string& reason,
                                         bool writable);
// The catalog text of a child error code, then " Ch[<row+1>] COM[<com>]".
std::string ChildErrorText(int row, int32_t code, int32_t com);

inline constexpr const char* kMainThreadStartNg = "Main thread start NG!";
inline constexpr const char* kNoComPortText = "選択するCom番号がありません";
