// The command line: which arguments select clipboard mode, which name files to
// open, and what the standard walker takes for a file name (a close request is
// "Close" there).
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
    QStringList m_aFiles; // what the program opens
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
    // The program's own parser keeps files in a list of their own.
    EXPECT_TRUE(custom.m_strFileName.isEmpty());
    EXPECT_EQ(custom.m_aFiles, c.m_aFiles);

    CCommandLineInfo standard;
    ParseCommandLine(c.m_aArguments, standard);
    EXPECT_EQ(standard.m_strFileName, c.m_sFileName);
}

const CCommandLineCase kCases[] = {
    {"Nothing", {}, false, "", {}},
    {"Bare", {"clipboard"}, true, "clipboard", {}},
    {"Solidus", {"/clipboard"}, true, "", {}},
    {"HyphenMinus", {"-clipboard"}, true, "", {}},
    {"TwoHyphensAreNotOneSwitch", {"--clipboard"}, false, "", {}},
    {"CaseCounts", {"Clipboard"}, false, "Clipboard", {"Clipboard"}},
    {"UpperCase", {"CLIPBOARD"}, false, "CLIPBOARD", {"CLIPBOARD"}},
    {"AmongOthers", {"x.sql", "clipboard"}, true, "x.sql", {"x.sql"}},
    {"TrailingBlank", {"clipboard "}, false, "clipboard ", {"clipboard "}},
    {"FileName", {"query.sql"}, false, "query.sql", {"query.sql"}},
    {"AbsolutePathIsAFileNotASwitch", {"/home/u/a.sql", "b.pkb"}, false, "b.pkb", {"/home/u/a.sql", "b.pkb"}},
    {"SwitchesAreNoFiles", {"-x", "a.sql", "--geometry"}, false, "a.sql", {"a.sql"}},
    {"AfterTwoHyphensAllAreFiles", {"--", "-odd.sql", "clipboard", ""}, false, "clipboard", {"-odd.sql", "clipboard"}},
    {"CloseRequest", {"Close"}, false, "Close", {"Close"}},
    {"CloseAfterSwitch", {"-x", "Close"}, false, "Close", {"Close"}},
    {"CloseAsSwitchIsNoFile", {"/Close"}, false, "", {"/Close"}},
    {"LowerCaseClose", {"close"}, false, "close", {"close"}},
    {"FirstNonSwitchWins", {"a.sql", "Close"}, false, "a.sql", {"a.sql", "Close"}},
    {"EmptyArgument", {""}, false, "", {}},
};

INSTANTIATE_TEST_SUITE_P(App, CommandLine, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<CCommandLineCase>& info) {
                             return std::string(info.param.m_pName);
                         });
} // namespace
