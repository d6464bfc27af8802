// The profile (INI) layer, whole-file replacement and the executable's path.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <array>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>

#include "platform/atomic_file.h"
#include "platform/executable_path.h"
#include "platform/profile_file.h"
#include "tests/support/files.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
#ifndef _WIN32
using test_support::FileSizeLimit;
using test_support::InChildWithoutPrivileges;
using test_support::ModeOf;
#endif
using test_support::ReadFile;
using test_support::TempFolder;
using test_support::WriteFile;
using namespace std::string_literals;

// ---------------------------------------------------------------------------------------------
// Reading

TEST(ProfileReading, NamesValuesAndQuotes) {
    const std::string content =
        "Orphan=outside\r\n"
        "; Comment=ignored\r\n"
        "[ main ]\r\n"
        "  AutoSave  =  1  \r\n"
        "Quoted=\"  spaced  \"\r\n"
        "Single='x'\r\n"
        "Mismatched=\"x'\r\n"
        "Doubled=\"\"y\"\"\r\n"
        "Lone=\"\r\n"
        "NoEquals\r\n"
        "NoEquals=later\r\n"
        "Empty=\r\n"
        "Equals=a=b\r\n"
        "Dup=first\r\n"
        "Dup=second\r\n"
        "\tTabbed\t=\tt\t\n"
        "[Main]\r\n"
        "Later=z\r\n"
        "[Other]\n"
        "k=v\n";

    EXPECT_EQ(ReadProfileValue(content, "Main", "autosave"), "1");
    EXPECT_EQ(ReadProfileValue(content, "MAIN", " AUTOSAVE "), "1");
    EXPECT_EQ(ReadProfileValue(content, "Main", "Quoted"), "  spaced  ");
    EXPECT_EQ(ReadProfileValue(content, "Main", "Single"), "x");
    EXPECT_EQ(ReadProfileValue(content, "Main", "Mismatched"), "\"x'");
    EXPECT_EQ(ReadProfileValue(content, "Main", "Doubled"), "\"y\"");
    EXPECT_EQ(ReadProfileValue(content, "Main", "Lone"), "\"");
    EXPECT_EQ(ReadProfileValue(content, "Main", "NoEquals"), std::nullopt);
    EXPECT_EQ(ReadProfileValue(content, "Main", "Empty"), "");
    EXPECT_EQ(ReadProfileValue(content, "Main", "Equals"), "a=b");
    EXPECT_EQ(ReadProfileValue(content, "Main", "Dup"), "first");
    EXPECT_EQ(ReadProfileValue(content, "Main", "Tabbed"), "t");
    EXPECT_EQ(ReadProfileValue(content, "Main", "Later"), std::nullopt);  // second [Main]
    EXPECT_EQ(ReadProfileValue(content, "Main", "Orphan"), std::nullopt);
    EXPECT_EQ(ReadProfileValue(content, "Main", "; Comment"), std::nullopt);
    EXPECT_EQ(ReadProfileValue(content, "Other", "k"), "v");
    EXPECT_EQ(ReadProfileValue(content, "Missing", "k"), std::nullopt);
    EXPECT_EQ(ReadProfileValue("", "Main", "k"), std::nullopt);
}

TEST(ProfileReading, OddBytes) {
    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_EQ(ReadProfileValue(bom + "[Main]\r\nA=1", "Main", "A"), "1");  // no final break
    EXPECT_EQ(ReadProfileValue("[Main]\nA=ab\0cd\nB=2\n"s, "Main", "A"), "ab");
    EXPECT_EQ(ReadProfileValue("[Main]\nA=ab\0cd\nB=2\n"s, "Main", "B"), "2");
    EXPECT_EQ(ReadProfileValue("[Ma\0in]\nA=1\n"s, "Ma\0in"s, "A"), "1");
    // Only LF ends a line: a lone CR stays inside it.
    EXPECT_EQ(ReadProfileValue("[Main]\nA=1\rB=2\n", "Main", "B"), std::nullopt);
    // A header without its bracket still opens the section.
    EXPECT_EQ(ReadProfileValue("[Main\nA=1\n", "Main", "A"), "1");
}

