// A read-only file object over bytes already in memory, for reading a text that
// did not come from a file (standard input, a fuzzer's bytes) with the
// text-file reader's encoding detection.
#pragma once

#include "File.h"

#include <algorithm>
#include <cstring>
#include <string_view>

class CMemoryFile : public CFile
{
public:
    explicit CMemoryFile(std::string_view bytes) : m_bytes(bytes) {}

    bool Open(const std::filesystem::path&, unsigned) override { return true; }
    bool IsOpen() const override { return m_bOpen; }
    std::size_t Read(void* pBuffer, std::size_t nCount) override
    {
        const std::size_t n = std::min(nCount, m_bytes.size() - m_nPos);
        if (n > 0)
            std::memcpy(pBuffer, m_bytes.data() + m_nPos, n);
        m_nPos += n;
        return n;
    }
    bool Write(const void*, std::size_t) override { return false; }
    bool SeekToBegin() override
    {
        m_nPos = 0;
        return true;
    }
    std::uint64_t GetLength() const override { return m_bytes.size(); }
    bool Close() override
    {
        m_bOpen = false;
        return true;
    }

private:
    std::string_view m_bytes;
    std::size_t m_nPos = 0;
    bool m_bOpen = true;
};
