#include "Interruption.h"

#include "TemporaryFiles.h"

#include <csignal>
#include <system_error>
#include <thread>

#include <pthread.h>
#include <unistd.h>

namespace qmcli
{

void InstallInterruptionCleanup()
{
    std::signal(SIGXFSZ, SIG_IGN);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0)
        return;
    try
    {
        std::thread([set] {
            int signal = 0;
            if (sigwait(&set, &signal) != 0)
                return;
            RemoveTemporaryFilesForExit();
            ::_exit(128 + signal);
        }).detach();
    }
    catch (const std::system_error&)
    {
        // Without the thread that waits for them, the signals keep their
        // usual effect.
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    }
}

} // namespace qmcli
