// hostprep: the platform check and the per-user configuration folder.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// 1 when path names an existing file (not a folder), else 0.
int hpr_FilePresent(const char* path);

// Puts the per-user configuration folder ($XDG_CONFIG_HOME, or $HOME/.config when that is
// unset or empty) into buf, without a trailing "/". Returns 0, or -1 when no such folder can
// be determined or buf (size bytes, room for the terminating 0 included) is too small; buf is
// then left an empty string when it has room for one.
int hpr_HostCheckAndAppPath(char* buf, int size);

// Creates the folder with all its parents. Returns 0 when the folder exists afterwards, else -1.
int hpr_MakeFolder(const char* path);

#ifdef __cplusplus
}
#endif
