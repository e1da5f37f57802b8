// The engine from text to text: Capitalise, the left margin and the finishing
// step.
#include "EngineTestHelpers.h"

#include <climits>

namespace
{
using Setter = void (*)(COptions&);

struct CapitaliseCase
{
    const char* name;
    std::string input;
    std::string expected;
    Setter setOptions = nullptr;
};

class CapitaliseTest : public ::testing::TestWithParam<CapitaliseCase>
{
};

TEST_P(CapitaliseTest, Writes)
{
    CSQLParser engine;
    if (GetParam().setOptions)
        GetParam().setOptions(engine.m_Options);
    engine.m_sInput = U(GetParam().input);
    EXPECT_TRUE(engine.Process(CSQLParser::MODE_CAPITALISE));
    EXPECT_EQ(N(engine.m_sOutput), GetParam().expected);
}

const CapitaliseCase kCapitaliseCases[] = {
    {"Words", "select A from Dual", "SELECT a FROM dual"},
    {"CommonIndentationRemoved", "  select 1\n  from dual", "SELECT 1\nFROM dual"},
    {"FinalLineFeedKeepsIndentation", "  select 1\n  from dual\n", "  SELECT 1\n  FROM dual\n"},
    {"BlankLineKept", "select 1;\n\nselect 2;", "SELECT 1;\n\nSELECT 2;"},
    {"OperatorsStayInPlace", "x:=1", "x:=1"},
    {"SpacingAndLineEndsKept", "select\ta ,b\r\n  from   t --Note\r\n", "SELECT\ta ,b\r\n  FROM   t --Note\r\n"},
    {"LiteralsAndQuotedIdentifiersKept", "select 'It''s', \"MyCol\", n'Ab', q'[X's]' from T",
     "SELECT 'It''s', \"MyCol\", n'Ab', q'[X's]' FROM t"},
    {"FunctionsAndTypes", "Select My_F(x), To_Char(d), cast(y as Varchar2(3)) From t",
     "SELECT my_f(x), TO_CHAR(d), CAST(y AS VARCHAR2(3)) FROM t"},
    {"BindVariableStaysApartAndLower", "where a = :Abc", "WHERE a = :abc"},
    {"NonAsciiUnchanged", "select Straße from t", "SELECT straße FROM t"},
    {"UnterminatedLiteral", "select 'Abc\n  from", "SELECT 'Abc\n  from"},
    {"MarginFour", "select 1\n\nfrom dual", "    SELECT 1\n    \n    FROM dual",
     [](COptions& o) { o.m_General.m_nLeftMargin = 4; }},
    {"MarginMinusOneKeepsIndentation", "  select 1\n   from dual", "  SELECT 1\n   FROM dual",
     [](COptions& o) { o.m_General.m_nLeftMargin = -1; }},
    {"HugeMarginIsBounded", "x", std::string(kMaxBlanks, ' ') + "x",
     [](COptions& o) { o.m_General.m_nLeftMargin = INT_MAX; }},
    {"HugeTabSize", "\t\ta\n\tb", "\t\ta\n\tb", [](COptions& o) { o.m_General.m_nTabSize = INT_MAX; }},
    {"NegativeTabSize", "\tx\n y", "\tx\n y", [](COptions& o) { o.m_General.m_nTabSize = INT_MIN; }},
    {"LiteralLinesKeepTheirText", "  select 'a\n  b' from t", "SELECT 'a\n  b' FROM t"},
    {"LiteralLinesGetNoMargin", "select 'a\n\nb'\nfrom t", "  SELECT 'a\n\nb'\n  FROM t",
     [](COptions& o) { o.m_General.m_nLeftMargin = 2; }},
};

INSTANTIATE_TEST_SUITE_P(Engine, CapitaliseTest, ::testing::ValuesIn(kCapitaliseCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct AutoDetectCase
{
    const char* name;
    std::string input;
    int detected;
    std::string expected;
};

class AutoDetectTest : public ::testing::TestWithParam<AutoDetectCase>
{
};

TEST_P(AutoDetectTest, SetsMargin)
{
    CSQLParser engine;
    engine.m_Options.m_General.m_bAutoDetectLeftMargin = true;
    engine.m_Options.m_General.m_nLeftMargin = 3;
    engine.m_sInput = U(GetParam().input);
    engine.Process(CSQLParser::MODE_CAPITALISE);
    EXPECT_EQ(engine.m_nLastLeftMargin, GetParam().detected);
    EXPECT_EQ(engine.m_Options.m_General.m_nLeftMargin, 3); // the options are not changed
    EXPECT_EQ(N(engine.m_sOutput), GetParam().expected);
}

const AutoDetectCase kAutoDetectCases[] = {
    {"Eight", "        select 1\n          from dual", 8, "        SELECT 1\n          FROM dual"},
    // The margin is measured without blank lines but applied with them: the
    // empty lines have no indentation to remove, so the margin comes on top.
    {"BlankLinesIgnored", "    select 1\n\n      from dual\n", 4,
     "        SELECT 1\n    \n          FROM dual\n    "},
    {"TabCounts", "\tselect 1", 4, "    SELECT 1"},
    {"BlankFirstLineGivesZero", "\n    select 1", 0, "\n    SELECT 1"},
    {"Unindented", "select 1", 0, "SELECT 1"},
};

INSTANTIATE_TEST_SUITE_P(Engine, AutoDetectTest, ::testing::ValuesIn(kAutoDetectCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Engine, EmptyInputLeavesOutput)
{
    for (int mode : {CSQLParser::MODE_FORMAT, CSQLParser::MODE_CAPITALISE})
    {
        CSQLParser engine;
        engine.m_sOutput = u"kept";
        EXPECT_TRUE(engine.Process(mode));
        EXPECT_EQ(engine.m_sOutput, u"kept");
    }
}

TEST(Engine, UnknownModeOnlyDetectsTheMargin)
{
    CSQLParser engine;
    engine.m_Options.m_General.m_bAutoDetectLeftMargin = true;
    engine.m_sInput = u"  select 1";
    engine.m_sOutput = u"kept";
    EXPECT_TRUE(engine.Process(7));
    EXPECT_EQ(engine.m_sOutput, u"kept");
    EXPECT_EQ(engine.m_nLastLeftMargin, 2);
    EXPECT_EQ(engine.m_Options.m_General.m_nLeftMargin, 0);
}

TEST(Engine, TokensStayUntilTheNextRun)
{
    CSQLParser engine;
    engine.m_sInput = u"select a";
    engine.Process(CSQLParser::MODE_CAPITALISE);
    ASSERT_EQ(engine.m_aTokens.size(), 2u);
    EXPECT_EQ(engine.m_aTokens[0].m_sText, u"SELECT");
    EXPECT_EQ(engine.m_sInput, u"select a"); // the input is never rewritten
    engine.m_sInput = u"b";
    engine.Process(CSQLParser::MODE_CAPITALISE);
    EXPECT_EQ(engine.m_aTokens.size(), 1u);
    engine.ClearTokens();
    EXPECT_TRUE(engine.m_aTokens.empty());
}

struct FinishCase
{
    const char* name;
    std::string output;
    bool removeBlankLines;
    int margin;
    std::string expected;
};

class FinishOutputTest : public ::testing::TestWithParam<FinishCase>
{
};

TEST_P(FinishOutputTest, Finishes)
{
    CSQLParser engine;
    engine.m_Options.m_General.m_nLeftMargin = GetParam().margin;
    engine.m_sOutput = U(GetParam().output);
    engine.FinishOutput(GetParam().removeBlankLines);
    EXPECT_EQ(N(engine.m_sOutput), GetParam().expected);
}

const FinishCase kFinishCases[] = {
    {"FormatRemovesBlankLines", "SELECT 1\n\n  FROM t\n", true, 0, "SELECT 1\n  FROM t"},
    {"CapitaliseKeepsBlankLines", "SELECT 1\n\nFROM t", false, 0, "SELECT 1\n\nFROM t"},
    {"MarginThenBlankLines", "a\n\nb", true, 2, "  a\n  b"},
    {"MinusOneStillRemovesBlankLines", "  a\n\n  b", true, -1, "  a\n  b"},
    {"BlankLinesInsideLiteralStay", "x = 'a\n\n  '\n\ny", true, 1, " x = 'a\n\n  '\n y"},
    {"LiteralContinuationNotStripped", "    x = 'a\nb'\n    y", true, 0, "x = 'a\nb'\ny"},
    {"UnindentedFirstLineKeepsLiteralBlankLines", "x 'a\n\n'\n\ny", true, 0, "x 'a\n\n'\ny"},
    {"IndentedFirstLineStripped", "  a\n    b", false, 0, "a\n  b"},
    {"MarginBelowMinusOneActsLikeZero", "  a\n   b", false, -7, "a\n b"},
    {"FinalLineFeedRemoved", "a\nb\n", true, 0, "a\nb"},
    {"NothingToDo", "a\n  b", true, 0, "a\n  b"},
};

INSTANTIATE_TEST_SUITE_P(Engine, FinishOutputTest, ::testing::ValuesIn(kFinishCases),
                         [](const auto& info) { return std::string(info.param.name); });
} // namespace

TEST(Engine, WriteCapitalisedOverAnotherCopyOfTheInput)
{
    CSQLParser engine;
    engine.m_sInput = u"select a";
    engine.Process(CSQLParser::MODE_CAPITALISE);
    // A longer text than the tokens were made from: the tokens are written over
    // its first characters and the rest stays.
    std::u16string output;
    engine.WriteCapitalised(u"select a -- b", engine.m_aTokens, output);
    EXPECT_EQ(output, u"SELECT a -- b");
}
