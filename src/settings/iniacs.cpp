// The ini writer: write-through through the profile writer, or buffered as a line image that
// is edited in memory and written back once.
#include "settings/iniacs.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/profile_file.h"

namespace {

bool HasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

bool BeginsWith(const std::string& line, const std::string& prefix) {
    return line.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

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
    // A line break in a name or value would split the edited line in two, and an empty key
    // would match (and replace) whatever line follows the header: such edits are refused.
    if (key.empty() || HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(text)) {
        return 0;
    }
    if (!loaded) {
        if (!LoadLines()) return 0;
        loaded = 1;
    }
    int position = -1;
    int keyFound = 0;
    size_t insertAt;
    if (FindKey(section, key, &position, &keyFound)) {
        if (keyFound) lines.erase(lines.begin() + position);
        insertAt = static_cast<size_t>(position);
    } else {
        lines.push_back("[" + section + "]");
        insertAt = lines.size();
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), key + "=" + text);
    return 1;
}

int iniacs::LoadLines() {
    lines.clear();
    // Opened for reading and writing so that a folder or file we could never write back to
    // fails here, before any edit is accepted; a missing file is created empty.
    const int fd = open(iniPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return 0;
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

    // Lines end at CR LF or LF; a lone CR is part of the line's text, so it is written back.
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            lines.push_back(text.substr(pos));
            break;
        }
        size_t textEnd = end;
        if (textEnd > pos && text[textEnd - 1] == '\r') --textEnd;
        lines.push_back(text.substr(pos, textEnd - pos));
        pos = end + 1;
    }
    return 1;
}

int iniacs::FindKey(const std::string& section, const std::string& key, int* position,
                    int* keyFound) const {
    const std::string header = "[" + section + "]";
    *position = -1;
    *keyFound = 0;
    int sectionFound = 0;
    const int count = static_cast<int>(lines.size());
    for (int i = 0; i < count; ++i) {
        const std::string& line = lines[static_cast<size_t>(i)];
        if (!sectionFound) {
            if (BeginsWith(line, header)) sectionFound = 1;
            continue;
        }
        // Prefix match, no "=" required: this is how the file has always been edited.
        if (BeginsWith(line, key)) {
            *position = i;
            *keyFound = 1;
            return sectionFound;
        }
        if (!line.empty() && line.front() == '[') {
            *position = i;
            return sectionFound;
        }
    }
    if (sectionFound && *position == -1) *position = count;
    return sectionFound;
}

void iniacs::FlushLines() {
    size_t total = 0;
    for (const std::string& line : lines) total += line.size() + 2;
    std::string image;
    image.reserve(total);
    for (const std::string& line : lines) {
        image += line;
        image += "\r\n";
    }
    // Through a temporary file and a rename, so that a failed write leaves the old file whole.
    ReplaceFileContent(iniPath, image);
}
