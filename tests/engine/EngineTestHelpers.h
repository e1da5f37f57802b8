// Shared helpers of the engine's tests: token lists written as comparable rows,
// and UTF-8 spellings of the engine's UTF-16 texts.
#pragma once

#include "SQLParser.h"
#include "TestUtf.h"
#include "Tokenizer.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

inline std::u16string U(std::string_view utf8) { return Utf8ToUtf16(utf8); }
inline std::string N(std::u16string_view utf16) { return Utf16ToUtf8(utf16); }

// One token as the tests spell it.
struct TokenRow
{
    int kind;
    std::string text;
    int offset;
    int line = 1;
    int code = 0;

    bool operator==(const TokenRow&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const TokenRow& row)
{
    return os << "{kind " << row.kind << ", \"" << row.text << "\", offset " << row.offset
              << ", line " << row.line << ", code " << row.code << "}";
}

inline std::vector<TokenRow> Rows(const CTokenList& tokens)
{
    std::vector<TokenRow> rows;
    for (const CBaseToken& t : tokens)
    {
        EXPECT_EQ(t.m_nLength, static_cast<int>(t.m_sText.size())) << N(t.m_sText);
        rows.push_back({t.m_nKind, N(t.m_sText), t.m_nOffset, t.m_nLine, t.m_nCode});
    }
    return rows;
}

// The kinds and texts only, for cases where positions are beside the point.
struct KindText
{
    int kind;
    std::string text;
    bool operator==(const KindText&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const KindText& row)
{
    return os << "{kind " << row.kind << ", \"" << row.text << "\"}";
}

inline std::vector<KindText> KindTexts(const CTokenList& tokens)
{
    std::vector<KindText> rows;
    for (const CBaseToken& t : tokens)
        rows.push_back({t.m_nKind, N(t.m_sText)});
    return rows;
}

// Tokenize and SplitWords, as every run starts.
inline void TokenizeAndSplit(const CSQLParser& engine, CTokenList& tokens, std::u16string_view text)
{
    Tokenize(text, tokens);
    SplitWords(engine, tokens);
}
inline void TokenizeAndSplit(CSQLParser& engine, std::u16string_view text)
{
    TokenizeAndSplit(engine, engine.m_aTokens, text);
}
