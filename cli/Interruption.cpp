#include "Interruption.h"

#include <csignal>
#include <mutex>
#include <set>
#include <thread>

#include <pthread.h>
#include <unistd.h>

namespace qmcli
{

namespace
{

std::mutex& RegistryMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::set<std::string>& Registry()
{
    static std::set<std::string> paths;
    return paths;
}

sigset_t WatchedSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

} // namespace

void InstallInterruptionCleanup()
{
    const sigset_t set = WatchedSignals();
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0)
        return;
    std::thread([set] {
        int signal = 0;
        if (sigwait(&set, &signal) != 0)
            return;
        std::lock_guard lock(RegistryMutex()); // held until the end: no rename starts
        for (const std::string& path : Registry())
            ::unlink(path.c_str());
        ::_exit(128 + signal);
    }).detach();
}

void RegisterTemporaryFile(const std::string& path)
{
    std::lock_guard lock(RegistryMutex());
    Registry().insert(path);
}

void FinishTemporaryFile(const std::string& path, const std::function<void()>& step)
{
    std::lock_guard lock(RegistryMutex());
    step();
    Registry().erase(path);
}

} // namespace qmcli
