// The command line: which arguments select clipboard mode, and what the
// standard walker takes for a file name (a close request is "Close" there).
#include "CommandLineInfo.h"

#include <gtest/gtest.h>

namespace
{
struct CCommandLineCase
{
    const char* m_pName;
    QStringList m_aArguments;
    bool m_bClipboard;
    QString m_sFileName; // what the standard walker records
};

void PrintTo(const CCommandLineCase& c, std::ostream* os)
{
    *os << c.m_pName;
}

class CommandLine : public testing::TestWithParam<CCommandLineCase>
{
};

TEST_P(CommandLine, ParsesLikeTheWalker)
{
    const CCommandLineCase& c = GetParam();
    CCustomCommandLineInfo custom;
    ParseCommandLine(c.m_aArguments, custom);
    EXPECT_EQ(custom.m_bClipboard, c.m_bClipboard);
    // The program's own parser never takes a file name.
    EXPECT_TRUE(custom.m_strFileName.isEmpty());

    CCommandLineInfo standard;
    ParseCommandLine(c.m_aArguments, standard);
    EXPECT_EQ(standard.m_strFileName, c.m_sFileName);
}

const CCommandLineCase kCases[] = {
    {"Nothing", {}, false, ""},
    {"Bare", {"clipboard"}, true, "clipboard"},
    {"Solidus", {"/clipboard"}, true, ""},
    {"HyphenMinus", {"-clipboard"}, true, ""},
    {"TwoHyphensAreNotOneSwitch", {"--clipboard"}, false, ""},
    {"CaseCounts", {"Clipboard"}, false, "Clipboard"},
    {"UpperCase", {"CLIPBOARD"}, false, "CLIPBOARD"},
    {"AmongOthers", {"x.sql", "clipboard"}, true, "x.sql"},
    {"TrailingBlank", {"clipboard "}, false, "clipboard "},
    {"FileNameIgnored", {"query.sql"}, false, "query.sql"},
    {"CloseRequest", {"Close"}, false, "Close"},
    {"CloseAfterSwitch", {"-x", "Close"}, false, "Close"},
    {"CloseAsSwitchIsNoFile", {"/Close"}, false, ""},
    {"LowerCaseClose", {"close"}, false, "close"},
    {"FirstNonSwitchWins", {"a.sql", "Close"}, false, "a.sql"},
    {"EmptyArgument", {""}, false, ""},
};

INSTANTIATE_TEST_SUITE_P(App, CommandLine, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<CCommandLineCase>& info) {
                             return std::string(info.param.m_pName);
                         });
} // namespace
