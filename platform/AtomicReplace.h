// Replacing a file so that it is never seen half-written, with one policy for
// every writer of files in the project (quillmark-format -i and the desktop
// app's save):
// - The new bytes go to a temporary file beside the target, ".NAME.quillmark-
//   XXXXXX" (NAME shortened to fit the file system's limit on names), which is
//   synced and then renamed over the target.
// - A symbolic link is followed: the file it ends at is replaced, and the link
//   stays a link. A link to nothing yet creates the file it names.
// - Owner, group, mode and extended attributes (access control lists among
//   them) are kept. When one of them cannot be given to the new file, the file
//   is refused and left as it is, rather than changed behind its owner's back.
// - A file with several hard links is rewritten in place, through the same
//   inode, so that all its names still show one file: only once the new bytes
//   are complete and synced in the temporary file, and with their space
//   reserved first. That rewrite is not atomic: should it fail half-way, the
//   temporary file is kept and the error names it.
// - A file that may not be written (no write permission bit at all, or none
//   for this process) is refused as read-only; anything but a regular file is
//   refused too. A new file gets the usual 0666 less the umask.
// Errors are short clauses that follow the file's name: "it is read-only",
// "its folder /srv/sql is not writable (Permission denied)", "File too large".
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// What a file looked like when it was read, so that a replacement can notice
// that someone else changed it meanwhile.
struct CFileStamp
{
    std::uint64_t m_nSize = 0;
    std::int64_t m_nModSec = 0;
    std::int64_t m_nModNsec = 0;
    bool m_bValid = false;

    bool SameAs(const CFileStamp& other) const
    {
        return m_bValid && other.m_bValid && m_nSize == other.m_nSize && m_nModSec == other.m_nModSec &&
               m_nModNsec == other.m_nModNsec;
    }
};

// The stamp of a file now (invalid when it cannot be examined).
CFileStamp StampOf(const std::filesystem::path& path);

// The file a chain of symbolic links ends at, whether or not it exists.
std::filesystem::path ResolveSymbolicLinks(std::filesystem::path path);

class CAtomicReplacement
{
public:
    CAtomicReplacement() = default;
    ~CAtomicReplacement(); // abandons a replacement that was not committed
    CAtomicReplacement(const CAtomicReplacement&) = delete;
    CAtomicReplacement& operator=(const CAtomicReplacement&) = delete;

    // Prepares to replace (or create) the file at path. False when it may not
    // or cannot be replaced; nothing is then left beside it.
    bool Begin(const std::filesystem::path& path);
    bool IsActive() const { return m_nDescriptor >= 0; }
    // Appends to the new contents; a failure is kept, and Commit reports it.
    bool Write(const void* pData, std::size_t nSize);
    // Puts the new contents in place. With a valid stamp, refuses when the
    // file no longer matches it. False, with the file as it was, on any failure.
    bool Commit(const CFileStamp& expected = {});
    // Drops the new contents; the file stays as it was.
    void Abandon();

    const std::string& GetError() const { return m_sError; }

private:
    bool Fail(const std::string& sError);
    bool KeepAttributes();
    bool RewriteInPlace(bool& bTouched);
    void CloseAll(bool bRemoveTemporary);

    std::filesystem::path m_target;   // the file replaced, links resolved
    int m_nFolder = -1;               // its folder, where the temporary file lives
    int m_nDescriptor = -1;           // the temporary file, while it is written
    std::string m_sTemporaryName;     // within the folder
    std::string m_sTemporaryPath;     // for messages and the interruption cleanup
    bool m_bExisted = false;
    bool m_bAttributesKept = false;   // the temporary file carries the old one's
    std::string m_sError;
};

// Begin, Write and Commit in one: false with the reason in error.
bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes,
                         const CFileStamp& expected, std::string& error);
