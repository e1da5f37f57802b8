#include "AtomicReplace.h"

#include "TemporaryFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

std::string ErrnoText(int nErrno)
{
    return std::strerror(nErrno);
}

bool WriteAll(int nFd, const char* pBytes, std::size_t nCount, off_t* pOffset, int& nErrno)
{
    while (nCount > 0)
    {
        const ssize_t n = pOffset ? ::pwrite(nFd, pBytes, nCount, *pOffset) : ::write(nFd, pBytes, nCount);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
        {
            nErrno = errno;
            return false;
        }
        pBytes += n;
        nCount -= static_cast<std::size_t>(n);
        if (pOffset)
            *pOffset += n;
    }
    return true;
}

// ".NAME.quillmark-XXXXXX" with six random letters and digits; NAME loses its
// end, never in the middle of a UTF-8 character, where the whole would exceed
// nLimit bytes.
std::string TemporaryName(const std::string& sName, std::size_t nLimit)
{
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 s_random{std::random_device{}()};
    std::string sSuffix = ".quillmark-";
    for (int i = 0; i < 6; ++i)
        sSuffix += kLetters[s_random() % (sizeof kLetters - 1)];
    std::size_t nRoom = nLimit > sSuffix.size() + 1 ? nLimit - sSuffix.size() - 1 : 0;
    if (nRoom < sName.size())
        while (nRoom > 0 && (static_cast<unsigned char>(sName[nRoom]) & 0xC0) == 0x80)
            --nRoom;
    return "." + sName.substr(0, std::min(nRoom, sName.size())) + sSuffix;
}

// The names of a file's extended attributes; false with errno set when they
// cannot be listed (a file system without them gives an empty list).
bool ListAttributes(const fs::path& path, std::vector<std::string>& aNames)
{
    aNames.clear();
    for (;;)
    {
        const ssize_t nSize = ::llistxattr(path.c_str(), nullptr, 0);
        if (nSize < 0)
            return errno == ENOTSUP || errno == ENOSYS;
        std::vector<char> list(static_cast<std::size_t>(nSize) + 1);
        const ssize_t nGot = ::llistxattr(path.c_str(), list.data(), list.size());
        if (nGot < 0 && errno == ERANGE)
            continue; // grew meanwhile
        if (nGot < 0)
            return false;
        for (std::size_t i = 0; i < static_cast<std::size_t>(nGot);)
        {
            const std::string sName(list.data() + i);
            if (!sName.empty())
                aNames.push_back(sName);
            i += sName.size() + 1;
        }
        return true;
    }
}

// One attribute's value; false with errno set.
bool AttributeValue(const fs::path* pPath, int nFd, const std::string& sName, std::string& value)
{
    for (;;)
    {
        const ssize_t nSize = pPath ? ::lgetxattr(pPath->c_str(), sName.c_str(), nullptr, 0)
                                    : ::fgetxattr(nFd, sName.c_str(), nullptr, 0);
        if (nSize < 0)
            return false;
        value.assign(static_cast<std::size_t>(nSize), '\0');
        const ssize_t nGot = pPath ? ::lgetxattr(pPath->c_str(), sName.c_str(), value.data(), value.size())
                                   : ::fgetxattr(nFd, sName.c_str(), value.data(), value.size());
        if (nGot < 0 && errno == ERANGE)
            continue;
        if (nGot < 0)
            return false;
        value.resize(static_cast<std::size_t>(nGot));
        return true;
    }
}

} // namespace

CFileStamp StampOf(const fs::path& path)
{
    CFileStamp stamp;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return stamp;
    stamp.m_nSize = static_cast<std::uint64_t>(st.st_size);
    stamp.m_nModSec = st.st_mtim.tv_sec;
    stamp.m_nModNsec = st.st_mtim.tv_nsec;
    stamp.m_bValid = true;
    return stamp;
}

