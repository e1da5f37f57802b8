// Format of random token soup under random option values, in and out of
// their value lists: it always finishes and keeps every token in order.
#include "LayoutTestSupport.h"

#include <random>
#include <vector>

using namespace layout_test;

namespace
{

const char* const kFragments[] = {
    "select", "distinct", "from", "where", "and", "or", "group", "order", "by", "having", "union", "minus",
    "intersect", "with", "as", "insert", "into", "values", "update", "set", "delete", "merge", "case", "when",
    "then", "else", "end", "between", "connect", "prior", "start", "left", "outer", "join", "on", "bulk", "begin",
    "(", ")", "(", ")", ",", ",", ".", ";", "||", "=", "<=", "-", "/", "*", ":x", "t", "a1", "f", "123", "'s''t'",
    "'multi\nline'", "\"Quoted\"", "/* c */", "/*+ hint */", "-- line\n", "--+ h\n", "\n", "\n", "\t", "/*\n two\n */",
};

int Pick(std::mt19937& rng, std::initializer_list<int> values)
{
    std::uniform_int_distribution<size_t> d(0, values.size() - 1);
    return *(values.begin() + d(rng));
}

void RandomOptions(std::mt19937& rng, COptions& o)
{
    o.m_Alignment.m_bRight = rng() % 2;
    o.m_Parentheses.m_nSpace = Pick(rng, {0, 1, 2, 3, 4, -1});
    o.m_Commas.m_nSpace = Pick(rng, {1, 2, 3, 0, 7});
    o.m_Commas.m_nListComma = Pick(rng, {0, 1, 2, 3, -2});
    o.m_Commas.m_nListCommaCorrection = Pick(rng, {0, 2, -3, 5000});
    o.m_Commas.m_nStackedWrappedLength = Pick(rng, {50, 0, 5, 1000000});
    o.m_Commas.m_nRightMarginLength = Pick(rng, {100, 0, 20});
    o.m_Select.m_nColumnListComma = Pick(rng, {0, 1, 2, 9});
    o.m_Select.m_nFromListComma = Pick(rng, {0, 1, 2, -1});
    o.m_Select.m_nGroupByListComma = Pick(rng, {0, 1, 2});
    o.m_Select.m_nOrderByListComma = Pick(rng, {0, 1, 2});
    o.m_Select.m_nWithListComma = Pick(rng, {0, 1, 2, 3});
    o.m_Select.m_nAlignColumnListCorrection = Pick(rng, {0, 3, -7, 2000000000});
    o.m_Select.m_nAlignWithListCorrection = Pick(rng, {0, 1});
    o.m_Select.m_bAlignColumnsAfterDistinct = rng() % 2;
    o.m_Select.m_bSelectColumnListStyle = rng() % 2;
    o.m_Select.m_bFromClauseStyle = rng() % 2;
    o.m_Select.m_bNewLineBeforeAsKeyword = rng() % 2;
    o.m_Case.m_bCaseWhenThenInSameLine = rng() % 2;
    o.m_Case.m_nIdentCaseFromSwitch = Pick(rng, {2, 0, -4, 2147483647});
    o.m_Case.m_nIdentThenFromWhen = Pick(rng, {0, 3, 2147483647});
    o.m_Comments.m_bRemoveComments = rng() % 4 == 0;
    o.m_Comments.m_bDontRemoveHints = rng() % 2;
    o.m_Comments.m_bCommentsOnNewLineBefore = rng() % 2;
    o.m_Comments.m_bCommentsOnNewLineAfter = rng() % 2;
    o.m_Comments.m_bCommentsOnNewLineLikeInInputSQL = rng() % 2;
}

TEST(RandomInputTest, FormatKeepsTokensUnderAnyOptions)
{
    std::mt19937 rng(20261209);
    std::uniform_int_distribution<size_t> fragment(0, std::size(kFragments) - 1);
    std::uniform_int_distribution<int> length(0, 120);
    for (int round = 0; round < 400; ++round)
    {
        std::string input;
        for (int n = length(rng); n > 0; --n)
        {
            input += kFragments[fragment(rng)];
            input += rng() % 3 ? " " : "";
        }
        COptions options;
        RandomOptions(rng, options);
        const std::u16string text = Wide(input);
        const std::u16string output = ::Format(text, options, MODE_FORMAT).m_sText;
        EXPECT_TRUE(KeepsTokensInOrder(options, text, output)) << "round " << round << ", input: " << input;
    }
}

// Format takes the lines of its output that begin inside a literal from the
// writer, which scans each text it writes on its own: that must find what a
// scan of the whole output finds. The soup adds the characters that open or
// close literals and comments next to words and delimiters.
TEST(RandomInputTest, WriterFindsTheLinesInsideLiteralsOfItsOutput)
{
    const char* const extras[] = {"'", "\"", "n", "q", "nq'[", "]'", "--", "/*", "*/", "-", "/", "*", "'a\n\nb'",
                                  ":'x\n'", "n'p\nq'", "\"i\n d\"", "-- it's\n", "/* 'x\n */", "'unclosed\n"};
    std::mt19937 rng(404);
    std::uniform_int_distribution<size_t> fragment(0, std::size(kFragments) + std::size(extras) - 1);
    for (int round = 0; round < 3000; ++round)
    {
        std::string input;
        for (int n = static_cast<int>(rng() % 60); n > 0; --n)
        {
            const size_t k = fragment(rng);
            input += k < std::size(kFragments) ? kFragments[k] : extras[k - std::size(kFragments)];
            input += rng() % 3 ? " " : "";
        }
        CSQLParser engine;
        RandomOptions(rng, engine.m_Options);
        if (rng() % 2)
            engine.m_sNewLine = u"\r\n";
        engine.m_sInput = Wide(input);
        Tokenize(engine.m_sInput, engine.m_aTokens);
        SplitWords(engine, engine.m_aTokens);
        Analyse(engine, engine.m_aTokens, true);
        std::u16string output;
        std::vector<int32_t> literalLines;
        WriteLayout(engine, engine.m_aTokens, output, &literalLines);
        ASSERT_EQ(literalLines, LinesInsideLiterals(output)) << "round " << round << ", input: " << input;
    }
}

} // namespace
