// Code pages: conversion between UTF-16 and the byte encodings of "ANSI" text.
//
// Code page 0 is the user's locale character set (from LC_ALL, LC_CTYPE or LANG,
// whatever the program itself has set with setlocale); a plain-ASCII locale such
// as C or POSIX means UTF-8, since no real file is meant as seven-bit text.
// Windows code page numbers name the other sets: 65001 (UTF-8), 1252, 28591
// (Latin-1) and the rest of the table in CodePage.cpp. UTF-8 and Windows-1252
// are converted here; every other set goes through iconv. Windows-1252 maps its
// five unassigned bytes (81, 8D, 8F, 90, 9D) to the C1 controls of the same
// number, as Windows itself does, so that every byte reads and writes back.
//
// Conversions never fail part-way and never drop text silently: a byte sequence
// that is not valid in the set becomes one U+FFFD, and a character the set cannot
// hold becomes the replacement byte; both return how many replacements they made.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

inline constexpr unsigned kCodePageLocale = 0;
inline constexpr unsigned kCodePageUtf8 = 65001;
inline constexpr unsigned kCodePageWindows1252 = 1252;
inline constexpr unsigned kCodePageLatin1 = 28591;
inline constexpr char16_t kReplacementCharacter = 0xFFFD;

// The iconv name of the user's locale character set, "UTF-8" where it is ASCII.
std::string LocaleCharset();
// The set that "ANSI" text uses for a locale whose nl_langinfo(CODESET) is sCodeset.
std::string AnsiCharsetForCodeset(std::string_view sCodeset);
// The iconv name of a code page (0: the locale's), or nothing for an unknown number.
std::optional<std::string> CharsetForCodePage(unsigned nCodePage);
// The code page a user names: "utf-8", "latin1", "cp1252", "windows-1252", "1252",
// "iso-8859-15", "shift_jis" ... (case, '-' and '_' do not matter). Nothing for
// a name that is not in the table.
std::optional<unsigned> CodePageFromName(std::string_view sName);

// UTF-8 sequence rules, shared by the code pages and the UTF-8 file reader.
namespace Utf8
{
// Number of bytes of the sequence a lead byte starts (1 to 4), or 0 when the byte
// cannot start a character (a continuation byte, C0, C1, F5 to FF).
inline int SequenceLength(unsigned char b)
{
    if (b < 0x80)
        return 1;
    if (b < 0xC2)
        return 0;
    if (b < 0xE0)
        return 2;
    if (b < 0xF0)
        return 3;
    if (b < 0xF5)
        return 4;
    return 0;
}
inline bool CanStartCharacter(unsigned char b)
{
    return SequenceLength(b) != 0;
}
// Whether b may follow the lead byte as its first continuation byte; this rules
// out overlong forms, encoded surrogates and values above U+10FFFF.
inline bool IsValidSecondByte(unsigned char lead, unsigned char b)
{
    switch (lead)
    {
    case 0xE0: return b >= 0xA0 && b <= 0xBF;
    case 0xED: return b >= 0x80 && b <= 0x9F;
    case 0xF0: return b >= 0x90 && b <= 0xBF;
    case 0xF4: return b >= 0x80 && b <= 0x8F;
    default: return b >= 0x80 && b <= 0xBF;
    }
}
inline bool IsContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// Appends the UTF-8 form of text: a surrogate pair as one four-byte sequence, a
// lone surrogate as U+FFFD. Returns the number of lone surrogates.
std::size_t Encode(std::u16string_view text, std::string& out);
// Appends the UTF-16 form of bytes. An invalid or truncated sequence becomes one
// U+FFFD, and decoding resumes at the next byte that can start a character.
// Returns the number of U+FFFD it inserted.
std::size_t Decode(std::string_view bytes, std::u16string& out);
} // namespace Utf8

inline bool IsHighSurrogate(char16_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}
inline bool IsLowSurrogate(char16_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

class CCodePage
{
public:
    explicit CCodePage(unsigned nCodePage = kCodePageLocale);
    ~CCodePage();
    CCodePage(const CCodePage&) = delete;
    CCodePage& operator=(const CCodePage&) = delete;

    unsigned GetCodePage() const { return m_nCodePage; }
    // False for an unknown code page or a set iconv cannot convert; GetError says why.
    bool IsValid() const { return m_sError.empty(); }
    const std::string& GetError() const { return m_sError; }
    const std::string& GetCharset() const { return m_sCharset; }
    // Whether the set is UTF-8 (which the locale's set is where it is ASCII).
    bool IsUtf8() const { return m_bUtf8; }

    // Appends the UTF-16 form of bytes; returns the number of U+FFFD inserted.
    std::size_t ToUtf16(std::string_view bytes, std::u16string& out);
    // Appends the bytes of text. A character the set cannot hold, or a lone
    // surrogate, becomes cDefault ('?' when it is 0; U+FFFD in UTF-8). Returns
    // the number of replacements.
    std::size_t FromUtf16(std::u16string_view text, std::string& out, char cDefault = 0);

private:
    class CIconv;
    unsigned m_nCodePage;
    bool m_bUtf8 = false;
    bool m_bWindows1252 = false;
    std::string m_sCharset;
    std::string m_sError;
    std::unique_ptr<CIconv> m_pToUtf16;   // opened on first use
    std::unique_ptr<CIconv> m_pFromUtf16;
};
