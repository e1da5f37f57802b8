#include "TextFileRead.h"

#include <algorithm>

namespace
{
constexpr char16_t CR = u'\r';
constexpr char16_t LF = u'\n';
} // namespace

CTextFileRead::CTextFileRead(const std::filesystem::path& path, unsigned nCodePage)
    : CTextFileRead(nullptr, path, nCodePage)
{
}

CTextFileRead::CTextFileRead(std::unique_ptr<CFile> pFile, const std::filesystem::path& path,
                             unsigned nCodePage)
    : CTextFileBase(std::move(pFile), nCodePage)
{
    // Others may go on reading the file meanwhile; POSIX has no mandatory lock
    // to keep writers out, so shareDenyWrite is advisory only.
    OpenFile(path, CFile::modeRead | CFile::shareDenyWrite);
    m_bOwnsFile = true;
    m_bFirstLine = true;
    m_bPushedBack = false;
    m_nBufferPos = -1;
    m_bAtEnd = !IsOpen();
    if (IsOpen())
        DetectEncoding();
}

void CTextFileRead::DetectEncoding()
{
    const unsigned char b0 = ReadByte();
    const unsigned char b1 = ReadByte();
    if (b0 == 0xFF && b1 == 0xFE)
    {
        m_nEncoding = ENC_UTF16_LE;
        return;
    }
    if (b0 == 0xFE && b1 == 0xFF)
    {
        m_nEncoding = ENC_UTF16_BE;
        return;
    }
    if (b0 == 0xEF && b1 == 0xBB && ReadByte() == 0xBF)
    {
        m_nEncoding = ENC_UTF8;
        return;
    }

    // No mark: read from the first byte again as ANSI text.
    m_nEncoding = ENC_ANSI;
    m_bPushedBack = false;
    // A pipe cannot seek back; the bytes read so far are all still at the start
    // of the buffer, so reading goes on from there.
    m_bReplayBuffer = !m_pFile->SeekToBegin();
    m_nBufferPos = -1;
    m_bFirstLine = true;
    m_bAtEnd = false;
}

unsigned char CTextFileRead::ReadByte()
{
    if (m_nPendingByte != kNoPendingByte)
    {
        const int nByte = m_nPendingByte;
        m_nPendingByte = kNoPendingByte;
        if (nByte == kPendingEnd)
        {
            m_bAtEnd = true;
            return 0;
        }
        return static_cast<unsigned char>(nByte);
    }
    if (m_bPushedBack)
    {
        m_bPushedBack = false;
        return static_cast<unsigned char>(m_wPushedBack & 0xFF);
    }
    // Once the data is used up, no more platform reads: the second byte of a
    // UTF-16 unit cut short must not cost another read.
    if (m_bAtEnd || !m_pFile)
    {
        m_bAtEnd = true;
        return 0;
    }
    if (m_nBufferPos == -1 || m_nBufferPos == kBufferSize - 1)
    {
        if (m_bReplayBuffer)
            m_bReplayBuffer = false;
        else
            m_nBufferFill = static_cast<std::int32_t>(m_pFile->Read(m_ioBuffer.data(), kBufferSize));
        if (m_nBufferFill == 0)
        {
            m_bAtEnd = true;
            return 0;
        }
        m_nBufferPos = 0;
        return m_ioBuffer[0];
    }
    if (++m_nBufferPos >= m_nBufferFill)
    {
        m_bAtEnd = true;
        return 0;
    }
    return m_ioBuffer[static_cast<std::size_t>(m_nBufferPos)];
}

char16_t CTextFileRead::ReadChar()
{
    if (m_bPushedBack)
    {
        m_bPushedBack = false;
        return m_wPushedBack;
    }
    if (m_nEncoding == ENC_UTF8)
        return ReadUtf8Char();
    const unsigned char b0 = ReadByte();
    if (m_bAtEnd)
        return 0;
    const unsigned char b1 = ReadByte();
    if (m_bAtEnd)
    {
        ++m_nLost; // an odd byte at the end
        return 0;
    }
    if (m_nEncoding == ENC_UTF16_BE)
        return static_cast<char16_t>((b0 << 8) | b1);
    return static_cast<char16_t>((b1 << 8) | b0);
}

