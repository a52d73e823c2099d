// The profile reader and writer on real files: the reading rules of existing files, exact
// bytes after writes, and failures that must leave the old file whole.
#include "platform/profile_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>

#include "support/child_process.h"
#include "support/test_env.h"

namespace {

int Read(const std::string& section, const std::string& key, const std::string& path) {
    return GetPrivateProfileInt(section, key, -77, path);
}

int FilesIn(const std::string& folder) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++count;
    }
    return count;
}

}  // namespace

TEST(ProfileReader, ReadsExistingFilesLikeTheWindowsReader) {
    TempDir dir;
    const std::string path = dir.path() + "a.ini";
    WriteFile(path,
              "\xEF\xBB\xBF"
              "Orphan=4\r\n"
              "[ oPtIoN ] trailing text\r\n"
              "  Com   =   5  \n"
              "AutoCom=\"7\"\r"
              ";AutoRun=3\r\n"
              "Dup=1\r\n"
              "dup=2\r\n"
              "NoEq\r\n"
              "Empty=\r\n"
              "Blank=   \r\n"
              "Quoted=\"\"\r\n"
              " [Other\r\n"
              "Broken=3\r\n"
              "[Other]\r\n"
              "Com=9\r\n"
              "[option]\r\n"
              "Extra=8\r\n"
              "Orphan=6");
    EXPECT_EQ(Read("Option", "Com", path), 5);        // BOM skipped, case and blanks ignored
    EXPECT_EQ(Read(" OPTION ", " com ", path), 5);    // blanks around the names
    EXPECT_EQ(Read("Option", "AutoCom", path), 7);    // CR-only line end, quotes removed
    EXPECT_EQ(Read("Option", "AutoRun", path), -77);  // a comment is not a key
    EXPECT_EQ(Read("Option", "Dup", path), 1);        // the first matching key wins
    EXPECT_EQ(Read("Option", "NoEq", path), -77);     // no "=": default
    EXPECT_EQ(Read("Option", "Empty", path), -77);    // empty value: default
    EXPECT_EQ(Read("Option", "Blank", path), -77);    // blanks only: default
    EXPECT_EQ(Read("Option", "Quoted", path), -77);   // "" is empty too
    EXPECT_EQ(Read("Option", "Extra", path), -77);    // a repeated section is not merged
    EXPECT_EQ(Read("Option", "Orphan", path), -77);   // before the first section: no section
    EXPECT_EQ(Read("", "Orphan", path), -77);
    EXPECT_EQ(Read("Other", "Com", path), 9);        // "[Other" without "]" is no header ...
    EXPECT_EQ(Read("Other", "Broken", path), -77);   // ... and its keys belong to no section
    EXPECT_EQ(Read("Option", "Broken", path), -77);  // ... but it ends the section before it
    EXPECT_EQ(Read("Missing", "Com", path), -77);
    EXPECT_EQ(Read("Option", "Missing", path), -77);
    EXPECT_EQ(Read("Option", "Com", dir.path() + "none.ini"), -77);
    EXPECT_EQ(Read("Option", "Com", dir.path()), -77);  // a folder is no file
}

TEST(ProfileReader, ParsesNumbersAsSignedThirtyTwoBits) {
    TempDir dir;
    const std::string path = dir.path() + "n.ini";
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"12abc", 12},
        {"-5", -5},
        {"+7", 7},
        {"0x1F", 31},
        {"0XfFz", 255},
        {"-0x10", -16},
        {"4294967295", -1},
        {"4294967296", 0},
        {"2147483648", INT_MIN},
        {"2147483647", INT_MAX},
        {"abc", 0},
        {"-", 0},
        {"0x", 0},
        {"\"-1\"", -1},
        {"1 2", 1},
        {"0xFFFFFFFF", -1},
        {"99999999999", 1215752191},  // modulo 2^32
    };
    std::string text = "[N]\r\n";
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        text += "K" + std::to_string(i) + "=" + cases[i].text + "\r\n";
    }
    WriteFile(path, text);
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        EXPECT_EQ(Read("N", "K" + std::to_string(i), path), cases[i].expected) << cases[i].text;
    }
}

