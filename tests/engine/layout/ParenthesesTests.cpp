// The writer's core: separators, parenthesised groups (wrapped or stacked),
// unmatched parentheses, the output position, group measuring and depth.
#include "LayoutTestSupport.h"

#include "LayoutRules.h"
#include "TextFunc.h"
#include "Tokenizer.h"

using namespace layout_test;

namespace
{

// Where two long texts first differ, for a readable failure.
std::string FirstDifference(const std::string& actual, const std::string& expected)
{
    size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i])
        ++i;
    if (i == actual.size() && i == expected.size())
        return {};
    return "first difference at " + std::to_string(i) + ": actual \"" + actual.substr(i, 40) + "\", expected \"" +
           expected.substr(i, 40) + "\"";
}

Setup ParenSpace(int value)
{
    return [value](COptions& o) { o.m_Parentheses.m_nSpace = value; };
}

class WriterCoreTest : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(WriterCoreTest, LaysOut)
{
    ExpectLayout(GetParam().input, GetParam().expected, GetParam().setup);
}

// A call whose group holds 55 characters of tokens: stacked.
const std::string kLongArgs = "f(aaaaaaaaaa, bbbbbbbbbb, cccccccccc, dddddddddd, eeeeeeeeee)";

INSTANTIATE_TEST_SUITE_P(
    Groups, WriterCoreTest,
    ::testing::Values(
        FormatCase{"CompactParens", "f(a)", "f(a)", ParenSpace(0)},
        FormatCase{"SpaceBefore", "f(a)", "f (a)", ParenSpace(1)},
        FormatCase{"SpaceInside", "f(a)", "f( a )", ParenSpace(2)},
        FormatCase{"SpaceBeforeAndInside", "f(a)", "f ( a )", ParenSpace(3)},
        FormatCase{"NestedSpaceInside", "((a))", " ( ( a ) )", ParenSpace(2)},
        FormatCase{"NestedSpaceBefore", "((a))", "((a))", ParenSpace(1)},
        FormatCase{"OutOfRangeSpacingActsPlain", "f(a)", "f (a)", ParenSpace(7)},
        FormatCase{"OutOfRangeSpacingFirstToken", "(a)", "(a)", ParenSpace(-1)},
        FormatCase{"EmptyGroup", "f()", "f ()", {}},
        FormatCase{"NeverClosed", "(a", "(a", {}},
        FormatCase{"NeverClosedNested", "f((a, b", "f ((a, b", {}},
        FormatCase{"UnmatchedCloseCopiesRest", "a) b c", "a) b c", {}},
        FormatCase{"UnmatchedCloseFirst", ") a b", ") a b", {}},
        FormatCase{"UnmatchedCloseSkipsRules", "x) select a, b from t", "x) SELECT a , b FROM t", {}},
        FormatCase{"UnmatchedCloseSpaced", "a) b", "a ) b", ParenSpace(3)},
        FormatCase{"PlainTokensSpaced", "x=-1", "x = - 1", {}},
        FormatCase{"Operators", "a+b", "a + b", {}},
        FormatCase{"CountStar", "count(*)", "COUNT (*)", {}},
        FormatCase{"DotsJoinNames", "owner.t.col", "owner.t.col", {}},
        FormatCase{"DotJoinsNumbers", "1.5", "1.5", {}},
        FormatCase{"SlashHasNoRule", "a/b", "a / b", {}},
        FormatCase{"WrappedArgs", "select f(a, b) from t", Lines({"SELECT f (a, b)", "  FROM t"}), {}},
        FormatCase{"StackedArgsAtTopLevel", kLongArgs,
                   Lines({"f (aaaaaaaaaa,", "    bbbbbbbbbb,", "    cccccccccc,", "    dddddddddd,", "    eeeeeeeeee)"}),
                   {}},
        FormatCase{"StackedArgsCompact", kLongArgs,
                   Lines({"f(aaaaaaaaaa,", "  bbbbbbbbbb,", "  cccccccccc,", "  dddddddddd,", "  eeeeeeeeee)"}),
                   ParenSpace(0)},
        FormatCase{"StackedArgsBeforeAndInside", kLongArgs,
                   Lines({"f ( aaaaaaaaaa,", "     bbbbbbbbbb,", "     cccccccccc,", "     dddddddddd,",
                          "     eeeeeeeeee )"}),
                   ParenSpace(3)},
        FormatCase{"ShortLengthOptionStacks", "f(a, b)", Lines({"f (a,", "    b)"}),
                   [](COptions& o) { o.m_Commas.m_nStackedWrappedLength = 4; }},
        FormatCase{"LengthJustBelowOptionWraps", "f(a, b)", "f (a, b)",
                   [](COptions& o) { o.m_Commas.m_nStackedWrappedLength = 5; }},
        FormatCase{"RightMarginStacks", "xxxxxxxxxx f(a, b)", Lines({"xxxxxxxxxx f (a,", std::string(15, ' ') + "b)"}),
                   [](COptions& o) { o.m_Commas.m_nRightMarginLength = 12; }},
        FormatCase{"LeftOfRightMarginWraps", "xxxxxxxxxx f(a, b)", "xxxxxxxxxx f (a, b)",
                   [](COptions& o) { o.m_Commas.m_nRightMarginLength = 13; }},
        FormatCase{"BeforeCommaWithSpaceFirstToken", "a, b", Lines({" a", ", b"}),
                   [](COptions& o) { o.m_Commas.m_nListComma = 2; }},
        FormatCase{"BeforeCommaWithSpaceStackedGroup", kLongArgs,
                   Lines({" f ( aaaaaaaaaa", "    , bbbbbbbbbb", "    , cccccccccc", "    , dddddddddd",
                          "    , eeeeeeeeee)"}),
                   [](COptions& o) { o.m_Commas.m_nListComma = 2; }},
        FormatCase{"BeforeCommaWrappedGroupNoExtraSpace", "f(a, b)", " f (a, b)",
                   [](COptions& o) { o.m_Commas.m_nListComma = 2; }},
        FormatCase{"LevelAnchorFromLeadingGroup", "(a) b, c", Lines({"(a) b,", "   c"}), {}},
        FormatCase{"LevelAnchorFromLeadingGroupCompact", "(a) b, c", Lines({"(a) b,", "  c"}), ParenSpace(0)},
        FormatCase{"GroupLineFeedMovesColumn", "select (select a, b from t) x, y from u",
                   Lines({"SELECT (SELECT a", "              ,b", "          FROM t) x", "      ,y", "  FROM u"}),
                   {}}),
    CaseName);

