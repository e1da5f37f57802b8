// The encodings a text file is read and written in, and the encoder the writer
// uses (also usable on its own, e.g. to check that a text re-encodes to the bytes
// it was read from).
#pragma once

#include "CodePage.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum TextEncoding : std::int32_t
{
    ENC_ANSI = 0,     // bytes in a code page; no byte-order mark
    ENC_UTF16_BE = 1, // mark FE FF
    ENC_UTF16_LE = 2, // mark FF FE
    ENC_UTF8 = 3,     // mark EF BB BF
};

// "ANSI", "UTF-16BE", "UTF-16LE" or "UTF-8".
std::string_view EncodingName(TextEncoding nEncoding);
// The byte-order mark the writer puts first (empty for ENC_ANSI).
std::string_view ByteOrderMark(TextEncoding nEncoding);

// Appends the bytes of text in the encoding, without a mark. ENC_ANSI uses the
// code page, where a character it cannot hold becomes cDefault ('?' when 0); in
// UTF-8 a surrogate pair is one four-byte sequence and a lone surrogate U+FFFD.
// UTF-16 units are written as they are. pCodePage is needed for ENC_ANSI only.
// Returns the number of replacements.
std::size_t AppendEncoded(std::u16string_view text, TextEncoding nEncoding,
                          CCodePage* pCodePage, char cDefault, std::string& out);
