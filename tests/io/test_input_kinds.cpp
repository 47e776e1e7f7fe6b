// What the readers do with an input that is not a readable regular file: a folder, a named
// pipe, a device or a socket is refused at once with its reason (never waited on, never read),
// and a read the system refuses becomes the reader's failure with the system's reason.
#include "IoTestSupport.h"
#include "ReadIshFile.h"
#include "ReadWriteMyFile.h"
#include "SafeFile.h"
#include "SampleGen.h"
#include "Segment.h"
#include "Settings.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <functional>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;

struct InputCase {
    const char* name;
    // Makes the object in the scratch folder (or names one) and returns its path; empty when
    // this system does not let the test make it.
    std::function<std::string(const ScratchDir& scratch, const std::string& extension)> make;
    std::error_code reason;
};

void PrintTo(const InputCase& c, std::ostream* os)
{
    *os << c.name;
}

class NonRegularInput : public testing::TestWithParam<InputCase> {
protected:
    ScratchDir scratch;
    RecordingPresenter rec;
};

// Both readers refuse it from Open, with one "GetLastError" box; the folder keeps the
// system's own words, the others have the program's.
TEST_P(NonRegularInput, IsRefusedAtOnceWithItsReason)
{
    const std::string expected = GetParam().reason.message();
    const std::string raw = GetParam().make(scratch, ".dat");
    if (raw.empty())
        GTEST_SKIP() << "this system does not let the test make the object";
    TReadIshFile recording(raw, DefaultSettings());
    EXPECT_EQ(recording.Open(), 1);
    EXPECT_EQ(recording.ErrorText(), expected);

    TReadWriteMyFile segment(GetParam().make(scratch, ".kvnb"));
    EXPECT_TRUE(segment.OpenForReading());
    EXPECT_EQ(segment.ErrorText(), expected);

    EXPECT_EQ(Shown(rec), (std::vector<std::string>{"GetLastError|" + expected, "GetLastError|" + expected}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NonRegularInput,
    testing::Values(InputCase{"Folder",
                              [](const ScratchDir& scratch, const std::string& extension) {
                                  const std::string path = scratch.Path("folder" + extension);
                                  fs::create_directory(path);
                                  return path;
                              },
                              std::error_code(EISDIR, std::generic_category())},
                    // Opened for reading in the ordinary way, this waits for a writer that never comes.
                    InputCase{"NamedPipe",
                              [](const ScratchDir& scratch, const std::string& extension) {
                                  const std::string path = scratch.Path("pipe" + extension);
                                  ::mkfifo(path.c_str(), 0600);
                                  return path;
                              },
                              MakeErrorCode(FileKindError::NamedPipe)},
                    // Refused from its name alone: a device is never opened.
                    InputCase{"Device",
                              [](const ScratchDir&, const std::string&) { return std::string("/dev/zero"); },
                              MakeErrorCode(FileKindError::Device)},
                    InputCase{"Socket",
                              [](const ScratchDir& scratch, const std::string& extension) {
                                  const std::string path = scratch.Path("socket" + extension);
                                  sockaddr_un address{};
                                  address.sun_family = AF_UNIX;
                                  if (path.size() >= sizeof address.sun_path)
                                      return std::string();
                                  std::strcpy(address.sun_path, path.c_str());
                                  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
                                  const bool bound =
                                      ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
                                  ::close(fd);
                                  return bound ? path : std::string();
                              },
                              MakeErrorCode(FileKindError::Socket)}),
    [](const testing::TestParamInfo<InputCase>& info) { return std::string(info.param.name); });

// Makes every read(2) and pread(2) of this process fail with EIO from now on, as a failing
// disk does; false when the system does not allow it.
bool failEveryRead()
{
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_pread64, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_read, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (EIO & SECCOMP_RET_DATA)),
    };
    sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// Runs body in a child process whose reads all fail, and returns what it wrote to its
// pipe: the messages the readers showed, one a line. "skip" when reads cannot be made to fail.
std::string withFailingReads(const std::function<std::string()>& body)
{
    int out[2];
    if (::pipe(out) != 0)
        return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        const std::string text = failEveryRead() ? body() : std::string("skip");
        (void)!::write(out[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(out[1]);
    std::string text;
    char chunk[512];
    for (ssize_t n; (n = ::read(out[0], chunk, sizeof chunk)) > 0;)
        text.append(chunk, static_cast<size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "the child ended abnormally (status " + std::to_string(status) + ")";
    return text;
}

std::string lines(const std::vector<std::string>& shown)
{
    std::string text;
    for (const auto& line : shown)
        text += line + "\n";
    return text;
}

TEST(FailingDisk, ReadErrorsAreTheReadersFailureWithTheSystemsReason)
{
    ScratchDir scratch;
    RawRecordingSpec spec;
    spec.rate = 100;
    spec.seconds = 2;
    const std::string recordingPath = scratch.Path("rec.dat");
    std::string error;
    ASSERT_TRUE(WriteRawRecording(recordingPath, spec, &error)) << error;
    const std::string segmentPath = scratch.Path("seg.kvnb");
    {
        RecordingPresenter rec;
        TReadWriteMyFile writer(segmentPath);
        ASSERT_FALSE(writer.OpenForWriting(true));
        const std::vector<double> samples(10, 1.0);
        std::array<const double*, 6> channels;
        channels.fill(samples.data());
        ASSERT_FALSE(writer.WriteSegment(1000, 0.01, {50, 50, 50, 50, 50, 50}, channels, 10));
        ASSERT_FALSE(writer.Close());
    }
    const std::string eio = std::strerror(EIO);

    const std::string raw = withFailingReads([&] {
        RecordingPresenter rec;
        TReadIshFile reader(recordingPath, DefaultSettings());
        if (reader.Open() != 0)
            return std::string("open failed");
        uint16_t h, m, s;
        uint32_t rate;
        const int status = reader.ReadHeader(h, m, s, rate);
        return "status " + std::to_string(status) + "\n" + reader.ErrorText() + "\n" + lines(Shown(rec));
    });
    if (raw == "skip")
        GTEST_SKIP() << "this system does not let a process make its reads fail";
    EXPECT_EQ(raw, "status " + std::to_string(kRawHeaderFailed) + "\n" + eio + "\nGetLastError|" + eio +
                       "\nСерьезная ошибка при считывании исходного файла!|Ошибка № -4\n");

    const std::string segment = withFailingReads([&] {
        RecordingPresenter rec;
        TReadWriteMyFile reader(segmentPath);
        if (reader.OpenForReading())
            return std::string("open failed");
        Segment loaded;
        const bool failed = reader.ReadSegment(loaded);
        return std::string(failed ? "failed" : "read") + "\n" + reader.ErrorText() + "\n" + lines(Shown(rec));
    });
    EXPECT_EQ(segment, "failed\n" + eio + "\nGetLastError|" + eio + "\n");
}
}   // namespace
