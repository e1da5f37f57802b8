// The text functions: indentation, left margin and blank lines.
#include "EngineTestHelpers.h"
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

TEST(TextFunc, LinesInsideLiterals)
{
    EXPECT_EQ(LinesInsideLiterals(u"a\n'b\nc\n\nd' -- '\ne\n\"f\ng\"\nq'[\n]'"),
              (std::vector<int32_t>{3, 4, 5, 8, 10}));
}
} // namespace
