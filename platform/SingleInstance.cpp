#include "SingleInstance.h"

#include "UserFolders.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

CSingleInstanceLock::CSingleInstanceLock(std::string path) : m_sPath(std::move(path)) {}

CSingleInstanceLock::~CSingleInstanceLock()
{
    Release();
}

CSingleInstanceLock::Result CSingleInstanceLock::TryAcquire()
{
    if (m_nFd >= 0)
        return LOCK_TAKEN;
    if (m_sPath.empty())
        return LOCK_FAILED;
    // Close-on-exec, so that a program started from here (a help viewer, a
    // browser) cannot keep the lock alive after this process has ended.
    const int fd = ::open(m_sPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return LOCK_FAILED;
    int rc;
    do
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0)
    {
        const bool bHeld = errno == EWOULDBLOCK;
        ::close(fd);
        return bHeld ? LOCK_HELD : LOCK_FAILED;
    }
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0)
    {
        [[maybe_unused]] const ssize_t written = ::pwrite(fd, pid.data(), pid.size(), 0);
    }
    m_nFd = fd;
    return LOCK_TAKEN;
}

void CSingleInstanceLock::Release()
{
    if (m_nFd < 0)
        return;
    // The file stays: removing it would let a third process lock a new file of
    // the same name while a second still waits on the old one.
    [[maybe_unused]] const int rc = ::ftruncate(m_nFd, 0);
    ::flock(m_nFd, LOCK_UN);
    ::close(m_nFd);
    m_nFd = -1;
}

pid_t CSingleInstanceLock::HolderPid() const
{
    const int fd = ::open(m_sPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char buffer[32] = {};
    const ssize_t count = ::read(fd, buffer, sizeof(buffer) - 1);
    ::close(fd);
    if (count <= 0)
        return 0;
    char* pEnd = nullptr;
    const long pid = std::strtol(buffer, &pEnd, 10);
    if (pEnd == buffer || pid <= 0 || pid > 0x3fffffff)
        return 0;
    return static_cast<pid_t>(pid);
}

bool CSingleInstanceLock::WaitUntilFree(int timeoutMs) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;)
    {
        const int fd = ::open(m_sPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return true;
        const bool bFree = ::flock(fd, LOCK_SH | LOCK_NB) == 0;
        ::close(fd);
        if (bFree)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::string CSingleInstanceLock::DefaultPath(const std::string& name)
{
    const char* pRuntime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info{};
    if (pRuntime && *pRuntime && ::stat(pRuntime, &info) == 0 && S_ISDIR(info.st_mode))
        return std::string(pRuntime) + "/" + name + ".lock";
    const std::string folder = UserDataFolder();
    if (folder.empty())
        return {};
    return folder + "/" + name + ".lock";
}