// A group of exactly 49 characters of tokens (closing parenthesis included) is
// wrapped; one of 50 is stacked.
TEST(WriterCoreTest, StackedWrappedBoundary)
{
    const std::string word47(47, 'w');
    ExpectLayout("f(" + word47 + ", a)", "f (" + word47 + ",\n    a)"); // 47+1+1+1 = 50
    const std::string word46(46, 'w');
    ExpectLayout("f(" + word46 + ", a)", "f (" + word46 + ", a)"); // 49
}

// A short group that opens at column 100 or further right is stacked.
TEST(WriterCoreTest, RightMarginBoundary)
{
    const std::string opensAt99(97, 'x'); // " f" ends at column 99
    ExpectLayout(opensAt99 + " f(a, b)", opensAt99 + " f (a, b)");
    const std::string opensAt100(98, 'x');
    ExpectLayout(opensAt100 + " f(a, b)", opensAt100 + " f (a,\n" + std::string(103, ' ') + "b)");
}

TEST(WriterCoreTest, EmptyTokenListGivesEmptyOutput)
{
    CSQLParser engine;
    std::u16string output = u"old";
    WriteLayout(engine, engine.m_aTokens, output);
    EXPECT_EQ(output, u"");
}

// The writer's indentation is Blanks without the allocation: same bounds.
TEST(WriterCoreTest, BlankRunIsBlanks)
{
    for (int64_t count : {int64_t(-5), int64_t(0), int64_t(1), int64_t(7), int64_t(999), int64_t(1000), int64_t(1001),
                          int64_t(1) << 40})
        EXPECT_EQ(std::u16string(BlankRun(count)), Blanks(count)) << count;
}

struct EmitCase
{
    const char* name;
    int startColumn;
    std::u16string prefix, text, suffix;
    int column;
};

TEST(WriterCoreTest, EmitAdvancesOverEveryCharacter)
{
    const EmitCase cases[] = {
        {"Plain", 3, u" ", u"abc", u"", 7},
        {"LineFeedInText", 5, u"", u"ab\ncd", u"", 2},
        {"LineFeedInPrefix", 9, u"\n", u"  ", u"x", 3},
        {"LineFeedAtEnd", 4, u"", u"-- c\n", u"", 0},
        {"TabCountsOne", 0, u"\t", u"a", u"", 2},
        {"CarriageReturnCountsOne", 0, u"", u"a\r", u"", 2},
        {"Empty", 6, u"", u"", u"", 6},
    };
    for (const EmitCase& c : cases)
    {
        std::u16string output = u"x";
        OutputPosition position{c.startColumn};
        Emit(output, c.prefix, c.text, c.suffix, position);
        EXPECT_EQ(position.m_nColumn, c.column) << c.name;
        EXPECT_EQ(output, u"x" + c.prefix + c.text + c.suffix) << c.name;
    }
}

