#include "PosixFile.h"

#include <cerrno>
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
    const std::filesystem::path target = ResolveSymbolicLinks(path);
    struct stat st;
    const bool bExists = ::stat(target.c_str(), &st) == 0;
    if ((bExists && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) || !bTruncate)
    {
        // A device or pipe cannot be replaced by renaming; without modeCreate the
        // caller asked to write into the file as it stands.
        int nFd;
        do
            nFd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | (bTruncate ? O_TRUNC : 0));
        while (nFd < 0 && errno == EINTR);
        if (nFd < 0)
        {
            Fail(m_sName, errno);
            return false;
        }
        m_nDescriptor = nFd;
        return true;
    }
    if (!m_replacement.Begin(path))
    {
        SetError(m_sName + ": " + m_replacement.GetError());
        return false;
    }
    return true;
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
    if (m_replacement.IsActive())
    {
        if (m_replacement.Write(pBuffer, nCount))
            return true;
        SetError(m_sName + ": " + m_replacement.GetError());
        return false;
    }
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

bool CPosixFile::Close()
{
    if (!IsOpen())
        return !Failed();
    if (m_replacement.IsActive())
    {
        if (Failed())
            m_replacement.Abandon();
        else if (!m_replacement.Commit())
            SetError(m_sName + ": " + m_replacement.GetError());
        return !Failed();
    }
    if (m_bOwnsDescriptor && ::close(m_nDescriptor) != 0)
        Fail(m_sName, errno);
    m_nDescriptor = -1;
    return !Failed();
}

void CPosixFile::Abandon()
{
    if (m_replacement.IsActive())
    {
        m_replacement.Abandon();
        return;
    }
    Close();
}
