// Writes text to a file in a chosen encoding, after that encoding's byte-order
// mark (none for ENC_ANSI). Line endings are written as the text holds them.
//
// An existing file is replaced only when everything was written: the bytes go to
// a temporary file beside it that Close renames into place. Write and Close
// report every failure; the file is good only when both returned true.
//
//     CTextFileWrite file(path, ENC_UTF8);
//     if (!file.Write(text) || !file.Close())
//         report(file.GetError());
#pragma once

#include "TextFileBase.h"

#include <string_view>

class CTextFileWrite : public CTextFileBase
{
public:
    CTextFileWrite(const std::filesystem::path& path, TextEncoding nEncoding,
                   unsigned nCodePage = kCodePageLocale);
    // Writes through a file object of the caller's (an open one is used as it
    // stands; otherwise it is opened on path).
    CTextFileWrite(std::unique_ptr<CFile> pFile, const std::filesystem::path& path,
                   TextEncoding nEncoding, unsigned nCodePage = kCodePageLocale);
    ~CTextFileWrite() override;

    // Encodes text and appends it through the buffer. A surrogate pair split
    // between two calls is still written as one character. False when the file
    // is not open or a write failed.
    bool Write(std::u16string_view text);
    // Writes what the buffer holds and closes the file: only now does an
    // existing file get its new contents. False when anything failed.
    bool Close();

    // True while no character had to be replaced (by m_cDefaultChar or '?' in a
    // code page that cannot hold it, or a lone surrogate by U+FFFD in UTF-8).
    bool IsLossless() const { return m_nReplaced == 0; }

private:
    void WriteBytes(const char* pBytes, std::size_t nCount);
    void Encode(std::u16string_view text);

    std::size_t m_nReplaced = 0;
    char16_t m_wHeldHighSurrogate = 0; // ended the last Write; pairs with the next
    std::string m_sEncoded;
};
