// A file on disk, over POSIX descriptors.
//
// Reading opens the file itself; a folder in its place is refused. Writing
// (modeCreate | modeWrite) a regular file, or one that does not exist yet, is
// an atomic replacement (AtomicReplace.h, with its policy on links, owners,
// modes, extended attributes and read-only files): nothing changes until Close
// puts the complete new data in place, and when a write fails the old file
// stays as it was. Devices, pipes and other special files are written directly.
#pragma once

#include "AtomicReplace.h"
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
    bool IsOpen() const override { return m_nDescriptor >= 0 || m_replacement.IsActive(); }
    std::size_t Read(void* pBuffer, std::size_t nCount) override;
    bool Write(const void* pBuffer, std::size_t nCount) override;
    bool SeekToBegin() override;
    std::uint64_t GetLength() const override;
    bool Close() override;
    void Abandon() override;

private:
    bool OpenForReading(const std::filesystem::path& path);
    bool OpenForWriting(const std::filesystem::path& path, bool bTruncate);
    void Fail(const std::string& sWhat, int nErrno);

    int m_nDescriptor = -1;
    bool m_bOwnsDescriptor = true;
    std::string m_sName;              // the path as given, for messages
    CAtomicReplacement m_replacement; // active while a regular file is written
};
