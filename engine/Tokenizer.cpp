#include "Tokenizer.h"

#include "SQLParser.h"

#include <array>
#include <utility>

void AddToken(CTokenList& tokens, std::u16string_view text, int32_t kind, int32_t code,
              CTextPosition position)
{
    CBaseToken token;
    token.m_nKind = kind;
    token.m_nCode = code;
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
    CTokenScanner::Scan(text, [&](int32_t kind, int32_t code, size_t start, size_t length,
                                  CTextPosition position) {
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

// How many tokens a chunk yields, so that the new array is allocated once.
size_t CountPieces(std::u16string_view chunk, const CSplitClasses& classes)
{
    size_t count = 0;
    bool inWord = false;
    for (char16_t c : chunk)
    {
        const uint8_t cls = classes.Of(c);
        if (cls == CC_WORD)
        {
            count += !inWord;
            inWord = true;
        }
        else
        {
            count += cls == CC_DELIMITER;
            inWord = false;
        }
    }
    return count;
}

void CutChunk(const CBaseToken& chunk, const CSplitClasses& classes, CTokenList& tokens,
              std::vector<CBaseToken>& out)
{
    const std::u16string_view text = chunk.m_sText;
    const size_t base = static_cast<size_t>(chunk.m_nOffset); // 0-based index of text[0]
    int32_t line = chunk.m_nLine;
    size_t wordStart = 0;
    CTextPosition wordPos;
    bool inWord = false;

    auto emitWord = [&](size_t end) {
        CBaseToken word;
        word.m_nKind = TK_WORD;
        word.m_nLength = static_cast<int32_t>(end - wordStart);
        word.m_sText = tokens.Slice(base + wordStart, end - wordStart);
        word.m_nLine = wordPos.m_nLine;
        word.m_nOffset = wordPos.m_nOffset;
        out.push_back(word);
        inWord = false;
    };

    for (size_t j = 0; j < text.size(); ++j)
    {
        const char16_t c = text[j];
        const uint8_t cls = classes.Of(c);
        if (cls == CC_WORD)
        {
            if (!inWord)
            {
                inWord = true;
                wordStart = j;
                wordPos.m_nLine = line;
                wordPos.m_nOffset = static_cast<int32_t>(base + j + 1);
            }
            continue;
        }
        if (inWord)
            emitWord(j);
        if (c == u'\n')
            ++line;
        if (cls == CC_DELIMITER)
        {
            CBaseToken delimiter;
            delimiter.m_nKind = TK_DELIMITER;
            delimiter.m_nLength = 1;
            delimiter.m_sText = tokens.Slice(base + j, 1);
            delimiter.m_nLine = line;
            delimiter.m_nOffset = static_cast<int32_t>(base + j + 1);
            out.push_back(delimiter);
        }
    }
    if (inWord)
        emitWord(text.size());
}
} // namespace

void SplitWords(const CSQLParser& engine, CTokenList& tokens)
{
    const CSplitClasses classes(engine.m_sDelimiters);

    size_t total = 0;
    for (const CBaseToken& token : tokens)
        total += token.m_nKind == TK_WORD ? CountPieces(token.m_sText, classes) : 1;

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
}
