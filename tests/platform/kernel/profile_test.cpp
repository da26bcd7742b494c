#include "platform/kernel/profile.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "platform/kernel/atomic_file.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/module.h"
#include "tests/platform/kernel/temp_dir.h"

namespace {

std::string GetString(const char* section, const char* key, const std::string& file, const char* def = "",
                      DWORD size = 260) {
    std::string buf(size, '\x7f');
    DWORD n = GetPrivateProfileStringA(section, key, def, buf.data(), size, file.c_str());
    EXPECT_EQ(buf[n], '\0');
    return buf.substr(0, n);
}

// The folder as the disk holds it once this process's held writes are flushed.
struct ProfileDir : TempDir {
    std::string Read(const std::string& name) const {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, nullptr);
        return TempDir::Read(name);
    }
    std::size_t EntryCount() const {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, nullptr);
        return TempDir::EntryCount();
    }
};

class ProfileTest : public ::testing::Test {
protected:
    ProfileDir dir;
};

TEST_F(ProfileTest, RoundTripCreatesFileAndReadsBack) {
    std::string file = dir.File("settings.ini");
    EXPECT_TRUE(WritePrivateProfileStringA("ZOR3DPLAYER", "3DSOUNDDEMO_SOURCE", "5", file.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("ZOR3DPLAYER", "3DSOUNDDEMO_SOURCENAME", "\\home\\a b\\c.wav", file.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("ZOR3DPLAYER", "3DSOUNDDEMO_ENVIROMENT", "-1", file.c_str()));
    EXPECT_EQ(dir.Read("settings.ini"),
              "[ZOR3DPLAYER]\n3DSOUNDDEMO_SOURCE=5\n3DSOUNDDEMO_SOURCENAME=\\home\\a b\\c.wav\n"
              "3DSOUNDDEMO_ENVIROMENT=-1\n");
    EXPECT_EQ(GetPrivateProfileIntA("ZOR3DPLAYER", "3DSOUNDDEMO_SOURCE", 0, file.c_str()), 5u);
    EXPECT_EQ(static_cast<INT>(GetPrivateProfileIntA("ZOR3DPLAYER", "3DSOUNDDEMO_ENVIROMENT", 0, file.c_str())), -1);
    EXPECT_EQ(GetString("ZOR3DPLAYER", "3DSOUNDDEMO_SOURCENAME", file), "\\home\\a b\\c.wav");
}

TEST_F(ProfileTest, LayerPathWithBackslashesReachesTheSameFile) {
    std::string layer = dir.path() + "\\x.ini";
    for (char& c : layer)
        if (c == '/') c = '\\';
    EXPECT_TRUE(WritePrivateProfileStringA("S", "k", "v", layer.c_str()));
    EXPECT_EQ(dir.Read("x.ini"), "[S]\nk=v\n");
    EXPECT_EQ(GetString("S", "k", layer), "v");
}

TEST_F(ProfileTest, NamesAreCaseInsensitiveAndBlanksTrimmed) {
    std::string file = dir.Write("a.ini", "  [ AutoDemo1 ]  \n\tTimer  =  5000 \nMovingPath = Fly-by\t\n");
    EXPECT_EQ(GetPrivateProfileIntA("autodemo1", "TIMER", 0, file.c_str()), 5000u);
    EXPECT_EQ(GetString("AUTODEMO1", "timer", file), "5000");
    // The key asked for with a trailing blank finds the trimmed key in the file.
    EXPECT_EQ(GetString("AutoDemo1", "MovingPath ", file), "Fly-by");
    EXPECT_EQ(GetString("AutoDemo1", "MovingPath", file), "Fly-by");
    // Case of the value is kept.
    EXPECT_NE(GetString("AutoDemo1", "MovingPath", file), "fly-by");
}

TEST_F(ProfileTest, QuotedValuesAreUnquotedOnlyWhenQuotesMatch) {
    std::string file = dir.Write("q.ini", "[s]\na=\"x y \"\nb='z'\nc=\"mixed'\nd=\"\ne=\"\"\n");
    EXPECT_EQ(GetString("s", "a", file), "x y ");
    EXPECT_EQ(GetString("s", "b", file), "z");
    EXPECT_EQ(GetString("s", "c", file), "\"mixed'");
    EXPECT_EQ(GetString("s", "d", file), "\"");
    EXPECT_EQ(GetString("s", "e", file, "def"), "");
}

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesDefault) {
    std::string file = dir.Write("d.ini", "[s]\nk=1\nempty=\n");
    std::string missing = dir.File("nope.ini");
    EXPECT_EQ(GetPrivateProfileIntA("s", "k", 7, missing.c_str()), 7u);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND) << "no file is told apart from no key";
    EXPECT_EQ(GetPrivateProfileIntA("t", "k", 7, file.c_str()), 7u);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(GetPrivateProfileIntA("s", "x", -3, file.c_str()), static_cast<UINT>(-3));
    EXPECT_EQ(GetString("s", "x", file, "fallback"), "fallback");
    EXPECT_EQ(GetString("s", "x", missing, nullptr), "");
    EXPECT_EQ(GetString("s", "x", file, "trail  \t"), "trail");
    // A key that is present with an empty value is present: the default is not used.
    EXPECT_EQ(GetString("s", "empty", file, "def"), "");
    EXPECT_EQ(GetPrivateProfileIntA("s", "empty", 9, file.c_str()), 9u);
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(ProfileTest, IntReadsLeadingSignedDecimalElseDefault) {
    std::string file = dir.Write("i.ini",
                                 "[s]\na=42abc\nb=-17\nc=+8\nd=abc\ne=- 5\nf=99999999999\ng=-99999999999\nh=0x10\n");
    auto get = [&](const char* key) { return static_cast<INT>(GetPrivateProfileIntA("s", key, 123, file.c_str())); };
    EXPECT_EQ(get("a"), 42);
    EXPECT_EQ(get("b"), -17);
    EXPECT_EQ(get("c"), 8);
    EXPECT_EQ(get("d"), 123);
    EXPECT_EQ(get("e"), 123);
    EXPECT_EQ(get("f"), 2147483647);
    EXPECT_EQ(get("g"), -2147483647 - 1);
    EXPECT_EQ(get("h"), 0);
}

TEST_F(ProfileTest, LongValuesAreTruncatedAndTerminated) {
    std::string file = dir.File("long.ini");
    std::string value(1000, 'v');
    ASSERT_TRUE(WritePrivateProfileStringA("s", "k", value.c_str(), file.c_str()));
    EXPECT_EQ(GetString("s", "k", file, "", 260), std::string(259, 'v'));
    EXPECT_EQ(GetString("s", "k", file, "", 1), "");
    EXPECT_EQ(GetString("s", "missing", file, "abcdef", 4), "abc");
    char untouched = 'x';
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", &untouched, 0, file.c_str()), 0u);
    EXPECT_EQ(untouched, 'x');
}

TEST_F(ProfileTest, RewriteKeepsCommentsOtherSectionsOrderAndSpacing) {
    const std::string original =
        "; top comment\n"
        "[Other]\n"
        "Unknown = keep me\n"
        "\n"
        "[ZOR3DPLAYER]\n"
        "# another comment\n"
        "  3dsounddemo_path = 3\n"
        "LASTSELECT=0\n"
        "\n"
        "[Tail]\n"
        "x=1\n";
    std::string file = dir.Write("k.ini", original);
    ASSERT_TRUE(WritePrivateProfileStringA("ZOR3DPLAYER", "3DSOUNDDEMO_PATH", "4", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("zor3dplayer", "CUSTOMERCOUNT", "2", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("New", "a", "b", file.c_str()));
    EXPECT_EQ(dir.Read("k.ini"),
              "; top comment\n"
              "[Other]\n"
              "Unknown = keep me\n"
              "\n"
              "[ZOR3DPLAYER]\n"
              "# another comment\n"
              "  3dsounddemo_path =4\n"
              "LASTSELECT=0\n"
              "CUSTOMERCOUNT=2\n"
              "\n"
              "[Tail]\n"
              "x=1\n"
              "\n"
              "[New]\n"
              "a=b\n");
    // Comment lines are never keys.
    EXPECT_EQ(GetString("ZOR3DPLAYER", "# another comment", file, "none"), "none");
}

TEST_F(ProfileTest, NullValueDeletesKeyAndNullKeyDeletesSection) {
    std::string file = dir.Write("del.ini", "[a]\nk=1\nj=2\nk=3\n[b]\nk=4\n");
    ASSERT_TRUE(WritePrivateProfileStringA("a", "K", nullptr, file.c_str()));
    EXPECT_EQ(dir.Read("del.ini"), "[a]\nj=2\n[b]\nk=4\n");
    ASSERT_TRUE(WritePrivateProfileStringA("A", nullptr, nullptr, file.c_str()));
    EXPECT_EQ(dir.Read("del.ini"), "[b]\nk=4\n");
    // Deleting from a file that does not exist succeeds and creates nothing.
    std::string missing = dir.File("none.ini");
    EXPECT_TRUE(WritePrivateProfileStringA("a", "k", nullptr, missing.c_str()));
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(ProfileTest, LineEndingsAndBomAreKept) {
    std::string crlf = dir.Write("crlf.ini", "\xEF\xBB\xBF[s]\r\nk=1\r\n;c\r\n");
    EXPECT_EQ(GetString("s", "k", crlf), "1");
    ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "2", crlf.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("s", "n", "3", crlf.c_str()));
    EXPECT_EQ(dir.Read("crlf.ini"), "\xEF\xBB\xBF[s]\r\nk=2\r\n;c\r\nn=3\r\n");

    std::string lf = dir.Write("lf.ini", "[s]\nk=1");  // no final line break
    EXPECT_EQ(GetString("s", "k", lf), "1");
    ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "2", lf.c_str()));
    EXPECT_EQ(dir.Read("lf.ini"), "[s]\nk=2\n");
}

TEST_F(ProfileTest, DuplicateSectionsReadAndWriteTheFirstMatch) {
    std::string file = dir.Write("dup.ini", "[s]\na=1\n[S]\na=2\nb=3\n");
    EXPECT_EQ(GetString("s", "a", file), "1");
    EXPECT_EQ(GetString("s", "b", file), "3");
    ASSERT_TRUE(WritePrivateProfileStringA("s", "a", "9", file.c_str()));
    EXPECT_EQ(GetString("s", "a", file), "9");
    ASSERT_TRUE(WritePrivateProfileStringA("s", "b", "8", file.c_str()));
    EXPECT_EQ(dir.Read("dup.ini"), "[s]\na=9\n[S]\na=2\nb=8\n");
}

TEST_F(ProfileTest, NamesThatWouldBreakTheFileAreRefused) {
    std::string file = dir.Write("r.ini", "[s]\nk=1\n");
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "a\nb=2", file.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("s", "a=b", "1", file.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("s", "[x]", "1", file.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("s", "  ", "1", file.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("s]x", "k", "1", file.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "1", ""));
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "1", nullptr));
    EXPECT_EQ(dir.Read("r.ini"), "[s]\nk=1\n");
}

// A writer that dies between writing its temporary file and the rename, in a child
// process that waits for *release to close before it ends. Its exit status is 0 when
// the write reported failure.
pid_t InterruptedWriter(const std::string& file, int* release) {
    int fds[2];
    if (::pipe(fds) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[1]);
        kernel::SetReplaceFaultForTesting(kernel::ReplaceFault::BeforeRename);
        const bool written = WritePrivateProfileStringA("s", "k", "lost", file.c_str()) &&
                             WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
        char byte;
        while (::read(fds[0], &byte, 1) > 0) {
        }
        ::_exit(written ? 1 : 0);
    }
    ::close(fds[0]);
    *release = fds[1];
    return pid;
}

