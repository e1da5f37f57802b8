#include "TemporaryFiles.h"

#include <mutex>
#include <set>

#include <unistd.h>

namespace
{
std::mutex& RegistryMutex()
{
    static std::mutex s_mutex;
    return s_mutex;
}

std::set<std::string>& Registry()
{
    static std::set<std::string> s_aPaths;
    return s_aPaths;
}
} // namespace

void RegisterTemporaryFile(const std::string& sPath)
{
    std::lock_guard lock(RegistryMutex());
    Registry().insert(sPath);
}

void FinishTemporaryFile(const std::string& sPath, const std::function<void()>& step)
{
    std::lock_guard lock(RegistryMutex());
    step();
    Registry().erase(sPath);
}

void RemoveTemporaryFilesForExit()
{
    RegistryMutex().lock(); // never unlocked: the process is about to end
    for (const std::string& sPath : Registry())
        ::unlink(sPath.c_str());
}
