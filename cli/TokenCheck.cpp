#include "TokenCheck.h"

#include "Options.h"
#include "ScriptSplitter.h"
#include "Tokenizer.h"

#include <algorithm>
#include <vector>

namespace qmcli
{

namespace
{

// Token classes in the compact stream; a class is compared along with the text.
enum : char16_t { CLASS_WORD = 1, CLASS_COMMENT = 2, CLASS_STRING = 3, CLASS_QUOTED = 4, CLASS_SCRIPT = 5 };

bool IsWhitespace(char16_t c) { return c == u' ' || c == u'\n' || c == u'\r' || c == u'\t'; }
char16_t FoldCase(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool IsDelimiter(char16_t c) { return CTokenScanner::IsWordBreak(c) && !IsWhitespace(c); }

// Whether the options remove a comment, which is then expected to be missing.
bool IsRemoved(std::u16string_view comment, const CTokenCheckRules& rules)
{
    const bool hint = comment.size() >= 3 && comment[2] == u'+';
    return rules.m_bCommentsRemoved && !(rules.m_bHintsKept && hint);
}

// Cuts a unit into tokens exactly as the tokenizer does and reports each one
// in its compared form: sink(class, text, line, rawText), with lines counted
// from firstLine. A word's text is given as it stands, to be compared without
// regard to case.
template <class Sink>
void ScanUnit(std::u16string_view text, int32_t firstLine, const CTokenCheckRules& rules, Sink&& sink)
{
    std::u16string norm;
    CTokenScanner::Scan(text, [&](int32_t kind, int32_t, size_t start, size_t length,
                                  CTextPosition position) {
        const std::u16string_view raw = text.substr(start, length);
        int32_t line = position.m_nLine + firstLine - 1;
        switch (kind)
        {
        case TK_COMMENT: {
            if (IsRemoved(raw, rules))
                return;
            norm.clear();
            for (char16_t c : raw)
                if (!IsWhitespace(c))
                    norm.push_back(FoldCase(c));
            sink(CLASS_COMMENT, std::u16string_view(norm), line, raw);
            return;
        }
        case TK_STRING: sink(CLASS_STRING, raw, line, raw); return;
        case TK_QUOTED: sink(CLASS_QUOTED, raw, line, raw); return;
        default: break;
        }
        // A chunk of plain text: words and one-character delimiters.
        size_t i = 0;
        while (i < raw.size())
        {
            const char16_t c = raw[i];
            if (IsWhitespace(c))
            {
                if (c == u'\n')
                    ++line;
                ++i;
                continue;
            }
            size_t end = i + 1;
            if (!IsDelimiter(c))
                while (end < raw.size() && !CTokenScanner::IsWordBreak(raw[end]))
                    ++end;
            // Words are folded where they are stored or compared.
            sink(CLASS_WORD, raw.substr(i, end - i), line, raw.substr(i, end - i));
            i = end;
        }
    });
}

// Reports the tokens of a script: those of its units, and each of its
// SQL*Plus command lines, terminator lines, regions left unformatted and
// other non-blank text between units as one token compared exactly, so that
// the script's structure is part of what must stay the same.
template <class Sink>
void ScanPiece(std::u16string_view text, const CScriptPiece& piece, const CTokenCheckRules& rules, Sink&& sink)
{
    const std::u16string_view raw = text.substr(piece.m_nStart, piece.m_nLength);
    if (IsUnit(piece.m_nKind))
    {
        ScanUnit(raw, piece.m_nFirstLine, rules, sink);
        return;
    }
    size_t first = 0;
    while (first < raw.size() && IsWhitespace(raw[first]))
        ++first;
    if (first == raw.size())
        return;
    int32_t line = piece.m_nFirstLine;
    for (size_t i = 0; i < first; ++i)
        line += raw[i] == u'\n';
    sink(CLASS_SCRIPT, raw, line, raw);
}

template <class Sink>
void ScanNormalised(std::u16string_view text, std::span<const CScriptPiece> pieces, const CTokenCheckRules& rules,
                    Sink&& sink)
{
    for (const CScriptPiece& piece : pieces)
        ScanPiece(text, piece, rules, sink);
}

// The compared form of a whole text as one string: per token its class, its
// length in two units, then its text.
// Words are stored folded.
void AppendToken(std::u16string& stream, char16_t cls, std::u16string_view text)
{
    const uint32_t n = static_cast<uint32_t>(text.size());
    const size_t at = stream.size();
    stream.resize(at + 3 + n);
    char16_t* p = stream.data() + at;
    p[0] = cls;
    p[1] = static_cast<char16_t>(n >> 16);
    p[2] = static_cast<char16_t>(n & 0xFFFF);
    if (cls == CLASS_WORD)
        std::transform(text.begin(), text.end(), p + 3, FoldCase);
    else
        std::copy(text.begin(), text.end(), p + 3);
}

// Whether a token's text is the stored one.
bool SameText(char16_t cls, std::u16string_view text, const char16_t* stored)
{
    if (cls != CLASS_WORD)
        return std::equal(text.begin(), text.end(), stored);
    for (size_t i = 0; i < text.size(); ++i)
        if (FoldCase(text[i]) != stored[i])
            return false;
    return true;
}

// The input's tokens in compact form, read a piece at a time as the
// comparison asks for them: only the tokens of the piece being compared are
// held.
class CExpectedTokens
{
public:
    CExpectedTokens(std::u16string_view input, std::span<const CScriptPiece> pieces, const CTokenCheckRules& rules)
        : m_sInput(input), m_aPieces(pieces), m_Rules(rules)
    {
    }

    // Whether the next token is cls with text, and if so, moves past it. False
    // also when the input has no token left.
    bool TakeIfSame(char16_t cls, std::u16string_view text)
    {
        if (!Fill() || m_sStream[m_nCursor] != cls)
            return false;
        const size_t n = (static_cast<size_t>(m_sStream[m_nCursor + 1]) << 16) | m_sStream[m_nCursor + 2];
        if (n != text.size() || !SameText(cls, text, m_sStream.data() + m_nCursor + 3))
            return false;
        m_nCursor += 3 + n;
        return true;
    }
    bool AtEnd() { return !Fill(); }

private:
    // Whether a token is held, reading pieces until one is.
    bool Fill()
    {
        while (m_nCursor == m_sStream.size())
        {
            if (m_nNextPiece == m_aPieces.size())
                return false;
            m_sStream.clear();
            m_nCursor = 0;
            ScanPiece(m_sInput, m_aPieces[m_nNextPiece++], m_Rules,
                      [&](char16_t cls, std::u16string_view text, int32_t, std::u16string_view) {
                          AppendToken(m_sStream, cls, text);
                      });
        }
        return true;
    }

    std::u16string_view m_sInput;
    std::span<const CScriptPiece> m_aPieces;
    const CTokenCheckRules& m_Rules;
    size_t m_nNextPiece = 0;
    std::u16string m_sStream; // the tokens of the pieces read last
    size_t m_nCursor = 0;     // the next token in m_sStream
};

// Where the literals and comments that start at a text's index end, by the
// tokenizer's rules (the end of the text ends whatever is open). A literal
// starts at its opening apostrophe, a q-quoted one at the apostrophe after
// its prefix.
size_t StringEnd(std::u16string_view text, size_t apostrophe)
{
    size_t i = apostrophe + 1;
    for (;;)
    {
        i = FindUnit(text, i, u'\'');
        if (i == text.size())
            return i;
        if (++i == text.size() || text[i] != u'\'') // two apostrophes stand for one
            return i;
        ++i;
    }
}

size_t QStringEnd(std::u16string_view text, size_t apostrophe)
{
    const size_t open = apostrophe + 1;
    if (open >= text.size())
        return text.size();
    const char16_t close = CTokenScanner::ClosingQuoteDelimiter(text[open]);
    size_t i = open + 1;
    for (;;)
    {
        i = FindUnit(text, i, u'\'');
        if (i == text.size())
            return i;
        if (i - 1 > open && text[i - 1] == close)
            return i + 1;
        ++i;
    }
}

size_t QuotedEnd(std::u16string_view text, size_t quote)
{
    const size_t close = FindUnit(text, quote + 1, u'"');
    return close == text.size() ? close : close + 1;
}

// A comment's end, or at when no comment starts there. A line comment takes
// its line feed along; the asterisk that opens a block comment may close it.
size_t CommentEnd(std::u16string_view text, size_t at)
{
    if (at + 1 >= text.size())
        return at;
    if (text[at] == u'-' && text[at + 1] == u'-')
    {
        const size_t lineFeed = FindLineFeed(text, at + 2);
        return lineFeed == text.size() ? lineFeed : lineFeed + 1;
    }
    if (text[at] == u'/' && text[at + 1] == u'*')
    {
        for (size_t i = at + 2;; ++i)
        {
            i = FindUnit(text, i, u'/');
            if (i == text.size())
                return i;
            if (text[i - 1] == u'*')
                return i + 1;
        }
    }
    return at;
}

// Whether a word right before an apostrophe is the prefix of a literal (N, Q
// or NQ, any case) rather than a word of its own.
bool IsStringPrefix(std::u16string_view word)
{
    const auto is = [](char16_t c, char16_t lower) { return (c | 0x20) == lower; };
    return (word.size() == 1 && (is(word[0], u'n') || is(word[0], u'q'))) ||
           (word.size() == 2 && is(word[0], u'n') && is(word[1], u'q'));
}

// Whether two comments read the same without whitespace and case. Most come
// back as they were.
bool SameComment(std::u16string_view a, std::u16string_view b)
{
    if (SameUnits(a, b))
        return true;
    size_t i = 0;
    size_t j = 0;
    for (;;)
    {
        while (i < a.size() && IsWhitespace(a[i]))
            ++i;
        while (j < b.size() && IsWhitespace(b[j]))
            ++j;
        if (i == a.size() || j == b.size())
            return i == a.size() && j == b.size();
        if (FoldCase(a[i]) != FoldCase(b[j]))
            return false;
        ++i;
        ++j;
    }
}

// The first unit at or after pos that is not whitespace. Runs of blanks
// (indentation, aligned columns) are passed four units at a time.
size_t SkipWhitespace(std::u16string_view text, size_t pos)
{
    const char16_t* p = text.data();
    const size_t n = text.size();
    while (pos < n && IsWhitespace(p[pos]))
    {
        ++pos;
        while (pos + 4 <= n && LoadFourUnits(p + pos) == FourTimes(u' '))
            pos += 4;
    }
    return pos;
}

// A text's compared tokens read in place, one at a time, for the walk that
// only tells whether two texts hold the same tokens. It cuts them as
// ScanPiece does: script pieces whole, units by the tokenizer's rules, each
// unit on its own, removed comments passed over.
class CTokenCursor
{
public:
    enum Kind { END, SCRIPT, COMMENT, OTHER }; // OTHER: a word, delimiter, literal or quoted identifier

    CTokenCursor(std::u16string_view text, std::span<const CScriptPiece> pieces, const CTokenCheckRules& rules)
        : m_sText(text), m_aPieces(pieces), m_Rules(rules)
    {
    }

    // Moves to the next token and tells its kind; a script piece's or a
    // comment's end is then TokenEnd().
    Kind Next()
    {
        const size_t pos = m_nPos = SkipWhitespace(m_sPiece, m_nPos);
        // Most tokens start with a character that cannot open a comment.
        if (pos < m_sPiece.size() && m_sPiece[pos] != u'-' && m_sPiece[pos] != u'/')
            return OTHER;
        return NextAfterBlanks();
    }

    size_t Pos() const { return m_nPos; }
    size_t TokenEnd() const { return m_nTokenEnd; }
    std::u16string_view Token() const { return m_sPiece.substr(m_nPos, m_nTokenEnd - m_nPos); }
    // The piece read, indexed from the start of the whole text and ending
    // where the piece ends, so that nothing reads past it.
    std::u16string_view Piece() const { return m_sPiece; }
    std::u16string_view Rest() const { return m_sPiece.substr(m_nPos); }
    void MoveTo(size_t pos) { m_nPos = pos; }

    // Whether no token of the unit read has been taken yet.
    bool m_bUnitUntouched = false;

private:
    // Next where a piece ends or a comment may start.
    Kind NextAfterBlanks()
    {
        for (;;)
        {
            m_nPos = SkipWhitespace(m_sPiece, m_nPos);
            if (m_nPos == m_sPiece.size())
            {
                if (m_nNextPiece == m_aPieces.size())
                    return END;
                if (EnterPiece(m_aPieces[m_nNextPiece++]))
                    return SCRIPT;
                continue;
            }
            m_nTokenEnd = CommentEnd(m_sPiece, m_nPos);
            if (m_nTokenEnd == m_nPos)
                return OTHER;
            if (!IsRemoved(Token(), m_Rules))
                return COMMENT;
            m_nPos = m_nTokenEnd;
        }
    }

    // Starts on a piece; true when it is a script piece holding something,
    // which is one token.
    bool EnterPiece(const CScriptPiece& piece)
    {
        m_sPiece = m_sText.substr(0, piece.m_nStart + piece.m_nLength);
        m_nPos = piece.m_nStart;
        if (IsUnit(piece.m_nKind))
        {
            m_bUnitUntouched = true;
            return false;
        }
        m_nTokenEnd = m_sPiece.size();
        if (std::all_of(m_sPiece.begin() + m_nPos, m_sPiece.end(), IsWhitespace))
        {
            m_nPos = m_nTokenEnd;
            return false;
        }
        return true;
    }

    std::u16string_view m_sText;
    std::span<const CScriptPiece> m_aPieces;
    const CTokenCheckRules& m_Rules;
    size_t m_nNextPiece = 0;
    std::u16string_view m_sPiece; // the text up to the end of the piece read
    size_t m_nPos = 0;
    size_t m_nTokenEnd = 0;
};

// Whether the literal or quoted identifier at each cursor ends at the same
// distance with the same text; moves both past it.
bool SameExactly(CTokenCursor& a, CTokenCursor& b, size_t endA, size_t endB)
{
    const std::u16string_view x = a.Piece().substr(a.Pos(), endA - a.Pos());
    const std::u16string_view y = b.Piece().substr(b.Pos(), endB - b.Pos());
    a.MoveTo(endA);
    b.MoveTo(endB);
    return SameUnits(x, y);
}

// Four units (as LoadFourUnits reads them) that are all letters or other
// units from 'A' up that stand in words, and the same four with ASCII
// letters made lower case. Digits, '|' and the rare units from 0x8000 to
// 0x8040 are left to the unit-by-unit test.
bool FourWordUnits(uint64_t block)
{
    constexpr uint64_t kHigh = 0x8000800080008000u;
    const uint64_t fromA = ((block | kHigh) - FourTimes(u'A')) & kHigh;
    return fromA == kHigh && !ZeroUnits(block ^ FourTimes(u'|'));
}

uint64_t FoldFourUnits(uint64_t block)
{
    constexpr uint64_t kHigh = 0x8000800080008000u;
    const uint64_t fromA = ((block | kHigh) - FourTimes(u'A')) & kHigh;
    const uint64_t pastZ = ((block | kHigh) - FourTimes(u'Z' + 1)) & kHigh;
    const uint64_t upper = fromA & ~pastZ & ~block;
    return block | (upper >> 10); // the high bit of a unit becomes its 0x20
}

// Whether the word, delimiter, literal or quoted identifier at each cursor is
// the same; moves both past it. A word is compared as the two are read, and
// must end on both sides at once.
bool SameOther(CTokenCursor& a, CTokenCursor& b)
{
    const std::u16string_view x = a.Rest();
    const std::u16string_view y = b.Rest();
    const char16_t c = x[0];
    if (c == u'\'' || c == u'"')
    {
        if (y[0] != c)
            return false;
        const auto end = c == u'"' ? QuotedEnd : StringEnd;
        return SameExactly(a, b, end(a.Piece(), a.Pos()), end(b.Piece(), b.Pos()));
    }
    if (IsDelimiter(c))
    {
        a.MoveTo(a.Pos() + 1);
        b.MoveTo(b.Pos() + 1);
        return y[0] == c;
    }
    const size_t room = std::min(x.size(), y.size());
    size_t k = 0;
    for (; k + 4 <= room; k += 4)
    {
        const uint64_t p = LoadFourUnits(x.data() + k);
        if (!FourWordUnits(p) || FoldFourUnits(p) != FoldFourUnits(LoadFourUnits(y.data() + k)))
            break;
    }
    for (; k < room; ++k)
    {
        const char16_t p = x[k];
        const char16_t q = y[k];
        if (p == q)
        {
            if (!CTokenScanner::IsSplitWordChar(p))
                break;
            continue;
        }
        const bool inWord = CTokenScanner::IsSplitWordChar(p);
        if (inWord != CTokenScanner::IsSplitWordChar(q) || (inWord && FoldCase(p) != FoldCase(q)))
            return false;
        if (!inWord)
            break;
    }
    const auto wordGoesOn = [k](std::u16string_view s) { return k < s.size() && CTokenScanner::IsSplitWordChar(s[k]); };
    if (wordGoesOn(x) || wordGoesOn(y))
        return false;
    // N'...', Q'[...]' and NQ'[...]' are literals, prefix and all.
    const auto apostropheNext = [k](std::u16string_view s) { return k < s.size() && s[k] == u'\''; };
    if ((apostropheNext(x) || apostropheNext(y)) && IsStringPrefix(x.substr(0, k)))
    {
        if (!apostropheNext(x) || !apostropheNext(y))
            return false;
        const auto end = (x[k - 1] | 0x20) == u'q' ? QStringEnd : StringEnd;
        return SameExactly(a, b, end(a.Piece(), a.Pos() + k), end(b.Piece(), b.Pos() + k));
    }
    a.MoveTo(a.Pos() + k);
    b.MoveTo(b.Pos() + k);
    return true;
}

std::string Shorten(std::u16string_view text)
{
    constexpr size_t kMax = 40;
    std::u16string shown;
    for (char16_t c : text.substr(0, kMax))
        shown.push_back(c == u'\n' || c == u'\r' || c == u'\t' ? u' ' : c);
    std::string out = OptionUtf16ToUtf8(shown);
    if (text.size() > kMax)
        out += "...";
    return out;
}

} // namespace

std::string CTokenDifference::Describe() const
{
    if (m_nOutputLine == 0)
        return "line " + std::to_string(m_nInputLine) + ": `" + m_sInputToken +
               "` is missing from the result";
    if (m_nInputLine == 0)
        return "the result has `" + m_sOutputToken + "` (result line " +
               std::to_string(m_nOutputLine) + ") after the input's last token";
    return "line " + std::to_string(m_nInputLine) + ": `" + m_sInputToken + "` became `" +
           m_sOutputToken + "` (result line " + std::to_string(m_nOutputLine) + ")";
}

std::optional<CTokenDifference> CompareTokens(std::u16string_view input, std::u16string_view output,
                                              const CTokenCheckRules& rules)
{
    return CompareTokens(input, SplitScript(input), output, SplitScript(output), rules);
}

std::optional<CTokenDifference> CompareTokens(std::u16string_view input, std::span<const CScriptPiece> inputPieces,
                                              std::u16string_view output, std::span<const CScriptPiece> outputPieces,
                                              const CTokenCheckRules& rules)
{
    if (HaveSameTokens(input, inputPieces, output, outputPieces, rules))
        return std::nullopt;
    return FindTokenDifference(input, inputPieces, output, outputPieces, rules);
}

bool HaveSameTokens(std::u16string_view input, std::span<const CScriptPiece> inputPieces, std::u16string_view output,
                    std::span<const CScriptPiece> outputPieces, const CTokenCheckRules& rules)
{
    CTokenCursor a(input, inputPieces, rules);
    CTokenCursor b(output, outputPieces, rules);
    for (;;)
    {
        const CTokenCursor::Kind kind = a.Next();
        if (b.Next() != kind)
            return false;
        if (kind == CTokenCursor::END)
            return true;
        // A unit that came back as it was holds the same tokens: the rest of
        // it is skipped on both sides at once.
        if (kind != CTokenCursor::SCRIPT && a.m_bUnitUntouched && b.m_bUnitUntouched && SameUnits(a.Rest(), b.Rest()))
        {
            a.MoveTo(a.Piece().size());
            b.MoveTo(b.Piece().size());
            continue;
        }
        a.m_bUnitUntouched = b.m_bUnitUntouched = false;
        if (kind == CTokenCursor::OTHER)
        {
            if (!SameOther(a, b))
                return false;
            continue;
        }
        if (kind == CTokenCursor::SCRIPT ? !SameUnits(a.Token(), b.Token()) : !SameComment(a.Token(), b.Token()))
            return false;
        a.MoveTo(a.TokenEnd());
        b.MoveTo(b.TokenEnd());
    }
}

std::optional<CTokenDifference> FindTokenDifference(std::u16string_view input,
                                                    std::span<const CScriptPiece> inputPieces,
                                                    std::u16string_view output,
                                                    std::span<const CScriptPiece> outputPieces,
                                                    const CTokenCheckRules& rules)
{
    // The result's tokens are compared with the input's as both are scanned,
    // so neither text's tokens are held whole.
    CExpectedTokens expected(input, inputPieces, rules);
    std::optional<CTokenDifference> difference;
    int64_t index = 0;
    // Comments the options remove are left out of the result too: where the
    // writer falls back to copying tokens it keeps them, and that loses nothing.
    ScanNormalised(output, outputPieces, rules, [&](char16_t cls, std::u16string_view text, int32_t line,
                                                    std::u16string_view raw) {
        if (difference)
            return;
        if (!expected.TakeIfSame(cls, text))
        {
            difference.emplace();
            difference->m_nIndex = index;
            difference->m_nOutputLine = line;
            difference->m_sOutputToken = Shorten(raw);
        }
        ++index;
    });
    if (!difference && expected.AtEnd())
        return std::nullopt;
    if (!difference)
    {
        difference.emplace();
        difference->m_nIndex = index; // the result ended early
    }
    // Find the input's token at that index again, for its line and text.
    int64_t seen = 0;
    ScanNormalised(input, inputPieces, rules, [&](char16_t, std::u16string_view, int32_t line,
                                     std::u16string_view raw) {
        if (seen++ == difference->m_nIndex)
        {
            difference->m_nInputLine = line;
            difference->m_sInputToken = Shorten(raw);
        }
    });
    return difference;
}

} // namespace qmcli