int Finish(pid_t writer, int release) {
    ::close(release);
    int status = -1;
    ::waitpid(writer, &status, 0);
    return status;
}

TEST_F(ProfileTest, InterruptedWritesLeaveTheOldFileIntactAndALaterWriteClearsTheirTemporaries) {
    std::string file = dir.Write("atomic.ini", "[s]\nk=old\n; note\n");
    int busyRelease = -1;
    const pid_t busy = InterruptedWriter(file, &busyRelease);  // still at work
    ASSERT_GT(busy, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (dir.EntryCount() < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    int deadRelease = -1;
    const pid_t dead = InterruptedWriter(file, &deadRelease);
    ASSERT_GT(dead, 0);
    EXPECT_EQ(Finish(dead, deadRelease), 0);
    EXPECT_EQ(dir.Read("atomic.ini"), "[s]\nk=old\n; note\n");
    EXPECT_EQ(dir.EntryCount(), 3u) << "each writer's temporary file";

    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "new", file.c_str()));
    EXPECT_EQ(GetString("s", "k", file), "new");
    EXPECT_EQ(dir.EntryCount(), 3u) << "a fresh one may be a writer's in another pid namespace";
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        if (entry.path().filename().string().find(".tmp") == std::string::npos) continue;
        const timespec twoMinutesAgo[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, entry.path().c_str(), twoMinutesAgo, 0), 0);
    }
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "newer", file.c_str()));
    EXPECT_EQ(dir.EntryCount(), 2u) << "the dead writer's is gone, the busy one's stays";

    EXPECT_EQ(Finish(busy, busyRelease), 0);
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "newest", file.c_str()));
    EXPECT_EQ(dir.EntryCount(), 1u);
    EXPECT_EQ(dir.Read("atomic.ini"), "[s]\nk=newest\n; note\n");
}

