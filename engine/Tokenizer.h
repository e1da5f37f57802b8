// The tokenizer: Tokenize separates comments, string literals and quoted
// identifiers from chunks of plain text; SplitWords cuts the chunks into words
// and one-character delimiters and drops the whitespace between them.
#pragma once

#include "BaseToken.h"
#include "TextFunc.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Where a token starts: the 1-based line of its first character (lines are
// counted by line feeds) and the 1-based index of that character in the input.
// A chunk of plain text (before SplitWords) has the position before its first
// character instead: the line and the number of characters before it.
struct CTextPosition
{
    int32_t m_nLine = 1;
    int32_t m_nOffset = 0;
};

// Makes a token of a text that views the list's storage and appends it.
void AddToken(CTokenList& tokens, std::u16string_view text, int32_t kind, int32_t code,
              CTextPosition position);

// Empties the list, takes a working copy of the input (unless input is that
// copy already) and appends, in text order, the chunks (TK_WORD), comments,
// string literals and quoted identifiers of the input.
void Tokenize(std::u16string_view input, CTokenList& tokens);

// Replaces every chunk by the words and delimiters cut from it at the
// characters of the delimiter set.
void SplitWords(std::u16string_view delimiters, CTokenList& tokens);

// Tokenize followed by SplitWords, as one scan that cuts the words and
// delimiters as it goes (with a delimiter set other than the standard one,
// the two in turn).
void TokenizeWords(std::u16string_view delimiters, std::u16string_view input, CTokenList& tokens);

// The first pass as a scan that reports each token it finds to a sink instead
// of storing it:
//     sink(kind, code, start, length, position)
// with start and length in UTF-16 units of text (0-based). Tokenize stores
// what it reports; the finishing step uses it to find the string literals and
// quoted identifiers that span lines.
class CTokenScanner
{
public:
    template <class Sink>
    static void Scan(std::u16string_view text, Sink&& sink) { ScanCounting<false>(text, sink); }

    // Scan that also returns an upper bound of the words and delimiters that
    // SplitWords cuts from the chunks with the standard delimiter set (counted
    // on the way, so that the split array is allocated once without a second
    // walk over the text). With kSplitWords the chunks are not reported but
    // the words (TK_WORD) and delimiters (TK_DELIMITER) SplitWords would cut
    // from them with the standard delimiter set, each with the position of
    // its first character.
    template <bool kCountPieces, bool kSplitWords = false, class Sink>
    static size_t ScanCounting(std::u16string_view text, Sink&& sink);

    static constexpr std::u16string_view kStandardDelimiters = u",.()-+=<>|/*;:!";

    // Plain-text characters at which the scanner must look closer.
    static bool IsPlainSpecial(char16_t c) { return c < 128 && (kPlainFlags[c] & kSpecial); }
    // A character that cannot stand inside a word: whitespace or a delimiter.
    static bool IsWordBreak(char16_t c)
    {
        switch (c)
        {
        case u' ': case u'\n': case u'\r': case u'\t':
        case u',': case u'.': case u'(': case u')': case u'-': case u'+': case u'=':
        case u'<': case u'>': case u'|': case u'/': case u'*': case u';': case u':':
        case u'!':
            return true;
        default:
            return false;
        }
    }
    // Flags of the ASCII characters in plain text; every other character is a
    // word character.
    enum : uint8_t { kSpecial = 1, kWordChar = 2, kDelimiter = 4 };
    static constexpr auto kPlainFlags = [] {
        std::array<uint8_t, 128> table{};
        for (size_t c = 0; c < 128; ++c)
            table[c] = kWordChar;
        for (char c : {' ', '\n', '\r', '\t'})
            table[static_cast<unsigned char>(c)] = 0;
        for (char16_t c : kStandardDelimiters)
            table[c] = kDelimiter;
        for (char c : {'*', '-', '\'', '"', '\n'})
            table[static_cast<unsigned char>(c)] |= kSpecial;
        return table;
    }();
    // The same for the scan that cuts words: it finds a comment's opening
    // pair at its first character, and counts lines as it goes.
    static constexpr auto kSplitFlags = [] {
        std::array<uint8_t, 128> table = kPlainFlags;
        for (char c : {'*', '\n'})
            table[static_cast<unsigned char>(c)] &= ~kSpecial;
        table['/'] |= kSpecial;
        return table;
    }();
    // A character of a word that the scan which cuts words takes in its stride.
    static bool IsSplitWordChar(char16_t c) { return c >= 128 || kSplitFlags[c] == kWordChar; }

    // The closing delimiter of a q-quoted literal for its opening one.
    static char16_t ClosingQuoteDelimiter(char16_t open)
    {
        switch (open)
        {
        case u'[': return u']';
        case u'{': return u'}';
        case u'(': return u')';
        case u'<': return u'>';
        default: return open;
        }
    }
};