// ---------------------------------------------------------------------------------------------
// Writing

TEST(ProfileWriting, ChangesOnlyTheKeyLine) {
    const std::string before =
        "; settings\r\n"
        "[Main]\r\n"
        "  autosave = 1 \r\n"
        "Other = x\r\n"
        "\r\n"
        "[Quake3]\r\n"
        "Q3Server=a\r\n";
    EXPECT_EQ(WriteProfileValue(before, "Main", "Autosave", "0"),
              "; settings\r\n"
              "[Main]\r\n"
              "Autosave=0\r\n"
              "Other = x\r\n"
              "\r\n"
              "[Quake3]\r\n"
              "Q3Server=a\r\n");
    // The last line keeps having no break; a line without "=" is the key's line too.
    EXPECT_EQ(WriteProfileValue("[Quake3]\nQ3Server=a", "Quake3", "Q3Server", " b "),
              "[Quake3]\nQ3Server= b ");
    EXPECT_EQ(WriteProfileValue("[Main]\nMods\nMods=3\n", "Main", "Mods", "1"),
              "[Main]\nMods=1\nMods=3\n");
    // The value goes in exactly as given.
    EXPECT_EQ(WriteProfileValue("[Main]\nA=1\n", "Main", "A", " =x;'\" "), "[Main]\nA= =x;'\" \n");
}

TEST(ProfileWriting, AddsMissingKeysAndSections) {
    // After the section's last key line, before its trailing comments and blank lines.
    EXPECT_EQ(WriteProfileValue("[Main]\nA=1\n; note\n\n[Next]\nB=2\n", "main", "C", "3"),
              "[Main]\nA=1\nC=3\n; note\n\n[Next]\nB=2\n");
    EXPECT_EQ(WriteProfileValue("[Main]\r\n[Next]\r\n", "Main", "C", "3"),
              "[Main]\r\nC=3\r\n[Next]\r\n");
    EXPECT_EQ(WriteProfileValue("[Main]", "Main", "C", "3"), "[Main]\r\nC=3\r\n");
    EXPECT_EQ(WriteProfileValue("[Main]\nA=1", "Main", "B", "2"), "[Main]\nA=1\nB=2\n");
    // Into the first of two sections of the same name.
    EXPECT_EQ(WriteProfileValue("[Main]\nA=1\n[Main]\nB=1\n", "Main", "B", "2"),
              "[Main]\nA=1\nB=2\n[Main]\nB=1\n");
    // A missing section goes at the end.
    EXPECT_EQ(WriteProfileValue("", "Main", "A", "1"), "[Main]\r\nA=1\r\n");
    EXPECT_EQ(WriteProfileValue("[Main]\nA=1", "Quake3", "Q", ""), "[Main]\nA=1\n[Quake3]\nQ=\n");
    // A CR closing the last line is part of its text and must not become half of its break.
    EXPECT_EQ(WriteProfileValue("x\r", "Main", "A", "1"), "x\r\r\n[Main]\r\nA=1\r\n");
    EXPECT_EQ(WriteProfileValue("[Main]\nB=\r", "Main", "C", "3"), "[Main]\nB=\r\r\nC=3\n");
    EXPECT_EQ(WriteProfileValue("[Main]\n[Quake3\r", "Quake3", "Q", "1"),
              "[Main]\n[Quake3\r\r\n[Quake3]\nQ=1\n");
    // A byte-order mark stays where it is.
    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_EQ(WriteProfileValue(bom, "Main", "A", "1"), bom + "[Main]\r\nA=1\r\n");
    EXPECT_EQ(WriteProfileValue(bom + "[Main]\nA=1\n", "Main", "A", "2"), bom + "[Main]\nA=2\n");
}