// A save of many keys, killed at any moment, leaves the file as the save before left it
// or as this one makes it, never with keys of both.
TEST_F(ProfileTest, AKillDuringASaveLeavesTheOldFileOrTheNewOneNeverAMixture) {
    const std::string file = dir.Write("kill.ini", "[s]\n");
    constexpr int kKeys = 30;
    std::mt19937 random(25);
    int mixed = 0;
    std::set<std::string> seen;
    for (int kill = 0; kill < 300; ++kill) {
        int saved[2];
        ASSERT_EQ(::pipe(saved), 0);
        const pid_t saver = ::fork();
        if (saver == 0) {
            for (int save = 0;; ++save) {
                const std::string value = std::to_string(kill) + "." + std::to_string(save);
                for (int k = 0; k < kKeys; ++k)
                    WritePrivateProfileStringA("s", ("k" + std::to_string(k)).c_str(), value.c_str(), file.c_str());
                WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
                if (save == 0) (void)!::write(saved[1], "s", 1);
            }
        }
        char byte;
        ASSERT_EQ(::read(saved[0], &byte, 1), 1);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        ::kill(saver, SIGKILL);
        ::waitpid(saver, nullptr, 0);
        ::close(saved[0]);
        ::close(saved[1]);
        std::set<std::string> values;
        for (int k = 0; k < kKeys; ++k) values.insert(GetString("s", ("k" + std::to_string(k)).c_str(), file));
        mixed += values.size() != 1;
        seen.insert(*values.begin());
    }
    EXPECT_EQ(mixed, 0) << "of 300 kills";
    EXPECT_GT(seen.size(), 250u) << "the kills came during later saves too";
}

