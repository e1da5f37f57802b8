#include "PosixFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::string ErrorText(int nErrno)
{
    return std::strerror(nErrno);
}

// A name beside the target that no other writer uses: the process, a counter
// and the clock, retried while the name is taken.
std::filesystem::path TemporaryNameBeside(const std::filesystem::path& target, unsigned nAttempt)
{
    static std::atomic<unsigned> s_nCounter{0};
    const auto nTicks = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    std::string sName = "." + target.filename().string() + ".";
    sName += std::to_string(::getpid()) + "-" + std::to_string(s_nCounter++) + "-" +
             std::to_string((nTicks >> 4) % 1000000 + nAttempt) + ".tmp";
    return target.parent_path() / sName;
}
// The file a chain of symbolic links ends at, whether or not it exists.
std::filesystem::path ResolveLinks(std::filesystem::path path)
{
    for (int nHops = 0; nHops < 40; ++nHops)
    {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        std::error_code ec;
        std::filesystem::path link = std::filesystem::read_symlink(path, ec);
        if (ec)
            break;
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return path;
}
} // namespace

CPosixFile::~CPosixFile()
{
    Close();
}

std::unique_ptr<CPosixFile> CPosixFile::Attach(int nDescriptor, const std::string& sName)
{
    auto pFile = std::make_unique<CPosixFile>();
    pFile->m_nDescriptor = nDescriptor;
    pFile->m_bOwnsDescriptor = false;
    pFile->m_sName = sName;
    return pFile;
}

void CPosixFile::Fail(const std::string& sWhat, int nErrno)
{
    SetError(sWhat + ": " + ErrorText(nErrno));
}

bool CPosixFile::Open(const std::filesystem::path& path, unsigned nFlags)
{
    if (IsOpen())
        Close();
    m_sName = path.string();
    m_bOwnsDescriptor = true;
    if (nFlags & modeWrite)
        return OpenForWriting(path, (nFlags & modeCreate) != 0);
    return OpenForReading(path);
}

bool CPosixFile::OpenForReading(const std::filesystem::path& path)
{
    int nFd;
    do
        nFd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    while (nFd < 0 && errno == EINTR);
    if (nFd < 0)
    {
        Fail(m_sName, errno);
        return false;
    }
    struct stat st;
    if (::fstat(nFd, &st) == 0 && S_ISDIR(st.st_mode))
    {
        ::close(nFd);
        Fail(m_sName, EISDIR);
        return false;
    }
    m_nDescriptor = nFd;
    return true;
}

bool CPosixFile::OpenForWriting(const std::filesystem::path& path, bool bTruncate)
{
    // Write through a symbolic link to the file it names, keeping the link; a
    // link to nothing yet creates the file it names.
    m_target = ResolveLinks(path);
    struct stat st;
    bool bExists = ::stat(m_target.c_str(), &st) == 0;
    if (!bExists && errno != ENOENT)
    {
        Fail(m_sName, errno);
        return false;
    }
    if (bExists && S_ISDIR(st.st_mode))
    {
        Fail(m_sName, EISDIR);
        return false;
    }
    if ((bExists && !S_ISREG(st.st_mode)) || !bTruncate)
    {
        // A device or pipe cannot be replaced by renaming; without modeCreate the
        // caller asked to write into the file as it stands.
        int nFd;
        do
            nFd = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC | (bTruncate ? O_TRUNC : 0));
        while (nFd < 0 && errno == EINTR);
        if (nFd < 0)
        {
            Fail(m_sName, errno);
            return false;
        }
        m_nDescriptor = nFd;
        return true;
    }

    m_bKeepMode = bExists;
    m_nMode = st.st_mode & 07777;
    m_nOwner = st.st_uid;
    m_nGroup = st.st_gid;
    for (unsigned nAttempt = 0; nAttempt < 100; ++nAttempt)
    {
        std::filesystem::path temporary = TemporaryNameBeside(m_target, nAttempt);
        // A new file gets the usual 0666 less the umask; an existing file's mode
        // is copied below.
        int nFd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (nFd < 0 && (errno == EEXIST || errno == EINTR))
            continue;
        if (nFd < 0)
        {
            Fail(m_sName, errno);
            return false;
        }
        if (m_bKeepMode)
        {
            // The owner first: changing it may clear set-id bits that the mode restores.
            if (::fchown(nFd, m_nOwner, m_nGroup) != 0)
            {
                // Only a privileged process can give a file away; keeping the
                // group alone may still work.
                [[maybe_unused]] int nIgnored = ::fchown(nFd, static_cast<uid_t>(-1), m_nGroup);
            }
            [[maybe_unused]] int nIgnored = ::fchmod(nFd, m_nMode);
        }
        m_nDescriptor = nFd;
        m_temporary = std::move(temporary);
        return true;
    }
    Fail(m_sName, EEXIST);
    return false;
}

std::size_t CPosixFile::Read(void* pBuffer, std::size_t nCount)
{
    if (!IsOpen())
        return 0;
    auto* pBytes = static_cast<char*>(pBuffer);
    std::size_t nDone = 0;
    while (nDone < nCount)
    {
        ssize_t n = ::read(m_nDescriptor, pBytes + nDone, nCount - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
        {
            Fail(m_sName, errno);
            return 0;
        }
        if (n == 0)
            break;
        nDone += static_cast<std::size_t>(n);
    }
    return nDone;
}

bool CPosixFile::Write(const void* pBuffer, std::size_t nCount)
{
    if (!IsOpen())
    {
        Fail(m_sName, EBADF);
        return false;
    }
    if (Failed())
        return false;
    const auto* pBytes = static_cast<const char*>(pBuffer);
    std::size_t nDone = 0;
    while (nDone < nCount)
    {
        ssize_t n = ::write(m_nDescriptor, pBytes + nDone, nCount - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
        {
            Fail(m_sName, errno);
            return false;
        }
        nDone += static_cast<std::size_t>(n);
    }
    return true;
}

bool CPosixFile::SeekToBegin()
{
    if (!IsOpen())
        return false;
    return ::lseek(m_nDescriptor, 0, SEEK_SET) == 0;
}

std::uint64_t CPosixFile::GetLength() const
{
    struct stat st;
    if (!IsOpen() || ::fstat(m_nDescriptor, &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    return static_cast<std::uint64_t>(st.st_size);
}

bool CPosixFile::CommitReplacement()
{
    if (!Failed() && ::fsync(m_nDescriptor) != 0)
        Fail(m_sName, errno);
    if (::close(m_nDescriptor) != 0 && !Failed())
        Fail(m_sName, errno);
    m_nDescriptor = -1;
    if (!Failed() && ::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        Fail(m_sName, errno);
    if (Failed())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
    return !Failed();
}

bool CPosixFile::Close()
{
    if (!IsOpen())
        return !Failed();
    if (!m_temporary.empty())
        return CommitReplacement();
    if (m_bOwnsDescriptor && ::close(m_nDescriptor) != 0)
        Fail(m_sName, errno);
    m_nDescriptor = -1;
    return !Failed();
}

void CPosixFile::Abandon()
{
    if (IsOpen() && !m_temporary.empty())
    {
        ::close(m_nDescriptor);
        m_nDescriptor = -1;
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
        return;
    }
    Close();
}
