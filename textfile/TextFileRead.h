// Reads a text file whole or line by line, recognising its encoding by its
// byte-order mark: EF BB BF is UTF-8, FF FE UTF-16 little-endian, FE FF UTF-16
// big-endian; without a mark the bytes are "ANSI" text in m_nCodePage (the
// user's locale character set unless the caller names another). There is no
// guessing: UTF-8 or UTF-16 without a mark is read as ANSI.
//
// CR, LF and CR LF each end a line; LF CR is two line ends. Reading a whole file:
//
//     CTextFileRead file(path);            // or CTextFileRead(path, kCodePageLatin1)
//     std::u16string text;
//     if (!file.ReadAll(text, u"\n"))      // false: not opened, or a read failed
//         report(file.GetError());
//     file.GetEncoding();                  // what the mark said
//     file.IsLossless();                   // false: bytes were replaced or dropped
//     file.GetFirstLineBreak();            // u"\r\n", u"\n", u"\r" or empty
#pragma once

#include "TextFileBase.h"

#include <string_view>

class CTextFileRead : public CTextFileBase
{
public:
    explicit CTextFileRead(const std::filesystem::path& path,
                           unsigned nCodePage = kCodePageLocale);
    // Reads through a file object of the caller's (an open one, such as
    // standard input, is used as it stands; otherwise it is opened on path).
    CTextFileRead(std::unique_ptr<CFile> pFile, const std::filesystem::path& path,
                  unsigned nCodePage = kCodePageLocale);

    // Every line of the file joined by separator, so that each line break of the
    // file becomes separator and a final break is kept. False, with text as it
    // was, when the file is not open or reading or converting it failed.
    bool ReadAll(std::u16string& text, std::u16string_view separator = u"\r\n");
    // The next line without its terminator; false at the end of the data.
    bool ReadLine(std::u16string& line);

    // True while every byte read so far has become text as it stood: no invalid
    // sequence replaced by U+FFFD, no NUL (unless m_bKeepNul), odd trailing byte
    // or short sequence at the end dropped. A file that is not lossless cannot be written back
    // unchanged.
    bool IsLossless() const { return m_nLost == 0; }
    // The terminator of the first line, once a second line has been read (as
    // ReadAll does); empty for a text with no line break.
    std::u16string_view GetFirstLineBreak() const { return m_sFirstLineBreak; }

    // A NUL is a character of its line like any other. Otherwise a NUL ends
    // the run of up to 1023 units of its line gathered at a time, and what
    // follows it in that run is dropped.
    bool m_bKeepNul = false;
    bool m_bPushedBack = false; // m_wPushedBack is the next character read
    bool m_bFirstLine = true;   // no line read yet since the start of the text
    char16_t m_wPushedBack = 0; // in the ANSI byte path, only its low byte counts

private:
    void DetectEncoding();
    unsigned char ReadByte();
    char16_t ReadChar();
    char16_t ReadUtf8Char();
    char16_t ReplaceInvalidUtf8(unsigned char next);
    void SkipToCharacterStart();
    char16_t ReplaceTruncatedUtf8();
    template <typename Unit, typename ReadUnit, typename String>
    void CollectLine(ReadUnit readUnit, String& line);
    template <typename Unit, typename String>
    void AppendChunk(const Unit* pChunk, std::size_t nCount, String& line);

    // Byte the UTF-8 decoder read past the end of an invalid sequence, which
    // starts the next character; kPendingEnd when it met the end of the data.
    static constexpr int kNoPendingByte = -1;
    static constexpr int kPendingEnd = 0x100;
    int m_nPendingByte = kNoPendingByte;
    bool m_bReplayBuffer = false; // the next refill re-reads the buffer as it stands
    std::size_t m_nLost = 0;
    std::u16string m_sFirstLineBreak;
    std::string m_sByteLine; // ANSI: the line's bytes before conversion
};
