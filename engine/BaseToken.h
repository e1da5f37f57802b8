// The token model: one record per word, delimiter, comment, string literal or
// quoted identifier of the input, in text order, with no whitespace tokens.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

enum TokenKind
{
    TK_WORD = 0,
    TK_KEYWORD = 1,
    TK_DELIMITER = 2,
    TK_NUMBER = 3,
    TK_COMMENT = 4,
    TK_STRING = 5,
    TK_DATATYPE = 6,
    TK_QUOTED = 10,
    TK_FUNCTION = 11,
    TK_STDFUNCTION = 13,
    TK_CONCAT = 15,
    TK_BINDVAR = 16,
    TK_ASSIGN = 17,
    TK_COMPARE = 18,
};

// A token does not own its text: m_sText views storage held by the token list
// (a working copy of the input that capitalisation rewrites in place, or the
// list's pool for texts that do not stand contiguously in the input).
//
// Kind and code take 16 bits each (their values are small), so that a token
// fills 32 bytes: token lists of large inputs are the engine's biggest memory.
struct CBaseToken
{
    int16_t m_nKind = TK_WORD;
    int16_t m_nCode = 0;   // recognised-word code; 1/0 for line/block comments
    int32_t m_nLength = 0; // UTF-16 units of m_sText
    int32_t m_nLine = 1;   // 1-based; lines counted by line feeds
    int32_t m_nOffset = 0; // 1-based index of the first character in the input
    std::u16string_view m_sText;
};
static_assert(sizeof(CBaseToken) <= 32);

// The engine's token array together with the storage its tokens' texts live in.
class CTokenList
{
public:
    using iterator = std::vector<CBaseToken>::iterator;
    using const_iterator = std::vector<CBaseToken>::const_iterator;

    // Empties the list and takes a working copy of the input for the texts.
    void Reset(std::u16string_view input)
    {
        m_aTokens.clear();
        m_aPool.clear();
        m_sText.assign(input.begin(), input.end());
        m_nPieceBound = kNoBound;
    }
    void Clear()
    {
        m_aTokens.clear();
        m_aPool.clear();
        m_sText.clear();
        m_sText.shrink_to_fit();
        m_nPieceBound = kNoBound;
    }

    // The working copy of the input; token texts view into it.
    const std::u16string& Text() const { return m_sText; }
    // A text of the input at [start, start + length) (0-based), as stored here.
    std::u16string_view Slice(size_t start, size_t length) const
    {
        return std::u16string_view(m_sText).substr(start, length);
    }
    // Keeps a text that does not stand contiguously in the input; the view stays
    // valid until the list is reset.
    std::u16string_view Keep(std::u16string text)
    {
        m_aPool.push_back(std::move(text));
        return m_aPool.back();
    }
    // Writable characters of a token's text (case changes keep lengths).
    char16_t* MutableText(const CBaseToken& token)
    {
        return const_cast<char16_t*>(token.m_sText.data());
    }

    size_t size() const { return m_aTokens.size(); }
    bool empty() const { return m_aTokens.empty(); }
    CBaseToken& operator[](size_t i) { return m_aTokens[i]; }
    const CBaseToken& operator[](size_t i) const { return m_aTokens[i]; }
    iterator begin() { return m_aTokens.begin(); }
    iterator end() { return m_aTokens.end(); }
    const_iterator begin() const { return m_aTokens.begin(); }
    const_iterator end() const { return m_aTokens.end(); }
    void push_back(const CBaseToken& t) { m_aTokens.push_back(t); }
    void reserve(size_t n) { m_aTokens.reserve(n); }
    // Room for the tokens of texts up to the given length and for their
    // working copy, taken once: grown unit by unit, every larger unit would
    // leave the smaller arrays behind as freed memory that its own, larger
    // arrays cannot reuse. Room never written to costs no memory.
    void ReserveFor(size_t length)
    {
        m_sText.reserve(length);
        m_aTokens.reserve(length / 3 + 16);
    }

    std::vector<CBaseToken> m_aTokens;

    // Set by Tokenize: at least as many words and delimiters as SplitWords will
    // cut from the chunks (with the standard delimiter set), so that it sizes
    // its array without counting again. Only a hint for the allocation.
    static constexpr size_t kNoBound = static_cast<size_t>(-1);
    size_t m_nPieceBound = kNoBound;

private:
    std::u16string m_sText;
    std::deque<std::u16string> m_aPool; // deque: elements never move
};