char16_t CTextFileRead::ReadUtf8Char()
{
    const unsigned char lead = ReadByte();
    if (m_bAtEnd || lead < 0x80)
        return lead;
    const int nLength = Utf8::SequenceLength(lead);
    if (nLength == 0)
    {
        ++m_nLost;
        SkipToCharacterStart();
        return kReplacementCharacter;
    }
    char32_t c = lead & (0x7F >> nLength);
    for (int k = 1; k < nLength; ++k)
    {
        const unsigned char b = ReadByte();
        if (m_bAtEnd)
            return ReplaceTruncatedUtf8();
        const bool bValid = k == 1 ? Utf8::IsValidSecondByte(lead, b) : Utf8::IsContinuation(b);
        if (!bValid)
            return ReplaceInvalidUtf8(b);
        c = (c << 6) | (b & 0x3F);
    }
    if (c < 0x10000)
        return static_cast<char16_t>(c);
    // A character beyond the Basic Multilingual Plane: its high surrogate now,
    // the low one as the next character read.
    m_wPushedBack = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    m_bPushedBack = true;
    return static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
}

char16_t CTextFileRead::ReplaceInvalidUtf8(unsigned char next)
{
    ++m_nLost;
    if (Utf8::CanStartCharacter(next))
        m_nPendingByte = next;
    else
        SkipToCharacterStart();
    return kReplacementCharacter;
}

void CTextFileRead::SkipToCharacterStart()
{
    for (;;)
    {
        const unsigned char b = ReadByte();
        if (m_bAtEnd)
        {
            // The replacement character is still stored; the end comes next.
            m_bAtEnd = false;
            m_nPendingByte = kPendingEnd;
            return;
        }
        if (Utf8::CanStartCharacter(b))
        {
            m_nPendingByte = b;
            return;
        }
    }
}

char16_t CTextFileRead::ReplaceTruncatedUtf8()
{
    ++m_nLost;
    m_bAtEnd = false;
    m_nPendingByte = kPendingEnd;
    return kReplacementCharacter;
}

template <typename Unit, typename String>
void CTextFileRead::AppendChunk(const Unit* pChunk, std::size_t nCount, String& line)
{
    // Unless kept, a NUL ends the chunk: what follows it in the chunk is dropped.
    const Unit* pEnd = m_bKeepNul ? pChunk + nCount : std::find(pChunk, pChunk + nCount, Unit(0));
    m_nLost += static_cast<std::size_t>(pChunk + nCount - pEnd);
    line.append(pChunk, pEnd);
}

template <typename Unit, typename ReadUnit, typename String>
void CTextFileRead::CollectLine(ReadUnit readUnit, String& line)
{
    Unit c = readUnit();
    if (m_bFirstLine)
    {
        m_bFirstLine = false;
    }
    else
    {
        // c ends the previous line: CR, LF or CR LF.
        const bool bCR = c == Unit(CR);
        if (bCR)
            c = readUnit();
        if (m_sFirstLineBreak.empty())
            m_sFirstLineBreak = !bCR ? u"\n" : c == Unit(LF) ? u"\r\n" : u"\r";
        if (c == Unit(LF))
            c = readUnit();
    }

    line.clear();
    Unit chunk[kBufferSize];
    std::size_t nWaiting = 0;
    while (c != Unit(CR) && c != Unit(LF) && !m_bAtEnd)
    {
        if (nWaiting == kBufferSize - 1)
        {
            AppendChunk(chunk, nWaiting, line);
            nWaiting = 0;
        }
        chunk[nWaiting++] = c;
        c = readUnit();
    }
    AppendChunk(chunk, nWaiting, line);

    m_wPushedBack = static_cast<char16_t>(static_cast<std::make_unsigned_t<Unit>>(c));
    m_bPushedBack = true;
}

bool CTextFileRead::ReadLine(std::u16string& line)
{
    if (m_bAtEnd)
        return false;
    if (m_nEncoding != ENC_ANSI)
    {
        CollectLine<char16_t>([this] { return ReadChar(); }, line);
        return true;
    }

    CCodePage* pCodePage = GetCodePage();
    if (!pCodePage)
    {
        m_bAtEnd = true;
        return false;
    }
    CollectLine<char>([this] { return static_cast<char>(ReadByte()); }, m_sByteLine);
    line.clear();
    m_nLost += pCodePage->ToUtf16(m_sByteLine, line);
    return true;
}

bool CTextFileRead::ReadAll(std::u16string& text, std::u16string_view separator)
{
    if (!IsOpen() || Failed())
        return false;

    std::uint64_t nHint = m_pFile->GetLength();
    if (m_nEncoding == ENC_UTF16_BE || m_nEncoding == ENC_UTF16_LE)
        nHint /= 2;
    std::u16string result;
    result.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(nHint + 2, result.max_size())));

    std::u16string line;
    bool bFirst = true;
    while (!m_bAtEnd && ReadLine(line))
    {
        if (!bFirst)
            result += separator;
        bFirst = false;
        result += line;
    }
    if (Failed())
        return false;
    text = std::move(result);
    return true;
}
