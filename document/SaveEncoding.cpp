#include "SaveEncoding.h"

#include "AppStrings.h"
#include "CodePage.h"

#include <algorithm>

QString CSaveEncoding::Name() const
{
    switch (m_nEncoding)
    {
    case ENC_UTF8: return AppStrings::kEncodingUtf8WithMark;
    case ENC_UTF16_LE: return AppStrings::kEncodingUtf16Le;
    case ENC_UTF16_BE: return AppStrings::kEncodingUtf16Be;
    case ENC_ANSI: break;
    }
    if (m_nCodePage == kCodePageUtf8)
        return AppStrings::kEncodingUtf8;
    if (m_nCodePage == kCodePageWindows1252)
        return AppStrings::kEncodingWindows1252;
    return QString::fromStdString(CharsetForCodePage(m_nCodePage).value_or("?"));
}

CSaveEncoding CSaveEncoding::Of(TextEncoding nEncoding, unsigned nCodePage)
{
    // The locale's set by its own number, so that a UTF-8 locale gives UTF-8.
    if (nEncoding == ENC_ANSI && nCodePage == kCodePageLocale)
        nCodePage = CodePageFromName(LocaleCharset()).value_or(kCodePageLocale);
    return {nEncoding, nEncoding == ENC_ANSI ? nCodePage : kCodePageUtf8};
}

CSaveEncoding CSaveEncoding::Default()
{
    return Of(ENC_ANSI, kCodePageLocale);
}

std::vector<CSaveEncoding> CSaveEncoding::Choices(const CSaveEncoding& current)
{
    std::vector<CSaveEncoding> choices = {
        {ENC_ANSI, kCodePageUtf8},
        {ENC_UTF8, kCodePageUtf8},
        {ENC_UTF16_LE, kCodePageUtf8},
        {ENC_ANSI, kCodePageWindows1252},
    };
    if (std::find(choices.begin(), choices.end(), current) == choices.end())
        choices.push_back(current);
    return choices;
}
