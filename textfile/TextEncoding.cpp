#include "TextEncoding.h"

std::string_view EncodingName(TextEncoding nEncoding)
{
    switch (nEncoding)
    {
    case ENC_UTF16_BE: return "UTF-16BE";
    case ENC_UTF16_LE: return "UTF-16LE";
    case ENC_UTF8: return "UTF-8";
    case ENC_ANSI: break;
    }
    return "ANSI";
}

std::string_view ByteOrderMark(TextEncoding nEncoding)
{
    switch (nEncoding)
    {
    case ENC_UTF16_BE: return "\xFE\xFF";
    case ENC_UTF16_LE: return "\xFF\xFE";
    case ENC_UTF8: return "\xEF\xBB\xBF";
    case ENC_ANSI: break;
    }
    return {};
}

std::size_t AppendEncoded(std::u16string_view text, TextEncoding nEncoding,
                          CCodePage* pCodePage, char cDefault, std::string& out)
{
    switch (nEncoding)
    {
    case ENC_UTF8:
        return Utf8::Encode(text, out);
    case ENC_UTF16_BE:
    case ENC_UTF16_LE:
    {
        const bool bBigEndian = nEncoding == ENC_UTF16_BE;
        const std::size_t nOld = out.size();
        out.resize(nOld + text.size() * 2);
        char* p = out.data() + nOld;
        for (char16_t u : text)
        {
            const char cHigh = static_cast<char>(u >> 8);
            const char cLow = static_cast<char>(u & 0xFF);
            *p++ = bBigEndian ? cHigh : cLow;
            *p++ = bBigEndian ? cLow : cHigh;
        }
        return 0;
    }
    case ENC_ANSI:
        break;
    }
    if (!pCodePage)
    {
        CCodePage locale(kCodePageLocale);
        return locale.FromUtf16(text, out, cDefault);
    }
    return pCodePage->FromUtf16(text, out, cDefault);
}
