#include "device/open_failure.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/com_ports.h"

namespace {

// The system's text for err (thread-safe: the launcher builds it on its supervision thread).
std::string ErrorText(int err) {
    char buf[256];
    // GNU strerror_r: returns the text, which may or may not be in buf.
    const char* text = strerror_r(err, buf, sizeof buf);
    return text ? text : "error " + std::to_string(err);
}

// "crw-rw----" of st_mode.
std::string ModeText(mode_t mode) {
    std::string text = S_ISCHR(mode) ? "c" : S_ISDIR(mode) ? "d" : S_ISBLK(mode) ? "b" : "-";
    const char* const kLetters = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit) {
        text += (mode & (0400 >> bit)) ? kLetters[bit] : '-';
    }
    return text;
}

std::string UserName(uid_t uid) {
    std::vector<char> buf(4096);
    passwd pw{};
    passwd* found = nullptr;
    if (getpwuid_r(uid, &pw, buf.data(), buf.size(), &found) == 0 && found) return pw.pw_name;
    return std::to_string(uid);
}

std::string GroupName(gid_t gid) {
    std::vector<char> buf(4096);
    group gr{};
    group* found = nullptr;
    if (getgrgid_r(gid, &gr, buf.data(), buf.size(), &found) == 0 && found) return gr.gr_name;
    return std::to_string(gid);
}

// What a network port's failure means in its own terms, after the system's text.
std::string NetworkHint(int err) {
    switch (err) {
        case EINVAL:
            return " (the link should read rfc2217://HOST:PORT)";
        case ENXIO:
            return " (the host name does not resolve)";
        case ECONNREFUSED:
            return " (nothing listens on that port)";
        case ETIMEDOUT:
            return " (the host did not answer in time)";
        case EPROTO:
            return " (the server does not speak RFC 2217)";
        case EBUSY:
            return " (the server's port is in use by another client)";
        case ECONNRESET:
            return " (the server ended the connection; its device may be missing)";
        default:
            return "";
    }
}

}  // namespace

std::string ComOpenFailureText(const std::string& settingsFolder, int com, int err) {
    const std::string entry = ComPortDevice(settingsFolder, com);
    if (entry.empty()) return "COM" + std::to_string(com) + ": " + ErrorText(err);

    std::string text = entry;
    const std::string link = LinkText(entry);
    if (!link.empty()) text += " -> " + link;
    text += ": " + ErrorText(err);
    if (IsNetworkPortText(link)) return text + NetworkHint(err);
    // Access is decided by the device's mode, owner and group; the group is the one to join.
    struct stat st {};
    if ((err == EACCES || err == EPERM) && stat(entry.c_str(), &st) == 0) {
        text += " (" + ModeText(st.st_mode) + " " + UserName(st.st_uid) + " " +
                GroupName(st.st_gid) + ")";
    }
    return text;
}
