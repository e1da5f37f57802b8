// Parsing the command line: what each argument sets, and the usage errors.
#include "CommandLine.h"
#include "SourceFiles.h"

#include <gtest/gtest.h>

using namespace qmcli;

namespace
{

struct CParseCase
{
    const char* m_sName;
    std::vector<std::string> m_aArgs;
    const char* m_sError; // substring of the error; null when parsing succeeds
    std::function<void(const CCommandLine&)> m_Check;
};

class CommandLineTest : public ::testing::TestWithParam<CParseCase>
{
};

TEST_P(CommandLineTest, Parses)
{
    const CParseCase& c = GetParam();
    std::string error;
    auto cl = ParseCommandLine(c.m_aArgs, error);
    if (c.m_sError)
    {
        ASSERT_FALSE(cl.has_value());
        EXPECT_NE(error.find(c.m_sError), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << "one line";
        return;
    }
    ASSERT_TRUE(cl.has_value()) << error;
    c.m_Check(*cl);
}

const CParseCase kCases[] = {
    {"NoArgumentsFormatsStdin", {}, nullptr,
     [](const CCommandLine& cl) {
         EXPECT_EQ(cl.m_nAction, CCommandLine::ACTION_FORMAT);
         EXPECT_TRUE(cl.m_aInputs.empty());
         EXPECT_TRUE(cl.m_bVerify);
     }},
    {"FlagsAndInputsInAnyOrder", {"a.sql", "-i", "--capitalise", "dir", "--no-verify"}, nullptr,
     [](const CCommandLine& cl) {
         EXPECT_TRUE(cl.m_bInPlace);
         EXPECT_TRUE(cl.m_bCapitalise);
         EXPECT_FALSE(cl.m_bVerify);
         EXPECT_EQ(cl.m_aInputs, (std::vector<std::string>{"a.sql", "dir"}));
     }},
    {"ValueAfterEqualsOrSeparate", {"--left-margin=4", "--encoding", "latin1"}, nullptr,
     [](const CCommandLine& cl) {
         EXPECT_EQ(cl.m_nLeftMargin, 4);
         EXPECT_EQ(cl.m_sEncoding, "latin1");
     }},
    {"LeftMarginMinusOneKeepsIndentation", {"--left-margin", "-1"}, nullptr,
     [](const CCommandLine& cl) { EXPECT_EQ(cl.m_nLeftMargin, -1); }},
    {"SetsKeepTheirOrder", {"--set", "CCase.m_nIdentThenFromWhen=2", "--set=CGeneral.m_sStr=a=b"}, nullptr,
     [](const CCommandLine& cl) {
         ASSERT_EQ(cl.m_aSettings.size(), 2u);
         EXPECT_EQ(cl.m_aSettings[0].m_sGroup, "CCase");
         EXPECT_EQ(cl.m_aSettings[0].m_sField, "m_nIdentThenFromWhen");
         EXPECT_EQ(cl.m_aSettings[0].m_sValue, "2");
         EXPECT_EQ(cl.m_aSettings[1].m_sValue, "a=b");
     }},
    {"DoubleDashEndsOptions", {"--", "-i", "--check"}, nullptr,
     [](const CCommandLine& cl) {
         EXPECT_FALSE(cl.m_bInPlace);
         EXPECT_EQ(cl.m_aInputs, (std::vector<std::string>{"-i", "--check"}));
     }},
    {"DashIsStandardInput", {"-", "--check"}, nullptr,
     [](const CCommandLine& cl) { EXPECT_EQ(cl.m_aInputs, (std::vector<std::string>{"-"})); }},
    {"HelpWinsOverEverythingElse", {"--in-place", "--help"}, nullptr,
     [](const CCommandLine& cl) { EXPECT_EQ(cl.m_nAction, CCommandLine::ACTION_HELP); }},
    {"CheckWithDiff", {"--check", "--diff", "x"}, nullptr,
     [](const CCommandLine& cl) {
         EXPECT_TRUE(cl.m_bCheck);
         EXPECT_TRUE(cl.m_bDiff);
     }},
    {"JobsAttached", {"-j4", "--jobs=2"}, nullptr,
     [](const CCommandLine& cl) { EXPECT_EQ(cl.m_nJobs, 2u); }},
    {"ShortFlagsBundled", {"-ij1", "a.sql"}, nullptr,
     [](const CCommandLine& cl) {
         EXPECT_TRUE(cl.m_bInPlace);
         EXPECT_EQ(cl.m_nJobs, 1u);
         EXPECT_EQ(cl.m_aInputs, (std::vector<std::string>{"a.sql"}));
     }},
    {"VerboseCounts", {"-vv", "--verbose"}, nullptr,
     [](const CCommandLine& cl) { EXPECT_EQ(cl.m_nVerbosity, 3); }},
    {"Quiet", {"-q"}, nullptr, [](const CCommandLine& cl) { EXPECT_EQ(cl.m_nVerbosity, -1); }},
    {"ColorAloneIsAlways", {"--color"}, nullptr,
     [](const CCommandLine& cl) { EXPECT_EQ(cl.m_nColor, CCommandLine::COLOR_ALWAYS); }},
    {"ColorNever", {"--color=never", "x"}, nullptr,
     [](const CCommandLine& cl) {
         EXPECT_EQ(cl.m_nColor, CCommandLine::COLOR_NEVER);
         EXPECT_EQ(cl.m_aInputs, (std::vector<std::string>{"x"}));
     }},
    {"EmptyArgumentIsAnInput", {""}, nullptr,
     [](const CCommandLine& cl) { EXPECT_EQ(cl.m_aInputs, (std::vector<std::string>{""})); }},
    {"LinesRepeatable", {"--lines", "3:5", "--lines=9:9"}, nullptr,
     [](const CCommandLine& cl) {
         ASSERT_EQ(cl.m_aLines.size(), 2u);
         EXPECT_EQ(cl.m_aLines[0].m_nFirst, 3);
         EXPECT_EQ(cl.m_aLines[0].m_nLast, 5);
         EXPECT_EQ(cl.m_aLines[1].m_nFirst, 9);
     }},
    {"LinesBackwards", {"--lines", "5:3"}, "--lines needs FIRST:LAST", {}},
    {"LinesWithoutColon", {"--lines", "5"}, "not '5'", {}},
    {"LinesFromZero", {"--lines", "0:3"}, "line numbers from 1", {}},
    {"JobsAttachedNotANumber", {"-jx"}, "-j needs a number of threads", {}},
    {"ColorUnknown", {"--color=rainbow"}, "--color needs auto, always or never, not 'rainbow'", {}},
    {"AbbreviationRefused", {"--capital"}, "unknown option '--capital'", {}},
    {"UnknownShortInBundle", {"-ix"}, "unknown option '-x'", {}},
    {"ShortMissingValue", {"-i", "-j"}, "-j needs a value", {}},
    {"QuietWithVerbose", {"-v", "-q"}, "cannot be combined with --verbose", {}},
    {"VerboseWithQuiet", {"-q", "-v"}, "cannot be combined with --verbose", {}},
    {"UnknownOption", {"--frobnicate"}, "unknown option '--frobnicate'", {}},
    {"MissingValue", {"--options"}, "--options needs a value", {}},
    {"FlagWithValue", {"--check=yes"}, "--check takes no value", {}},
    {"LeftMarginNotANumber", {"--left-margin", "4x"}, "whole number from -1 to 1000", {}},
    {"LeftMarginTooLarge", {"--left-margin", "1001"}, "whole number from -1 to 1000", {}},
    {"SetWithoutGroup", {"--set", "m_nKeywords=1"}, "section.key=value", {}},
    {"SetWithoutValue", {"--set", "CCase.m_nIdentThenFromWhen"}, "section.key=value", {}},
    {"JobsZero", {"-j", "0"}, "number of threads", {}},
    {"InPlaceWithCheck", {"-i", "--check", "a.sql"}, "cannot be combined", {}},
    {"InPlaceOnStandardInput", {"-i"}, "standard input", {}},
    {"InPlaceOnDash", {"-i", "a.sql", "-"}, "standard input", {}},
    {"LanguageServerWithItsOptions", {"--lsp", "--capitalise", "--set", "CCase.m_nIndent=2"}, nullptr,
     [](const CCommandLine& cl) {
         EXPECT_EQ(cl.m_nAction, CCommandLine::ACTION_LSP);
         EXPECT_TRUE(cl.m_bCapitalise);
         EXPECT_EQ(cl.m_aSettings.size(), 1u);
     }},
    {"LanguageServerWithAFile", {"--lsp", "a.sql"}, "--lsp takes its documents from the editor", {}},
    {"LanguageServerInPlace", {"-i", "--lsp"}, "--lsp takes its documents from the editor", {}},
    {"LanguageServerUnverified", {"--lsp", "--no-verify"}, "--lsp takes its documents from the editor", {}},
    {"LanguageServerDumpingOptions", {"--dump-options", "--lsp"}, "cannot be combined with --lsp", {}},
};

INSTANTIATE_TEST_SUITE_P(Cases, CommandLineTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

TEST(WholeNumberTest, AcceptsOnlySignAndDigitsInRange)
{
    struct
    {
        const char* text;
        std::optional<long long> expected;
    } rows[] = {{"0", 0},           {"-5", -5},       {"+7", 7},
                {"", std::nullopt}, {"-", std::nullopt}, {" 1", std::nullopt},
                {"1 ", std::nullopt}, {"8x", std::nullopt}, {"2147483648", std::nullopt},
                {"99999999999999999999999", std::nullopt}};
    for (const auto& row : rows)
        EXPECT_EQ(ParseWholeNumber(row.text, INT32_MIN, INT32_MAX), row.expected) << row.text;
}

TEST(SourceNameTest, PicksSqlAndOracleSourceExtensions)
{
    for (const char* name : {"a.sql", "B.SQL", "p.pks", "p.pkb", "x.pls", "x.plb", "t.tps",
                             "t.tpb", "x.trg", "x.prc", "x.fnc", "a.b.Sql"})
        EXPECT_TRUE(IsSqlSourceName(name)) << name;
    for (const char* name : {"a.sql~", "a.txt", "sql", ".sql", "a.sqlx", "a."})
        EXPECT_FALSE(IsSqlSourceName(name)) << name;
}

} // namespace