fs::path ResolveSymbolicLinks(fs::path path)
{
    for (int nHops = 0; nHops < 40; ++nHops)
    {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        std::error_code ec;
        fs::path link = fs::read_symlink(path, ec);
        if (ec)
            break;
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return path;
}

CAtomicReplacement::~CAtomicReplacement()
{
    Abandon();
}

bool CAtomicReplacement::Fail(const std::string& sError)
{
    if (m_sError.empty())
        m_sError = sError;
    return false;
}

bool CAtomicReplacement::Begin(const fs::path& path)
{
    Abandon();
    m_sError.clear();
    m_target = ResolveSymbolicLinks(path);
    struct stat st;
    m_bExisted = ::stat(m_target.c_str(), &st) == 0;
    if (!m_bExisted && errno != ENOENT)
        return Fail(ErrnoText(errno));
    if (m_bExisted && S_ISDIR(st.st_mode))
        return Fail(ErrnoText(EISDIR));
    if (m_bExisted && !S_ISREG(st.st_mode))
        return Fail("it is not a regular file");
    // Root may write anything; a file without a single write bit is still
    // meant to stay as it is.
    if (m_bExisted && ((st.st_mode & 0222) == 0 ||
                       ::faccessat(AT_FDCWD, m_target.c_str(), W_OK, AT_EACCESS) != 0))
        return Fail("it is read-only");

    const fs::path folder = m_target.has_parent_path() ? m_target.parent_path() : fs::path(".");
    m_nFolder = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_nFolder < 0)
        return Fail(ErrnoText(errno));
    long nNameLimit = ::fpathconf(m_nFolder, _PC_NAME_MAX);
    if (nNameLimit <= 0)
        nNameLimit = 255;

    const std::string sName = m_target.filename().string();
    int nFd = -1;
    for (int nAttempt = 0; nAttempt < 100 && nFd < 0; ++nAttempt)
    {
        m_sTemporaryName = TemporaryName(sName, static_cast<std::size_t>(nNameLimit));
        // An existing file's mode is given to the temporary one once it is ours
        // alone; a new file takes 0666 less the umask.
        nFd = ::openat(m_nFolder, m_sTemporaryName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                       m_bExisted ? 0600 : 0666);
        if (nFd < 0 && errno != EEXIST && errno != EINTR)
            break;
    }
    if (nFd < 0)
    {
        const int nErrno = errno;
        CloseAll(false);
        if (nErrno == EACCES || nErrno == EPERM || nErrno == EROFS)
            return Fail("its folder " + folder.string() + " is not writable (" + ErrnoText(nErrno) + ")");
        return Fail(ErrnoText(nErrno));
    }
    m_nDescriptor = nFd;
    m_sTemporaryPath = (folder / m_sTemporaryName).string();
    RegisterTemporaryFile(m_sTemporaryPath);

    // With one name, the temporary file takes the old one's place and must
    // carry all it had; with several, the old inode is rewritten and keeps it.
    m_bAttributesKept = false;
    if (m_bExisted && st.st_nlink == 1)
    {
        if (!KeepAttributes())
        {
            CloseAll(true);
            return false;
        }
        m_bAttributesKept = true;
    }
    return true;
}

bool CAtomicReplacement::KeepAttributes()
{
    struct stat old;
    if (::stat(m_target.c_str(), &old) != 0)
        return Fail(ErrnoText(errno));
    if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(m_nDescriptor, old.st_uid, old.st_gid) != 0)
        return Fail("its owner and group (" + std::to_string(old.st_uid) + ":" +
                    std::to_string(old.st_gid) + ") cannot be kept (" + ErrnoText(errno) + ")");
    // After the owner: giving a file away clears its set-id bits.
    struct stat now;
    if (::fchmod(m_nDescriptor, old.st_mode & 07777) != 0 || ::fstat(m_nDescriptor, &now) != 0 ||
        (now.st_mode & 07777) != (old.st_mode & 07777))
    {
        char sMode[8];
        std::snprintf(sMode, sizeof sMode, "%04o", static_cast<unsigned>(old.st_mode & 07777));
        return Fail(std::string("its mode ") + sMode + " cannot be kept");
    }
    std::vector<std::string> aNames;
    if (!ListAttributes(m_target, aNames))
        return Fail("its extended attributes cannot be read (" + ErrnoText(errno) + ")");
    for (const std::string& sName : aNames)
    {
        std::string value, current;
        if (!AttributeValue(&m_target, -1, sName, value))
        {
            if (errno == ENODATA)
                continue; // removed meanwhile
            return Fail("its extended attribute '" + sName + "' cannot be read (" + ErrnoText(errno) + ")");
        }
        // Some (a security label) the new file may have got already.
        if (AttributeValue(nullptr, m_nDescriptor, sName, current) && current == value)
            continue;
        if (::fsetxattr(m_nDescriptor, sName.c_str(), value.data(), value.size(), 0) != 0)
            return Fail("its extended attribute '" + sName + "' cannot be kept (" + ErrnoText(errno) + ")");
    }
    return true;
}

bool CAtomicReplacement::Write(const void* pData, std::size_t nSize)
{
    if (m_nDescriptor < 0)
        return Fail(ErrnoText(EBADF));
    if (!m_sError.empty())
        return false;
    int nErrno = 0;
    if (!WriteAll(m_nDescriptor, static_cast<const char*>(pData), nSize, nullptr, nErrno))
        return Fail(ErrnoText(nErrno));
    return true;
}

