// The text functions: indentation, left margin and blank lines.
#include "EngineTestHelpers.h"
#include "ScriptSplitter.h"
#include "TextFunc.h"

#include <climits>

namespace
{
struct MinIndentCase
{
    const char* name;
    std::string text;
    int tabSize;
    int expected;
};

class MinIndentTest : public ::testing::TestWithParam<MinIndentCase>
{
};

TEST_P(MinIndentTest, Measures)
{
    CSQLParser engine;
    engine.m_Options.m_General.m_nTabSize = GetParam().tabSize;
    EXPECT_EQ(MinIndent(U(GetParam().text), engine.m_TextFunc), GetParam().expected);
}

const MinIndentCase kMinIndentCases[] = {
    {"SmallestLine", "    a\n  b", 4, 2},
    {"EmptyLastLine", "    a\n  b\n", 4, 0},
    {"Tab", "\ta", 4, 4},
    {"WiderTab", "\t\ta", 8, 16},
    {"BlanksOnly", "  ", 4, 2},
    {"Empty", "", 4, 0},
    {"CarriageReturnStartsText", "  a\r\n\r\n  b", 4, 0},
    {"TabNoTabStops", " \ta", 4, 5},
    {"NegativeTabIsNothing", "\ta", -5, 0},
    // Measuring starts from one thousand million, which no line goes beyond.
    {"HugeTabDoesNotOverflow", "\t\t\ta", INT_MAX, 1000000000},
    {"LiteralLinesCountHere", "    x 'a\nb'", 4, 0},
};

INSTANTIATE_TEST_SUITE_P(TextFunc, MinIndentTest, ::testing::ValuesIn(kMinIndentCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct MarginCase
{
    const char* name;
    std::string text;
    int margin;
    std::string expected;
    int tabSize = 4;
};

class ApplyLeftMarginTest : public ::testing::TestWithParam<MarginCase>
{
};

TEST_P(ApplyLeftMarginTest, Reindents)
{
    CSQLParser engine;
    engine.m_Options.m_General.m_nTabSize = GetParam().tabSize;
    std::u16string text = U(GetParam().text);
    ApplyLeftMargin(GetParam().margin, engine.m_TextFunc, text);
    EXPECT_EQ(N(text), GetParam().expected);
}

const MarginCase kMarginCases[] = {
    {"RemovesCommonIndentation", "    a\n      b", 0, "a\n  b"},
    {"AddsMargin", "    a\n      b", 3, "   a\n     b"},
    {"EmptyLastLineGetsMargin", "a\n", 2, "  a\n  "},
    {"MinusOneChangesNothing", "    a\n      b", -1, "    a\n      b"},
    {"OtherNegativeActsLikeZero", "    a\n      b", -5, "a\n  b"},
    {"MostNegativeActsLikeZero", "  a", INT_MIN, "a"},
    {"TabsRemoved", "\ta\n\tb", 0, "a\nb"},
    {"StraddlingTabStays", "  a\n\tb", 0, "a\n\tb"},
    {"BlankAndTabRemovedUpToWidth", "  \tx\n      y", 0, "x\ny"},
    {"EmptyLineGetsMargin", "a\n\nb", 1, " a\n \n b"},
    {"MarginIsBounded", "a", 5000, std::string(kMaxBlanks, ' ') + "a"},
    {"HugeMarginIsBounded", "a\nb", INT_MAX,
     std::string(kMaxBlanks, ' ') + "a\n" + std::string(kMaxBlanks, ' ') + "b"},
    {"CarriageReturnsStay", "  a\r\n  b\r\n", 0, "  a\r\n  b\r\n"},
    // Lines that begin inside a string literal keep their text.
    {"LiteralLineKeepsIndentation", "  x = 'a\n  b'\n  y", 0, "x = 'a\n  b'\ny"},
    {"LiteralLineGetsNoMargin", "  x = 'a\n  b'\n  y", 2, "  x = 'a\n  b'\n  y"},
    {"LiteralLineDoesNotLowerCommonIndentation", "    x 'a\nb'\n    y", 0, "x 'a\nb'\ny"},
    {"QQuoteLiteralLine", "  q'[a\n]'", 1, " q'[a\n]'"},
    {"CommentLinesAreNotExempt", "  /* a\n b */", 0, " /* a\nb */"},
    {"QuotedIdentifierLinesKeepTheirText", "  \"a\n b\"", 0, "\"a\n b\""},
};

INSTANTIATE_TEST_SUITE_P(TextFunc, ApplyLeftMarginTest, ::testing::ValuesIn(kMarginCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct BlankLinesCase
{
    const char* name;
    std::string text;
    std::string expected;
};

class RemoveBlankLinesTest : public ::testing::TestWithParam<BlankLinesCase>
{
};

TEST_P(RemoveBlankLinesTest, Removes)
{
    std::u16string text = U(GetParam().text);
    RemoveBlankLines(text);
    EXPECT_EQ(N(text), GetParam().expected);
}

const BlankLinesCase kBlankLinesCases[] = {
    {"EmptyLine", "a\n\nb", "a\nb"},
    {"BlankLineAndFinalLineFeed", "a\n   \nb\n", "a\nb"},
    {"BlankFirstLine", "\na", "\na"},
    {"AllBlank", "  \n  ", ""},
    {"CarriageReturns", "a\r\n\r\nb", "a\r\nb"},
    {"TabsOnly", "a\n\t \t\nb", "a\nb"},
    {"Empty", "", ""},
    {"NothingToRemove", "a\nb", "a\nb"},
    {"FormFeedIsNotBlank", "a\n\f\nb", "a\n\f\nb"},
    {"LinesInsideLiteralStay", "x 'a\n\n'\n\ny", "x 'a\n\n'\ny"},
    {"UnterminatedLiteralKeepsItsLines", "x 'a\n\n  \n", "x 'a\n\n  \n"},
    {"BlankLinesInCommentGo", "/* a\n\n*/", "/* a\n*/"},
    {"LeadingLineFeedsAndBlankFirstLine", "\n\n  \nselect a\n", "\nselect a"},
    {"KeptRunsBetweenBlankLines", "select a,\n       b\n\n  from t\n \n where x = 'y\n\n'\n\n\t\n",
     "select a,\n       b\n  from t\n where x = 'y\n\n'"},
    {"BlankFirstLineOfBlanks", "   \nx\n\ny", "\nx\ny"},
};

INSTANTIATE_TEST_SUITE_P(TextFunc, RemoveBlankLinesTest, ::testing::ValuesIn(kBlankLinesCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextFunc, IsBlank)
{
    EXPECT_TRUE(IsBlank(u"\r\n"));
    EXPECT_TRUE(IsBlank(u""));
    EXPECT_TRUE(IsBlank(u" \t"));
    EXPECT_FALSE(IsBlank(u" a"));
    EXPECT_FALSE(IsBlank(u"\f"));
    EXPECT_FALSE(IsBlank(u"\u00a0"));
}

// Empty texts included: their data may be null, which memcmp must not see.
TEST(TextFunc, SameUnits)
{
    const std::u16string_view none;
    EXPECT_TRUE(SameUnits(none, none));
    EXPECT_TRUE(SameUnits(none, u""));
    EXPECT_TRUE(SameUnits(u"select \u00e9", u"select \u00e9"));
    EXPECT_FALSE(SameUnits(u"select a", u"select b"));
    EXPECT_FALSE(SameUnits(u"select", u"select "));
    EXPECT_FALSE(SameUnits(none, u" "));
}

TEST(TextFunc, Blanks)
{
    EXPECT_EQ(Blanks(0), u"");
    EXPECT_EQ(Blanks(-3), u"");
    EXPECT_EQ(Blanks(3), u"   ");
    EXPECT_EQ(Blanks(INT64_MIN), u"");
    EXPECT_EQ(Blanks(INT64_MAX).size(), static_cast<size_t>(kMaxBlanks));
}

TEST(TextFunc, StripIndentRemovesOnlyBlanksAndTabs)
{
    CSQLParser engine;
    std::u16string text = u"   a\n b\n\t c";
    StripIndent(text, engine.m_TextFunc, 3);
    EXPECT_EQ(N(text), "a\nb\n\t c");
}

// FindLineFeed reads four units at a time: a line feed at every place of
// texts of every length, among units that differ from a line feed in one bit
// or byte, and from every starting place.
TEST(TextFunc, FindLineFeedAtEveryPlace)
{
    const char16_t others[] = {u'a', u'\x0B', u'\x08', u'\x0E', u'\x2A', u'\x8A', u'\x010A', u'\x0A00', u'\x800A',
                               u'\xFF0A', u'\x000A' + 0x100};
    for (size_t length = 0; length <= 13; ++length)
    {
        for (size_t at = 0; at <= length; ++at) // at == length: no line feed
        {
            std::u16string text(length, u' ');
            for (size_t i = 0; i < length; ++i)
                text[i] = others[(i + at) % std::size(others)];
            if (at < length)
                text[at] = u'\n';
            for (size_t from = 0; from <= length; ++from)
                EXPECT_EQ(FindLineFeed(text, from), at >= from ? at : length)
                    << "length " << length << ", line feed at " << at << ", from " << from;
        }
    }
}

// The searches that read four units at a time find the first of several
// targets, whichever of the two they look for and wherever in a block of four
// it falls, beside units that differ from the targets in one bit.
TEST(TextFunc, FindEitherFindsTheFirstOfSeveral)
{
    const char16_t others[] = {u'a', u'\x26', u'\x28', u'\x0B', u'\x8A', u'\x0127', u'\x270A'};
    for (size_t length = 1; length <= 11; ++length)
    {
        for (size_t first = 0; first < length; ++first)
        {
            for (size_t second = first + 1; second <= length; ++second) // second == length: one target only
            {
                std::u16string text(length, u' ');
                for (size_t i = 0; i < length; ++i)
                    text[i] = others[(i + first + second) % std::size(others)];
                text[first] = (first + second) % 2 ? u'\'' : u'\n';
                if (second < length)
                    text[second] = first % 2 ? u'\'' : u'\n';
                for (size_t from = 0; from <= length; ++from)
                {
                    const size_t expected = from <= first ? first : from <= second ? std::min(second, length) : length;
                    EXPECT_EQ(FindEither(text, from, u'\'', u'\n'), expected)
                        << "length " << length << ", targets at " << first << " and " << second << ", from " << from;
                }
            }
        }
    }
}

struct LineBlanksCase
{
    const char* name;
    std::u16string text;
    size_t from;
    size_t expected;
};

class SkipLineBlanksTest : public ::testing::TestWithParam<LineBlanksCase>
{
};

TEST_P(SkipLineBlanksTest, Skips)
{
    EXPECT_EQ(SkipLineBlanks(GetParam().text, GetParam().from), GetParam().expected);
}

const LineBlanksCase kLineBlanksCases[] = {
    {"Empty", u"", 0, 0},
    {"NoBlank", u"a", 0, 0},
    {"AllBlanks", u"      ", 0, 6},
    {"FirstOtherInEachPlaceOfABlock", u"     a", 0, 5},
    {"AfterSixBlanks", u"      ab", 0, 6},
    {"AfterSevenBlanks", u"       ab", 0, 7},
    {"FromTheMiddle", u"x    y", 1, 5},
    {"TabsAndCarriageReturns", u"    \t \r\n", 0, 7},
    {"TabInsideBlock", u"  \t     z", 0, 8},
    {"LineFeedIsNotBlank", u"\n    a", 0, 0},
    {"WideCharacterWithABlankByte", u"    \x2020", 0, 4},
};

INSTANTIATE_TEST_SUITE_P(TextFunc, SkipLineBlanksTest, ::testing::ValuesIn(kLineBlanksCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct TerminatorLineCase
{
    const char* name;
    std::string text;
    bool expected;
};

class TerminatorLineTest : public ::testing::TestWithParam<TerminatorLineCase>
{
};

// Removing blank lines tells whether a line left holds only "/" or "."; a
// scan of the result must tell the same.
TEST_P(TerminatorLineTest, FoundAsBlankLinesGo)
{
    std::u16string text = U(GetParam().text);
    const std::vector<int32_t> literalLines = LinesInsideLiterals(text);
    EXPECT_EQ(RemoveBlankLines(text, literalLines), GetParam().expected);
    EXPECT_EQ(HasTerminatorLine(text), GetParam().expected);
}

const TerminatorLineCase kTerminatorLineCases[] = {
    {"Slash", "a\n/\nb", true},
    {"Dot", "a\n.", true},
    {"FirstLine", "  /  \nb", true},
    {"AfterBlankLines", "a\n\n \n\t.\r\n", true},
    {"BlanksAndTabsAround", "a\n \t/\t \nb", true},
    {"InsideLiteral", "x 'a\n/\n'", true}, // the unit's own split tells whether it counts
    {"SlashWithMore", "a\n/ b\n./\n//", false},
    {"DotStartsWord", "a\n.b", false},
    {"NoSuchLine", "select a / b\n  from t", false},
    {"Empty", "", false},
};

INSTANTIATE_TEST_SUITE_P(TextFunc, TerminatorLineTest, ::testing::ValuesIn(kTerminatorLineCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextFunc, LinesInsideLiterals)
{
    EXPECT_EQ(LinesInsideLiterals(u"a\n'b\nc\n\nd' -- '\ne\n\"f\ng\"\nq'[\n]'"),
              (std::vector<int32_t>{3, 4, 5, 8, 10}));
}
} // namespace