TEST(ProfileWriting, AValueCannotAddLinesOrKeys) {
    const std::string injected = "pw\r\n[Quake3]\r\nQ3Server=evil\nX=1\r";
    std::string content =
        WriteProfileValue("[Quake3]\nQ3Server=good\n", "TeamSpeak", "TSPassword", injected);
    EXPECT_EQ(content,
              "[Quake3]\nQ3Server=good\n[TeamSpeak]\nTSPassword=pw  [Quake3]  "
              "Q3Server=evil X=1 \n");
    EXPECT_EQ(ReadProfileValue(content, "Quake3", "Q3Server"), "good");
    EXPECT_EQ(ReadProfileValue(content, "TeamSpeak", "X"), std::nullopt);
    EXPECT_EQ(ReadProfileValue(content, "TeamSpeak", "TSPassword"),
              "pw  [Quake3]  Q3Server=evil X=1");
    // A NUL ends the value, as it ends any text handed to the program.
    EXPECT_EQ(WriteProfileValue("", "S", "K", "ab\0\nZ=1"s), "[S]\r\nK=ab\r\n");
}

TEST(ProfileWriting, RefusesNamesThatCannotBeWritten) {
    for (const std::string& section : {""s, " "s, "a]b"s, "a\nb"s, "a\rb"s, "a\0b"s}) {
        EXPECT_THROW(WriteProfileValue("", section, "K", "v"), std::invalid_argument);
    }
    for (const std::string& key : {""s, "\t"s, "a=b"s, "[a"s, " ;a"s, "a\nb"s, "a\0b"s}) {
        EXPECT_THROW(WriteProfileValue("", "S", key, "v"), std::invalid_argument);
    }
    EXPECT_NO_THROW(WriteProfileValue("", " S p[a ", "k;ey[", "v"));
}

// Random files built from the pieces that matter to the parser: for every write, the key reads
// back as written, no other key changes, and writing the same again changes nothing.
TEST(ProfileWriting, WrittenKeyReadsBackAndNothingElseChanges) {
    const std::array<std::string, 24> pieces = {"[Main]",
                                                "[ main ]",
                                                "[Quake3]",
                                                "[Quake3",
                                                "[]",
                                                "A",
                                                " a ",
                                                "B",
                                                "=",
                                                "= 1 ",
                                                "\"q\"",
                                                "'",
                                                ";",
                                                "\r\n",
                                                "\n",
                                                "\r",
                                                "\n\n",
                                                "\0"s,
                                                "\xEF\xBB\xBF",
                                                " ",
                                                "\t",
                                                "x=y",
                                                "[Main]\r\nA=0\r\n",
                                                "\xFF\xFE"};
    const std::array<std::string, 3> sections = {"Main", "Quake3", "New"};
    const std::array<std::string, 3> keys = {"A", "B", "c"};
    const std::array<std::string, 6> values = {"", "1", " v ", "'q'", "a\r\nB=2", "x\0y"s};

    std::mt19937 random(20240611);
    auto pick = [&random](size_t size) { return static_cast<size_t>(random() % size); };
    for (int round = 0; round < 400; ++round) {
        std::string content;
        for (size_t n = pick(30); n > 0; --n) {
            content += pieces[pick(pieces.size())];
        }
        const std::string& section = sections[pick(sections.size())];
        const std::string& key = keys[pick(keys.size())];
        const std::string& value = values[pick(values.size())];

        const std::string written = WriteProfileValue(content, section, key, value);
        SCOPED_TRACE(testing::PrintToString(content) + " -> " + testing::PrintToString(written));
        EXPECT_EQ(ReadProfileValue(written, section, key),
                  ProfileValueAsRead(ProfileValueAsWritten(value)));
        for (const std::string& otherSection : sections) {
            for (const std::string& otherKey : keys) {
                if (otherSection != section || otherKey != key) {
                    EXPECT_EQ(ReadProfileValue(written, otherSection, otherKey),
                              ReadProfileValue(content, otherSection, otherKey))
                        << otherSection << "/" << otherKey;
                }
            }
        }
        EXPECT_EQ(WriteProfileValue(written, section, key, value), written);
        // Everything before the key's section stays byte for byte.
        EXPECT_TRUE(written.starts_with(content.substr(0, content.find('['))));
    }
}

