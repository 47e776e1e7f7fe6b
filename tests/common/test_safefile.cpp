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
#include <sys/resource.h>
#include <sys/stat.h>
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
        dir = fs::temp_directory_path() /
              ("sonorix-safefile-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
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
}  // namespace

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
    EXPECT_EQ(writer.TempPath(), target.string() + ".part");
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

TEST_F(SafeFileTest, ATakenTemporaryNameIsLeftAloneAndTheNextOneUsed)
{
    const fs::path target = dir / "seg.kvnb";
    writeText(dir / "seg.kvnb.part", "someone else's");
    SafeFileWriter writer(target.string());
    ASSERT_TRUE(writer.Open());
    EXPECT_EQ(writer.TempPath(), target.string() + ".part1");
    ASSERT_TRUE(writer.Write("new", 3));
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(readText(target), "new");
    EXPECT_EQ(readText(dir / "seg.kvnb.part"), "someone else's");
}

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
        EXPECT_EQ(entry.path().string().find(".part"), std::string::npos)
            << entry.path() << " left behind";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SafeFileFailure,
    testing::Values(
        FailureCase{"TargetIsAFolder",
                    [](const fs::path& dir) {
                        fs::create_directory(dir / "export.csv");
                        return dir / "export.csv";
                    },
                    EISDIR},
        FailureCase{"FolderMissing",
                    [](const fs::path& dir) { return dir / "absent" / "x.ini"; },
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