// The writer looks for line feeds only in the texts of tokens that can hold
// one, and for lines inside literals only where a token can hold a literal:
// what a token's kind promises must hold of its text, whatever its kind
// becomes in the analysis (a colon takes the token after it into a bind
// variable).
TEST(WriterCoreTest, TokensKeepWhatTheirKindPromisesOfTheirLines)
{
    const char* inputs[] = {
        "a\nb", "/* a\nb */ x", "/* 'a\nb' */", "-- c '\nx", "'a\nb\n\nc'", "q'[a\n'b]'", "n'a\nb'", "\"a\nb\"",
        ":'a\nb'", ":\"a\nb\"", ": /* a\nb */ x", ":\n-- c\nx", "a |\n| b", "a <\n= b", "x :\n= 1", "'a\nb",
    };
    for (const char* input : inputs)
    {
        CSQLParser engine;
        Tokenize(Wide(input), engine.m_aTokens);
        SplitWords(engine, engine.m_aTokens);
        Analyse(engine, engine.m_aTokens, true);
        for (const CBaseToken& token : engine.m_aTokens)
            ExpectTextLinesHold(token, input);
    }
}

// MeasureGroups (one pass for all groups) gives what MeasureGroup's walk
// gives for each group, unclosed ones included.
TEST(WriterCoreTest, MeasureGroupsAgreesWithTheWalk)
{
    const char* inputs[] = {
        "f(a, b)", "f(g(h(x)), y) z", "((a))", "(a", "f((a, b", "a) (b) (c", "x(/* c */ y)", "(((", ")))",
        "select (select count(*) from t where (a) in (1, 2)) from dual",
    };
    for (const char* input : inputs)
    {
        CSQLParser engine;
        Tokenize(Wide(input), engine.m_aTokens);
        SplitWords(engine, engine.m_aTokens);
        const std::vector<int64_t> lengths = MeasureGroups(engine.m_aTokens);
        size_t group = 0;
        for (size_t i = 0; i < engine.m_aTokens.size(); ++i)
            if (engine.m_aTokens[i].m_sText == u"(")
            {
                ASSERT_LT(group, lengths.size()) << input;
                EXPECT_EQ(lengths[group++], MeasureGroup(engine.m_aTokens, i + 1)) << input << " group at " << i;
            }
        EXPECT_EQ(group, lengths.size()) << input;
    }
}

TEST(WriterCoreTest, MeasureGroupCountsTokensOnly)
{
    CSQLParser engine;
    Tokenize(u"f(  aa ,\n b /* c */) tail", engine.m_aTokens);
    SplitWords(engine, engine.m_aTokens);
    EXPECT_EQ(MeasureGroup(engine.m_aTokens, 2), 2 + 1 + 1 + 7 + 1); // aa , b /* c */ )
    EXPECT_EQ(MeasureGroup(engine.m_aTokens, 100), 0);
}

// A million nested groups: no recursion on the call stack, every token kept.
TEST(WriterCoreTest, MillionNestedParentheses)
{
    const size_t depth = 1000000;
    const std::string input = std::string(depth, '(') + "a" + std::string(depth, ')');
    EXPECT_EQ(FirstDifference(Layout(input), input), "");
}

// The same through the whole Format command, as nested calls. The innermost
// list opens far right of the right margin, so it is stacked, and its second
// item is indented by the most blanks any indentation gets.
TEST(WriterCoreTest, MillionNestedCallsFormat)
{
    const size_t depth = 1000000;
    std::string input;
    for (size_t i = 0; i < depth; ++i)
        input += "f(";
    input += "a, b" + std::string(depth, ')');
    std::string expected = "f";
    for (size_t i = 1; i < depth; ++i)
        expected += " (f";
    expected += " (a,\n" + std::string(1000, ' ') + " b" + std::string(depth, ')');
    EXPECT_EQ(FirstDifference(Format(input), expected), "");
}

TEST(WriterCoreTest, MillionUnclosedParentheses)
{
    const size_t depth = 1000000;
    const std::string input = std::string(depth, '(') + "a";
    EXPECT_EQ(FirstDifference(Layout(input), input), "");
}

TEST(WriterCoreTest, MillionUnmatchedClosingParentheses)
{
    const size_t count = 1000000;
    std::string input = "a";
    std::string expected = "a)";
    for (size_t i = 0; i < count; ++i)
        input += ')';
    for (size_t i = 1; i < count; ++i)
        expected += " )";
    EXPECT_EQ(FirstDifference(Layout(input), expected), "");
}

} // namespace