template <bool kCountPieces, bool kSplitWords, class Sink>
size_t CTokenScanner::ScanCounting(std::u16string_view s, Sink&& sink)
{
    enum class Mode { Plain, BlockComment, LineComment, String, QString, Quoted };

    const size_t n = s.size();
    Mode mode = Mode::Plain;
    size_t bufStart = 0;        // the pending token's text is s[bufStart, i]
    CTextPosition start;        // the pending token's position
    int32_t line = 1;           // running line, after the characters before i
    bool oddApostrophes = false; // parity of the apostrophes in a plain literal
    size_t quoteIndex = 0;      // index of a q-quoted literal's opening delimiter
    char16_t quoteClose = 0;    // and its closing delimiter
    size_t pieces = 0;          // bound of the pieces of the chunks so far
    bool inWord = false;        // for the count: the last chunk character was a word's

    auto emit = [&](int32_t kind, int32_t code, size_t from, size_t to) {
        if (to > from)
            sink(kind, code, from, to - from, start);
    };
    auto restartAt = [&](size_t index, int32_t atLine) {
        bufStart = index;
        start.m_nLine = atLine;
        start.m_nOffset = static_cast<int32_t>(index);
        mode = Mode::Plain;
        inWord = false;
    };

    size_t i = 0;
    while (i < n)
    {
        if (mode == Mode::Plain)
        {
            if constexpr (kSplitWords)
            {
                // Words and delimiters are reported as they are found. A word
                // right before an apostrophe stays pending (from bufStart):
                // its tail may be the literal's prefix.
                while (i < n)
                {
                    const char16_t p = s[i];
                    const uint8_t flags = p < 128 ? kSplitFlags[p] : uint8_t(kWordChar);
                    if (flags & kSpecial)
                        break;
                    if (flags & kWordChar)
                    {
                        bufStart = i;
                        start.m_nLine = line;
                        start.m_nOffset = static_cast<int32_t>(i + 1);
                        while (++i < n && IsSplitWordChar(s[i]))
                        {
                        }
                        if (i < n && s[i] == u'\'')
                            break;
                        sink(TK_WORD, 0, bufStart, i - bufStart, start);
                    }
                    else
                    {
                        if (flags & kDelimiter)
                            sink(TK_DELIMITER, 0, i, 1, CTextPosition{line, static_cast<int32_t>(i + 1)});
                        line += p == u'\n';
                        ++i;
                    }
                    bufStart = i;
                }
                if (i == n)
                    break;
                const char16_t c = s[i];
                if (c == u'-' || c == u'/')
                {
                    if (i + 1 < n && s[i + 1] == (c == u'-' ? u'-' : u'*'))
                    {
                        start.m_nLine = line;
                        start.m_nOffset = static_cast<int32_t>(i + 1);
                        bufStart = i;
                        mode = c == u'-' ? Mode::LineComment : Mode::BlockComment;
                        i += 2;
                    }
                    else
                    {
                        sink(TK_DELIMITER, 0, i, 1, CTextPosition{line, static_cast<int32_t>(i + 1)});
                        bufStart = ++i;
                    }
                    continue;
                }
            }
            // Plain text up to the next character that matters is taken in one
            // go.
            while (!kSplitWords && i < n)
            {
                const char16_t p = s[i];
                const uint8_t flags = p < 128 ? kPlainFlags[p] : uint8_t(kWordChar);
                if (flags & kSpecial)
                    break;
                if constexpr (kCountPieces)
                {
                    const bool word = flags & kWordChar;
                    pieces += (flags >> 2) + (word && !inWord);
                    inWord = word;
                }
                ++i;
            }
            if (i == n)
                break;
            {
                const char16_t c = s[i]; // a character that matters
                if constexpr (kCountPieces)
                {
                    // A hyphen or asterisk that opens a comment is counted too:
                    // the bound may only be too high.
                    pieces += c == u'*' || c == u'-';
                    inWord = false;
                }
                if (c == u'\n')
                {
                    ++line;
                }
                else if (!kSplitWords && (c == u'*' || c == u'-') && i > bufStart &&
                         s[i - 1] == (c == u'*' ? u'/' : u'-'))
                {
                    emit(TK_WORD, 0, bufStart, i - 1);
                    start.m_nLine = line;
                    start.m_nOffset = static_cast<int32_t>(i);
                    bufStart = i - 1;
                    mode = c == u'*' ? Mode::BlockComment : Mode::LineComment;
                }
                else if (c == u'\'')
                {
                    // A prefix N, Q or NQ right before the apostrophe belongs to
                    // the literal, unless it is the tail of a longer word.
                    auto isBoundary = [&](size_t k) { return k < bufStart + 1 || IsWordBreak(s[k - 1]); };
                    size_t prefix = 0;
                    bool qQuote = false;
                    if (i > bufStart)
                    {
                        const char16_t p = s[i - 1] | 0x20;
                        if (p == u'n' && isBoundary(i - 1))
                            prefix = 1;
                        else if (p == u'q' && isBoundary(i - 1))
                            prefix = 1, qQuote = true;
                        else if (p == u'q' && i - 1 > bufStart && (s[i - 2] | 0x20) == u'n' &&
                                 isBoundary(i - 2))
                            prefix = 2, qQuote = true;
                    }
                    emit(TK_WORD, 0, bufStart, i - prefix);
                    start.m_nLine = line;
                    start.m_nOffset = static_cast<int32_t>(i - prefix + 1);
                    bufStart = i - prefix;
                    if (qQuote)
                    {
                        mode = Mode::QString;
                        quoteIndex = 0; // not read yet
                    }
                    else
                    {
                        mode = Mode::String;
                        oddApostrophes = true;
                    }
                }
                else if (c == u'"')
                {
                    emit(TK_WORD, 0, bufStart, i);
                    start.m_nLine = line;
                    start.m_nOffset = static_cast<int32_t>(i + 1);
                    bufStart = i;
                    mode = Mode::Quoted;
                }
            }
            ++i;
            continue;
        }

        const char16_t c = s[i];
        switch (mode)
        {
        case Mode::Plain:
            break;

        case Mode::BlockComment:
            // Only a slash after an asterisk matters (and line feeds, for the
            // line count); the opening asterisk counts, so "/*/" is closed.
            while (i < n && s[i] != u'/')
                line += s[i++] == u'\n';
            if (i < n)
            {
                if (s[i - 1] == u'*')
                {
                    emit(TK_COMMENT, 0, bufStart, i + 1);
                    restartAt(i + 1, line);
                }
                ++i;
            }
            break;

        case Mode::LineComment:
            i = FindLineFeed(s, i);
            if (i < n)
            {
                ++line;
                emit(TK_COMMENT, 1, bufStart, i + 1);
                restartAt(i + 1, line);
                ++i;
            }
            break;

        case Mode::String:
            if (c == u'\'')
            {
                oddApostrophes = !oddApostrophes;
            }
            else if (!oddApostrophes)
            {
                // The literal ended with the apostrophe before this character,
                // which is read again as plain text.
                emit(TK_STRING, 0, bufStart, i);
                restartAt(i, line);
                break;
            }
            else if (c == u'\n')
            {
                ++line;
            }
            ++i;
            // Inside the literal only apostrophes matter (and line feeds, for
            // the line count).
            if (oddApostrophes)
            {
                const size_t apostrophe = FindUnit(s, i, u'\'');
                line += static_cast<int32_t>(std::count(s.begin() + i, s.begin() + apostrophe, u'\n'));
                i = apostrophe;
            }
            break;

        case Mode::QString:
            if (quoteIndex == 0)
            {
                line += c == u'\n';
                quoteIndex = i;
                quoteClose = ClosingQuoteDelimiter(c);
                ++i;
                break;
            }
            // Only an apostrophe right after the closing delimiter matters (and
            // line feeds, for the line count).
            {
                const size_t apostrophe = FindUnit(s, i, u'\'');
                line += static_cast<int32_t>(std::count(s.begin() + i, s.begin() + apostrophe, u'\n'));
                i = apostrophe;
            }
            if (i < n)
            {
                if (i - 1 > quoteIndex && s[i - 1] == quoteClose)
                {
                    emit(TK_STRING, 0, bufStart, i + 1);
                    restartAt(i + 1, line);
                }
                ++i;
            }
            break;

        case Mode::Quoted:
            while (i < n && s[i] != u'"')
                line += s[i++] == u'\n';
            if (i < n)
            {
                emit(TK_QUOTED, 0, bufStart, i + 1);
                restartAt(i + 1, line);
                ++i;
            }
            break;
        }
    }

    // The end of the text ends whatever is pending, with the kind it has.
    switch (mode)
    {
    case Mode::Plain: emit(TK_WORD, 0, bufStart, n); break;
    case Mode::BlockComment: emit(TK_COMMENT, 0, bufStart, n); break;
    case Mode::LineComment: emit(TK_COMMENT, 1, bufStart, n); break;
    case Mode::String:
    case Mode::QString: emit(TK_STRING, 0, bufStart, n); break;
    case Mode::Quoted: emit(TK_QUOTED, 0, bufStart, n); break;
    }
    return pieces;
}
