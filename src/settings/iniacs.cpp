// The ini writer: write-through through the profile writer, or buffered as a line image that
// is edited in memory and written back once.
#include "settings/iniacs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <string_view>

#include "platform/profile_file.h"
#include "platform/profile_lines.h"

iniacs::iniacs() = default;

iniacs::~iniacs() {
    if (loaded) FlushLines();
}

int iniacs::WriteInt(const std::string& key, const std::string& section, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    if (buffered) return SetLine(section, key, text);
    WritePrivateProfileString(section, key, text, iniPath);
    return 1;
}

int iniacs::SetLine(const std::string& section, const std::string& key, const std::string& text) {
    // Names and values that would not read back as written (a line break would split the
    // edited line in two, an empty key would match whatever line follows the header) are
    // refused, as the write-through writer refuses them.
    if (!IsWritableProfileEntry(section, key, text)) return 0;
    if (!loaded) {
        if (!LoadLines()) return 0;
        loaded = 1;
    }
    const std::string sectionName(TrimProfileBlanks(section));
    const std::string keyName(TrimProfileBlanks(key));
    int position = -1;
    int keyFound = 0;
    size_t insertAt;
    if (FindKey(sectionName, keyName, &position, &keyFound)) {
        if (keyFound) lines.erase(lines.begin() + position);
        insertAt = static_cast<size_t>(position);
    } else {
        lines.push_back("[" + sectionName + "]");
        insertAt = lines.size();
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), keyName + "=" + text);
    return 1;
}

int iniacs::LoadLines() {
    lines.clear();
    // Opened for reading and writing so that a folder or file we could never write back to
    // fails here, before any edit is accepted; a missing file is created empty.
    // Non-blocking and regular files only: a FIFO or device in its place must not hang us.
    const int fd = open(iniPath.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return 0;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return 0;
    }
    // A file its owner made read-only is never written back, also when root could open it.
    if (IsReadOnlyByMode(info.st_mode)) {
        close(fd);
        errno = EACCES;
        return 0;
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            close(fd);
            return 0;
        }
        if (n == 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    close(fd);

    // Lines end at CR LF, LF or a lone CR, the same line ends the profile reader knows, so
    // that the writer and the reader agree on what a line is (a CR-only file is many lines,
    // not one line in which no section could be found). The text of every line is kept
    // byte for byte; only its line end becomes CR LF when the image is written back.
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(text.substr(pos));
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return 1;
}

int iniacs::FindKey(const std::string& section, const std::string& key, int* position,
                    int* keyFound) const {
    *position = -1;
    *keyFound = 0;
    int sectionFound = 0;
    const int count = static_cast<int>(lines.size());
    for (int i = 0; i < count; ++i) {
        std::string_view line = lines[static_cast<size_t>(i)];
        // The reader skips a UTF-8 byte-order mark before the first line; so does this match,
        // or a file saved by an editor with a BOM would get a second header.
        if (i == 0 && line.compare(0, kProfileBom.size(), kProfileBom) == 0) {
            line.remove_prefix(kProfileBom.size());
        }
        // Headers and keys are found by the reader's rules (letter case and blanks around the
        // names ignored): a line that the reader takes for the section or the key but this
        // writer did not would stay in front of the edit, and the edit would never be read.
        const ProfileLine parsed = ParseProfileLine(line);
        if (!sectionFound) {
            if (parsed.kind == ProfileLineKind::kSection && SameProfileName(parsed.name, section)) {
                sectionFound = 1;
            }
            continue;
        }
        // The whole key name must match, not only its beginning, so that writing Top never
        // replaces a TopMost line.
        if (parsed.kind == ProfileLineKind::kKey && SameProfileName(parsed.name, key)) {
            *position = i;
            *keyFound = 1;
            return sectionFound;
        }
        // The section ends at the next header, also at a broken one ("[" without "]"), after
        // which the reader counts no key to this section.
        if (parsed.kind == ProfileLineKind::kSection ||
            parsed.kind == ProfileLineKind::kBrokenHeader) {
            *position = i;
            return sectionFound;
        }
    }
    if (sectionFound && *position == -1) *position = count;
    return sectionFound;
}

bool iniacs::FlushLines() {
    size_t total = 0;
    for (const std::string& line : lines) total += line.size() + 2;
    std::string image;
    image.reserve(total);
    for (const std::string& line : lines) {
        image += line;
        image += "\r\n";
    }
    // Through a temporary file and a rename, so that a failed write leaves the old file whole.
    return ReplaceFileContent(iniPath, image);
}
