// iniacs on real files: exact bytes after buffered and write-through edits, failures that
// must lose nothing, and hostile files whose untouched lines must survive byte for byte.
#include "settings/iniacs.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/profile_file.h"
#include "support/test_env.h"

namespace {

std::unique_ptr<iniacs> Buffered(const std::string& path) {
    auto ini = std::make_unique<iniacs>();
    ini->iniPath = path;
    ini->buffered = 1;
    return ini;
}

// One buffered edit of an existing file, written back when the object goes.
std::string EditOnce(const std::string& path, const std::string& before, const std::string& section,
                     const std::string& key, int value) {
    WriteFile(path, before);
    Buffered(path)->WriteInt(key, section, value);
    return ReadFile(path);
}

}  // namespace

TEST(Iniacs, BufferedEditsGiveExactBytes) {
    TempDir dir;
    const std::string path = dir.path() + "p.ini";

    // A new file gets two lines, then a third; it is written once, when the object goes.
    {
        auto ini = Buffered(path);
        EXPECT_EQ(ini->WriteInt("Left", "System", 10), 1);
        EXPECT_EQ(ini->WriteInt("Top", "System", -20), 1);
        EXPECT_EQ(ReadFile(path), "");  // created empty by the load, not yet written
    }
    EXPECT_EQ(ReadFile(path), "[System]\r\nLeft=10\r\nTop=-20\r\n");

    // A present key is replaced where it stands; everything else keeps its order.
    EXPECT_EQ(EditOnce(path, "; c\r\n[System]\r\nLeft=1\r\n\r\nTop=2\r\n[Graph]\r\nLeft=3\r\n",
                       "System", "Left", 5),
              "; c\r\n[System]\r\nLeft=5\r\n\r\nTop=2\r\n[Graph]\r\nLeft=3\r\n");

    // A new key goes right before the next section's header, after the section's blank and
    // comment lines; in the last section it goes at the end.
    EXPECT_EQ(EditOnce(path, "[System]\r\nLeft=1\r\n\r\n; graph\r\n[Graph]\r\nLeft=3\r\n", "System",
                       "Top", 2),
              "[System]\r\nLeft=1\r\n\r\n; graph\r\nTop=2\r\n[Graph]\r\nLeft=3\r\n");
    EXPECT_EQ(EditOnce(path, "[System]\r\nLeft=1\r\n[Graph]\r\nLeft=3\r\n", "Graph", "Width", 4),
              "[System]\r\nLeft=1\r\n[Graph]\r\nLeft=3\r\nWidth=4\r\n");

    // LF line ends come back as CR LF, and a missing final line break is added.
    EXPECT_EQ(EditOnce(path, "[System]\nLeft=1\n\n[Graph]\nTop=3", "Graph", "Top", 4),
              "[System]\r\nLeft=1\r\n\r\n[Graph]\r\nTop=4\r\n");
}

TEST(Iniacs, BufferedEditsFindSectionsAndKeysAsTheReaderDoes) {
    TempDir dir;
    const std::string path = dir.path() + "r.ini";

    // A header and a key edited by hand in other letter case and with blanks: the key's line
    // is replaced under that header, no second header comes, and the value reads back.
    EXPECT_EQ(EditOnce(path, "[ system ]\r\n  left = 1\r\nTop=2\r\n", "System", "Left", 5),
              "[ system ]\r\nLeft=5\r\nTop=2\r\n");
    EXPECT_EQ(GetPrivateProfileInt("System", "Left", -1, path), 5);
    EXPECT_EQ(EditOnce(path, "[system] note\r\nTop=2\r\n", "System", "Left", 6),
              "[system] note\r\nTop=2\r\nLeft=6\r\n");

    // An indented header ends the section: its keys are not this section's.
    EXPECT_EQ(EditOnce(path, "[System]\r\nTop=1\r\n  [Graph]\r\nLeft=3\r\n", "System", "Left", 7),
              "[System]\r\nTop=1\r\nLeft=7\r\n  [Graph]\r\nLeft=3\r\n");
    EXPECT_EQ(GetPrivateProfileInt("System", "Left", -1, path), 7);
    EXPECT_EQ(GetPrivateProfileInt("Graph", "Left", -1, path), 3);

    // A header without its "]" is none, but it ends the section before it: the key after it
    // belongs to no section and stays; a write to the named section adds a real header.
    const std::string broken = "[System]\r\nTop=1\r\n  [Graph\r\nLeft=3\r\n";
    EXPECT_EQ(EditOnce(path, broken, "System", "Left", 8),
              "[System]\r\nTop=1\r\nLeft=8\r\n  [Graph\r\nLeft=3\r\n");
    EXPECT_EQ(GetPrivateProfileInt("System", "Left", -1, path), 8);
    EXPECT_EQ(EditOnce(path, broken, "Graph", "Left", 9), broken + "[Graph]\r\nLeft=9\r\n");
    EXPECT_EQ(GetPrivateProfileInt("Graph", "Left", -1, path), 9);
}

