// The file object that the text-file reader and writer sit on. The real one is
// CPosixFile; tests put an in-memory file behind the same interface so that they
// can count every read, write and seek the reader and writer make.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

class CFile
{
public:
    // Open flags, with the values the text files have always used.
    enum OpenFlags : unsigned
    {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        shareDenyWrite = 0x0020,
        modeCreate = 0x1000,
    };

    virtual ~CFile() = default;

    // Opens the file; false (with GetError set) when it cannot be opened.
    virtual bool Open(const std::filesystem::path& path, unsigned nFlags) = 0;
    virtual bool IsOpen() const = 0;
    // Fills the buffer as far as the data reaches: fewer than nCount bytes only at
    // the end of the data. 0 at the end, and on a read error (then Failed()).
    virtual std::size_t Read(void* pBuffer, std::size_t nCount) = 0;
    // Writes every byte or fails; a failure is remembered, and Close then reports it.
    virtual bool Write(const void* pBuffer, std::size_t nCount) = 0;
    // Moves back to the start of the data; false where the data cannot be re-read.
    virtual bool SeekToBegin() = 0;
    virtual std::uint64_t GetLength() const = 0;
    // Closes the file; for a written file, false when any write or the final
    // step failed (the data did not reach its place).
    virtual bool Close() = 0;
    // Closes the file when what was written must not be kept: a file being
    // replaced stays as it was.
    virtual void Abandon() { Close(); }

    bool Failed() const { return !m_sError.empty(); }
    // What went wrong first, as "path: reason"; empty when nothing did.
    const std::string& GetError() const { return m_sError; }

protected:
    void SetError(const std::string& sError)
    {
        if (m_sError.empty())
            m_sError = sError;
    }

private:
    std::string m_sError;
};
