#include "AtomicWrite.h"

#include "Interruption.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qmcli
{

namespace
{

std::string ErrnoText(int error) { return std::strerror(error); }

// Writes every byte, going on after a short write or an interruption.
bool WriteAll(int fd, std::string_view bytes, int& error)
{
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0)
    {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

CFileStamp StampOf(const std::string& path)
{
    CFileStamp stamp;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return stamp;
    stamp.m_nSize = static_cast<uint64_t>(st.st_size);
    stamp.m_nModSec = st.st_mtim.tv_sec;
    stamp.m_nModNsec = st.st_mtim.tv_nsec;
    stamp.m_bValid = true;
    return stamp;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes,
                           const CFileStamp& expected, std::string& error)
{
    // A link stays a link: the file it points to is the one rewritten.
    std::error_code ec;
    std::filesystem::path target = std::filesystem::canonical(path, ec);
    if (ec)
    {
        error = ec.message();
        return false;
    }
    struct stat st;
    if (::stat(target.c_str(), &st) != 0)
    {
        error = ErrnoText(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode))
    {
        error = "not a regular file";
        return false;
    }

    std::string tempName = (target.parent_path() / ("." + target.filename().string() +
                                                    ".quillmark-XXXXXX")).string();
    std::vector<char> temp(tempName.begin(), tempName.end());
    temp.push_back('\0');
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
    {
        error = ErrnoText(errno);
        return false;
    }
    const std::string tempPath(temp.data());
    RegisterTemporaryFile(tempPath);
    int failure = 0;
    bool ok = WriteAll(fd, bytes, failure);
    if (ok && ::fchmod(fd, st.st_mode & 07777) != 0)
        ok = false, failure = errno;
    // The owner is kept where we may set it; elsewhere the new file is ours.
    if (ok && (st.st_uid != ::geteuid() || st.st_gid != ::getegid()))
    {
        if (::fchown(fd, st.st_uid, st.st_gid) != 0 && ::geteuid() == 0)
            ok = false, failure = errno;
    }
    if (ok && ::fsync(fd) != 0)
        ok = false, failure = errno;
    if (::close(fd) != 0 && ok)
        ok = false, failure = errno;
    if (ok && expected.m_bValid)
    {
        const CFileStamp now = StampOf(target.string());
        if (!now.m_bValid || now.m_nSize != expected.m_nSize ||
            now.m_nModSec != expected.m_nModSec || now.m_nModNsec != expected.m_nModNsec)
        {
            FinishTemporaryFile(tempPath, [&] { ::unlink(tempPath.c_str()); });
            error = "the file changed while it was being formatted; left as it is";
            return false;
        }
    }
    FinishTemporaryFile(tempPath, [&] {
        if (ok && ::rename(tempPath.c_str(), target.c_str()) != 0)
            ok = false, failure = errno;
        if (!ok)
            ::unlink(tempPath.c_str());
    });
    if (!ok)
    {
        error = ErrnoText(failure);
        return false;
    }
    return true;
}

} // namespace qmcli