TEST(Iniacs, BufferedEditsOfAFileWithoutAFinalLineEnd) {
    TempDir dir;
    const std::string path = dir.path() + "e.ini";
    // An existing section and a new one, in one object: the last line gets its line end, the
    // new lines are lines of their own, and everything reads back.
    WriteFile(path, "[System]\r\nLeft=1\r\n[Graph]\r\nTop=3");
    {
        auto ini = Buffered(path);
        EXPECT_EQ(ini->WriteInt("Width", "Graph", 4), 1);
        EXPECT_EQ(ini->WriteInt("Range", "Setting", 1), 1);
    }
    EXPECT_EQ(ReadFile(path),
              "[System]\r\nLeft=1\r\n[Graph]\r\nTop=3\r\nWidth=4\r\n[Setting]\r\nRange=1\r\n");
    EXPECT_EQ(GetPrivateProfileInt("Graph", "Top", -1, path), 3);
    EXPECT_EQ(GetPrivateProfileInt("Graph", "Width", -1, path), 4);
    EXPECT_EQ(GetPrivateProfileInt("Setting", "Range", -1, path), 1);

    // The last line a comment: the new section still starts on a line of its own.
    EXPECT_EQ(EditOnce(path, "[System]\r\nLeft=1\r\n; end", "Setting", "Range", 0),
              "[System]\r\nLeft=1\r\n; end\r\n[Setting]\r\nRange=0\r\n");
    EXPECT_EQ(GetPrivateProfileInt("Setting", "Range", -1, path), 0);
}

TEST(Iniacs, ReadOnlyFilesStayAsTheyAre) {
    TempDir dir;
    const std::string path = dir.path() + "locked.ini";
    const std::string original = "[System]\r\nLeft=1\r\n";
    // Locked for everyone, and locked by its owner only (the group may write): both are
    // read-only, also to root, who could open them for writing.
    for (const mode_t mode : {0444, 0464}) {
        WriteFile(path, original);
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        {
            auto ini = Buffered(path);
            EXPECT_EQ(ini->WriteInt("Left", "System", 2), 0) << std::oct << mode;
            EXPECT_EQ(ini->loaded, 0);
        }
        {
            iniacs ini;  // write-through: the write fails, WriteInt reports 1 as always
            ini.iniPath = path;
            EXPECT_EQ(ini.WriteInt("Left", "System", 3), 1);
        }
        EXPECT_FALSE(WritePrivateProfileString("System", "Top", "4", path));
        EXPECT_EQ(ReadFile(path), original) << std::oct << mode;
        struct stat info {};
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode);
    }

    // Made read-only after the buffered load: the write-back fails and changes nothing.
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
    {
        auto ini = Buffered(path);
        EXPECT_EQ(ini->WriteInt("Left", "System", 5), 1);
        ASSERT_EQ(chmod(path.c_str(), 0400), 0);
        errno = 0;
        EXPECT_FALSE(ini->FlushLines());
        EXPECT_EQ(errno, EACCES);
        ini->loaded = 0;
    }
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_EQ(testkit::FolderEntries(dir.path()), std::vector<std::string>{"locked.ini"});
}

TEST(Iniacs, BufferedEditsKeepWholeNamesAndByteOrderMarks) {
    TempDir dir;
    const std::string path = dir.path() + "n.ini";

    // A key is a whole name: writing Top keeps a TopMost line.
    EXPECT_EQ(EditOnce(path, "[System]\r\nTopMost=1\r\nTop =2\r\n", "System", "Top", 3),
              "[System]\r\nTopMost=1\r\nTop=3\r\n");

    // A byte-order mark before the first header stays and does not hide the section.
    EXPECT_EQ(EditOnce(path, "\xEF\xBB\xBF[System]\r\nLeft=1\r\n", "System", "Left", 2),
              "\xEF\xBB\xBF[System]\r\nLeft=2\r\n");

    // Only the first of two sections of a name is edited.
    EXPECT_EQ(EditOnce(path, "[System]\r\nLeft=1\r\n[System]\r\nLeft=2\r\n", "System", "Left", 9),
              "[System]\r\nLeft=9\r\n[System]\r\nLeft=2\r\n");
}

