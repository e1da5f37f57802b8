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
            const bool hint = raw.size() >= 3 && raw[2] == u'+';
            if (rules.m_bCommentsRemoved && !(rules.m_bHintsKept && hint))
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