// Saving settings that did not change must not replace the file (each replacement waits
// for the disk); a change still does.
TEST_F(ProfileTest, AWriteThatChangesNothingLeavesTheFileAlone) {
    const std::string file = dir.Write("same.ini", "[s]\r\nk=v\r\n; note\r\n");
    const auto inode = [&] {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
        struct stat st{};
        EXPECT_EQ(::stat(file.c_str(), &st), 0);
        return st.st_ino;
    };
    const ino_t original = inode();
    EXPECT_TRUE(WritePrivateProfileStringA("S", "K", "v", file.c_str()));
    EXPECT_EQ(inode(), original);
    EXPECT_EQ(dir.Read("same.ini"), "[s]\r\nk=v\r\n; note\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "w", file.c_str()));
    EXPECT_NE(inode(), original);
    EXPECT_EQ(GetString("s", "k", file), "w");
}

TEST_F(ProfileTest, RewriteKeepsPermissionsAndSymlinks) {
    std::string target = dir.Write("real.ini", "[s]\nk=1\n");
    ::chmod(target.c_str(), 0640);
    std::string link = dir.File("link.ini");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "2", link.c_str()));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(dir.Read("real.ini"), "[s]\nk=2\n");
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // A file the user made read-only is not replaced, whoever runs the program.
    ::chmod(target.c_str(), 0444);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "3", link.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(dir.Read("real.ini"), "[s]\nk=2\n");
    // A link to a file not made yet leads to where it is made; a loop of links is named so.
    const std::string dangling = dir.File("dangling.ini");
    ASSERT_EQ(::symlink("made/later.ini", dangling.c_str()), 0);
    std::filesystem::create_directory(dir.File("made"));
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "4", dangling.c_str()));
    EXPECT_EQ(dir.Read("made/later.ini"), "[s]\nk=4\n");
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    const std::string loop = dir.File("loop.ini");
    ASSERT_EQ(::symlink("loop.ini", loop.c_str()), 0);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "5", loop.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_CANT_RESOLVE_FILENAME);
    EXPECT_EQ(ProfileFileLocation(dangling.c_str()), LayerPath(dir.File("made/later.ini")));
}

