// The tokenizer: chunks, comments, literals, quoted identifiers, words and
// delimiters with their lines and offsets.
#include "EngineTestHelpers.h"

#include <random>
#include <string>

namespace
{
struct TokenizeCase
{
    const char* name;
    std::string input;
    std::vector<TokenRow> expected;
};

class TokenizeAndSplitTest : public ::testing::TestWithParam<TokenizeCase>
{
};

TEST_P(TokenizeAndSplitTest, YieldsTokens)
{
    CSQLParser engine;
    TokenizeAndSplit(engine, U(GetParam().input));
    EXPECT_EQ(Rows(engine.m_aTokens), GetParam().expected);
}

// The one scan that Format and Capitalise run yields the same tokens.
TEST_P(TokenizeAndSplitTest, OneScanYieldsTokens)
{
    CSQLParser engine;
    TokenizeWords(engine, U(GetParam().input), engine.m_aTokens);
    EXPECT_EQ(Rows(engine.m_aTokens), GetParam().expected);
}

const TokenizeCase kTokenizeCases[] = {
    {"Words", "select a from b",
     {{TK_WORD, "select", 1}, {TK_WORD, "a", 8}, {TK_WORD, "from", 10}, {TK_WORD, "b", 15}}},
    {"Minus", "a-b", {{TK_WORD, "a", 1}, {TK_DELIMITER, "-", 2}, {TK_WORD, "b", 3}}},
    {"LineCommentAtEnd", "a--b", {{TK_WORD, "a", 1}, {TK_COMMENT, "--b", 2, 1, 1}}},
    {"AssignStaysApart", "x := 1",
     {{TK_WORD, "x", 1}, {TK_DELIMITER, ":", 3}, {TK_DELIMITER, "=", 4}, {TK_WORD, "1", 6}}},
    {"DecimalPoint", "1.5", {{TK_WORD, "1", 1}, {TK_DELIMITER, ".", 2}, {TK_WORD, "5", 3}}},
    {"Exponent", "1e5", {{TK_WORD, "1e5", 1}}},
    {"DoubledApostrophe", "'it''s' x", {{TK_STRING, "'it''s'", 1}, {TK_WORD, "x", 9}}},
    {"CommentRightAfterLiteral", "'a'--c", {{TK_STRING, "'a'", 1}, {TK_COMMENT, "--c", 4, 1, 1}}},
    {"SlashStarSlashEndsComment", "/*/ x */",
     {{TK_COMMENT, "/*/", 1}, {TK_WORD, "x", 5}, {TK_DELIMITER, "*", 7}, {TK_DELIMITER, "/", 8}}},
    {"LineCommentKeepsCrLf", "-- c\r\nx", {{TK_COMMENT, "-- c\r\n", 1, 1, 1}, {TK_WORD, "x", 7, 2}}},
    {"HintIsBlockComment", "/*+ hint */ a", {{TK_COMMENT, "/*+ hint */", 1}, {TK_WORD, "a", 13}}},
    {"UnterminatedLiteral", "select 'abc", {{TK_WORD, "select", 1}, {TK_STRING, "'abc", 8}}},
    {"UnterminatedBlockComment", "a/*b", {{TK_WORD, "a", 1}, {TK_COMMENT, "/*b", 2}}},
    {"UnterminatedQuoted", "\"abc", {{TK_QUOTED, "\"abc", 1}}},
    {"WhitespaceOnly", " \t\r\n ", {}},
    {"Empty", "", {}},
    {"LiteralClosedOnLastCharacter", "'a'", {{TK_STRING, "'a'", 1}}},
    {"LiteralThenWord", "'a'b", {{TK_STRING, "'a'", 1}, {TK_WORD, "b", 4}}},
    {"EmptyLiterals", "'''' ''", {{TK_STRING, "''''", 1}, {TK_STRING, "''", 6}}},
    {"SlashBeforeComment", "a//*c*/",
     {{TK_WORD, "a", 1}, {TK_DELIMITER, "/", 2}, {TK_COMMENT, "/*c*/", 3}}},
    {"EmptyBlockComment", "/**/x", {{TK_COMMENT, "/**/", 1}, {TK_WORD, "x", 5}}},
    {"QuotedIdentifier", "\"My Col\".x",
     {{TK_QUOTED, "\"My Col\"", 1}, {TK_DELIMITER, ".", 9}, {TK_WORD, "x", 10}}},
    {"QuotedInsideWord", "a\"b\"c", {{TK_WORD, "a", 1}, {TK_QUOTED, "\"b\"", 2}, {TK_WORD, "c", 5}}},
    {"LinesAfterBlockComment", "/* a\nb */\nselect",
     {{TK_COMMENT, "/* a\nb */", 1}, {TK_WORD, "select", 11, 3}}},
    {"LinesAfterLiteral", "'a\nb' c", {{TK_STRING, "'a\nb'", 1}, {TK_WORD, "c", 7, 2}}},
    {"NonAsciiAndOddCharactersAreWordCharacters", "straße\u00a0x#$@",
     {{TK_WORD, "straße\u00a0x#$@", 1}}},
    {"EveryDelimiter", ",.()-+=<>|;:!*/",
     {{TK_DELIMITER, ",", 1}, {TK_DELIMITER, ".", 2}, {TK_DELIMITER, "(", 3},
      {TK_DELIMITER, ")", 4}, {TK_DELIMITER, "-", 5}, {TK_DELIMITER, "+", 6},
      {TK_DELIMITER, "=", 7}, {TK_DELIMITER, "<", 8}, {TK_DELIMITER, ">", 9},
      {TK_DELIMITER, "|", 10}, {TK_DELIMITER, ";", 11}, {TK_DELIMITER, ":", 12},
      {TK_DELIMITER, "!", 13}, {TK_DELIMITER, "*", 14}, {TK_DELIMITER, "/", 15}}},
    // Prefixed literals are one string token with their prefix.
    {"NationalLiteral", "N'abc'", {{TK_STRING, "N'abc'", 1}}},
    {"QQuoteLiteral", "q'[x]'", {{TK_STRING, "q'[x]'", 1}}},
    {"QQuoteWithApostrophe", "q'[it's]' x", {{TK_STRING, "q'[it's]'", 1}, {TK_WORD, "x", 11}}},
    {"NationalQQuote", "nq'{a'b}'", {{TK_STRING, "nq'{a'b}'", 1}}},
    {"QQuoteAngle", "Q'<a'>'", {{TK_STRING, "Q'<a'>'", 1}}},
    {"QQuoteSameDelimiter", "Q'!a'b!'", {{TK_STRING, "Q'!a'b!'", 1}}},
    {"QQuoteOpenerDoesNotClose", "q'!'!'", {{TK_STRING, "q'!'!'", 1}}},
    {"QQuoteEmpty", "q'[]'x", {{TK_STRING, "q'[]'", 1}, {TK_WORD, "x", 6}}},
    {"QQuoteUnterminated", "q'[abc", {{TK_STRING, "q'[abc", 1}}},
    {"QQuoteNoDelimiter", "q'", {{TK_STRING, "q'", 1}}},
    {"QQuoteSpansLines", "q'[a\nb]' c", {{TK_STRING, "q'[a\nb]'", 1}, {TK_WORD, "c", 10, 2}}},
    {"PrefixAfterComma", "a,n'b''c'",
     {{TK_WORD, "a", 1}, {TK_DELIMITER, ",", 2}, {TK_STRING, "n'b''c'", 3}}},
    {"PrefixAfterDot", "x.q'(y)'", {{TK_WORD, "x", 1}, {TK_DELIMITER, ".", 2}, {TK_STRING, "q'(y)'", 3}}},
    {"TailOfLongerWordIsNoPrefix", "xn'abc'", {{TK_WORD, "xn", 1}, {TK_STRING, "'abc'", 3}}},
    {"TailQOfLongerWordIsNoPrefix", "anq'[x]'", {{TK_WORD, "anq", 1}, {TK_STRING, "'[x]'", 4}}},
    {"OtherLetterIsNoPrefix", "u'x'", {{TK_WORD, "u", 1}, {TK_STRING, "'x'", 2}}},
};

INSTANTIATE_TEST_SUITE_P(Tokenizer, TokenizeAndSplitTest, ::testing::ValuesIn(kTokenizeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Tokenize, ChunksKeepThePositionBeforeTheirFirstCharacter)
{
    CTokenList tokens;
    Tokenize(u"ab 'c' d", tokens);
    const std::vector<TokenRow> expected = {
        {TK_WORD, "ab ", 0}, {TK_STRING, "'c'", 4}, {TK_WORD, " d", 6}};
    EXPECT_EQ(Rows(tokens), expected);
}

TEST(Tokenize, TextsViewTheListsOwnCopyOfTheInput)
{
    CTokenList tokens;
    {
        std::u16string input = u"select 'x' from dual";
        Tokenize(input, tokens);
        input.assign(input.size(), u'#');
    }
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[1].m_sText, u"'x'");
    EXPECT_EQ(tokens[1].m_sText.data(), tokens.Text().data() + 7);
}

TEST(Tokenize, EveryCharacterIsInOneTokenOrIsWhitespace)
{
    const std::u16string input =
        u"select /* c */ a||'x''y' \"Q\"--z\r\n from t where b<>:v and q'[it's]' = n'\u00e9'";
    CSQLParser engine;
    TokenizeAndSplit(engine, input);
    std::u16string rebuilt(input.size(), u' ');
    for (const CBaseToken& t : engine.m_aTokens)
        rebuilt.replace(static_cast<size_t>(t.m_nOffset) - 1, t.m_sText.size(), t.m_sText);
    for (size_t i = 0; i < input.size(); ++i)
    {
        if (rebuilt[i] != input[i])
        {
            EXPECT_TRUE(input[i] == u' ' || input[i] == u'\n' || input[i] == u'\r' || input[i] == u'\t')
                << "character " << i;
        }
    }
}

TEST(Tokenize, LongLiteralIsOneToken)
{
    std::u16string input = u"x '";
    for (int i = 0; i < 200000; ++i)
        input += u"ab''\n";
    input += u"' y";
    CSQLParser engine;
    TokenizeAndSplit(engine, input);
    ASSERT_EQ(engine.m_aTokens.size(), 3u);
    EXPECT_EQ(engine.m_aTokens[1].m_nKind, TK_STRING);
    EXPECT_EQ(engine.m_aTokens[1].m_sText.size(), input.size() - 4);
    EXPECT_EQ(engine.m_aTokens[2].m_nLine, 200001);
}
// Tokenize counts the pieces of its chunks on the way so that SplitWords can
// size its array once; the count may be too high but never too low.
TEST(Tokenize, PieceBoundCoversWhatSplitWordsCuts)
{
    const char* const texts[] = {
        "select a, b from t",
        "a--b\nc/*d*/e",
        "x'y'z \"q\"w n'v' nq'[u]' tt",
        "a.b(c)+d=e<f>g|h/i*j;k:l!m",
        "\u00e9t\u00e9 x\u00a0y",
        "  \n\t ",
        "-/*/ */-",
    };
    for (const char* text : texts)
    {
        CSQLParser engine;
        Tokenize(U(text), engine.m_aTokens);
        const size_t bound = engine.m_aTokens.m_nPieceBound;
        size_t others = 0;
        for (const CBaseToken& t : engine.m_aTokens)
            others += t.m_nKind != TK_WORD;
        SplitWords(engine, engine.m_aTokens);
        size_t pieces = 0;
        for (const CBaseToken& t : engine.m_aTokens)
            pieces += t.m_nKind == TK_WORD || t.m_nKind == TK_DELIMITER;
        EXPECT_GE(bound, pieces) << text;
        EXPECT_LE(bound, pieces + 4) << text; // comment openers are counted too
        EXPECT_EQ(engine.m_aTokens.size(), pieces + others) << text;
    }
}
// The one scan finds its words' ends and comments' openings otherwise than
// the two steps, so it is checked against them on random text made of the
// characters that matter, and with a delimiter set of its own.
TEST(TokenizeWords, EqualsTokenizeThenSplitWords)
{
    const char* const pieces[] = {"'", "\"", "-", "/", "*", "\n", "\r", " ", "\t", "n", "N", "q", "Q", "x",
                                  "\u00e9", "(", ")", ",", ".", "|", ":", "=", "[", "]", "<", ">", "!", ";", "a1"};
    std::mt19937 rng(12);
    for (const char16_t* delimiters : {u",.()-+=<>|/*;:!", u",()+=x"})
    {
        CSQLParser engine;
        engine.m_sDelimiters = delimiters;
        for (int round = 0; round < 20000; ++round)
        {
            std::string text;
            for (size_t n = rng() % 24; n > 0; --n)
                text += pieces[rng() % std::size(pieces)];
            CTokenList expected;
            Tokenize(U(text), expected);
            SplitWords(engine, expected);
            CTokenList actual;
            TokenizeWords(engine, U(text), actual);
            ASSERT_EQ(Rows(actual), Rows(expected)) << "text: " << text;
        }
    }
}
} // namespace