TEST(Iniacs, WriteThroughAndFailuresLoseNothing) {
    TempDir dir;
    const std::string path = dir.path() + "o.ini";

    // Write-through: the value is in the file at once; a failed write still reports 1.
    {
        iniacs ini;
        ini.iniPath = path;
        EXPECT_EQ(ini.WriteInt("Com", "Option", 3), 1);
        EXPECT_EQ(GetPrivateProfileInt("Option", "Com", -1, path), 3);
        EXPECT_TRUE(ini.lines.empty());
        ini.iniPath = dir.path() + "missing/o.ini";
        EXPECT_EQ(ini.WriteInt("Com", "Option", 3), 1);
    }
    EXPECT_FALSE(PathExists(dir.path() + "missing"));

    // Buffered into a folder that does not exist: refused, nothing created; once the folder
    // exists, the next write of the same object loads and succeeds.
    const std::string later = dir.path() + "later/p.ini";
    {
        auto ini = Buffered(later);
        EXPECT_EQ(ini->WriteInt("Left", "System", 1), 0);
        EXPECT_EQ(ini->loaded, 0);
        EXPECT_FALSE(PathExists(dir.path() + "later"));
        std::filesystem::create_directory(dir.path() + "later");
        EXPECT_EQ(ini->WriteInt("Top", "System", 2), 1);
    }
    EXPECT_EQ(ReadFile(later), "[System]\r\nTop=2\r\n");

    // A folder or a FIFO in place of the file: refused at once, nothing written, no hang.
    const std::string folder = dir.path() + "folder.ini";
    std::filesystem::create_directory(folder);
    EXPECT_EQ(Buffered(folder)->WriteInt("Left", "System", 1), 0);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    const std::string fifo = dir.path() + "fifo.ini";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Buffered(fifo)->WriteInt("Left", "System", 1), 0);

    // Edits that would split a line are refused and leave the file as it was.
    WriteFile(path, "[System]\r\nLeft=1\r\n");
    {
        auto ini = Buffered(path);
        EXPECT_EQ(ini->SetLine("System", "Left", "2\r\n[Evil]"), 0);
        EXPECT_EQ(ini->SetLine("System", "", "2"), 0);
        EXPECT_EQ(ini->SetLine("Sys\ntem", "Left", "2"), 0);
    }
    EXPECT_EQ(ReadFile(path), "[System]\r\nLeft=1\r\n");

    // The write-back fails (the folder went away after the load): the old file stays whole
    // where it now is, and no temporary file is left anywhere.
    const std::string moving = dir.path() + "moving/";
    std::filesystem::create_directory(moving);
    WriteFile(moving + "p.ini", "[System]\r\nLeft=1\r\n");
    {
        auto ini = Buffered(moving + "p.ini");
        EXPECT_EQ(ini->WriteInt("Left", "System", 2), 1);
        std::filesystem::rename(moving, dir.path() + "moved");
    }
    EXPECT_EQ(ReadFile(dir.path() + "moved/p.ini"), "[System]\r\nLeft=1\r\n");
    EXPECT_FALSE(PathExists(moving));
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path() + "moved")) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(Iniacs, HostileFilesKeepEveryUntouchedLine) {
    TempDir dir;
    const std::string path = dir.path() + "h.ini";

    // NUL bytes, invalid UTF-8, a stray "[" line, a 5 MB line, no final line break.
    const std::string huge(5 * 1024 * 1024, 'x');
    const std::string garbage(
        "\x00\xff\xfe\xc3(\x80=\x00"
        "1",
        9);
    std::string before = std::string("[System]\r\n") + garbage + "\r\n" + huge + "\n" +
                         "\xE6\x97\xA5\xE6\x9C\xAC=\xE8\xAA\x9E\r\n[\r\nLeft=1";
    EXPECT_EQ(EditOnce(path, before, "System", "Top", 7),
              "[System]\r\n" + garbage + "\r\n" + huge + "\r\n" +
                  "\xE6\x97\xA5\xE6\x9C\xAC=\xE8\xAA\x9E\r\nTop=7\r\n[\r\nLeft=1\r\n");

    // CR-only line ends: each CR ends a line, as for the profile reader, so the key is found
    // and replaced in place and every other line's text survives.
    EXPECT_EQ(EditOnce(path, "[System]\rLeft=1\rTop=2\r", "System", "Left", 5),
              "[System]\r\nLeft=5\r\nTop=2\r\n");
    EXPECT_EQ(GetPrivateProfileInt("System", "Left", -1, path), 5);

    // Pure garbage without any section: kept whole, the section is added after it.
    const std::string noise("\x01\x02\r\x00\x00\n\x7f\xff", 8);
    EXPECT_EQ(EditOnce(path, noise, "System", "Left", 1),
              std::string("\x01\x02\r\n\x00\x00\r\n\x7f\xff\r\n[System]\r\nLeft=1\r\n", 30));
}
