// Reading a text file whose encoding nobody named, as the desktop app opens
// files. A byte-order mark decides; without one, the bytes are read in the
// first of these sets in which every byte is valid: the user's locale set,
// UTF-8, then Windows-1252, in which every byte is valid and which is what
// legacy SQL files without a mark almost always are. So no byte becomes U+FFFD
// for want of the right set. A NUL character is kept as text, and the place of
// the first one is told: the file may not be text at all, or be UTF-16 without
// a mark.
//
//     CGuessedText file;
//     if (!ReadTextFileGuessing(path, u"\n", file))
//         report(file.m_sError);
//     else if (file.m_nCodePage == kCodePageWindows1252) ...  // say so
#pragma once

#include "TextEncoding.h"

#include <filesystem>
#include <string>
#include <string_view>

struct CGuessedText
{
    std::u16string m_sText;
    TextEncoding m_nEncoding = ENC_ANSI;   // what the mark said
    unsigned m_nCodePage = kCodePageLocale; // ENC_ANSI: the set the bytes were read in
    // False when bytes were replaced or dropped all the same: invalid UTF-8
    // after a UTF-8 mark, an odd last byte of UTF-16.
    bool m_bLossless = true;
    // The byte offset (from 0) in the file of its first NUL character; npos
    // when it holds none.
    std::size_t m_nFirstNul = std::string_view::npos;
    std::string m_sError; // why the file could not be read
};

// The set to read bytes (without a mark) in: kCodePageLocale, kCodePageUtf8
// or kCodePageWindows1252, as above.
unsigned ChooseCodePage(std::string_view bytes);

// Reads the whole file, its lines joined by separator. False, with m_sError
// set, when it cannot be read.
bool ReadTextFileGuessing(const std::filesystem::path& path, std::u16string_view separator, CGuessedText& out);
// The same for bytes already in memory.
bool ReadTextGuessing(std::string_view bytes, std::u16string_view separator, CGuessedText& out);

// Reads the whole file with the set the user named for bytes without a mark
// (a mark still decides), as when a file is opened again in another encoding.
bool ReadTextFileIn(const std::filesystem::path& path, unsigned nCodePage, std::u16string_view separator,
                    CGuessedText& out);
