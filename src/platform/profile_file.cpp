// The profile reader and writer, reading files the way the Windows profile calls do, and the
// safe whole-file replacement every ini rewrite goes through.
#include "platform/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/profile_lines.h"

namespace {

// One line of a profile file: where its text lies in the file and how long its line end is.
struct RawLine {
    size_t begin = 0;
    size_t length = 0;     // text without the line end
    size_t endLength = 0;  // 0 (last line without a line end), 1 (LF or CR) or 2 (CR LF)
};

// Splits text into lines at CR LF, LF or a lone CR, starting after a byte-order mark. A lone CR
// ends a line as it does for Windows' profile reader (a file saved with CR line ends would else
// be one long line in which no section is found). The byte-order mark that some editors put at
// the start is no part of the first line, or the first header would not be recognised.
std::vector<RawLine> SplitProfileLines(const std::string& text) {
    std::vector<RawLine> lines;
    size_t pos = text.compare(0, kProfileBom.size(), kProfileBom) == 0 ? kProfileBom.size() : 0;
    while (pos < text.size()) {
        RawLine line;
        line.begin = pos;
        size_t end = pos;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
        line.length = end - pos;
        if (end < text.size()) {
            line.endLength =
                (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
        }
        lines.push_back(line);
        pos = end + line.endLength;
    }
    return lines;
}

// Where section/key lies in a file: the index of the first header of the section (or -1),
// the index of the first matching key line inside it (or -1), and the last key line of the
// section, after which a new key goes.
struct KeyLocation {
    int sectionLine = -1;
    int keyLine = -1;
    int lastKeyLine = -1;
};

KeyLocation LocateKey(const std::string& text, const std::vector<RawLine>& lines,
                      std::string_view section, std::string_view key) {
    KeyLocation where;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const ProfileLine parsed =
            ParseProfileLine(std::string_view(text).substr(lines[i].begin, lines[i].length));
        if (parsed.kind == ProfileLineKind::kSection ||
            parsed.kind == ProfileLineKind::kBrokenHeader) {
            if (inSection) break;  // only the first section of a name is read
            if (parsed.kind == ProfileLineKind::kSection && SameProfileName(parsed.name, section)) {
                inSection = true;
                where.sectionLine = static_cast<int>(i);
                where.lastKeyLine = static_cast<int>(i);
            }
            continue;
        }
        if (!inSection || parsed.kind != ProfileLineKind::kKey) continue;
        where.lastKeyLine = static_cast<int>(i);
        if (SameProfileName(parsed.name, key)) {
            where.keyLine = static_cast<int>(i);
            break;
        }
    }
    return where;
}

// The value as the profile reader reads it: optional sign, decimal digits or hexadecimal
// after "0x", up to the first other character, modulo 2^32 as a signed 32-bit number.
int ParseProfileInt(std::string_view value) {
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
        negative = value[i] == '-';
        ++i;
    }
    uint32_t result = 0;
    if (i + 1 < value.size() && value[i] == '0' && (value[i + 1] == 'x' || value[i + 1] == 'X')) {
        for (i += 2; i < value.size(); ++i) {
            const char c = value[i];
            uint32_t digit;
            if (c >= '0' && c <= '9') {
                digit = static_cast<uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                digit = static_cast<uint32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                digit = static_cast<uint32_t>(c - 'A' + 10);
            } else {
                break;
            }
            result = result * 16u + digit;
        }
    } else {
        for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
            result = result * 10u + static_cast<uint32_t>(value[i] - '0');
        }
    }
    if (negative) result = 0u - result;
    // Two's complement reinterpretation, well defined through the unsigned range test.
    return result <= static_cast<uint32_t>(INT32_MAX)
               ? static_cast<int>(result)
               : static_cast<int>(result - 0x80000000u) + INT32_MIN;
}

// Reads the whole file. Missing file: true with empty text and exists false.
bool ReadWholeFile(const std::string& path, std::string* text, bool* exists) {
    text->clear();
    *exists = false;
    // Non-blocking open and a regular-file check: a FIFO or device in place of an ini file
    // must not hang the caller.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return false;
    }
    *exists = true;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            close(fd);
            return false;
        }
        if (n == 0) break;
        text->append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return true;
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = EIO;  // no progress and no reason given: reported as an I/O error
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Ends a failed replacement: removes the temporary file (if any) and leaves errno at the
// failing step's error, whatever the clean-up does to it.
bool FailWith(int error, const std::string& temp = std::string()) {
    if (!temp.empty()) unlink(temp.c_str());
    errno = error;
    return false;
}

}  // namespace

bool IsReadOnlyByMode(unsigned mode) {
    return (mode & S_IWUSR) == 0;
}