TEST(ProfileWriting, LargeFiles) {
    // A 1 MB line before the section, a 1 MB value, and 100,000 keys.
    std::string content = "junk=" + std::string(1 << 20, 'j') + "\n[Main]\n";
    for (int i = 0; i < 100000; ++i) {
        content += "Key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    }
    content += "[Quake3]\nQ3Server=" + std::string(1 << 20, 's');  // no final break

    EXPECT_EQ(ReadProfileValue(content, "Main", "Key99999"), "99999");
    EXPECT_EQ(ReadProfileValue(content, "Quake3", "Q3Server")->size(), size_t{1} << 20);

    std::string written = WriteProfileValue(content, "Main", "Added", "1");
    written = WriteProfileValue(written, "Quake3", "Q3Port", "27960");
    written = WriteProfileValue(written, "Main", "Key5", std::string(1 << 20, 'v'));
    EXPECT_EQ(ReadProfileValue(written, "Main", "Added"), "1");
    EXPECT_EQ(ReadProfileValue(written, "Quake3", "Q3Port"), "27960");
    EXPECT_EQ(ReadProfileValue(written, "Main", "Key5")->size(), size_t{1} << 20);
    EXPECT_EQ(ReadProfileValue(written, "Main", "Key99998"), "99998");
    EXPECT_EQ(ReadProfileValue(written, "Quake3", "Q3Server")->size(), size_t{1} << 20);
}

// ---------------------------------------------------------------------------------------------
// Files on disk (Windows: see test_win32_platform.cpp)

#ifndef _WIN32
TEST(ReadFileContent, WholeFilesAndWhatIsNotOne) {
    TempFolder folder;
    const std::string bytes = "a\0b\r\n\xFF"s + std::string(100000, 'x');
    WriteFile(folder / "file", bytes);
    FileContent file = ReadFileContent(folder / "file");
    EXPECT_EQ(file.error, 0);
    EXPECT_EQ(file.bytes, bytes);

    EXPECT_EQ(ReadFileContent(folder / "missing").error, ENOENT);
    EXPECT_EQ(ReadFileContent(folder.path().string()).error, EISDIR);
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(ReadFileContent(folder / "pipe").error, EINVAL);  // returns, no writer needed
}

TEST(ReplaceFileContent, CreatesAndReplacesKeepingPermissions) {
    TempFolder folder;
    const std::string path = folder / "settings.ini";
    ASSERT_TRUE(ReplaceFileContent(path, "new", 0600));
    EXPECT_EQ(ReadFile(path), "new");
    EXPECT_EQ(ModeOf(path), 0600u);

    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(ReplaceFileContent(path, "", 0600));
    EXPECT_EQ(ReadFile(path), "");
    EXPECT_EQ(ModeOf(path), 0640u);

    // Saving through a link updates the linked file and keeps the link.
    fs::create_symlink(path, folder / "link.ini");
    ASSERT_TRUE(ReplaceFileContent(folder / "link.ini", "through link", 0600));
    EXPECT_TRUE(fs::is_symlink(folder / "link.ini"));
    EXPECT_EQ(ReadFile(path), "through link");
    EXPECT_EQ(folder.entryCount(), 2u);  // no temporary file left behind
}

TEST(ReplaceFileContent, FailuresLeaveTheOldFileWhole) {
    TempFolder folder;
    fs::create_directory(folder / "dir");
    ReplaceResult result = ReplaceFileContent(folder / "dir", "x", 0600);
    EXPECT_EQ(result.failure, ReplaceFailure::Create);
    EXPECT_TRUE(fs::is_directory(folder / "dir"));

    result = ReplaceFileContent(folder / "missing/file", "x", 0600);
    EXPECT_EQ(result.failure, ReplaceFailure::Create);
    EXPECT_EQ(result.error, ENOENT);

    const std::string path = folder / "mods.kst";
    WriteFile(path, "old\r\n");
    {
        FileSizeLimit limit(1000);
        result = ReplaceFileContent(path, std::string(5000, 'n'), 0644);
    }
    EXPECT_EQ(result.failure, ReplaceFailure::Write);
    EXPECT_EQ(result.error, EFBIG);
    EXPECT_EQ(ReadFile(path), "old\r\n");
    EXPECT_EQ(folder.entryCount(), 2u);
}

// A folder we may not write in (another user's, a read-only one): no new file can be made there,
// so a file in it that we may write is written in place, and one we may not is left alone.
TEST(ReplaceFileContent, AWritableFileInAFolderWeMayNotWriteIsWrittenInPlace) {
    TempFolder folder;
    const std::string path = folder / "mods.kst";
    const std::string locked = folder / "locked.ini";
    const std::string old = "old content\r\n";
    constexpr fs::perms kAnyoneMayWrite = fs::perms::owner_read | fs::perms::owner_write |
                                          fs::perms::others_read | fs::perms::others_write;
    WriteFile(path, old, kAnyoneMayWrite);
    WriteFile(locked, "locked\r\n", fs::perms::owner_read | fs::perms::others_read);
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
    struct Case {
        std::string bytes;
        rlim_t sizeLimit;
        ReplaceFailure failure;
        std::string after;
    };
    const Case cases[] = {
        {"longer new content\r\n", RLIM_INFINITY, ReplaceFailure::None, "longer new content\r\n"},
        {"new\r\n", RLIM_INFINITY, ReplaceFailure::None, "new\r\n"},  // the old tail goes
        {"", RLIM_INFINITY, ReplaceFailure::None, ""},
        // The space is claimed before any byte changes.
        {std::string(5000, 'n'), 1000, ReplaceFailure::Write, old},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.size());
        WriteFile(path, old);
        struct stat before {};
        ASSERT_EQ(::stat(path.c_str(), &before), 0);
        EXPECT_EQ(InChildWithoutPrivileges([&] {
                      std::optional<FileSizeLimit> limit;
                      if (c.sizeLimit != RLIM_INFINITY) {
                          limit.emplace(c.sizeLimit);
                      }
                      const ReplaceResult refused = ReplaceFileContent(locked, "new", 0600);
                      return ReplaceFileContent(path, c.bytes, 0600).failure == c.failure &&
                             refused.failure == ReplaceFailure::Create && refused.error == EACCES;
                  }),
                  0);
        EXPECT_EQ(ReadFile(path), c.after);
        struct stat after {};
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(ModeOf(path), 0606u);
        EXPECT_EQ(ReadFile(locked), "locked\r\n");
        EXPECT_EQ(folder.entryCount(), 2u);
    }
}