// A system-wide install: the folder is not the user's, so the user's own copy holds the
// changes, starting from what the file there says.
TEST_F(ProfileTest, AProtectedFolderKeepsAPerUserCopy) {
    const std::string folder = dir.File("program");
    std::filesystem::create_directory(folder);
    const std::string file = folder + "/Player.ini";
    std::ofstream(file) << "[s]\nk=1\nother=x\n";
    ::chmod(folder.c_str(), 0555);
    ::setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
    EXPECT_EQ(GetString("s", "k", file), "1");
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "2", file.c_str()));
    EXPECT_EQ(GetString("s", "k", file), "2");
    EXPECT_EQ(dir.Read("config/kernel_profile_test/Player.ini"), "[s]\nk=2\nother=x\n");
    EXPECT_EQ(dir.Read("program/Player.ini"), "[s]\nk=1\nother=x\n");
    EXPECT_EQ(ProfileFileLocation(file.c_str()), LayerPath(dir.File("config/kernel_profile_test/Player.ini")));
    ::unsetenv("XDG_CONFIG_HOME");
    ::chmod(folder.c_str(), 0755);
}

TEST_F(ProfileTest, ProcessesWritingAtOnceKeepEachOthersKeys) {
    const std::string file = dir.Write("shared.ini", "[s]\n");
    const auto key = [](int w, int i) { return "k" + std::to_string(w) + "_" + std::to_string(i); };
    pid_t writers[2];
    for (int w = 0; w < 2; ++w)
        if ((writers[w] = ::fork()) == 0) {
            for (int i = 0; i < 40; ++i)
                WritePrivateProfileStringA("s", key(w, i).c_str(), "v", file.c_str()) &&
                    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
            ::_exit(0);
        }
    for (pid_t writer : writers) ::waitpid(writer, nullptr, 0);
    int lost = 0;
    for (int w = 0; w < 2; ++w)
        for (int i = 0; i < 40; ++i) lost += GetString("s", key(w, i).c_str(), file) != "v";
    EXPECT_EQ(lost, 0);
}

TEST_F(ProfileTest, UnreadableTargetIsNeverReplaced) {
    // A folder where the file should be: reads give defaults, writes fail, nothing changes.
    std::filesystem::create_directory(dir.File("folder.ini"));
    std::string file = dir.File("folder.ini");
    EXPECT_EQ(GetPrivateProfileIntA("s", "k", 5, file.c_str()), 5u);
    EXPECT_EQ(GetLastError(), ERROR_BAD_FILE_TYPE);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "1", file.c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(file));
    // A pipe in its place is not waited on.
    const std::string pipe = dir.File("pipe.ini");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(GetPrivateProfileIntA("s", "k", 6, pipe.c_str()), 6u);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "1", pipe.c_str()));
}

TEST_F(ProfileTest, GarbageFilesReadWithoutHarm) {
    std::string bytes;
    for (int i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 7919) & 0xFF);
    bytes += "\n[s]\nk=ok\n";
    bytes += std::string("\0\0[\0=\r\r\n", 9);
    std::string file = dir.Write("g.ini", bytes);
    EXPECT_EQ(GetString("s", "k", file), "ok");
    EXPECT_EQ(GetString("nothing", "k", file, "d"), "d");
    ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "new", file.c_str()));
    EXPECT_EQ(GetString("s", "k", file), "new");
    // Everything outside the changed line survives byte for byte.
    std::string after = dir.Read("g.ini");
    EXPECT_EQ(after.substr(0, 4096), bytes.substr(0, 4096));
}

TEST_F(ProfileTest, NullNamesListSectionsAndKeys) {
    std::string file = dir.Write("list.ini", "[one]\na=1\nB=2\nA=3\n[two]\n[ONE]\nc=4\n");
    char buf[64];
    DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", buf, sizeof buf, file.c_str());
    EXPECT_EQ(std::string(buf, n + 1), std::string("one\0two\0\0", 9));
    n = GetPrivateProfileStringA("one", nullptr, "", buf, sizeof buf, file.c_str());
    EXPECT_EQ(std::string(buf, n + 1), std::string("a\0B\0c\0\0", 7));
    n = GetPrivateProfileStringA("one", nullptr, "", buf, 4, file.c_str());
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(std::string(buf, 4), std::string("a\0\0\0", 4));
    n = GetPrivateProfileStringA("none", nullptr, "", buf, sizeof buf, file.c_str());
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(std::string(buf, 2), std::string("\0\0", 2));
}

}  // namespace
