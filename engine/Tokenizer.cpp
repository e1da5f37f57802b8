#include "Tokenizer.h"

#include <array>
#include <utility>

void AddToken(CTokenList& tokens, std::u16string_view text, int32_t kind, int32_t code,
              CTextPosition position)
{
    CBaseToken token;
    token.m_nKind = static_cast<int16_t>(kind);
    token.m_nCode = static_cast<int16_t>(code);
    token.m_nLength = static_cast<int32_t>(text.size());
    token.m_sText = text;
    token.m_nLine = position.m_nLine;
    token.m_nOffset = position.m_nOffset;
    tokens.push_back(token);
}

void Tokenize(std::u16string_view input, CTokenList& tokens)
{
    if (input.data() != tokens.Text().data() || input.size() != tokens.Text().size())
        tokens.Reset(input);
    else
        tokens.m_aTokens.clear();

    const std::u16string& text = tokens.Text();
    // A chunk's position is the one before its first character, from which
    // SplitWords counts; every other token's is that of its first character.
    tokens.m_nPieceBound = CTokenScanner::ScanCounting<true>(
        text, [&](int32_t kind, int32_t code, size_t start, size_t length, CTextPosition position) {
            AddToken(tokens, tokens.Slice(start, length), kind, code, position);
        });
}

namespace
{
enum CharClass : uint8_t { CC_WORD = 0, CC_SPACE = 1, CC_DELIMITER = 2 };

// Classes of the ASCII characters; other characters are word characters unless
// the delimiter set names them.
struct CSplitClasses
{
    explicit CSplitClasses(std::u16string_view delimiters) : m_sDelimiters(delimiters)
    {
        m_aAscii.fill(CC_WORD);
        for (char16_t c : {u' ', u'\n', u'\r', u'\t'})
            m_aAscii[c] = CC_SPACE;
        for (char16_t c : delimiters)
        {
            if (c < 128)
                m_aAscii[c] = CC_DELIMITER;
            else
                m_bWideDelimiters = true;
        }
    }
    uint8_t Of(char16_t c) const
    {
        if (c < 128)
            return m_aAscii[c];
        return m_bWideDelimiters && m_sDelimiters.find(c) != std::u16string_view::npos
                   ? CC_DELIMITER
                   : CC_WORD;
    }

    std::array<uint8_t, 128> m_aAscii;
    std::u16string_view m_sDelimiters;
    bool m_bWideDelimiters = false;
};

// Walks a chunk as runs: whitespace, one delimiter, or a word. Calls
// onDelimiter(index, line) and onWord(begin, end, line) with 0-based indices
// into the chunk and the line the piece starts on.
template <class OnDelimiter, class OnWord>
void WalkChunk(std::u16string_view text, int32_t line, const CSplitClasses& classes,
               OnDelimiter&& onDelimiter, OnWord&& onWord)
{
    const size_t n = text.size();
    size_t j = 0;
    while (j < n)
    {
        const char16_t c = text[j];
        const uint8_t cls = classes.Of(c);
        if (cls == CC_SPACE)
        {
            line += c == u'\n';
            ++j;
        }
        else if (cls == CC_DELIMITER)
        {
            line += c == u'\n';
            onDelimiter(j, line);
            ++j;
        }
        else
        {
            const size_t begin = j++;
            while (j < n && classes.Of(text[j]) == CC_WORD)
                ++j;
            onWord(begin, j, line);
        }
    }
}

// How many tokens a chunk yields, so that the new array is allocated once.
size_t CountPieces(std::u16string_view chunk, const CSplitClasses& classes)
{
    size_t count = 0;
    WalkChunk(
        chunk, 1, classes, [&](size_t, int32_t) { ++count; },
        [&](size_t, size_t, int32_t) { ++count; });
    return count;
}

void CutChunk(const CBaseToken& chunk, const CSplitClasses& classes, CTokenList& tokens,
              std::vector<CBaseToken>& out)
{
    // A chunk's offset is the 0-based index of its first character.
    const size_t base = static_cast<size_t>(chunk.m_nOffset);
    const char16_t* text = tokens.Text().data() + base;
    auto make = [&](int32_t kind, size_t begin, size_t end, int32_t line) {
        CBaseToken& token = out.emplace_back();
        token.m_nKind = static_cast<int16_t>(kind);
        token.m_nLength = static_cast<int32_t>(end - begin);
        token.m_sText = std::u16string_view(text + begin, end - begin);
        token.m_nLine = line;
        token.m_nOffset = static_cast<int32_t>(base + begin + 1);
    };
    WalkChunk(
        chunk.m_sText, chunk.m_nLine, classes,
        [&](size_t at, int32_t line) { make(TK_DELIMITER, at, at + 1, line); },
        [&](size_t begin, size_t end, int32_t line) { make(TK_WORD, begin, end, line); });
}
} // namespace

void SplitWords(std::u16string_view delimiters, CTokenList& tokens)
{
    const CSplitClasses classes(delimiters);

    // The tokenizer counted the pieces on its way when the delimiter set is the
    // standard one; otherwise they are counted here.
    const bool counted = tokens.m_nPieceBound != CTokenList::kNoBound &&
                         delimiters == CTokenScanner::kStandardDelimiters;
    size_t total = counted ? tokens.m_nPieceBound : 0;
    for (const CBaseToken& token : tokens)
        total += token.m_nKind != TK_WORD ? 1 : counted ? 0 : CountPieces(token.m_sText, classes);

    std::vector<CBaseToken> out;
    out.reserve(total);
    for (const CBaseToken& token : tokens)
    {
        if (token.m_nKind == TK_WORD)
            CutChunk(token, classes, tokens, out);
        else
            out.push_back(token);
    }
    tokens.m_aTokens = std::move(out);
    tokens.m_nPieceBound = CTokenList::kNoBound;
}

void TokenizeWords(std::u16string_view delimiters, std::u16string_view input, CTokenList& tokens)
{
    // The scan cuts words by the standard delimiter set.
    if (delimiters != CTokenScanner::kStandardDelimiters)
    {
        Tokenize(input, tokens);
        SplitWords(delimiters, tokens);
        return;
    }
    if (input.data() != tokens.Text().data() || input.size() != tokens.Text().size())
        tokens.Reset(input);
    else
        tokens.m_aTokens.clear();
    tokens.m_nPieceBound = CTokenList::kNoBound;

    // SQL averages about one token to ten characters: room for one to eight
    // rarely needs to grow, and untouched room costs no memory.
    const std::u16string& text = tokens.Text();
    tokens.reserve(text.size() / 8 + 16);
    CTokenScanner::ScanCounting<false, true>(
        text, [&](int32_t kind, int32_t code, size_t start, size_t length, CTextPosition position) {
            AddToken(tokens, tokens.Slice(start, length), kind, code, position);
        });
}
