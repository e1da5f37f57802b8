// An in-memory file that counts what the reader and writer ask of it, so that
// tests can check the buffering at the level of platform calls and bytes.
#pragma once

#include "File.h"
#include "TextEncoding.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

// The file's contents and the record of the calls made on it; owned by the test
// so that it outlives the file object, which the reader or writer deletes.
struct CFakeDisk
{
    std::string m_sBytes;        // what a reader reads; what a writer has committed
    bool m_bOpens = true;        // false: Open fails
    bool m_bSeekable = true;     // false: behaves like a pipe
    std::size_t m_nReadFailsAt = std::numeric_limits<std::size_t>::max();
    std::size_t m_nSpace = std::numeric_limits<std::size_t>::max(); // bytes a writer may write

    int m_nReads = 0;
    int m_nSeeks = 0;
    int m_nCloses = 0;
    int m_nAbandons = 0;
    std::vector<std::size_t> m_aWrites; // size of each platform write
};

class CFakeFile : public CFile
{
public:
    explicit CFakeFile(CFakeDisk& disk) : m_disk(disk) {}

    bool Open(const std::filesystem::path&, unsigned nFlags) override
    {
        if (!m_disk.m_bOpens)
        {
            SetError("fake: No such file or directory");
            return false;
        }
        m_bOpen = true;
        m_bWriting = (nFlags & modeWrite) != 0;
        return true;
    }
    bool IsOpen() const override { return m_bOpen; }
    std::size_t Read(void* pBuffer, std::size_t nCount) override
    {
        ++m_disk.m_nReads;
        if (m_nPos >= m_disk.m_nReadFailsAt)
        {
            SetError("fake: Input/output error");
            return 0;
        }
        std::size_t n = std::min(nCount, m_disk.m_sBytes.size() - std::min(m_nPos, m_disk.m_sBytes.size()));
        n = std::min(n, m_disk.m_nReadFailsAt - m_nPos);
        std::memcpy(pBuffer, m_disk.m_sBytes.data() + m_nPos, n);
        m_nPos += n;
        return n;
    }
    bool Write(const void* pBuffer, std::size_t nCount) override
    {
        m_disk.m_aWrites.push_back(nCount);
        if (m_sPending.size() + nCount > m_disk.m_nSpace)
        {
            SetError("fake: No space left on device");
            return false;
        }
        m_sPending.append(static_cast<const char*>(pBuffer), nCount);
        return true;
    }
    bool SeekToBegin() override
    {
        ++m_disk.m_nSeeks;
        if (!m_disk.m_bSeekable)
            return false;
        m_nPos = 0;
        return true;
    }
    std::uint64_t GetLength() const override { return m_disk.m_sBytes.size(); }
    bool Close() override
    {
        ++m_disk.m_nCloses;
        if (m_bWriting && !Failed())
            m_disk.m_sBytes = m_sPending; // like the real file: replaced only when complete
        m_bOpen = false;
        return !Failed();
    }
    void Abandon() override
    {
        ++m_disk.m_nAbandons;
        m_bOpen = false;
    }

private:
    CFakeDisk& m_disk;
    std::size_t m_nPos = 0;
    bool m_bOpen = false;
    bool m_bWriting = false;
    std::string m_sPending;
};

inline std::unique_ptr<CFile> FakeFile(CFakeDisk& disk)
{
    return std::make_unique<CFakeFile>(disk);
}

// Bytes written as a string literal may hold NULs: take them all.
template <std::size_t N>
std::string Bytes(const char (&s)[N])
{
    return std::string(s, N - 1);
}
template <std::size_t N>
std::u16string Text(const char16_t (&s)[N])
{
    return std::u16string(s, N - 1);
}

// Readable form of bytes for failure messages: printable ASCII as is, the rest in hex.
inline std::string Hex(const std::string& s)
{
    std::string out;
    char buf[8];
    for (unsigned char c : s)
    {
        if (c >= 0x20 && c < 0x7F && c != '\\')
            out += static_cast<char>(c);
        else
        {
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out;
}
