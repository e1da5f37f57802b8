#include "Processes.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <limits.h>
#include <string_view>
#include <unistd.h>

namespace
{
int g_aTerminationPipe[2] = {-1, -1};

extern "C" void OnTerminationSignal(int signal)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_aTerminationPipe[1], &byte, 1);
    errno = savedErrno;
}
} // namespace

bool RequestProcessEnd(pid_t pid)
{
    if (pid <= 0 || pid == ::getpid())
        return false;
    return ::kill(pid, SIGTERM) == 0;
}

std::string ProcessExecutableName(pid_t pid)
{
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    std::array<char, PATH_MAX> buffer{};
    const ssize_t length = ::readlink(link.c_str(), buffer.data(), buffer.size() - 1);
    if (length <= 0)
        return {};
    std::string path(buffer.data(), static_cast<std::size_t>(length));
    // A program file replaced while it runs shows as "<path> (deleted)".
    constexpr std::string_view kDeleted = " (deleted)";
    if (path.size() > kDeleted.size() && path.ends_with(kDeleted))
        path.resize(path.size() - kDeleted.size());
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsOtherInstanceOfThisProgram(pid_t pid)
{
    if (pid <= 0 || pid == ::getpid())
        return false;
    const std::string name = ProcessExecutableName(pid);
    return !name.empty() && name == ProcessExecutableName(::getpid());
}

int OpenTerminationPipe()
{
    if (g_aTerminationPipe[0] >= 0)
        return g_aTerminationPipe[0];
    if (::pipe2(g_aTerminationPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return -1;
    struct sigaction action{};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    return g_aTerminationPipe[0];
}

int ReadTerminationSignal(int fd)
{
    int last = 0;
    unsigned char byte = 0;
    while (::read(fd, &byte, 1) == 1)
        last = byte;
    return last;
}
