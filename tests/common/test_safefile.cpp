// The one writer behind every file the program saves: a complete file replaces the target,
// and every way a write can fail leaves the old file as it was, no temporary file behind, and
// the system's reason for the caller to show.
#include "SafeFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <string>
#include <cstring>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {
std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string reason(int error)
{
    return std::generic_category().message(error);
}

// Everything in the folder except the given names: what a failed write left behind.
std::vector<std::string> strays(const fs::path& dir, const std::vector<std::string>& expected)
{
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) == expected.end())
            out.push_back(name);
    }
    return out;
}

class SafeFileTest : public testing::Test {
protected:
    SafeFileTest()
    {
        // A parameterised test's name holds a '/': one folder per test, not a folder in a folder
        // that the clean-up would leave behind.
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '_');
        dir = fs::temp_directory_path() / ("sonorix-safefile-" + std::to_string(::getpid()) + "-" + name);
        fs::remove_all(dir);
        fs::create_directories(dir);
        getrlimit(RLIMIT_FSIZE, &fileSizeLimit_);
    }
    ~SafeFileTest() override
    {
        setrlimit(RLIMIT_FSIZE, &fileSizeLimit_);
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(dir, ignored))
            if (entry.is_directory(ignored))
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(dir, ignored);
    }
    fs::path dir;

private:
    rlimit fileSizeLimit_{};
};
}   // namespace

TEST_F(SafeFileTest, ReplacesTheTargetWithExactlyTheBytesWrittenAndKeepsItsPermissions)
{
    const fs::path target = dir / "out.csv";
    writeText(target, "old contents that are longer than the new ones");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // Small pieces are gathered, a block larger than the gathering buffer goes straight out:
    // both must land in order.
    std::string expected;
    SafeFileWriter writer(target.string());
    ASSERT_TRUE(writer.Open()) << writer.ErrorText();
    // Beside the target, and named for this process so no other writer can share it.
    EXPECT_EQ(writer.TempPath().rfind(target.string() + ".part-" + std::to_string(::getpid()) + "-", 0), 0u)
        << writer.TempPath();
    for (int i = 0; i < 1000; ++i) {
        const std::string piece = std::to_string(i) + ";";
        expected += piece;
        ASSERT_TRUE(writer.Write(piece.data(), piece.size()));
    }
    const std::string block(300000, 'x');
    expected += block;
    ASSERT_TRUE(writer.Write(block.data(), block.size()));
    EXPECT_EQ(readText(target), "old contents that are longer than the new ones")
        << "the target changes only at the commit";
    ASSERT_TRUE(writer.Commit()) << writer.ErrorText();

    EXPECT_EQ(readText(target), expected);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_TRUE(strays(dir, {"out.csv"}).empty());

    std::string error;
    ASSERT_TRUE(WriteFileSafely((dir / "new.ini").string(), "[Ust]\r\n", error)) << error;
    EXPECT_EQ(readText(dir / "new.ini"), "[Ust]\r\n");
    EXPECT_TRUE(error.empty());
}

