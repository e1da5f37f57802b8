#include "TextFileGuess.h"

#include "MemoryFile.h"
#include "PosixFile.h"
#include "TextFileRead.h"

#include <memory>

namespace
{
bool StartsWithMark(std::string_view bytes)
{
    for (TextEncoding nEncoding : {ENC_UTF8, ENC_UTF16_LE, ENC_UTF16_BE})
        if (bytes.starts_with(ByteOrderMark(nEncoding)))
            return true;
    return false;
}
} // namespace

unsigned ChooseCodePage(std::string_view bytes)
{
    std::u16string scratch;
    CCodePage locale(kCodePageLocale);
    if (locale.IsValid() && locale.ToUtf16(bytes, scratch) == 0)
        return kCodePageLocale;
    scratch.clear();
    if (locale.GetCharset() != "UTF-8" && Utf8::Decode(bytes, scratch) == 0)
        return kCodePageUtf8;
    return kCodePageWindows1252;
}

namespace
{
std::size_t FindFirstNul(std::string_view bytes, TextEncoding nEncoding)
{
    if (nEncoding != ENC_UTF16_LE && nEncoding != ENC_UTF16_BE)
        return bytes.find('\0');
    // Whole units after the mark; an odd last byte is no character.
    for (std::size_t i = ByteOrderMark(nEncoding).size(); i + 1 < bytes.size(); i += 2)
        if (bytes[i] == '\0' && bytes[i + 1] == '\0')
            return i;
    return std::string_view::npos;
}

bool ReadText(std::string_view bytes, unsigned nCodePage, std::u16string_view separator, CGuessedText& out)
{
    CTextFileRead reader(std::make_unique<CMemoryFile>(bytes), "", nCodePage);
    reader.m_bKeepNul = true;
    if (!reader.ReadAll(out.m_sText, separator))
    {
        out.m_sError = reader.GetError();
        return false;
    }
    out.m_nEncoding = reader.GetEncoding();
    out.m_nCodePage = nCodePage;
    out.m_bLossless = reader.IsLossless();
    out.m_nFirstNul = FindFirstNul(bytes, out.m_nEncoding);
    return true;
}

bool ReadBytes(const std::filesystem::path& path, std::string& bytes, CGuessedText& out)
{
    CPosixFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite))
    {
        out.m_sError = file.GetError();
        return false;
    }
    bytes.reserve(static_cast<std::size_t>(file.GetLength()));
    char buffer[65536];
    while (const std::size_t n = file.Read(buffer, sizeof buffer))
        bytes.append(buffer, n);
    file.Close();
    if (file.Failed())
    {
        out.m_sError = file.GetError();
        return false;
    }
    return true;
}
} // namespace

bool ReadTextGuessing(std::string_view bytes, std::u16string_view separator, CGuessedText& out)
{
    return ReadText(bytes, StartsWithMark(bytes) ? kCodePageLocale : ChooseCodePage(bytes), separator, out);
}

bool ReadTextFileGuessing(const std::filesystem::path& path, std::u16string_view separator, CGuessedText& out)
{
    std::string bytes;
    return ReadBytes(path, bytes, out) && ReadTextGuessing(bytes, separator, out);
}

bool ReadTextFileIn(const std::filesystem::path& path, unsigned nCodePage, std::u16string_view separator,
                    CGuessedText& out)
{
    std::string bytes;
    return ReadBytes(path, bytes, out) && ReadText(bytes, nCodePage, separator, out);
}
