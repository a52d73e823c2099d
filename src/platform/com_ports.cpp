#include "platform/com_ports.h"

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

namespace {

constexpr int kFirstCom = 1;
constexpr int kLastCom = 255;

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

std::string EntryPath(const std::string& folder, int number) {
    return folder + "COM" + std::to_string(number);
}

// The device a path finally names, or "" when it does not exist.
std::string Resolve(const std::string& path) {
    char buf[PATH_MAX];
    if (!realpath(path.c_str(), buf)) return {};
    return buf;
}

bool EntryExists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> DirNames(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = opendir(dir.c_str());
    if (!d) return names;
    while (dirent* e = readdir(d)) {
        if (e->d_name[0] != '.') names.emplace_back(e->d_name);
    }
    closedir(d);
    return names;
}

// Names "<prefix><digits>" from names, ordered by their number.
std::vector<std::string> NumberedNames(const std::vector<std::string>& names,
                                       const std::string& prefix) {
    std::vector<std::pair<long, std::string>> found;
    for (const std::string& name : names) {
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string digits = name.substr(prefix.size());
        if (digits.size() > 6 || !std::all_of(digits.begin(), digits.end(),
                                              [](char c) { return c >= '0' && c <= '9'; })) {
            continue;
        }
        found.emplace_back(std::strtol(digits.c_str(), nullptr, 10), name);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> out;
    for (auto& f : found) out.push_back(f.second);
    return out;
}

// A ttyS device has a UART behind it when sysfs reports a port type other than PORT_UNKNOWN.
bool HasUart(const std::string& sysTtyDir, const std::string& name) {
    const std::string path = sysTtyDir + name + "/type";
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return false;
    int type = 0;
    const int got = std::fscanf(f, "%d", &type);
    std::fclose(f);
    return got == 1 && type != 0;
}

std::mutex g_rootsMutex;
SerialDeviceRoots g_roots;

}  // namespace

std::string LinkText(const std::string& path) {
    char buf[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    if (n <= 0) return {};
    return std::string(buf, static_cast<size_t>(n));
}

bool IsNetworkPortText(const std::string& linkText) {
    return linkText.compare(0, sizeof kNetworkPortScheme - 1, kNetworkPortScheme) == 0;
}

bool ParseNetworkPort(const std::string& linkText, NetworkPortAddress* address) {
    if (!IsNetworkPortText(linkText)) return false;
    std::string rest = linkText.substr(sizeof kNetworkPortScheme - 1);
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    std::string host;
    size_t colon = 0;
    if (!rest.empty() && rest[0] == '[') {
        const size_t close = rest.find(']');
        if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':') {
            return false;
        }
        host = rest.substr(1, close - 1);
        colon = close + 1;
    } else {
        colon = rest.rfind(':');
        if (colon == std::string::npos) return false;
        host = rest.substr(0, colon);
        // A bare IPv6 address would be ambiguous here; it takes brackets.
        if (host.find(':') != std::string::npos) return false;
    }
    const std::string digits = rest.substr(colon + 1);
    if (host.empty() || host.find_first_of("/?#@ ") != std::string::npos || digits.empty() ||
        digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const long port = std::strtol(digits.c_str(), nullptr, 10);
    if (port < 1 || port > 65535) return false;
    address->host = host;
    address->port = static_cast<int>(port);
    return true;
}

bool ComPortFolderIsOverridden() {
    const char* dir = std::getenv("VANTREL_COM_DIR");
    return dir && *dir;
}

std::string ComPortFolder(const std::string& settingsFolder) {
    if (ComPortFolderIsOverridden()) return WithSlash(std::getenv("VANTREL_COM_DIR"));
    return WithSlash(settingsFolder) + "ports/";
}

std::string ComPortDevice(const std::string& settingsFolder, int number) {
    if (number < kFirstCom || number > kLastCom) return {};
    return EntryPath(ComPortFolder(settingsFolder), number);
}

std::vector<ComPortEntry> ListComPortsIn(const std::string& folderIn) {
    const std::string folder = WithSlash(folderIn);
    std::vector<ComPortEntry> out;
    for (int n = kFirstCom; n <= kLastCom; ++n) {
        const std::string path = EntryPath(folder, n);
        std::string link = LinkText(path);
        if (IsNetworkPortText(link)) {
            out.push_back(ComPortEntry{n, link, link});
            continue;
        }
        std::string target = Resolve(path);
        if (target.empty()) continue;  // no entry, or a link whose device is gone
        out.push_back(ComPortEntry{n, std::move(target), std::move(link)});
    }
    return out;
}

std::vector<std::string> FindSerialDevices(const SerialDeviceRoots& roots) {
    std::vector<std::string> out;
    std::vector<std::string> byId = DirNames(roots.byIdDir);
    std::sort(byId.begin(), byId.end());
    for (const std::string& name : byId) out.push_back(roots.byIdDir + name);

    const std::vector<std::string> dev = DirNames(roots.devDir);
    for (const char* prefix : {"ttyUSB", "ttyACM"}) {
        for (const std::string& name : NumberedNames(dev, prefix))
            out.push_back(roots.devDir + name);
    }
    for (const std::string& name : NumberedNames(dev, "ttyS")) {
        if (HasUart(roots.sysTtyDir, name)) out.push_back(roots.devDir + name);
    }
    return out;
}

int AddComPortLinks(const std::string& folderIn, const SerialDeviceRoots& roots) {
    const std::string folder = WithSlash(folderIn);
    std::set<int> taken;
    std::set<std::string> present;  // devices some entry already resolves to
    for (int n = kFirstCom; n <= kLastCom; ++n) {
        const std::string path = EntryPath(folder, n);
        if (!EntryExists(path)) continue;
        taken.insert(n);
        const std::string target = Resolve(path);
        if (!target.empty()) present.insert(target);
    }

    int made = 0;
    int next = kFirstCom;
    for (const std::string& device : FindSerialDevices(roots)) {
        const std::string target = Resolve(device);
        if (target.empty() || present.count(target)) continue;
        while (next <= kLastCom && taken.count(next)) ++next;
        if (next > kLastCom) break;
        if (made == 0) {
            // The folder is made only when there is something to put in it (mode 0700: the
            // links tell which adapters this user has).
            std::string partial;
            for (size_t i = 1; i <= folder.size(); ++i) {
                if (i == folder.size() || folder[i] == '/') {
                    partial = folder.substr(0, i);
                    mkdir(partial.c_str(), 0700);
                }
            }
        }
        if (symlink(device.c_str(), EntryPath(folder, next).c_str()) != 0) {
            // Someone made this entry meanwhile; it keeps its number and the device waits for
            // the next listing.
            taken.insert(next);
            continue;
        }
        taken.insert(next);
        present.insert(target);
        ++made;
    }
    return made;
}

SerialDeviceRoots SystemSerialDeviceRoots() {
    std::lock_guard<std::mutex> lock(g_rootsMutex);
    return g_roots;
}

void SetSystemSerialDeviceRoots(const SerialDeviceRoots& roots) {
    std::lock_guard<std::mutex> lock(g_rootsMutex);
    g_roots = roots;
}

int MakeAutomaticComPortLinks(const std::string& settingsFolder) {
    if (ComPortFolderIsOverridden()) return 0;
    return AddComPortLinks(ComPortFolder(settingsFolder), SystemSerialDeviceRoots());
}

std::vector<ComPortEntry> ListComPorts(const std::string& settingsFolder) {
    MakeAutomaticComPortLinks(settingsFolder);
    return ListComPortsIn(ComPortFolder(settingsFolder));
}
