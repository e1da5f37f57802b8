// Formatting to the fixed point: how many runs a text takes, that the result
// formats to itself, and the two ways a result is refused.
#include "FixedPoint.h"
#include "Options.h"
#include "SQLParser.h"

#include <gtest/gtest.h>

using namespace qmcli;

namespace
{

struct CFixedPointCase
{
    const char* m_sName;
    std::u16string m_sInput;
    int m_nMode;
    int m_nPasses;
    const char* m_sError; // substring; null when the result is good
    void (*m_Setup)(CFixedPointSettings&, COptions&) = nullptr;
    const char16_t* m_sExpected = nullptr; // the result, where the case is about it
};

class FixedPointTest : public ::testing::TestWithParam<CFixedPointCase>
{
};

TEST_P(FixedPointTest, SettlesOrSaysWhy)
{
    const CFixedPointCase& c = GetParam();
    CFormatWorkspace workspace;
    COptions options;
    CFixedPointSettings settings;
    settings.m_nMode = c.m_nMode;
    if (c.m_Setup)
        c.m_Setup(settings, options);
    const CFixedPointResult result = FormatToFixedPoint(workspace, c.m_sInput, options, settings);
    EXPECT_EQ(result.m_nPasses, c.m_nPasses);
    if (c.m_sError)
    {
        EXPECT_NE(result.m_sError.find(c.m_sError), std::string::npos) << result.m_sError;
        return;
    }
    ASSERT_EQ(result.m_sError, "");
    if (c.m_sExpected)
    {
        EXPECT_EQ(result.m_sText, c.m_sExpected);
    }
    // What is written formats to itself at once: --check passes after -i.
    CFixedPointSettings again;
    again.m_nMode = c.m_nMode;
    again.m_aLines = settings.m_aLines;
    const CFixedPointResult second = FormatToFixedPoint(workspace, result.m_sText, options, again);
    EXPECT_EQ(second.m_nPasses, 1);
    EXPECT_EQ(second.m_sText, result.m_sText);
}

const CFixedPointCase kCases[] = {
    {"FormattedTextTakesOneRun", u"SELECT a\n  FROM t", CSQLParser::MODE_FORMAT, 1, nullptr},
    {"PlainStatementTakesTwo", u"select a from t\n", CSQLParser::MODE_FORMAT, 2, nullptr},
    // One run puts the comment at column 8, the next at column 2.
    {"CommentAfterAStatementMovesTwice", u"select a from t; -- c\n", CSQLParser::MODE_FORMAT, 3, nullptr},
    {"HintLosesItsTrailingBlankOnTheSecondRun", u"insert /*+ APPEND */ into t1 select * from t2;\n",
     CSQLParser::MODE_FORMAT, 3, nullptr},
    {"CapitaliseSettlesAtOnce", u"select a from t; -- c\n", CSQLParser::MODE_CAPITALISE, 2, nullptr},
    // The final line break is no empty last line without a margin.
    {"CapitaliseWithAMarginSettles", u"select 1\n", CSQLParser::MODE_CAPITALISE, 2, nullptr,
     [](CFixedPointSettings&, COptions& o) { o.m_General.m_nLeftMargin = 4; }},
    // Three units: only the one touching line 3 is formatted; the others, and
    // the lines between, stay as they are.
    {"LinesFormatTheirUnitOnly", u"select a from t\n/\nselect b from u\n/\nselect c from v\n",
     CSQLParser::MODE_FORMAT, 2, nullptr,
     [](CFixedPointSettings& s, COptions&) { s.m_aLines = {{3, 3}}; },
     u"select a from t\n/\nSELECT b\n  FROM u\n/\nselect c from v\n"},
    {"LinesTouchingNoUnitChangeNothing", u"select a from t\n/\n", CSQLParser::MODE_FORMAT, 1, nullptr,
     [](CFixedPointSettings& s, COptions&) { s.m_aLines = {{2, 2}}; }, u"select a from t\n/\n"},
    {"NeverSettling", u"select a from t", CSQLParser::MODE_FORMAT, kMaxPasses, "does not settle",
     [](CFixedPointSettings& s, COptions&) { s.m_DamageEachRun = [](std::u16string& text) { text += u" x"; }; }},
    {"DamagedResultFailsTheCheck", u"select a from t", CSQLParser::MODE_FORMAT, 2,
     "safety check failed: line 1: `select` became `ELECT`",
     [](CFixedPointSettings& s, COptions&) { s.m_DamageResult = [](std::u16string& text) { text.erase(0, 1); }; }},
    {"RemovedCommentsPassTheCheck", u"select a /* gone */ from t", CSQLParser::MODE_FORMAT, 2, nullptr,
     [](CFixedPointSettings&, COptions& o) { o.m_Comments.m_bRemoveComments = true; }},
};

INSTANTIATE_TEST_SUITE_P(Cases, FixedPointTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

} // namespace

namespace
{

// A script settles unit by unit, a section at a time and on several threads;
// that gives what running the whole text again and again gives, also where a
// section's result cuts into other pieces than its text (a "/" glued to a
// statement's end starts the line of the next statement) and that section
// runs again.
TEST(FixedPointByUnitsTest, GivesWhatRunsOverTheWholeTextGive)
{
    const std::u16string glued =
        u"create table r (id number);/\ncreate or replace procedure p(a in number) as\nbegin\n  null;\nend p;\n/\n";
    std::u16string script; // long enough for sections on two threads
    for (int i = 0; i < 6000; ++i)
    {
        script += u"select a, b from t where x = " + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) +
                  u"; -- c\n/\nprompt next\n";
        if (i == 3000)
            script += glued;
    }
    const std::u16string texts[] = {glued, u"select a from t; -- c\n/\nselect b from u\n", script};
    for (const std::u16string& text : texts)
        for (int mode : {CSQLParser::MODE_FORMAT, CSQLParser::MODE_CAPITALISE})
            for (unsigned threads : {1u, 2u})
            {
                SCOPED_TRACE(testing::Message() << text.size() << " units, mode " << mode << ", threads " << threads);
                CFormatWorkspace workspace;
                const COptions options;
                CFixedPointSettings settings;
                settings.m_nMode = mode;
                settings.m_nThreads = threads;
                const CFixedPointResult byUnits = FormatToFixedPoint(workspace, text, options, settings);
                std::u16string parts;
                settings.m_TakePart = [&](std::u16string_view part) { parts += part; };
                const CFixedPointResult inParts = FormatToFixedPoint(workspace, text, options, settings);
                EXPECT_TRUE((inParts.m_bInParts ? parts : inParts.m_sText) == byUnits.m_sText);
                EXPECT_EQ(inParts.m_bInParts, threads > 1 && text.size() > 256 * 1024);
                settings.m_TakePart = nullptr;
                settings.m_DamageEachRun = [](std::u16string&) {}; // the whole text runs again and again
                const CFixedPointResult whole = FormatToFixedPoint(workspace, text, options, settings);
                EXPECT_EQ(byUnits.m_sError, "");
                EXPECT_EQ(byUnits.m_nPasses, whole.m_nPasses);
                EXPECT_EQ(byUnits.m_aUnitsNotLaidOut, whole.m_aUnitsNotLaidOut);
                EXPECT_TRUE(byUnits.m_sText == whole.m_sText);
            }
}

} // namespace

namespace
{

// A result damaged in one section of a long script fails the safety check,
// which names the place, on one thread and on two.
TEST(FixedPointByUnitsTest, DamageInOneSectionFailsTheCheck)
{
    std::u16string script;
    for (int i = 0; i < 6000; ++i)
        script += i == 4000 ? u"select 'marker' from dual;\n/\n" : u"select a, b from t where x = 1;\n/\n";
    for (unsigned threads : {1u, 2u})
        for (bool inParts : {false, true})
        {
            CFormatWorkspace workspace;
            CFixedPointSettings settings;
            settings.m_nThreads = threads;
            settings.m_DamageResult = [](std::u16string& text) {
                if (const size_t at = text.find(u"'marker'"); at != std::u16string::npos)
                    text.replace(at, 8, u"'marked'");
            };
            if (inParts)
                settings.m_TakePart = [](std::u16string_view) {};
            const CFixedPointResult result = FormatToFixedPoint(workspace, script, COptions(), settings);
            EXPECT_EQ(result.m_sError,
                      "safety check failed: line 8001: `'marker'` became `'marked'` (result line 20001)")
                << threads << " thread(s)" << (inParts ? ", in parts" : "");
            EXPECT_TRUE(result.m_sText.empty());
        }
}

} // namespace
