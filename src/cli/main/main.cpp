// sonorix-cli: batch analysis of recordings and segments without a display.
#include "CliCommands.h"
#include "LargeBuffer.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <memory>
#include <streambuf>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Standard output written straight to its descriptor, keeping the reason of the first failed
// write: a full disk or /dev/full must end the run with that reason, not with a silently cut
// table. After a failure the rest is dropped and the stream reports bad.
class DescriptorBuffer : public std::streambuf {
public:
    explicit DescriptorBuffer(int fd) : fd_(fd) { setp(buffer_.data(), buffer_.data() + buffer_.size()); }
    ~DescriptorBuffer() override { sync(); }
    DescriptorBuffer(const DescriptorBuffer&) = delete;
    DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;

    int error() const { return error_; }
    // Closes the descriptor; a failure there (a file system that reports late) counts too.
    void close()
    {
        sync();
        if (::close(fd_) != 0 && error_ == 0 && errno != EINTR)
            error_ = errno;
    }

protected:
    int_type overflow(int_type ch) override
    {
        if (!drain())
            return traits_type::eof();
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }
    int sync() override { return drain() ? 0 : -1; }

private:
    bool drain()
    {
        const char* from = pbase();
        const char* const end = pptr();
        while (error_ == 0 && from < end) {
            const ssize_t n = ::write(fd_, from, static_cast<size_t>(end - from));
            if (n > 0)
                from += n;
            else if (n < 0 && errno != EINTR)
                error_ = errno;
            else if (n == 0)
                error_ = EIO;
        }
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        return error_ == 0;
    }

    int fd_;
    int error_ = 0;
    std::array<char, 1 << 16> buffer_{};
};

}   // namespace

int main(int argc, char* argv[])
{
    MapLargeAllocations();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    // A core application only: the settings store needs Qt's paths, never a display. A report's
    // fonts need the gui part, which runs here on the offscreen platform, so still no display.
    const bool report = std::any_of(args.begin(), args.end(), [](const std::string& a) {
        return a == "--report" || a.rfind("--report=", 0) == 0;
    });
    std::unique_ptr<QCoreApplication> app;
    char option[] = "-platform", platform[] = "offscreen";
    char* guiArgv[] = {argv[0], option, platform, nullptr};
    int guiArgc = 3;
    if (report)
        app = std::make_unique<QGuiApplication>(guiArgc, guiArgv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);

    DescriptorBuffer stdoutBuffer(STDOUT_FILENO);
    std::ostream out(&stdoutBuffer);
    int code = RunCli(args, out, std::cerr);
    out.flush();
    stdoutBuffer.close();
    if (stdoutBuffer.error() != 0) {
        std::cerr << CliStandardOutputFailure(std::strerror(stdoutBuffer.error())) << '\n';
        code = std::max(code, kExitSomeFailed);
    }
    return code;
}
