#include "SqlFileText.h"

#include "BaseToken.h"
#include "CodePage.h"
#include "MemoryFile.h"
#include "Prefault.h"
#include "ShareOut.h"
#include "TextFileRead.h"
#include "Tokenizer.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <vector>

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

// A text of this many bytes (units) or more is converted on several threads.
constexpr size_t kParallelLength = 256 * 1024;
// No chunk is shorter than this, unless a test asks.
constexpr size_t kMinChunkLength = 64 * 1024;

// The length of the chunks a text of length n is converted in, or 0 when it
// is converted on the calling thread alone.
size_t ChunkLength(size_t n, const CConversionThreads& threads)
{
    if (threads.m_nThreads <= 1)
        return 0;
    if (threads.m_nChunkLength != 0)
        return threads.m_nChunkLength;
    if (n < kParallelLength)
        return 0;
    // Several chunks a thread, so that the threads end together.
    return std::max(kMinChunkLength, n / (threads.m_nThreads * 4));
}

// Where the chunks of a text of length n begin, then n: chunk k is
// [cuts[k], cuts[k + 1]). A chunk begins only at a place where canCut holds,
// the first one at or after chunkLength units past the one before.
template <class CanCut>
std::vector<size_t> ChunkCuts(size_t n, size_t chunkLength, CanCut canCut)
{
    std::vector<size_t> cuts{0};
    for (size_t at = chunkLength; at < n; at = cuts.back() + chunkLength)
    {
        while (at < n && !canCut(at))
            ++at;
        if (at == n)
            break;
        cuts.push_back(at);
    }
    cuts.push_back(n);
    return cuts;
}

// The length of the run of ASCII bytes (UTF-8) or units (UTF-16) at p, eight
// bytes at a time.
template <class Unit>
size_t AsciiRun(const Unit* p, size_t n)
{
    // The bits of each unit of a block that only a unit above 0x7F has.
    constexpr uint64_t kAbove = sizeof(Unit) == 1 ? 0x8080808080808080ull : 0xFF80FF80FF80FF80ull;
    constexpr size_t kPerBlock = sizeof(uint64_t) / sizeof(Unit);
    size_t i = 0;
    for (uint64_t block; i + kPerBlock <= n; i += kPerBlock)
    {
        std::memcpy(&block, p + i, sizeof block);
        if ((block & kAbove) != 0)
            break;
    }
    while (i < n && p[i] < 0x80)
        ++i;
    return i;
}

// Counts are summed in blocks this long in 16-bit lanes, which the compiler
// widens to many at a time; no block's count overflows them.
constexpr size_t kCountBlock = 4096;

// The UTF-16 units that valid UTF-8 bytes decode to: one for each character,
// two for one of four bytes. Never fewer than what a valid start of the bytes
// decodes to, whatever follows.
size_t Utf16Length(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t units = 0;
    for (size_t at = 0; at < bytes.size(); at += kCountBlock)
    {
        const size_t end = std::min(bytes.size(), at + kCountBlock);
        uint16_t block = 0;
        for (size_t i = at; i < end; ++i)
            block = static_cast<uint16_t>(block + ((p[i] & 0xC0) != 0x80) + (p[i] >= 0xF0));
        units += block;
    }
    return units;
}