TEST(ReplaceFileContent, AFileWeMayNotWriteIsNotReplaced) {
    TempFolder folder;
    fs::permissions(folder.path(), fs::perms::all);  // the folder itself lets anyone rename
    const std::string path = folder / "kestrune.ini";
    WriteFile(path, "[Main]\r\nMods=3\r\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    EXPECT_EQ(InChildWithoutPrivileges([&] {
                  const ReplaceResult result = ReplaceFileContent(path, "new", 0600);
                  return result.failure == ReplaceFailure::Create && result.error == EACCES;
              }),
              0);
    EXPECT_EQ(ReadFile(path), "[Main]\r\nMods=3\r\n");
    EXPECT_EQ(folder.entryCount(), 1u);
}

#endif  // !_WIN32

TEST(ProfileFileOnDisk, ReadsOnceAndSavesOnce) {
    TempFolder folder;
    const std::string path = folder / "k.ini";
    ProfileFile missing(path);
    EXPECT_EQ(missing.readError(), ENOENT);
    EXPECT_EQ(missing.value("Main", "A"), std::nullopt);

    WriteFile(path, "; keep\n[Main]\nA=1\n");
    ProfileFile profile(path);
    EXPECT_EQ(profile.readError(), 0);
    EXPECT_EQ(profile.value("Main", "A"), "1");
    profile.setValue("Main", "A", "2");
    profile.setValue("Main", "B", "3");
    EXPECT_EQ(ReadFile(path), "; keep\n[Main]\nA=1\n");  // nothing written until saved
    ASSERT_TRUE(profile.save(0600));
    EXPECT_EQ(ReadFile(path), "; keep\n[Main]\nA=2\nB=3\n");
}

#ifndef _WIN32
TEST(ExecutablePath, NamesThisProgram) {
    const std::string path = ExecutablePath();
    EXPECT_TRUE(path.starts_with("/")) << path;
    EXPECT_TRUE(path.ends_with("/test_profile")) << path;
}
#endif

}  // namespace
}  // namespace kestrune
