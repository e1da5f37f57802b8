// The text of an SQL file or of standard input, and its way back to bytes: the
// bytes are decoded by the text-file reader (byte-order mark first, otherwise
// the code page asked for) and the text is given LF line breaks for the engine;
// encoding restores the encoding, the mark and the file's line ending (CR LF
// where its first line break is CR LF, otherwise LF).
#pragma once

#include "TextEncoding.h"

#include <string>
#include <string_view>

namespace qmcli
{

struct CSqlText
{
    std::u16string m_sText;            // every line break a single LF
    TextEncoding m_nEncoding = ENC_ANSI;
    unsigned m_nCodePage = kCodePageLocale; // for ENC_ANSI
    bool m_bCrLf = false;              // the first line break is CR LF
    bool m_bExact = true;              // encoding the text gives the bytes back exactly
};

// How a long UTF-8 text is converted on several threads: in chunks of about
// m_nChunkLength bytes (decoding) or units (encoding), each cut where it
// splits no character, converted in place at once. Any other text, and one
// that the chunks find unusual (a CR, an invalid byte, a lone surrogate),
// is converted on the calling thread alone, with the same result.
struct CConversionThreads
{
    unsigned m_nThreads = 1;
    // 0: chunks chosen from the text's length, and a text shorter than
    // 256 KB converted on one thread; otherwise chunks of this length,
    // whatever the text's (for tests).
    size_t m_nChunkLength = 0;
};

// Decodes bytes (a whole file). False, with a one-line reason, when the bytes do
// not decode without loss in their encoding (a replaced or dropped byte would
// change the file when it is written back) or hold a NUL character (named with
// its byte offset).
bool DecodeSqlText(std::string_view bytes, unsigned codePage, CSqlText& out, std::string& error,
                   CConversionThreads threads = {});

// The bytes of text (LF line breaks) in the encoding and line ending of `like`,
// with its byte-order mark when withMark. False when a character cannot be
// represented in the encoding.
bool EncodeSqlText(std::u16string_view text, const CSqlText& like, bool withMark, std::string& out,
                   std::string& error, CConversionThreads threads = {});

// EncodeSqlText for a text that comes a part at a time: the parts, one after
// the other, give the bytes that the whole text gives, appended to out as
// they come. For an encoding of UTF-8 or UTF-16 only (CanEncodeInParts).
class CSqlTextEncoder
{
public:
    CSqlTextEncoder(const CSqlText& like, bool withMark, std::string& out);
    static bool CanEncodeInParts(const CSqlText& like);
    // The room the parts are expected to need: pages of it never written to
    // cost nothing.
    void Reserve(size_t bytes);
    void Append(std::u16string_view part);
    // False when a character could not be represented (a lone surrogate).
    bool Finish(std::string& error);

private:
    void AppendWhole(std::u16string_view text);
    const CSqlText& m_Like;
    std::string& m_sOut;
    char16_t m_cHeldHigh = 0; // a high surrogate at the end of the last part
    size_t m_nReplaced = 0;
};

// True when a string literal or quoted identifier of the text spans a line:
// then a file whose line endings are mixed cannot have them made uniform
// without changing the literal.
bool HasLineBreakInLiteral(std::u16string_view text);

} // namespace qmcli