TEST_F(SafeFileTest, ThroughASymbolicLinkTheLinkedFileIsReplacedAndTheLinkKept)
{
    fs::create_directory(dir / "real");
    writeText(dir / "real" / "calibration.ini", "old");
    fs::create_symlink(dir / "real" / "calibration.ini", dir / "link.ini");
    std::string error;
    ASSERT_TRUE(WriteFileSafely((dir / "link.ini").string(), "new", error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
    EXPECT_EQ(readText(dir / "real" / "calibration.ini"), "new");
    EXPECT_TRUE(strays(dir / "real", {"calibration.ini"}).empty());
}

// The temporary name of a writer of this process, as SafeFileWriter makes it.
std::string ownTempSuffix(const SafeFileWriter& writer, const fs::path& target)
{
    return writer.TempPath().substr(target.string().size());
}

TEST_F(SafeFileTest, TemporaryFilesThatAreNotLeftoversAreLeftAlone)
{
    const fs::path target = dir / "seg.kvnb";
    SafeFileWriter first(target.string());
    ASSERT_TRUE(first.Open());
    const std::string suffix = ownTempSuffix(first, target);
    const std::string host = suffix.substr(suffix.find('.', 1) + 1);   // after ".part-<pid>-<n>"
    // Someone else's files beside the target: a name of another form, the temporary file of a
    // process that still runs (the test's parent), and one written on another machine.
    const std::vector<std::string> foreign = {"seg.kvnb.part", "seg.kvnb.part-12x-0." + host,
                                              "seg.kvnb.part-" + std::to_string(::getppid()) + "-0." + host,
                                              "seg.kvnb.part-999999-0.another-" + host};
    for (const auto& name : foreign)
        writeText(dir / name, "someone else's");

    // A second writer of the same target in this process, while the first is open.
    SafeFileWriter second(target.string());
    ASSERT_TRUE(second.Open());
    EXPECT_NE(second.TempPath(), first.TempPath());
    ASSERT_TRUE(second.Write("second", 6));
    ASSERT_TRUE(second.Commit()) << second.ErrorText();
    ASSERT_TRUE(first.Write("first", 5));
    ASSERT_TRUE(first.Commit()) << first.ErrorText();
    EXPECT_EQ(readText(target), "first");
    for (const auto& name : foreign)
        EXPECT_EQ(readText(dir / name), "someone else's") << name;
    std::vector<std::string> expected = foreign;
    expected.push_back("seg.kvnb");
    EXPECT_TRUE(strays(dir, expected).empty());
}

// A write killed before its commit leaves its temporary file; the next write of any file in
// the same folder removes it (a file that is never written again would otherwise keep it for
// good). The write runs in a child process that dies the way the case says.
struct KilledWriteCase {
    const char* name;
    bool fileSizeLimit;   // killed by SIGXFSZ on passing the limit; otherwise by SIGKILL
};

class KilledWrite : public SafeFileTest, public testing::WithParamInterface<KilledWriteCase> {};

TEST_P(KilledWrite, ItsTemporaryFileIsRemovedByTheNextWrite)
{
    const fs::path target = dir / "table.csv";
    writeText(target, "old");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        SafeFileWriter writer(target.string());
        if (!writer.Open())
            ::_exit(3);
        if (GetParam().fileSizeLimit) {
            std::signal(SIGXFSZ, SIG_DFL);
            rlimit limit{};
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = 50000;
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        // Past the limit, the write ends the process with the signal.
        const std::string block(100000, 'x');
        if (!writer.Write(block.data(), block.size()))
            ::_exit(4);
        if (GetParam().fileSizeLimit)
            ::_exit(5);
        (void)!::write(ready[1], "r", 1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char byte = 0;
    if (!GetParam().fileSizeLimit) {
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::kill(child, SIGKILL);
    }
    ::close(ready[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), GetParam().fileSizeLimit ? SIGXFSZ : SIGKILL);
    ASSERT_EQ(strays(dir, {"table.csv"}).size(), 1u) << "the killed write left no temporary file";
    EXPECT_EQ(readText(target), "old");

    std::string error;
    ASSERT_TRUE(WriteFileSafely((dir / "other.csv").string(), "other", error)) << error;
    EXPECT_TRUE(strays(dir, {"table.csv", "other.csv"}).empty());
    EXPECT_EQ(readText(target), "old");
    ASSERT_TRUE(WriteFileSafely(target.string(), "new", error)) << error;
    EXPECT_EQ(readText(target), "new");
    EXPECT_TRUE(strays(dir, {"table.csv", "other.csv"}).empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, KilledWrite,
                         testing::Values(KilledWriteCase{"Sigkill", false},
                                         KilledWriteCase{"FileSizeLimit", true}),
                         [](const testing::TestParamInfo<KilledWriteCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(SafeFileTest, AnUncommittedWriteIsDiscardedAndTheOldFileStays)
{
    const fs::path target = dir / "table.csv";
    writeText(target, "old");
    {
        SafeFileWriter abandoned(target.string());
        ASSERT_TRUE(abandoned.Open());
        ASSERT_TRUE(abandoned.Write("half", 4));
    }
    SafeFileWriter discarded(target.string());
    ASSERT_TRUE(discarded.Open());
    ASSERT_TRUE(discarded.Write("half", 4));
    discarded.Discard();
    EXPECT_FALSE(discarded.Commit());
    EXPECT_EQ(readText(target), "old");
    EXPECT_TRUE(strays(dir, {"table.csv"}).empty());
}

// Every way a write can fail: the target's folder state is set up, the write is tried, and
// what is in the target's place afterwards is exactly what was there before.
struct FailureCase {
    const char* name;
    // Makes the situation in dir and returns the target path.
    std::function<fs::path(const fs::path& dir)> setUp;
    int error;
};

void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.name;
}

class SafeFileFailure : public SafeFileTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(SafeFileFailure, LeavesTheOldStateAndReportsTheSystemsReason)
{
    const fs::path target = GetParam().setUp(dir);
    const bool wasFile = fs::is_regular_file(target);
    const std::string before = wasFile ? readText(target) : std::string();

    // Bigger than the gathering buffer and than the file-size limit case below.
    const std::string bytes(200000, 'n');
    std::string error;
    EXPECT_FALSE(WriteFileSafely(target.string(), bytes, error));
    EXPECT_EQ(error, reason(GetParam().error));

    if (wasFile) {
        EXPECT_EQ(readText(target), before);
    } else if (fs::is_directory(target)) {
        EXPECT_TRUE(fs::is_empty(target)) << "a folder target is never touched";
    }
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(target.parent_path(), ignored))
        EXPECT_EQ(entry.path().string().find(".part"), std::string::npos) << entry.path() << " left behind";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SafeFileFailure,
    testing::Values(FailureCase{"TargetIsAFolder",
                                [](const fs::path& dir) {
                                    fs::create_directory(dir / "export.csv");
                                    return dir / "export.csv";
                                },
                                EISDIR},
                    FailureCase{"FolderMissing", [](const fs::path& dir) { return dir / "absent" / "x.ini"; },
                                ENOENT},
                    FailureCase{"FolderIsAFile",
                                [](const fs::path& dir) {
                                    writeText(dir / "plain", "a file, not a folder");
                                    return dir / "plain" / "x.ini";
                                },
                                ENOTDIR},
                    // A full disk, as the process sees one: writes past the file-size limit fail with
                    // EFBIG instead of ENOSPC, through the same path. This works for every user.
                    FailureCase{"DiskFull",
                                [](const fs::path& dir) {
                                    writeText(dir / "big.csv", "old table");
                                    std::signal(SIGXFSZ, SIG_IGN);
                                    rlimit limit{};
                                    getrlimit(RLIMIT_FSIZE, &limit);
                                    limit.rlim_cur = 65536;
                                    setrlimit(RLIMIT_FSIZE, &limit);
                                    return dir / "big.csv";
                                },
                                EFBIG}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(SafeFileTest, WithoutReplacingAnExistingTargetIsRefusedAndSaidSo)
{
    const fs::path target = dir / "spectra.csv";
    writeText(target, "old");
    const SafeWriteResult refused = WriteFileSafely(target.string(), "new", false);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.targetExists);
    EXPECT_EQ(refused.errorText, reason(EEXIST));
    EXPECT_EQ(readText(target), "old");

    // A target that appears while the file is written is not replaced either.
    const fs::path late = dir / "late.csv";
    SafeFileWriter writer(late.string(), false);
    ASSERT_TRUE(writer.Open());
    ASSERT_TRUE(writer.Write("mine", 4));
    writeText(late, "theirs");
    EXPECT_FALSE(writer.Commit());
    EXPECT_TRUE(writer.TargetExists());
    EXPECT_EQ(readText(late), "theirs");

    // Other failures are not "exists": replacing would not help them.
    const SafeWriteResult missingFolder = WriteFileSafely((dir / "absent" / "x.csv").string(), "new", false);
    EXPECT_FALSE(missingFolder.ok);
    EXPECT_FALSE(missingFolder.targetExists);
    EXPECT_EQ(missingFolder.errorText, reason(ENOENT));

    const SafeWriteResult fresh = WriteFileSafely((dir / "new.csv").string(), "new", false);
    EXPECT_TRUE(fresh.ok) << fresh.errorText;
    EXPECT_EQ(readText(dir / "new.csv"), "new");
    EXPECT_TRUE(strays(dir, {"spectra.csv", "late.csv", "new.csv"}).empty());
}

// Whatever is in the target's place that is not a regular file (or a link to one) stays what
// it is: never replaced by a file, with or without the caller's consent to replace.
struct NonRegularCase {
    const char* name;
    // Makes the object in dir and returns the target path; empty when this system cannot.
    std::function<fs::path(const fs::path& dir)> setUp;
    FileKindError error;
};

void PrintTo(const NonRegularCase& c, std::ostream* os)
{
    *os << c.name;
}

class NonRegularTarget : public SafeFileTest, public testing::WithParamInterface<NonRegularCase> {};

TEST_P(NonRegularTarget, IsRefusedAndLeftAsItWas)
{
    const fs::path target = GetParam().setUp(dir);
    if (target.empty())
        GTEST_SKIP() << "this system does not let the test make the object";
    struct stat before {};
    ASSERT_EQ(::lstat(target.c_str(), &before), 0);
    std::vector<std::string> present;
    for (const auto& entry : fs::directory_iterator(dir))
        present.push_back(entry.path().filename().string());

    for (const bool replace : {true, false}) {
        const SafeWriteResult result = WriteFileSafely(target.string(), "bytes", replace);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.targetExists);
        EXPECT_EQ(result.errorText, MakeErrorCode(GetParam().error).message());
    }
    struct stat after {};
    ASSERT_EQ(::lstat(target.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_TRUE(strays(dir, present).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NonRegularTarget,
    testing::Values(NonRegularCase{"NamedPipe",
                                   [](const fs::path& dir) {
                                       ::mkfifo((dir / "pipe.kvnb").c_str(), 0600);
                                       return dir / "pipe.kvnb";
                                   },
                                   FileKindError::NamedPipe},
                    // A device of its own, as /dev/null is one: only a privileged user may make one.
                    NonRegularCase{"CharacterDevice",
                                   [](const fs::path& dir) {
                                       if (::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) !=
                                           0)
                                           return fs::path();
                                       return dir / "null";
                                   },
                                   FileKindError::Device},
                    NonRegularCase{"Socket",
                                   [](const fs::path& dir) {
                                       const fs::path path = dir / "socket.csv";
                                       sockaddr_un address{};
                                       address.sun_family = AF_UNIX;
                                       if (path.string().size() >= sizeof address.sun_path)
                                           return fs::path();
                                       std::strcpy(address.sun_path, path.c_str());
                                       const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
                                       const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address),
                                                                 sizeof address) == 0;
                                       ::close(fd);   // the name stays until it is removed
                                       return bound ? path : fs::path();
                                   },
                                   FileKindError::Socket},
                    NonRegularCase{"DanglingLink",
                                   [](const fs::path& dir) {
                                       fs::create_symlink(dir / "missing.csv", dir / "link.csv");
                                       return dir / "link.csv";
                                   },
                                   FileKindError::DanglingLink},
                    NonRegularCase{"LinkToAPipe",
                                   [](const fs::path& dir) {
                                       ::mkfifo((dir / "pipe").c_str(), 0600);
                                       fs::create_symlink(dir / "pipe", dir / "link.kvnb");
                                       return dir / "link.kvnb";
                                   },
                                   FileKindError::NamedPipe}),
    [](const testing::TestParamInfo<NonRegularCase>& info) { return std::string(info.param.name); });

// A folder the user may read but not write, holding the file to be replaced. The write runs
// in a child process; when the tests run as root, which writes into read-only folders all
// the same, the child first becomes an unprivileged user.
TEST_F(SafeFileTest, ReadOnlyFolderKeepsTheOldFileAndSaysPermissionDenied)
{
    const uid_t nobody = 65534;
    const fs::path locked = dir / "locked";
    fs::create_directory(locked);
    writeText(locked / "old.kvnb", "old segment");
    const bool privileged = ::geteuid() == 0;
    if (privileged) {
        ASSERT_EQ(::chmod(dir.c_str(), 0755), 0);
        ASSERT_EQ(::chown(locked.c_str(), nobody, nobody), 0);
    }
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);

    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        if (privileged && (::setgid(nobody) != 0 || ::setuid(nobody) != 0))
            ::_exit(3);
        std::string error;
        const bool written = WriteFileSafely((locked / "old.kvnb").string(), "new segment", error);
        (void)!::write(pipeFds[1], error.data(), error.size());
        ::_exit(written ? 1 : 0);
    }
    ::close(pipeFds[1]);
    std::string error;
    char chunk[256];
    for (ssize_t n; (n = ::read(pipeFds[0], chunk, sizeof chunk)) > 0;)
        error.append(chunk, static_cast<size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 3) << "could not become an unprivileged user";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write into a read-only folder succeeded";
    EXPECT_EQ(error, reason(EACCES));
    EXPECT_EQ(readText(locked / "old.kvnb"), "old segment");
    EXPECT_TRUE(strays(locked, {"old.kvnb"}).empty());
}
