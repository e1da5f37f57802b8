#include "SqlFileText.h"

#include "BaseToken.h"
#include "CodePage.h"
#include "MemoryFile.h"
#include "TextFileRead.h"
#include "Tokenizer.h"


namespace qmcli
{

namespace
{

// Whether the encoded text (LF line breaks) equals the file's bytes once each
// of the file's line breaks (CR LF, CR or LF) is read as one LF. unit is 1 for
// byte encodings, 2 for UTF-16 (bigEndian says which byte holds the value).
bool SameUpToLineBreaks(std::string_view file, std::string_view encoded, size_t unit,
                        bool bigEndian)
{
    auto at = [&](std::string_view s, size_t i) -> unsigned {
        if (unit == 1)
            return static_cast<unsigned char>(s[i]);
        const unsigned char a = static_cast<unsigned char>(s[i]);
        const unsigned char b = static_cast<unsigned char>(s[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    if (file.size() % unit != 0 || encoded.size() % unit != 0)
        return false;
    size_t i = 0, j = 0;
    while (i < file.size() && j < encoded.size())
    {
        unsigned c = at(file, i);
        i += unit;
        if (c == '\r')
        {
            c = '\n';
            if (i < file.size() && at(file, i) == '\n')
                i += unit;
        }
        if (c != at(encoded, j))
            return false;
        j += unit;
    }
    return i == file.size() && j == encoded.size();
}

// UTF-8 without a CR, the common case, decoded in one pass: a strict UTF-8
// decoder that replaced nothing gives bytes that encode back exactly, and
// without a CR every line break is the LF the engine wants. False when the
// text is not such, for the general reader to take it.
bool DecodePlainUtf8(std::string_view bytes, unsigned codePage, CSqlText& out)
{
    const std::string_view utf8Mark = ByteOrderMark(ENC_UTF8);
    TextEncoding encoding = ENC_ANSI;
    if (bytes.substr(0, utf8Mark.size()) == utf8Mark)
        encoding = ENC_UTF8;
    else if ((bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                                    (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) ||
             !CCodePage(codePage).IsUtf8())
        return false;
    const std::string_view body = bytes.substr(ByteOrderMark(encoding).size());
    if (body.find('\r') != std::string_view::npos)
        return false;
    std::u16string text;
    if (Utf8::Decode(body, text) != 0)
        return false;
    out.m_sText = std::move(text);
    out.m_nEncoding = encoding;
    out.m_nCodePage = codePage;
    out.m_bCrLf = false;
    out.m_bExact = true;
    return true;
}

} // namespace

bool DecodeSqlText(std::string_view bytes, unsigned codePage, CSqlText& out, std::string& error)
{
    // The reader ends a line at a NUL, so a NUL would lose text: such a file
    // is refused, with the place of its first NUL.
    const bool wide = bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                                            (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
    size_t nul = std::string_view::npos;
    if (!wide)
        nul = bytes.find('\0');
    else
        for (size_t i = 2; i + 1 < bytes.size() && nul == std::string_view::npos; i += 2)
            if (bytes[i] == '\0' && bytes[i + 1] == '\0')
                nul = i;
    if (nul != std::string_view::npos)
    {
        error = "holds a NUL character at byte offset " + std::to_string(nul) +
                " (counted from 0), which cannot be formatted";
        return false;
    }
    if (DecodePlainUtf8(bytes, codePage, out))
        return true;
    CTextFileRead reader(std::make_unique<CMemoryFile>(bytes), "", codePage);
    std::u16string text;
    if (!reader.ReadAll(text, u"\n"))
    {
        error = reader.GetError().empty() ? "cannot be decoded" : reader.GetError();
        return false;
    }
    out.m_nEncoding = reader.GetEncoding();
    out.m_nCodePage = codePage;
    out.m_bCrLf = reader.GetFirstLineBreak() == u"\r\n";
    const std::string_view mark = ByteOrderMark(out.m_nEncoding);
    const std::string_view body = bytes.substr(mark.size());

    // The reader notices replaced and dropped bytes; a code page whose
    // conversion is not one to one shows only when the text is encoded again.
    std::string encoded, encodeError;
    CSqlText lfOnly = out;
    lfOnly.m_bCrLf = false;
    const bool encodes = EncodeSqlText(text, lfOnly, false, encoded, encodeError);
    const size_t unit = out.m_nEncoding == ENC_UTF16_BE || out.m_nEncoding == ENC_UTF16_LE ? 2 : 1;
    if (!reader.IsLossless() || !encodes ||
        !SameUpToLineBreaks(body, encoded, unit, out.m_nEncoding == ENC_UTF16_BE))
    {
        std::string name(EncodingName(out.m_nEncoding));
        if (out.m_nEncoding == ENC_ANSI)
        {
            CCodePage cp(codePage);
            name = cp.GetCharset();
        }
        error = "is not valid " + name +
                " text (some bytes would be lost or changed); use --encoding NAME to read it";
        return false;
    }
    encoded.clear();
    encoded.shrink_to_fit();
    if (out.m_bCrLf)
    {
        std::string withCrLf;
        EncodeSqlText(text, out, false, withCrLf, encodeError);
        out.m_bExact = withCrLf == body;
    }
    else
    {
        // LF only: exact unless the file holds a CR somewhere.
        const size_t n = body.size() / unit;
        bool anyCr = false;
        for (size_t k = 0; k < n && !anyCr; ++k)
        {
            const size_t i = k * unit;
            unsigned c;
            if (unit == 1)
                c = static_cast<unsigned char>(body[i]);
            else if (out.m_nEncoding == ENC_UTF16_BE)
                c = static_cast<unsigned char>(body[i]) << 8 | static_cast<unsigned char>(body[i + 1]);
            else
                c = static_cast<unsigned char>(body[i + 1]) << 8 | static_cast<unsigned char>(body[i]);
            anyCr = c == '\r';
        }
        out.m_bExact = !anyCr;
    }
    out.m_sText = std::move(text);
    return true;
}

bool EncodeSqlText(std::u16string_view text, const CSqlText& like, bool withMark, std::string& out,
                   std::string& error)
{
    out.clear();
    if (withMark)
        out += ByteOrderMark(like.m_nEncoding);
    CCodePage codePage(like.m_nCodePage);
    if (like.m_nEncoding == ENC_ANSI && !codePage.IsValid())
    {
        error = codePage.GetError();
        return false;
    }
    size_t replaced = 0;
    out.reserve(out.size() + text.size() + text.size() / 8);
    if (!like.m_bCrLf)
        replaced = AppendEncoded(text, like.m_nEncoding, &codePage, 0, out);
    else
    {
        // Line by line, so the CR LF copy of a large text is never held whole.
        size_t start = 0;
        while (start <= text.size())
        {
            size_t end = text.find(u'\n', start);
            const bool last = end == std::u16string_view::npos;
            if (last)
                end = text.size();
            replaced += AppendEncoded(text.substr(start, end - start), like.m_nEncoding, &codePage, 0, out);
            if (last)
                break;
            replaced += AppendEncoded(u"\r\n", like.m_nEncoding, &codePage, 0, out);
            start = end + 1;
        }
    }
    if (replaced != 0)
    {
        error = "holds characters that " +
                (like.m_nEncoding == ENC_ANSI ? codePage.GetCharset()
                                              : std::string(EncodingName(like.m_nEncoding))) +
                " cannot represent";
        return false;
    }
    return true;
}

bool HasLineBreakInLiteral(std::u16string_view text)
{
    bool found = false;
    CTokenScanner::Scan(text, [&](int32_t kind, int32_t, size_t start, size_t length, CTextPosition) {
        if (!found && (kind == TK_STRING || kind == TK_QUOTED) &&
            text.substr(start, length).find(u'\n') != std::u16string_view::npos)
            found = true;
    });
    return found;
}

} // namespace qmcli