bool CAtomicReplacement::RewriteInPlace(bool& bTouched)
{
    bTouched = false;
    const int nSource = ::openat(m_nFolder, m_sTemporaryName.c_str(), O_RDONLY | O_CLOEXEC);
    const int nTarget = nSource < 0 ? -1 : ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC);
    struct stat st;
    if (nSource < 0 || nTarget < 0 || ::fstat(nSource, &st) != 0)
    {
        const int nErrno = errno;
        if (nSource >= 0)
            ::close(nSource);
        if (nTarget >= 0)
            ::close(nTarget);
        return Fail(ErrnoText(nErrno));
    }
    // The space first: a full disk or a file-size limit then fails before a
    // single byte of the file has changed.
    if (st.st_size > 0)
    {
        const int nErrno = ::posix_fallocate(nTarget, 0, st.st_size);
        if (nErrno != 0 && nErrno != EOPNOTSUPP && nErrno != EINVAL)
        {
            ::close(nSource);
            ::close(nTarget);
            return Fail(ErrnoText(nErrno));
        }
    }
    bTouched = true;
    int nErrno = 0;
    off_t nOffset = 0;
    std::vector<char> buffer(1 << 16);
    for (;;)
    {
        const ssize_t n = ::read(nSource, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
        {
            nErrno = errno;
            break;
        }
        if (n == 0 || !WriteAll(nTarget, buffer.data(), static_cast<std::size_t>(n), &nOffset, nErrno))
            break;
    }
    if (nErrno == 0 && ::ftruncate(nTarget, st.st_size) != 0)
        nErrno = errno;
    if (nErrno == 0 && ::fsync(nTarget) != 0)
        nErrno = errno;
    if (::close(nTarget) != 0 && nErrno == 0)
        nErrno = errno;
    ::close(nSource);
    if (nErrno != 0)
        return Fail("it was only partly rewritten (" + ErrnoText(nErrno) + "); its new text is in " +
                    m_sTemporaryPath);
    return true;
}

bool CAtomicReplacement::Commit(const CFileStamp& expected)
{
    if (m_nDescriptor < 0)
        return Fail(ErrnoText(EBADF));
    if (m_sError.empty() && ::fsync(m_nDescriptor) != 0)
        Fail(ErrnoText(errno));
    if (::close(m_nDescriptor) != 0)
        Fail(ErrnoText(errno));
    m_nDescriptor = -1;
    struct stat now;
    const bool bExists = ::stat(m_target.c_str(), &now) == 0;
    if (m_sError.empty() && expected.m_bValid && (!bExists || !StampOf(m_target).SameAs(expected)))
        Fail("it changed since it was read; left as it is");
    if (!m_sError.empty())
    {
        CloseAll(true);
        return false;
    }

    const bool bInPlace = m_bExisted && bExists && (now.st_nlink > 1 || !m_bAttributesKept);
    bool bKeepTemporary = false;
    FinishTemporaryFile(m_sTemporaryPath, [&] {
        if (bInPlace)
        {
            // Once the old file is touched, the temporary file holds the
            // only whole copy of the text.
            bool bTouched = false;
            if (RewriteInPlace(bTouched))
                ::unlinkat(m_nFolder, m_sTemporaryName.c_str(), 0);
            bKeepTemporary = bTouched && !m_sError.empty();
        }
        else if (::renameat(m_nFolder, m_sTemporaryName.c_str(), m_nFolder,
                            m_target.filename().c_str()) != 0)
            Fail(ErrnoText(errno));
        if (!m_sError.empty() && !bKeepTemporary)
            ::unlinkat(m_nFolder, m_sTemporaryName.c_str(), 0);
    });
    // The rename is durable once the folder is.
    if (m_sError.empty() && !bInPlace)
        ::fsync(m_nFolder);
    m_sTemporaryName.clear();
    CloseAll(false);
    return m_sError.empty();
}

void CAtomicReplacement::CloseAll(bool bRemoveTemporary)
{
    if (m_nDescriptor >= 0)
        ::close(m_nDescriptor);
    m_nDescriptor = -1;
    if (bRemoveTemporary && !m_sTemporaryName.empty())
        FinishTemporaryFile(m_sTemporaryPath, [&] { ::unlinkat(m_nFolder, m_sTemporaryName.c_str(), 0); });
    m_sTemporaryName.clear();
    if (m_nFolder >= 0)
        ::close(m_nFolder);
    m_nFolder = -1;
}

void CAtomicReplacement::Abandon()
{
    CloseAll(true);
}

bool ReplaceFileContents(const fs::path& path, std::string_view bytes, const CFileStamp& expected,
                         std::string& error)
{
    CAtomicReplacement replacement;
    const bool bDone = replacement.Begin(path) && replacement.Write(bytes.data(), bytes.size()) &&
                       replacement.Commit(expected);
    if (!bDone)
    {
        error = replacement.GetError();
        replacement.Abandon();
    }
    return bDone;
}
