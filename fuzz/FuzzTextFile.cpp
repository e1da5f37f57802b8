// Fuzz target of the text-file reader: arbitrary bytes, with or without any of
// the three byte-order marks, read in several code pages. Properties: reading
// never fails on data that can be read; ReadLine and ReadAll agree; and a text
// read without loss re-encodes to exactly the bytes it came from, which is
// what lets quillmark-format write a file back in its own encoding.
#include "FuzzInput.h"
#include "MemoryFile.h"
#include "TextFileRead.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

// Code pages the reader meets: the locale's (UTF-8 in the tests), the
// single-byte sets users name most, and a multi-byte set through iconv.
const unsigned kCodePages[] = {kCodePageLocale, kCodePageUtf8, kCodePageLatin1,
                               kCodePageWindows1252, 932};

// The single line break the bytes use, or empty when they mix CR, LF and CR LF
// (then a text joined by one separator cannot give the bytes back).
std::u16string UniformLineBreak(std::string_view bytes, TextEncoding encoding)
{
    std::string lf = "\n", cr = "\r";
    if (encoding == ENC_UTF16_LE) {
        lf = std::string("\n\0", 2);
        cr = std::string("\r\0", 2);
    } else if (encoding == ENC_UTF16_BE) {
        lf = std::string("\0\n", 2);
        cr = std::string("\0\r", 2);
    }
    const size_t unit = lf.size();
    size_t crlf = 0, lfOnly = 0, crOnly = 0;
    for (size_t i = ByteOrderMark(encoding).size(); i + unit <= bytes.size(); i += unit) {
        std::string_view u = bytes.substr(i, unit);
        if (u == cr) {
            if (bytes.substr(i + unit, unit) == lf) {
                ++crlf;
                i += unit;
            } else {
                ++crOnly;
            }
        } else if (u == lf) {
            ++lfOnly;
        }
    }
    if ((crlf != 0) + (lfOnly != 0) + (crOnly != 0) > 1)
        return {};
    return crlf ? u"\r\n" : crOnly ? u"\r" : u"\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzInput input(data, size);
    const unsigned codePage = kCodePages[input.Byte() % std::size(kCodePages)];
    const std::string_view bytes = input.RestAsBytes();

    CTextFileRead whole(std::make_unique<CMemoryFile>(bytes), "fuzz.sql", codePage);
    std::u16string text;
    if (!whole.ReadAll(text, u"\n"))
        Fail("ReadAll failed: " + whole.GetError());

    CTextFileRead byLine(std::make_unique<CMemoryFile>(bytes), "fuzz.sql", codePage);
    std::u16string joined, line;
    for (bool first = true; byLine.ReadLine(line); first = false)
        joined += (first ? u"" : u"\n") + line;
    if (joined != text)
        Fail("ReadLine and ReadAll disagree");
    if (byLine.GetEncoding() != whole.GetEncoding())
        Fail("the encoding was detected differently");

    const TextEncoding encoding = whole.GetEncoding();
    const std::u16string lineBreak = UniformLineBreak(bytes, encoding);
    // Multi-byte sets may map two byte sequences to one character; only the
    // Unicode encodings and the single-byte sets promise the same bytes back.
    const bool exactSet = encoding != ENC_ANSI || codePage == kCodePageUtf8 ||
                          codePage == kCodePageLatin1 || codePage == kCodePageLocale;
    if (!whole.IsLossless() || lineBreak.empty() || !exactSet)
        return 0;
    std::u16string original;
    CTextFileRead again(std::make_unique<CMemoryFile>(bytes), "fuzz.sql", codePage);
    if (!again.ReadAll(original, lineBreak))
        Fail("ReadAll failed on the second reading");
    CCodePage converter(codePage);
    std::string encoded(ByteOrderMark(encoding));
    if (AppendEncoded(original, encoding, &converter, char(0), encoded) != 0 || encoded != bytes)
        Fail(std::string("a lossless ") + std::string(EncodingName(encoding)) +
             " text does not re-encode to its bytes");
    return 0;
}
