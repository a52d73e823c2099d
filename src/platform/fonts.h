// The Japanese font names the windows ask for, mapped to the installed Gothic families.
#pragma once

// Face names used by the windows.
inline constexpr const char* kFaceMsGothic = "ＭＳ ゴシック";
inline constexpr const char* kFaceMsUiGothic = "MS UI Gothic";

// Registers substitutions from "ＭＳ ゴシック", "MS Gothic" and "MS UI Gothic" to the Japanese
// Gothic families present on this machine. fontconfig knows no alias for them and would pick
// a Latin font otherwise. Call once after the QApplication exists.
void RegisterFontSubstitutions();