TEST(ProfileWriter, CreatesSectionsAndKeysAndKeepsEveryOtherByte) {
    TempDir dir;
    const std::string path = dir.path() + "w.ini";

    // A new file, a new key after the last key, a replaced value where it stands.
    ASSERT_TRUE(WritePrivateProfileString("Option", "Com", "1", path));
    EXPECT_EQ(ReadFile(path), "[Option]\r\nCom=1\r\n");
    ASSERT_TRUE(WritePrivateProfileString("Option", "AutoCom", "2", path));
    ASSERT_TRUE(WritePrivateProfileString("Option", "Com", "9", path));
    EXPECT_EQ(ReadFile(path), "[Option]\r\nCom=9\r\nAutoCom=2\r\n");
    EXPECT_EQ(Read("Option", "Com", path), 9);

    // A hand-written LF file: new lines take its line end, comments and blanks stay put, the
    // last line gets a line end before anything is added after it.
    WriteFile(path, "; head\n[System]\nLeft=3\n\n[option]\nCom=1\n; tail\n\n[Other]\nX=1");
    ASSERT_TRUE(WritePrivateProfileString("Option", "AutoRun", "1", path));
    EXPECT_EQ(ReadFile(path),
              "; head\n[System]\nLeft=3\n\n[option]\nCom=1\nAutoRun=1\n; tail\n\n[Other]\nX=1");
    ASSERT_TRUE(WritePrivateProfileString("Other", "Y", "2", path));
    EXPECT_EQ(ReadFile(path),
              "; head\n[System]\nLeft=3\n\n[option]\nCom=1\nAutoRun=1\n; tail\n\n"
              "[Other]\nX=1\nY=2\n");
    ASSERT_TRUE(WritePrivateProfileString("New", "K", "3", path));
    EXPECT_EQ(ReadFile(path),
              "; head\n[System]\nLeft=3\n\n[option]\nCom=1\nAutoRun=1\n; tail\n\n"
              "[Other]\nX=1\nY=2\n[New]\nK=3\n");

    // Each untouched line keeps its own line end; the replaced key is the one the reader sees.
    WriteFile(path, "\xEF\xBB\xBF[A]\r\n  k = 1\nz=2\r[A]\r\nK=7\r\n");
    ASSERT_TRUE(WritePrivateProfileString("a", "K", "5", path));
    EXPECT_EQ(ReadFile(path), "\xEF\xBB\xBF[A]\r\nK=5\nz=2\r[A]\r\nK=7\r\n");
    EXPECT_EQ(Read("A", "K", path), 5);

    // The file's mode is kept and no temporary file is left behind.
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WritePrivateProfileString("A", "K", "6", path));
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(FilesIn(dir.path()), 1);

    // Writing through a link replaces the file it points to and keeps the link.
    const std::string link = dir.path() + "link.ini";
    ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WritePrivateProfileString("A", "K", "8", link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(Read("A", "K", path), 8);

    // Single writes into hand-made files: the exact bytes after, and the value reads back.
    const struct {
        const char* before;
        const char* section;
        const char* key;
        int value;
        const char* after;
    } cases[] = {
        // A header without its "]" ends the section before it but names none: a key of that
        // section goes before it, and a write to the section it seems to name adds a header.
        {"[S]\r\nA=1\r\n[T\r\nB=2\r\n", "S", "B", 3, "[S]\r\nA=1\r\nB=3\r\n[T\r\nB=2\r\n"},
        {"[S]\r\nA=1\r\n[T\r\nB=2\r\n", "T", "B", 4, "[S]\r\nA=1\r\n[T\r\nB=2\r\n[T]\r\nB=4\r\n"},
        // No line end after the last line: a new section and a new key of an existing one
        // each start on a line of their own, and the bytes before stay.
        {"[S]\r\nA=1\r\n[T]\r\nB=2", "U", "C", 3, "[S]\r\nA=1\r\n[T]\r\nB=2\r\n[U]\r\nC=3\r\n"},
        {"[S]\r\nA=1\r\n[T]\r\nB=2", "T", "C", 4, "[S]\r\nA=1\r\n[T]\r\nB=2\r\nC=4\r\n"},
        // A first line ending in a lone CR: the new key's CR must not join the LF of the empty
        // line after it into one line end, which would lose that line.
        {"[S]\rA=1\r\n\n", "S", "B", 2, "[S]\rA=1\r\nB=2\r\n\n"},
    };
    for (const auto& c : cases) {
        WriteFile(path, c.before);
        ASSERT_TRUE(WritePrivateProfileString(c.section, c.key, std::to_string(c.value), path));
        EXPECT_EQ(ReadFile(path), c.after) << c.before;
        EXPECT_EQ(Read(c.section, c.key, path), c.value) << c.before;
    }
}

