// A file on disk, over POSIX descriptors.
//
// Reading opens the file itself; a folder in its place is refused. Writing
// (modeCreate | modeWrite) never touches an existing regular file until the new
// data is complete: the bytes go to a temporary file beside it, which Close
// flushes to disk, gives the old file's permission bits (and owner, where
// allowed) and renames over it. When a write fails, Close removes the temporary
// file and the old file stays as it was. A symbolic link is followed, so the file
// it points to is replaced and the link kept. Devices, pipes and other special
// files are written directly.
#pragma once

#include "File.h"

#include <memory>

class CPosixFile : public CFile
{
public:
    CPosixFile() = default;
    ~CPosixFile() override;
    CPosixFile(const CPosixFile&) = delete;
    CPosixFile& operator=(const CPosixFile&) = delete;

    // An open descriptor this object does not own, such as standard input; Close
    // leaves it open. sName names it in error messages.
    static std::unique_ptr<CPosixFile> Attach(int nDescriptor, const std::string& sName);

    bool Open(const std::filesystem::path& path, unsigned nFlags) override;
    bool IsOpen() const override { return m_nDescriptor >= 0; }
    std::size_t Read(void* pBuffer, std::size_t nCount) override;
    bool Write(const void* pBuffer, std::size_t nCount) override;
    bool SeekToBegin() override;
    std::uint64_t GetLength() const override;
    bool Close() override;
    void Abandon() override;

private:
    bool OpenForReading(const std::filesystem::path& path);
    bool OpenForWriting(const std::filesystem::path& path, bool bTruncate);
    bool CommitReplacement();
    void Fail(const std::string& sWhat, int nErrno);

    int m_nDescriptor = -1;
    bool m_bOwnsDescriptor = true;
    std::string m_sName;              // the path as given, for messages
    std::filesystem::path m_target;   // the file a replacement is renamed to
    std::filesystem::path m_temporary; // empty unless writing through a temporary file
    bool m_bKeepMode = false;         // the target existed: give its mode to the new file
    unsigned m_nMode = 0;
    unsigned m_nOwner = 0;
    unsigned m_nGroup = 0;
};