int GetPrivateProfileInt(const std::string& section, const std::string& key, int def,
                         const std::string& path) {
    std::string text;
    bool exists = false;
    if (!ReadWholeFile(path, &text, &exists) || !exists) return def;
    const std::vector<RawLine> lines = SplitProfileLines(text);
    const KeyLocation where =
        LocateKey(text, lines, TrimProfileBlanks(section), TrimProfileBlanks(key));
    if (where.keyLine < 0) return def;
    const RawLine& line = lines[static_cast<size_t>(where.keyLine)];
    const ProfileLine parsed =
        ParseProfileLine(std::string_view(text).substr(line.begin, line.length));
    if (!parsed.hasValue || parsed.value.empty()) return def;
    return ParseProfileInt(parsed.value);
}

bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& path) {
    // Names and values that would break the line structure are refused rather than written.
    if (!IsWritableProfileEntry(section, key, value)) return false;
    const std::string_view sectionName = TrimProfileBlanks(section);
    const std::string_view keyName = TrimProfileBlanks(key);

    std::string text;
    bool exists = false;
    if (!ReadWholeFile(path, &text, &exists)) return false;
    const std::vector<RawLine> lines = SplitProfileLines(text);
    const KeyLocation where = LocateKey(text, lines, sectionName, keyName);

    // New lines take the file's own line end (that of its first line), CR LF in a new file.
    std::string lineEnd = "\r\n";
    if (!lines.empty() && lines.front().endLength > 0) {
        lineEnd = text.substr(lines.front().begin + lines.front().length, lines.front().endLength);
    }
    const std::string keyLine = std::string(keyName) + "=" + value;

    std::string out;
    out.reserve(text.size() + keyLine.size() + sectionName.size() + 8);
    if (where.keyLine >= 0) {
        const RawLine& line = lines[static_cast<size_t>(where.keyLine)];
        out.append(text, 0, line.begin);
        out += keyLine;
        out.append(text, line.begin + line.length, std::string::npos);
    } else if (where.sectionLine >= 0) {
        const RawLine& after = lines[static_cast<size_t>(where.lastKeyLine)];
        const size_t split = after.begin + after.length + after.endLength;
        out.append(text, 0, split);
        if (after.endLength == 0) out += lineEnd;  // the file's last line gets its line end
        out += keyLine;
        // A lone CR followed by the next line's LF would read back as one CR LF, and the line
        // after the new key (an empty one) would be lost.
        const bool lfFollows = split < text.size() && text[split] == '\n';
        out += (lineEnd == "\r" && lfFollows) ? std::string("\r\n") : lineEnd;
        out.append(text, split, std::string::npos);
    } else {
        out = text;
        if (!lines.empty() && lines.back().endLength == 0) out += lineEnd;
        out += "[" + std::string(sectionName) + "]" + lineEnd + keyLine + lineEnd;
    }
    return ReplaceFileContent(path, out);
}

bool ReplaceFileContent(const std::string& path, const std::string& text) {
    if (path.empty()) return FailWith(ENOENT);
    // A link to an ini file stays a link: the file it points to is the one replaced.
    std::string target = path;
    struct stat linkInfo {};
    if (lstat(path.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
        char* resolved = realpath(path.c_str(), nullptr);
        if (resolved != nullptr) {
            target = resolved;
            free(resolved);
        }
    }
    struct stat old {};
    const bool hadOld = stat(target.c_str(), &old) == 0;
    if (hadOld && !S_ISREG(old.st_mode)) return FailWith(S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
    // The rename would replace a file whatever its mode; a file its owner has made read-only
    // is refused instead, also for root, who could write it anyway.
    if (hadOld && IsReadOnlyByMode(old.st_mode)) return FailWith(EACCES);

    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "./" : target.substr(0, slash + 1);
    const std::string baseName = slash == std::string::npos ? target : target.substr(slash + 1);

    // A hidden name of our own beside the file (not mkstemp, so that a new file gets the usual
    // mode under the umask); the base name is shortened so the name always fits.
    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder + "." + baseName.substr(0, 128) + ".tmp" + std::to_string(getpid()) + "-" +
               std::to_string(counter.fetch_add(1, std::memory_order_relaxed));
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return FailWith(errno);
    }
    if (fd < 0) return FailWith(EEXIST);

    // The content reaches the disk before the rename, so that after a crash the name points
    // either at the old file or at the whole new one.
    const bool written =
        WriteAll(fd, text) && (!hadOld || fchmod(fd, old.st_mode & 07777) == 0) && fsync(fd) == 0;
    const int writeError = errno;
    const bool closed = close(fd) == 0;
    if (!written) return FailWith(writeError, temp);
    if (!closed) return FailWith(errno, temp);
    if (rename(temp.c_str(), target.c_str()) != 0) return FailWith(errno, temp);
    // Make the rename itself durable. A failure here still leaves a whole file under the name
    // (old or new), so it is not reported.
    const int saved = errno;
    const int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    errno = saved;
    return true;
}
