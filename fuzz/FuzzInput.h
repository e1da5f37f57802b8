// How the fuzz targets read their bytes: a fixed-size header of option values
// followed by the text, so that a corpus entry made from a plain SQL file (a
// header of zero bytes, then the file) runs with the default options.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CFuzzInput
{
public:
    CFuzzInput(const uint8_t* data, size_t size) : m_pData(data), m_nSize(size) {}

    // The next byte, or 0 once the data is used up.
    uint8_t Byte()
    {
        return m_nPos < m_nSize ? m_pData[m_nPos++] : 0;
    }

    // An integer option: 0 keeps the current value; other bytes pick values in
    // and around the option's set, its edges, and the limits of the type.
    int32_t Int(int32_t current)
    {
        static const int32_t kValues[] = {
            0, 1, 2, 3, 4, 5, -1, -2, 10, 50, 100, 1000, 1001, 1000000000, INT32_MIN, INT32_MAX,
        };
        uint8_t b = Byte();
        if (b == 0)
            return current;
        if (b < 0x80)
            return kValues[b % std::size(kValues)];
        return int32_t(b) - 0xC0; // -64 .. 63
    }

    // A flag: 0 keeps it, an odd byte sets it, an even one clears it.
    bool Flag(bool current)
    {
        uint8_t b = Byte();
        return b == 0 ? current : (b & 1) != 0;
    }

    // Skips to the end of a header of the given size.
    void EndHeader(size_t headerSize)
    {
        if (m_nPos < headerSize)
            m_nPos = headerSize < m_nSize ? headerSize : m_nSize;
    }

    // The rest as text: each byte is one character (Latin-1), except that the
    // byte 0xFF takes the next two bytes as one UTF-16 unit (high byte first),
    // which reaches lone surrogates, NUL and every other unit.
    std::u16string RestAsText()
    {
        std::u16string text;
        text.reserve(m_nSize - m_nPos);
        while (m_nPos < m_nSize) {
            uint8_t b = m_pData[m_nPos++];
            if (b == 0xFF && m_nPos + 2 <= m_nSize) {
                text += char16_t((m_pData[m_nPos] << 8) | m_pData[m_nPos + 1]);
                m_nPos += 2;
            } else {
                text += char16_t(b);
            }
        }
        return text;
    }

    std::string_view RestAsBytes()
    {
        std::string_view rest(reinterpret_cast<const char*>(m_pData) + m_nPos, m_nSize - m_nPos);
        m_nPos = m_nSize;
        return rest;
    }

private:
    const uint8_t* m_pData;
    size_t m_nSize;
    size_t m_nPos = 0;
};