// Decodes UTF-8 into exactly room units at out. False at the first sequence
// that is not valid, or when the units do not fill the room exactly.
bool DecodeValidUtf8(std::string_view bytes, char16_t* out, size_t room)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    size_t i = 0, j = 0;
    while (i < n)
    {
        // SQL is mostly ASCII: whole runs of it are widened at once.
        const size_t run = std::min(AsciiRun(p + i, n - i), room - j);
        for (size_t k = 0; k < run; ++k)
            out[j + k] = p[i + k];
        i += run;
        j += run;
        if (i == n || p[i] < 0x80) // the end, or no room for the run
            break;
        const unsigned char lead = p[i];
        const int length = Utf8::SequenceLength(lead);
        if (length == 0 || i + static_cast<size_t>(length) > n || !Utf8::IsValidSecondByte(lead, p[i + 1]))
            return false;
        for (int k = 2; k < length; ++k)
            if (!Utf8::IsContinuation(p[i + static_cast<size_t>(k)]))
                return false;
        char32_t c = lead & (0x7F >> length);
        for (int k = 1; k < length; ++k)
            c = (c << 6) | (p[i + static_cast<size_t>(k)] & 0x3F);
        i += static_cast<size_t>(length);
        if (j + (c >= 0x10000 ? 2 : 1) > room)
            return false;
        if (c >= 0x10000)
        {
            out[j++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out[j++] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
        else
            out[j++] = static_cast<char16_t>(c);
    }
    return i == n && j == room;
}

bool CrAndNulFree(std::string_view bytes)
{
    return bytes.find('\r') == std::string_view::npos && bytes.find('\0') == std::string_view::npos;
}

// DecodePlainUtf8's decoding in chunks on threads, into text (empty): false
// when a chunk holds a CR or a NUL or is not valid UTF-8. An ASCII byte is
// never inside a multi-byte sequence, so a cut before one splits none.
bool DecodeUtf8InChunks(std::string_view body, size_t chunkLength, unsigned threads, std::u16string& text)
{
    const std::vector<size_t> cuts =
        ChunkCuts(body.size(), chunkLength, [&](size_t at) { return static_cast<unsigned char>(body[at]) < 0x80; });
    const size_t chunks = cuts.size() - 1;
    auto chunk = [&](size_t k) { return body.substr(cuts[k], cuts[k + 1] - cuts[k]); };
    std::vector<size_t> starts(chunks + 1, 0); // where each chunk's units begin
    std::atomic<bool> plain{true};
    ShareOut(chunks, threads, [&](unsigned, size_t k) {
        if (!CrAndNulFree(chunk(k)))
            plain = false;
        starts[k + 1] = Utf16Length(chunk(k));
    });
    if (!plain)
        return false;
    for (size_t k = 0; k < chunks; ++k)
        starts[k + 1] += starts[k];
    text.reserve(starts.back());
    Prefault(text.data(), starts.back() * sizeof(char16_t));
    text.resize(starts.back());
    ShareOut(chunks, threads, [&](unsigned, size_t k) {
        if (plain && !DecodeValidUtf8(chunk(k), text.data() + starts[k], starts[k + 1] - starts[k]))
            plain = false;
    });
    return plain;
}

// UTF-8 without a CR or a NUL, the common case, decoded in one pass: a strict
// UTF-8 decoder that replaced nothing gives bytes that encode back exactly,
// and without a CR every line break is the LF the engine wants. False when
// the text is not such, for the general reader to take it.
bool DecodePlainUtf8(std::string_view bytes, unsigned codePage, const CConversionThreads& threads, CSqlText& out)
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
    std::u16string text;
    if (const size_t chunkLength = ChunkLength(body.size(), threads); chunkLength != 0)
    {
        if (!DecodeUtf8InChunks(body, chunkLength, threads.m_nThreads, text))
            return false;
    }
    else
    {
        if (!CrAndNulFree(body))
            return false;
        if (Utf8::Decode(body, text) != 0)
            return false;
    }
    out.m_sText = std::move(text);
    out.m_nEncoding = encoding;
    out.m_nCodePage = codePage;
    out.m_bCrLf = false;
    out.m_bExact = true;
    return true;
}

// The bytes of the UTF-8 form of text, with CR LF for LF when crLf; npos when
// it holds a lone surrogate (which the one-pass encoder reports).
size_t Utf8Length(std::u16string_view text, bool crLf)
{
    const char16_t* p = text.data();
    const uint16_t lf = crLf ? 1 : 0;
    size_t bytes = 0, surrogates = 0;
    for (size_t at = 0; at < text.size(); at += kCountBlock)
    {
        const size_t end = std::min(text.size(), at + kCountBlock);
        uint16_t block = 0, paired = 0;
        for (size_t i = at; i < end; ++i)
        {
            const char16_t u = p[i];
            block = static_cast<uint16_t>(block + 1 + (u >= 0x80) + (u >= 0x800) + lf * (u == u'\n'));
            paired = static_cast<uint16_t>(paired + ((u & 0xF800) == 0xD800));
        }
        bytes += block;
        surrogates += paired;
    }
    if (surrogates == 0)
        return bytes;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
            ++i;
        else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i]))
            return std::string::npos;
    }
    return bytes - surrogates; // a pair is four bytes, not three and three
}

