#include "InputFile.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const char* FileKindText(unsigned mode)
{
    if (S_ISDIR(mode))
        return "is a directory";
    if (S_ISFIFO(mode))
        return "is a named pipe, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "is a device, not a regular file";
    if (S_ISSOCK(mode))
        return "is a socket, not a regular file";
    return "is not a regular file";
}

std::string SystemErrorText(int error)
{
    return std::generic_category().message(error);
}

std::string InputFileProblem(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return "cannot open: " + SystemErrorText(errno);
    if (!S_ISREG(st.st_mode))
        return FileKindText(st.st_mode);
    // Non-blocking, so a file swapped for a pipe after the check cannot hang this open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return "cannot open: " + SystemErrorText(errno);
    ::close(fd);
    return {};
}

std::string LowerExtension(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}
