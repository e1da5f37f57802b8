// One interactive instance per user: a lock file held with flock(2) for the
// life of the process. The kernel drops the lock when the process ends, however
// it ends, so a crash never leaves a stale instance marker behind. The holder
// writes its process id into the file, so that another process can ask it to
// end (see Processes.h).
#pragma once

#include <string>
#include <sys/types.h>

class CSingleInstanceLock
{
public:
    enum Result
    {
        LOCK_TAKEN, // this process holds the lock now
        LOCK_HELD,  // another process holds it
        LOCK_FAILED // the lock file cannot be made or locked
    };

    explicit CSingleInstanceLock(std::string path);
    ~CSingleInstanceLock();
    CSingleInstanceLock(const CSingleInstanceLock&) = delete;
    CSingleInstanceLock& operator=(const CSingleInstanceLock&) = delete;

    Result TryAcquire();
    void Release();
    bool IsHeld() const { return m_nFd >= 0; }

    // The process id the holder wrote into the file; 0 when none can be read.
    pid_t HolderPid() const;
    // Waits up to timeoutMs for whoever holds the lock to let it go; true when
    // it is free (it is not taken by this call).
    bool WaitUntilFree(int timeoutMs) const;

    const std::string& Path() const { return m_sPath; }

    // "<name>.lock" in $XDG_RUNTIME_DIR, else in the per-user data folder;
    // empty when neither exists.
    static std::string DefaultPath(const std::string& name);

private:
    std::string m_sPath;
    int m_nFd = -1;
};