// Writes the UTF-8 form of text, whose surrogates are all in pairs, at out,
// with CR LF for LF when crLf.
void EncodeUtf8(std::u16string_view text, bool crLf, char* out)
{
    const char16_t* p = text.data();
    const size_t n = text.size();
    size_t i = 0;
    while (i < n)
    {
        // SQL is mostly ASCII: whole runs of it are narrowed at once.
        const size_t run = AsciiRun(p + i, n - i);
        if (!crLf)
        {
            for (size_t k = 0; k < run; ++k)
                out[k] = static_cast<char>(p[i + k]);
            out += run;
        }
        else
        {
            for (size_t k = 0; k < run; ++k)
            {
                if (p[i + k] == u'\n')
                    *out++ = '\r';
                *out++ = static_cast<char>(p[i + k]);
            }
        }
        i += run;
        if (i == n)
            break;
        char32_t c = p[i++];
        if (IsHighSurrogate(static_cast<char16_t>(c)))
            c = 0x10000 + ((c - 0xD800) << 10) + (p[i++] - 0xDC00);
        if (c < 0x800)
            *out++ = static_cast<char>(0xC0 | (c >> 6));
        else if (c < 0x10000)
        {
            *out++ = static_cast<char>(0xE0 | (c >> 12));
            *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        }
        else
        {
            *out++ = static_cast<char>(0xF0 | (c >> 18));
            *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        }
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Appends the UTF-8 form of text to out, in chunks on threads: false when a
// chunk holds a lone surrogate. A cut before a low surrogate would split a
// pair, so there is none.
bool EncodeUtf8InChunks(std::u16string_view text, bool crLf, size_t chunkLength, unsigned threads,
                        std::string& out)
{
    const std::vector<size_t> cuts =
        ChunkCuts(text.size(), chunkLength, [&](size_t at) { return !IsLowSurrogate(text[at]); });
    const size_t chunks = cuts.size() - 1;
    auto chunk = [&](size_t k) { return text.substr(cuts[k], cuts[k + 1] - cuts[k]); };
    std::vector<size_t> starts(chunks + 1, 0); // where each chunk's bytes begin
    std::atomic<bool> paired{true};
    ShareOut(chunks, threads, [&](unsigned, size_t k) {
        starts[k + 1] = Utf8Length(chunk(k), crLf);
        if (starts[k + 1] == std::string::npos)
            paired = false;
    });
    if (!paired)
        return false;
    starts[0] = out.size();
    for (size_t k = 0; k < chunks; ++k)
        starts[k + 1] += starts[k];
    out.reserve(starts.back());
    Prefault(out.data() + starts[0], starts.back() - starts[0]);
    out.resize(starts.back());
    ShareOut(chunks, threads, [&](unsigned, size_t k) { EncodeUtf8(chunk(k), crLf, out.data() + starts[k]); });
    return true;
}

} // namespace

bool DecodeSqlText(std::string_view bytes, unsigned codePage, CSqlText& out, std::string& error,
                   CConversionThreads threads)
{
    if (DecodePlainUtf8(bytes, codePage, threads, out))
        return true;
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
                   std::string& error, CConversionThreads threads)
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
    const bool utf8 = like.m_nEncoding == ENC_UTF8 || (like.m_nEncoding == ENC_ANSI && codePage.IsUtf8());
    if (const size_t chunkLength = ChunkLength(text.size(), threads); utf8 && chunkLength != 0)
        if (EncodeUtf8InChunks(text, like.m_bCrLf, chunkLength, threads.m_nThreads, out))
            return true;
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

CSqlTextEncoder::CSqlTextEncoder(const CSqlText& like, bool withMark, std::string& out)
    : m_Like(like), m_sOut(out)
{
    out.clear();
    if (withMark)
        out += ByteOrderMark(like.m_nEncoding);
}

bool CSqlTextEncoder::CanEncodeInParts(const CSqlText& like)
{
    return like.m_nEncoding != ENC_ANSI || CCodePage(like.m_nCodePage).IsUtf8();
}

void CSqlTextEncoder::Reserve(size_t bytes)
{
    m_sOut.reserve(m_sOut.size() + bytes);
}

void CSqlTextEncoder::Append(std::u16string_view part)
{
    if (part.empty())
        return;
    // A surrogate pair is encoded whole, even where the parts split it.
    if (m_cHeldHigh != 0)
    {
        const char16_t pair[2] = {m_cHeldHigh, part[0]};
        const bool paired = IsLowSurrogate(part[0]);
        AppendWhole(std::u16string_view(pair, paired ? 2 : 1));
        m_cHeldHigh = 0;
        part.remove_prefix(paired ? 1 : 0);
    }
    if (!part.empty() && IsHighSurrogate(part.back()))
    {
        m_cHeldHigh = part.back();
        part.remove_suffix(1);
    }
    AppendWhole(part);
}

void CSqlTextEncoder::AppendWhole(std::u16string_view text)
{
    // Room for the part is asked of the system in one call, not page by page.
    Prefault(m_sOut.data() + m_sOut.size(), std::min(m_sOut.capacity() - m_sOut.size(), text.size() * 3 / 2));
    const TextEncoding encoding = m_Like.m_nEncoding == ENC_ANSI ? ENC_UTF8 : m_Like.m_nEncoding;
    if (!m_Like.m_bCrLf)
    {
        m_nReplaced += AppendEncoded(text, encoding, nullptr, 0, m_sOut);
        return;
    }
    for (size_t start = 0;;)
    {
        const size_t end = text.find(u'\n', start);
        m_nReplaced += AppendEncoded(text.substr(start, end - start), encoding, nullptr, 0, m_sOut);
        if (end == std::u16string_view::npos)
            return;
        m_nReplaced += AppendEncoded(u"\r\n", encoding, nullptr, 0, m_sOut);
        start = end + 1;
    }
}

bool CSqlTextEncoder::Finish(std::string& error)
{
    if (m_cHeldHigh != 0)
    {
        const char16_t high = m_cHeldHigh;
        m_cHeldHigh = 0;
        AppendWhole(std::u16string_view(&high, 1));
    }
    if (m_nReplaced == 0)
        return true;
    error = "holds characters that " +
            (m_Like.m_nEncoding == ENC_ANSI ? CCodePage(m_Like.m_nCodePage).GetCharset()
                                            : std::string(EncodingName(m_Like.m_nEncoding))) +
            " cannot represent";
    return false;
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
