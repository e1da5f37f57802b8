// The whole tool in-process, with its streams and standard input in memory.
#include "FormatTool.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace qmcli;

namespace
{

struct CToolCase
{
    const char* m_sName;
    std::vector<std::string> m_aArgs;
    const char* m_sStdin; // null: reading standard input fails
    int m_nStatus;
    std::string m_sOut;
    const char* m_sErr; // substring; empty: nothing on standard error
    void (*m_Setup)(CToolEnvironment&) = nullptr;
};

class FormatToolTest : public ::testing::TestWithParam<CToolCase>
{
};

TEST_P(FormatToolTest, Runs)
{
    const CToolCase& c = GetParam();
    std::ostringstream out, err;
    CToolEnvironment env;
    env.m_pOut = &out;
    env.m_pErr = &err;
    if (c.m_Setup)
        c.m_Setup(env);
    env.m_ReadStdin = [&](std::string& bytes, std::string& error) {
        if (!c.m_sStdin)
        {
            error = "Input/output error";
            return false;
        }
        bytes = c.m_sStdin;
        return true;
    };
    EXPECT_EQ(RunFormatTool(c.m_aArgs, env), c.m_nStatus) << err.str();
    if (c.m_aArgs == std::vector<std::string>{"--dump-options"})
        EXPECT_EQ(out.str().substr(0, out.str().find('\n') + 1), c.m_sOut);
    else
        EXPECT_EQ(out.str(), c.m_sOut);
    if (*c.m_sErr == '\0')
        EXPECT_EQ(err.str(), "");
    else
        EXPECT_NE(err.str().find(c.m_sErr), std::string::npos) << err.str();
}

const CToolCase kCases[] = {
    {"FormatIsTheDefault", {}, "select a, b from t where x = 1", EXIT_OK,
     "SELECT a\n      ,b\n  FROM t\n WHERE x = 1", ""},
    {"Capitalise", {"--capitalise"}, "select a, b from t", EXIT_OK, "SELECT a, b FROM t", ""},
    {"OptionsOfTheRunApply", {"--set", "CSelect.m_nColumnListComma=0"}, "select a, b from t", EXIT_OK,
     "SELECT a,\n       b\n  FROM t", ""},
    {"RemovedCommentsPassTheCheck", {"--set", "CComments.m_bRemoveComments=1"},
     "select a /* gone */ from t", EXIT_OK, "SELECT a\n  FROM t", ""},
    {"StdinUnreadable", {}, nullptr, EXIT_ERROR, "",
     "quillmark-format: <stdin>: cannot read standard input: Input/output error"},
    {"TerminalWithoutInputsShowsUsage", {}, "select 1", EXIT_ERROR, "", "Usage: quillmark-format",
     [](CToolEnvironment& env) { env.m_bStdinIsTerminal = true; }},
    {"TerminalWithDashIsRead", {"-"}, "select 1", EXIT_OK, "SELECT 1", "",
     [](CToolEnvironment& env) { env.m_bStdinIsTerminal = true; }},
    {"DiffColouredOnATerminal", {"--diff", "--capitalise"}, "select 1\n", EXIT_OK,
     "\x1b[1m--- a/<stdin>\x1b[m\n\x1b[1m+++ b/<stdin>\x1b[m\n\x1b[36m@@ -1 +1 @@\x1b[m\n"
     "\x1b[31m-select 1\x1b[m\n\x1b[32m+SELECT 1\x1b[m\n",
     "", [](CToolEnvironment& env) { env.m_bStdoutIsTerminal = true; }},
    {"DiffNoColorOnATerminal", {"--diff", "--capitalise"}, "select 1\n", EXIT_OK,
     "--- a/<stdin>\n+++ b/<stdin>\n@@ -1 +1 @@\n-select 1\n+SELECT 1\n", "",
     [](CToolEnvironment& env) { env.m_bStdoutIsTerminal = env.m_bNoColor = true; }},
    {"DiffColourAlwaysOverridesNoColor", {"--diff", "--capitalise", "--color"}, "select 1\n", EXIT_OK,
     "\x1b[1m--- a/<stdin>\x1b[m\n\x1b[1m+++ b/<stdin>\x1b[m\n\x1b[36m@@ -1 +1 @@\x1b[m\n"
     "\x1b[31m-select 1\x1b[m\n\x1b[32m+SELECT 1\x1b[m\n",
     "", [](CToolEnvironment& env) { env.m_bNoColor = true; }},
    {"DiffNeverColoured", {"--diff", "--capitalise", "--color=never"}, "select 1\n", EXIT_OK,
     "--- a/<stdin>\n+++ b/<stdin>\n@@ -1 +1 @@\n-select 1\n+SELECT 1\n", "",
     [](CToolEnvironment& env) { env.m_bStdoutIsTerminal = true; }},
    {"DumpWithoutStore", {"--dump-options"}, "", EXIT_OK,
     "# options for <stdin>, from built-in defaults (no .quillmark.ini in the file's folder or above, "
     "and no options saved by the desktop app)\n",
     ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, FormatToolTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

} // namespace
