#include "IniProfileStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace {

// A settings file is a few kilobytes; anything far larger is not read into
// memory (and, being unreadable, never overwritten).
constexpr off_t kMaxFileSize = 64 * 1024 * 1024;


std::string ErrnoText(int err)
{
    return std::strerror(err);
}

// Closes a descriptor when it goes out of scope.
class CFd
{
public:
    explicit CFd(int fd = -1) : m_fd(fd) {}
    ~CFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int Get() const { return m_fd; }
    int Release()
    {
        int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, const std::string& text, int& err)
{
    size_t done = 0;
    while (done < text.size())
    {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

std::string ParentFolder(const std::string& path)
{
    fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// Replaces the file at `path` with `text`: a temporary file beside it is
// written, synced and renamed over it, so the old file stays whole until the
// new one is complete. The old file's permissions are kept.
bool ReplaceFile(const std::string& path, const std::string& text, std::string& error)
{
    std::string tmpl = path + ".tmpXXXXXX";
    CFd fd(::mkstemp(tmpl.data()));
    if (fd.Get() < 0)
    {
        error = "cannot create a temporary file beside " + path + ": " + ErrnoText(errno);
        return false;
    }
    auto fail = [&](const std::string& what, int err) {
        error = what + " " + path + ": " + ErrnoText(err);
        ::close(fd.Release());
        ::unlink(tmpl.c_str());
        return false;
    };
    int err = 0;
    if (!WriteAll(fd.Get(), text, err))
        return fail("cannot write", err);
    struct stat old;
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd.Get(), old.st_mode & 07777);
    if (::fsync(fd.Get()) != 0)
        return fail("cannot sync", errno);
    if (::close(fd.Release()) != 0)
    {
        error = "cannot write " + path + ": " + ErrnoText(errno);
        ::unlink(tmpl.c_str());
        return false;
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0)
    {
        error = "cannot replace " + path + ": " + ErrnoText(errno);
        ::unlink(tmpl.c_str());
        return false;
    }
    // Make the rename itself durable.
    CFd dir(::open(ParentFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0)
        ::fsync(dir.Get());
    return true;
}

// Waits until this process holds the exclusive lock on the lock file; the
// kernel releases it when the descriptor closes or the process dies. Others
// hold it for milliseconds, so a lock held for seconds means a stuck process:
// give up then rather than hang the program's exit.
int LockFile(const std::string& path, std::chrono::milliseconds timeout, std::string& error)
{
    CFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (fd.Get() < 0)
    {
        error = "cannot open the lock file " + path + ": " + ErrnoText(errno);
        return -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
    {
        if (errno != EWOULDBLOCK && errno != EINTR)
        {
            error = "cannot lock " + path + ": " + ErrnoText(errno);
            return -1;
        }
        if (std::chrono::steady_clock::now() >= deadline)
        {
            error = "another process has held " + path + " for too long";
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return fd.Release();
}

bool IsWritableSectionName(const std::string& section)
{
    return IniLineText(section) == section;
}

} // namespace

CIniProfileStore::CIniProfileStore(std::string path, WarningSink sink)
    : m_sPath(std::move(path)), m_sink(std::move(sink))
{
    if (m_sPath.empty())
        return;
    CIniParseResult parsed;
    switch (ReadFile(m_sLoadedBytes, parsed))
    {
    case ReadStatus::MISSING:
        break;
    case ReadStatus::FAILED:
        Warn(m_sLastError + "; the default settings are used");
        break;
    case ReadStatus::OK:
        m_base = CIniDocument(parsed);
        m_doc = m_base;
        WarnMalformed(parsed);
        break;
    }
}

CIniProfileStore::~CIniProfileStore()
{
    if (!Flush())
        Warn("the settings were not saved: " + m_sLastError);
}

std::optional<std::string> CIniProfileStore::GetString(const std::string& section,
                                                       const std::string& name) const
{
    if (const std::string* value = m_doc.Find(section, name))
        return *value;
    return std::nullopt;
}

void CIniProfileStore::WriteString(const std::string& section, const std::string& name,
                                   const std::string& value)
{
    if (!CIniDocument::IsWritableName(name) || !IsWritableSectionName(section))
    {
        Warn("the setting \"" + IniLineText(name) + "\" of [" + IniLineText(section) +
             "] cannot be stored in an INI file and was not saved");
        return;
    }
    // Store what the file will read back, so this process sees the same.
    const std::string text = IniLineText(value);
    m_doc.Set(section, name, text);

    std::erase_if(m_aChanges, [&](const CChange& c) {
        return !c.m_bDeleteSection && c.m_sSection == section && c.m_sName == name;
    });
    const bool sectionDeleted = std::any_of(m_aChanges.begin(), m_aChanges.end(), [&](const CChange& c) {
        return c.m_bDeleteSection && c.m_sSection == section;
    });
    // Writing back what the file held is no change: another process's newer
    // value for it must survive this process's save.
    if (!sectionDeleted)
        if (const std::string* base = m_base.Find(section, name); base && *base == text)
            return;
    m_aChanges.push_back(CChange{false, section, name, text});
}

void CIniProfileStore::DeleteSection(const std::string& section)
{
    m_doc.EraseSection(section);
    std::erase_if(m_aChanges, [&](const CChange& c) { return c.m_sSection == section; });
    m_aChanges.push_back(CChange{true, section, {}, {}});
}

bool CIniProfileStore::Flush()
{
    m_sLastError.clear();
    if (m_aChanges.empty())
        return true;
    if (m_sPath.empty())
    {
        m_sLastError = "no place for the settings file: neither QUILLMARK_CONFIG, "
                       "XDG_CONFIG_HOME nor HOME is set";
        return false;
    }
    const std::string target = TargetPath();
    std::error_code ec;
    fs::create_directories(ParentFolder(target), ec);
    if (ec)
    {
        m_sLastError = "cannot create the folder " + ParentFolder(target) + ": " + ec.message();
        return false;
    }
    CFd lock(LockFile(target + ".lock", m_lockTimeout, m_sLastError));
    if (lock.Get() < 0)
        return false;

    // Under the lock: what other processes saved since we read the file.
    std::string bytes;
    CIniParseResult parsed;
    const ReadStatus status = ReadFile(bytes, parsed);
    if (status == ReadStatus::FAILED)
        return false;
    if (!parsed.Clean())
    {
        if (bytes != m_sLoadedBytes)
            WarnMalformed(parsed);
        const std::string badPath = target + ".bad";
        std::string error;
        if (!ReplaceFile(badPath, bytes, error))
        {
            m_sLastError = "the file has malformed lines and a copy could not be kept: " + error;
            return false;
        }
        Warn(m_sPath + " had malformed lines; the old file was kept as " + badPath);
    }

    CIniDocument merged(parsed);
    for (const CChange& change : m_aChanges)
    {
        if (change.m_bDeleteSection)
            merged.EraseSection(change.m_sSection);
        else
            merged.Set(change.m_sSection, change.m_sName, change.m_sValue);
    }
    const std::string text = merged.Format();
    if (status == ReadStatus::MISSING || text != bytes)
        if (!ReplaceFile(target, text, m_sLastError))
            return false;

    m_base = merged;
    m_doc = merged;
    m_sLoadedBytes = text;
    m_aChanges.clear();
    return true;
}

CIniProfileStore::ReadStatus CIniProfileStore::ReadFile(std::string& bytes, CIniParseResult& parsed)
{
    bytes.clear();
    // Non-blocking, so that a FIFO in the file's place cannot hang the open.
    CFd fd(::open(m_sPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0)
    {
        if (errno == ENOENT)
        {
            parsed = ParseIni({});
            return ReadStatus::MISSING;
        }
        m_sLastError = "cannot read " + m_sPath + ": " + ErrnoText(errno);
        return ReadStatus::FAILED;
    }
    struct stat st;
    if (::fstat(fd.Get(), &st) != 0)
    {
        m_sLastError = "cannot read " + m_sPath + ": " + ErrnoText(errno);
        return ReadStatus::FAILED;
    }
    if (!S_ISREG(st.st_mode))
    {
        m_sLastError = "cannot read " + m_sPath + ": " +
                       (S_ISDIR(st.st_mode) ? std::string("it is a folder") : std::string("not a regular file"));
        return ReadStatus::FAILED;
    }
    if (st.st_size > kMaxFileSize)
    {
        m_sLastError = "cannot read " + m_sPath + ": it is far too large for a settings file";
        return ReadStatus::FAILED;
    }
    bytes.reserve(size_t(st.st_size));
    char buffer[65536];
    for (;;)
    {
        ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            m_sLastError = "cannot read " + m_sPath + ": " + ErrnoText(errno);
            return ReadStatus::FAILED;
        }
        if (n == 0)
            break;
        bytes.append(buffer, size_t(n));
        if (bytes.size() > size_t(kMaxFileSize))
        {
            m_sLastError = "cannot read " + m_sPath + ": it is far too large for a settings file";
            return ReadStatus::FAILED;
        }
    }
    parsed = ParseIni(bytes);
    return ReadStatus::OK;
}

void CIniProfileStore::Warn(const std::string& text)
{
    m_aWarnings.push_back(text);
    if (m_sink)
        m_sink(text);
}

void CIniProfileStore::WarnMalformed(const CIniParseResult& parsed)
{
    if (parsed.Clean())
        return;
    const CIniMalformedLine& first = parsed.m_aMalformed.front();
    std::string text = m_sPath + ":" + std::to_string(first.m_nLine) + ": the line " + first.m_sReason;
    if (parsed.m_aMalformed.size() > 1)
        text += " (and " + std::to_string(parsed.m_aMalformed.size() - 1) + " more malformed lines)";
    text += "; such lines are ignored and the file is kept as " + TargetPath() +
            ".bad before it is next saved";
    Warn(text);
}

std::string CIniProfileStore::TargetPath() const
{
    // A symbolic link (a dotfile manager's, say) stays in place: the file it
    // points to is replaced.
    struct stat st;
    if (::lstat(m_sPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
    {
        if (char* real = ::realpath(m_sPath.c_str(), nullptr))
        {
            std::string resolved = real;
            std::free(real);
            return resolved;
        }
    }
    return m_sPath;
}

CIniProfileStore::WarningSink CIniProfileStore::StandardErrorSink(std::string prefix)
{
    return [prefix = std::move(prefix)](const std::string& text) { std::cerr << prefix << text << '\n'; };
}