TEST(ProfileWriter, FailuresReportFalseAndLeaveTheOldFileWhole) {
    TempDir dir;
    const std::string path = dir.path() + "keep.ini";
    const std::string original = "[S]\r\nK=1\r\n";
    WriteFile(path, original);

    // Names and values that would break the line structure are refused.
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "1\r\n[Evil]", path));
    EXPECT_FALSE(WritePrivateProfileString("S", "K=2", "1", path));
    EXPECT_FALSE(WritePrivateProfileString("S", "", "1", path));
    EXPECT_FALSE(WritePrivateProfileString("S]", "K", "1", path));
    EXPECT_FALSE(WritePrivateProfileString("S\n", "K", "1", path));
    EXPECT_EQ(ReadFile(path), original);

    // A folder that does not exist is not created; a folder in place of the file stays.
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "2", dir.path() + "no/such/x.ini"));
    EXPECT_FALSE(PathExists(dir.path() + "no"));
    const std::string folder = dir.path() + "folder.ini";
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "2", folder));
    EXPECT_FALSE(ReplaceFileContent(folder, "x"));
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    // A FIFO in place of an ini file neither blocks the reader nor the writer.
    const std::string fifo = dir.path() + "fifo.ini";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Read("S", "K", fifo), -77);
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "2", fifo));
    EXPECT_FALSE(ReplaceFileContent("", "x"));

    EXPECT_EQ(ReadFile(path), original);
    EXPECT_EQ(FilesIn(dir.path()), 3);  // keep.ini, folder.ini, fifo.ini: no temporary left
}

TEST(FileReplacement, AFailureLeavesTheFailingStepsErrorInErrno) {
    TempDir dir;
    // Each failure is checked against a distinct errno set beforehand, so a stale value
    // cannot pass for the step's own.
    errno = 0;
    EXPECT_FALSE(ReplaceFileContent("", "x"));
    EXPECT_EQ(errno, ENOENT);

    errno = 0;
    EXPECT_FALSE(ReplaceFileContent(dir.path() + "no/such/x.csv", "x"));
    EXPECT_EQ(errno, ENOENT);

    const std::string folder = dir.path() + "folder.csv";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    errno = 0;
    EXPECT_FALSE(ReplaceFileContent(folder, "x"));
    EXPECT_EQ(errno, EISDIR);

    const std::string fifo = dir.path() + "fifo.csv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    errno = 0;
    EXPECT_FALSE(ReplaceFileContent(fifo, "x"));
    EXPECT_EQ(errno, EINVAL);

    // A read-only file (by its owner's write bit, whoever asks): left as it is.
    const std::string readOnly = dir.path() + "read-only.csv";
    WriteFile(readOnly, "old\n");
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    errno = 0;
    EXPECT_FALSE(ReplaceFileContent(readOnly, "new\n"));
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(ReadFile(readOnly), "old\n");

    // A folder that cannot be written: the temporary file cannot be made.
    if (geteuid() != 0) {
        const std::string locked = dir.path() + "locked/";
        ASSERT_EQ(mkdir(locked.c_str(), 0700), 0);
        WriteFile(locked + "keep.csv", "old\n");
        ASSERT_EQ(chmod(locked.c_str(), 0500), 0);
        errno = 0;
        EXPECT_FALSE(ReplaceFileContent(locked + "keep.csv", "new\n"));
        EXPECT_EQ(errno, EACCES);
        ASSERT_EQ(chmod(locked.c_str(), 0700), 0);
        EXPECT_EQ(ReadFile(locked + "keep.csv"), "old\n");
        EXPECT_EQ(FilesIn(locked), 1);
    }

    // The disk filling up halfway through the write, made real with a file-size limit in a
    // child process: EFBIG, the old file whole and no part of the new one left.
    const std::string path = dir.path() + "big.csv";
    WriteFile(path, "old\n");
    EXPECT_TRUE(RunWithFileSizeLimit(4096, [&] {
        errno = 0;
        const bool ok = ReplaceFileContent(path, std::string(100000, 'x'));
        return !ok && errno == EFBIG;
    }));
    EXPECT_EQ(ReadFile(path), "old\n");
    // folder.csv, fifo.csv, read-only.csv, big.csv and (when not root) locked/: no temporary
    // file left.
    EXPECT_EQ(FilesIn(dir.path()), geteuid() != 0 ? 5 : 4);
}
