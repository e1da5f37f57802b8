#include "TextFileWrite.h"

#include <algorithm>
#include <cstring>

CTextFileWrite::CTextFileWrite(const std::filesystem::path& path, TextEncoding nEncoding,
                               unsigned nCodePage)
    : CTextFileWrite(nullptr, path, nEncoding, nCodePage)
{
}

CTextFileWrite::CTextFileWrite(std::unique_ptr<CFile> pFile, const std::filesystem::path& path,
                               TextEncoding nEncoding, unsigned nCodePage)
    : CTextFileBase(std::move(pFile), nCodePage)
{
    m_sName = path.string();
    // A code page that cannot be converted is refused before the file is touched.
    if (nEncoding != ENC_ANSI || GetCodePage())
        OpenFile(path, CFile::modeCreate | CFile::modeWrite);
    m_bOwnsFile = true;
    m_nBufferPos = -1;
    m_nEncoding = nEncoding;
    if (IsOpen())
    {
        const std::string_view mark = ByteOrderMark(nEncoding);
        WriteBytes(mark.data(), mark.size());
    }
}

CTextFileWrite::~CTextFileWrite()
{
    Close();
}

void CTextFileWrite::WriteBytes(const char* pBytes, std::size_t nCount)
{
    while (nCount > 0 && !Failed())
    {
        // The buffer is written out only when one more byte arrives, so exactly
        // 1024 bytes cost a single write, at close.
        if (m_nBufferPos + 1 == kBufferSize)
        {
            m_pFile->Write(m_ioBuffer.data(), kBufferSize);
            m_nBufferPos = -1;
        }
        const std::size_t nRoom = static_cast<std::size_t>(kBufferSize - 1 - m_nBufferPos);
        const std::size_t nTake = std::min(nCount, nRoom);
        std::memcpy(m_ioBuffer.data() + m_nBufferPos + 1, pBytes, nTake);
        m_nBufferPos += static_cast<std::int32_t>(nTake);
        pBytes += nTake;
        nCount -= nTake;
    }
}

void CTextFileWrite::Encode(std::u16string_view text)
{
    CCodePage* pCodePage = nullptr;
    if (m_nEncoding == ENC_ANSI && !(pCodePage = GetCodePage()))
        return;
    m_sEncoded.clear();
    m_nReplaced += AppendEncoded(text, m_nEncoding, pCodePage, m_cDefaultChar, m_sEncoded);
    WriteBytes(m_sEncoded.data(), m_sEncoded.size());
}

bool CTextFileWrite::Write(std::u16string_view text)
{
    if (!IsOpen())
    {
        if (!Failed())
            SetError(m_sName + ": not open for writing");
        return false;
    }
    if (text.empty() || Failed())
        return !Failed();

    // UTF-16 is written unit by unit; the other encodings see a surrogate pair
    // whole, even when a caller's text ends between its two halves.
    const bool bPairsMatter = m_nEncoding == ENC_ANSI || m_nEncoding == ENC_UTF8;
    if (bPairsMatter && m_wHeldHighSurrogate != 0)
    {
        const char16_t pair[2] = {m_wHeldHighSurrogate, text.front()};
        m_wHeldHighSurrogate = 0;
        if (IsLowSurrogate(pair[1]))
        {
            Encode(std::u16string_view(pair, 2));
            text.remove_prefix(1);
        }
        else
        {
            Encode(std::u16string_view(pair, 1));
        }
    }
    if (bPairsMatter && !text.empty() && IsHighSurrogate(text.back()))
    {
        m_wHeldHighSurrogate = text.back();
        text.remove_suffix(1);
    }
    if (!text.empty())
        Encode(text);
    return !Failed();
}

bool CTextFileWrite::Close()
{
    if (IsOpen())
    {
        if (m_wHeldHighSurrogate != 0)
        {
            const char16_t lone = m_wHeldHighSurrogate;
            m_wHeldHighSurrogate = 0;
            Encode(std::u16string_view(&lone, 1));
        }
        if (m_nBufferPos >= 0 && !Failed())
            m_pFile->Write(m_ioBuffer.data(), static_cast<std::size_t>(m_nBufferPos) + 1);
        m_nBufferPos = -1;
    }
    return CTextFileBase::Close();
}
