// The built quillmark-format run on temporary folders: in place with every
// encoding kept, check and diff modes, options files and their errors, write
// failures, parallel runs and the safety check.
#include "SourceFiles.h"
#include "TextEncoding.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace
{

struct CRunResult
{
    int m_nStatus = -1;
    std::string m_sOut;
    std::string m_sErr;
};

struct CRunRequest
{
    std::vector<std::string> m_aArgs;
    std::string m_sStdin;
    std::vector<std::string> m_aEnv; // "NAME=value" added to the environment
    rlim_t m_nFileSizeLimit = RLIM_INFINITY;
    rlim_t m_nAddressSpaceLimit = RLIM_INFINITY;
    rlim_t m_nProcessLimit = RLIM_INFINITY; // threads included
    std::string m_sDir; // working folder
    std::string m_sProgram = QUILLMARK_FORMAT_EXE;
    bool m_bAsOtherUser = false; // as root: run as nobody through setpriv
    unsigned m_nTimeLimit = 60;  // seconds, then SIGALRM ends a hung run
};


std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

class EndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "qmf-e2e-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        // A store of the user's own that must never change.
        m_store = m_dir / "config" / "Quillmark.ini";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Runs the command; standard input, output and error go through files.
    CRunResult Run(const CRunRequest& run) { return Wait(Start(run)); }

    pid_t Start(const CRunRequest& run)
    {
        const fs::path in = m_dir / ".stdin", out = m_dir / ".stdout", err = m_dir / ".stderr";
        WriteFile(in, run.m_sStdin);
        const pid_t pid = ::fork();
        if (pid == 0)
        {
            const int fdIn = ::open(in.c_str(), O_RDONLY);
            const int fdOut = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int fdErr = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(fdIn, 0);
            ::dup2(fdOut, 1);
            ::dup2(fdErr, 2);
            if (!run.m_sDir.empty() && ::chdir(run.m_sDir.c_str()) != 0)
                ::_exit(126);
            ::setenv("QUILLMARK_CONFIG", m_store.c_str(), 1);
            ::unsetenv("QUILLMARK_TEST_CORRUPT_RESULT");
            for (const std::string& kv : run.m_aEnv)
                ::putenv(const_cast<char*>(kv.c_str()));
            if (run.m_nFileSizeLimit != RLIM_INFINITY)
            {
                // SIGXFSZ keeps its default, which would end the command:
                // the command ignores it itself.
                rlimit limit{run.m_nFileSizeLimit, run.m_nFileSizeLimit};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            if (run.m_nAddressSpaceLimit != RLIM_INFINITY)
            {
                rlimit limit{run.m_nAddressSpaceLimit, run.m_nAddressSpaceLimit};
                ::setrlimit(RLIMIT_AS, &limit);
            }
            if (run.m_nProcessLimit != RLIM_INFINITY)
            {
                rlimit limit{run.m_nProcessLimit, run.m_nProcessLimit};
                ::setrlimit(RLIMIT_NPROC, &limit);
            }
            ::alarm(run.m_nTimeLimit);
            std::vector<std::string> words;
            if (run.m_bAsOtherUser && ::geteuid() == 0)
                words = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
            words.push_back(run.m_sProgram);
            words.insert(words.end(), run.m_aArgs.begin(), run.m_aArgs.end());
            std::vector<char*> argv;
            for (const std::string& w : words)
                argv.push_back(const_cast<char*>(w.c_str()));
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        return pid;
    }

    CRunResult Wait(pid_t pid)
    {
        const fs::path out = m_dir / ".stdout", err = m_dir / ".stderr";
        int status = 0;
        ::waitpid(pid, &status, 0);
        CRunResult r;
        r.m_nStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        r.m_sOut = ReadFile(out);
        r.m_sErr = ReadFile(err);
        return r;
    }
    CRunResult Run(std::vector<std::string> args, std::string input = {})
    {
        CRunRequest run;
        run.m_aArgs = std::move(args);
        run.m_sStdin = std::move(input);
        return Run(run);
    }

    std::string P(const std::string& name) const { return (m_dir / name).string(); }

    fs::path m_dir;
    fs::path m_store;
};

// ---------------------------------------------------------------- standard input

struct CStdinCase
{
    const char* m_sName;
    std::vector<std::string> m_aArgs;
    std::string m_sInput;
    int m_nStatus;
    std::string m_sOut; // exact standard output
    const char* m_sErr; // substring of standard error, or null for none at all
};

class StdinTest : public EndToEnd, public ::testing::WithParamInterface<CStdinCase>
{
};

TEST_P(StdinTest, Runs)
{
    const CStdinCase& c = GetParam();
    const CRunResult r = Run(c.m_aArgs, c.m_sInput);
    EXPECT_EQ(r.m_nStatus, c.m_nStatus) << r.m_sErr;
    EXPECT_EQ(r.m_sOut, c.m_sOut);
    if (c.m_sErr)
    {
        EXPECT_NE(r.m_sErr.find(c.m_sErr), std::string::npos) << r.m_sErr;
        EXPECT_EQ(std::count(r.m_sErr.begin(), r.m_sErr.end(), '\n'), 1) << "one line: " << r.m_sErr;
    }
    else
        EXPECT_EQ(r.m_sErr, "");
}

const CStdinCase kStdinCases[] = {
    {"CapitaliseKeepsLayout", {"--capitalise"}, "select A from Dual", 0, "SELECT a FROM dual", nullptr},
    {"DashIsStandardInput", {"--capitalise", "-"}, "select 1 from dual\n", 0, "SELECT 1 FROM dual\n", nullptr},
    {"FormatKeepsFinalLineBreak", {}, "select a from t\n", 0, "SELECT a\n  FROM t\n", nullptr},
    {"FormatAddsNoFinalLineBreak", {}, "select a from t", 0, "SELECT a\n  FROM t", nullptr},
    {"Utf8MarkSkipped", {"--capitalise"}, "\xEF\xBB\xBFselect 'é' from t", 0, "SELECT 'é' FROM t", nullptr},
    {"CrLfKept", {"--capitalise"}, "select a\r\nfrom t\r\n", 0, "SELECT a\r\nFROM t\r\n", nullptr},
    {"LeftMargin", {"--capitalise", "--left-margin", "4"}, "select 1\nfrom t", 0, "    SELECT 1\n    FROM t", nullptr},
    {"LeftMarginLastLineStaysEmpty", {"--capitalise", "--left-margin", "4"}, "select 1\n", 0, "    SELECT 1\n", nullptr},
    {"FormatWhitespaceOnly", {}, "\n\n  \n", 0, "\n", nullptr},
    {"SetOverridesOption", {"--capitalise", "--set", "CCapitalisation.m_nKeywords=1"}, "SELECT A", 0, "select a", nullptr},
    {"EmptyInput", {}, "", 0, "", nullptr},
    {"InvalidUtf8", {"--capitalise"}, "select '\xE9'", 2, "", "<stdin>: is not valid UTF-8"},
    {"StdinPathNamesIt", {"--stdin-path", "q/x.sql"}, "select '\xE9'", 2, "", "q/x.sql: is not valid"},
    {"BadSetGroup", {"--set", "CNope.m_nX=1"}, "select 1", 2, "", "unknown section 'CNope'"},
    {"BadSetValue", {"--set", "CCase.m_nIdentThenFromWhen=two"}, "select 1", 2, "",
     "'two' is not a whole number from 0 to 1000"},
    {"UnknownEncoding", {"--encoding", "klingon"}, "select 1", 2, "", "unknown encoding 'klingon'"},
    {"NulRefusedWithItsOffset", {}, "select 1\0 from t"s, 2, "", "<stdin>: holds a NUL character at byte offset 8 (counted from 0)"},
    {"LeftMarginKeepsTheInputsInFormat", {"--left-margin", "-1"}, "    select a\n      from t", 0,
     "    SELECT a\n      FROM t", nullptr},
    {"LeftMarginKeepsTheInputsInCapitalise", {"--capitalise", "--left-margin", "-1"}, "\tselect a\n  from t", 0,
     "\tSELECT a\n  FROM t", nullptr},
    {"EncodingAppliesToStdin", {"--capitalise", "--encoding", "cp1252"}, "select '\xE9'", 0, "SELECT 'é'", nullptr},
    {"UnknownFlag", {"--fast"}, "", 2, "", "unknown option '--fast'"},
    {"CheckOnStdin", {"--check", "--capitalise"}, "select 1", 1, "<stdin>\n", nullptr},
    {"CheckOnFormattedStdin", {"--check", "--capitalise"}, "SELECT 1", 0, "", nullptr},
};

INSTANTIATE_TEST_SUITE_P(Cases, StdinTest, ::testing::ValuesIn(kStdinCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

TEST_F(EndToEnd, FaultInjectionOnlyInTheTestBuild)
{
    CRunRequest run;
    run.m_aArgs = {"--capitalise"};
    run.m_sStdin = "select a from t";
    run.m_aEnv = {"QUILLMARK_TEST_CORRUPT_RESULT=1"};
    run.m_sProgram = QUILLMARK_FAULT_INJECTION_EXE;
    CRunResult r = Run(run);
    EXPECT_EQ(r.m_nStatus, 2);
    EXPECT_NE(r.m_sErr.find("<stdin>: safety check failed: line 1: `select` became `ELECT` (result line 1); nothing written"),
              std::string::npos)
        << r.m_sErr;
    EXPECT_EQ(r.m_sOut, "");
    run.m_aArgs.push_back("--no-verify");
    r = Run(run);
    EXPECT_EQ(r.m_nStatus, 0);
    EXPECT_EQ(r.m_sOut, "ELECT a FROM t") << "the damage passes without the check";

    // The command as installed, with its man page and completions, ignores the variable.
    const fs::path prefix = m_dir / "prefix";
    const std::string install = std::string(QUILLMARK_CMAKE_COMMAND) + " --install \"" +
                                QUILLMARK_BINARY_DIR + "\" --component quillmark-format --prefix \"" +
                                prefix.string() + "\" > /dev/null";
    ASSERT_EQ(std::system(install.c_str()), 0) << install;
    for (const char* file : {"bin/quillmark-format", "share/man/man1/quillmark-format.1",
                             "share/bash-completion/completions/quillmark-format",
                             "share/zsh/site-functions/_quillmark-format",
                             "share/fish/vendor_completions.d/quillmark-format.fish"})
        EXPECT_TRUE(fs::exists(prefix / file)) << file;
    EXPECT_FALSE(fs::exists(prefix / "bin/quillmark-format-fault-injection"));
    run.m_sProgram = (prefix / "bin/quillmark-format").string();
    run.m_aArgs = {"--capitalise"};
    r = Run(run);
    EXPECT_EQ(r.m_nStatus, 0) << r.m_sErr;
    EXPECT_EQ(r.m_sOut, "SELECT a FROM t");
}

TEST_F(EndToEnd, HelpNamesEveryFlagWithAnExample)
{
    const CRunResult r = Run({"--help"});
    EXPECT_EQ(r.m_nStatus, 0);
    for (const char* flag : {"--in-place", "--check", "--diff", "--capitalise", "--dump-options",
                             "--options", "--set", "--left-margin", "--encoding", "--stdin-path",
                             "--no-verify", "--jobs", "--help", "--version", "--color", "--quiet",
                             "--verbose", "--lines"})
    {
        EXPECT_NE(r.m_sOut.find(flag), std::string::npos) << flag;
        EXPECT_NE(r.m_sOut.find(std::string("quillmark-format ") + flag), std::string::npos)
            << "an example for " << flag;
    }
    EXPECT_NE(r.m_sOut.find("until a run changes nothing"), std::string::npos);
    const CRunResult v = Run({"--version"});
    EXPECT_EQ(v.m_nStatus, 0);
    EXPECT_EQ(v.m_sOut.rfind("quillmark-format", 0), 0u);
}

// ---------------------------------------------------------------- in place

struct CEncodingCase
{
    const char* m_sName;
    std::vector<std::string> m_aArgs;
    TextEncoding m_nEncoding;
    unsigned m_nCodePage;
    bool m_bCrLf;
    bool m_bMark;
};

class InPlaceEncodingTest : public EndToEnd, public ::testing::WithParamInterface<CEncodingCase>
{
};

std::string Encode(const std::u16string& text, const CEncodingCase& c)
{
    std::u16string withBreaks;
    for (char16_t ch : text)
    {
        if (ch == u'\n' && c.m_bCrLf)
            withBreaks += u'\r';
        withBreaks += ch;
    }
    CCodePage codePage(c.m_nCodePage);
    std::string bytes = c.m_bMark ? std::string(ByteOrderMark(c.m_nEncoding)) : "";
    AppendEncoded(withBreaks, c.m_nEncoding, &codePage, 0, bytes);
    return bytes;
}

TEST_P(InPlaceEncodingTest, KeepsEncodingMarkAndLineEnding)
{
    const CEncodingCase& c = GetParam();
    const fs::path file = m_dir / "q.sql";
    WriteFile(file, Encode(u"select 'Ünïcödé €' from Dual\nwhere x = 1\n", c));
    std::vector<std::string> args = c.m_aArgs;
    args.insert(args.end(), {"-i", "--capitalise", file.string()});
    const CRunResult r = Run(args);
    EXPECT_EQ(r.m_nStatus, 0) << r.m_sErr;
    EXPECT_EQ(r.m_sOut, "");
    EXPECT_EQ(ReadFile(file), Encode(u"SELECT 'Ünïcödé €' FROM dual\nWHERE x = 1\n", c));
    // Read back in its own encoding, the file is its own result.
    args = c.m_aArgs;
    args.insert(args.end(), {"--check", "--capitalise", file.string()});
    const CRunResult check = Run(args);
    EXPECT_EQ(check.m_nStatus, 0) << check.m_sOut << check.m_sErr;
    EXPECT_EQ(check.m_sOut, "");
}

const CEncodingCase kEncodingCases[] = {
    {"Utf8", {}, ENC_ANSI, kCodePageUtf8, false, false},
    {"Utf8CrLf", {}, ENC_ANSI, kCodePageUtf8, true, false},
    {"Utf8Mark", {}, ENC_UTF8, kCodePageUtf8, false, true},
    {"Utf16LeMarkCrLf", {}, ENC_UTF16_LE, kCodePageUtf8, true, true},
    {"Utf16BeMark", {}, ENC_UTF16_BE, kCodePageUtf8, false, true},
    {"Cp1252", {"--encoding", "cp1252"}, ENC_ANSI, kCodePageWindows1252, true, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, InPlaceEncodingTest, ::testing::ValuesIn(kEncodingCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

TEST_F(EndToEnd, InPlaceKeepsPermissionsAndLeavesUnchangedFilesAlone)
{
    const fs::path changed = m_dir / "a.sql", same = m_dir / "b.sql";
    WriteFile(changed, "select 1 from dual\n");
    WriteFile(same, "SELECT 1 FROM dual\n");
    ::chmod(changed.c_str(), 0640);
    // An old modification time, so that any rewrite would show.
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimensat(AT_FDCWD, same.c_str(), old, 0);
    const CRunResult r = Run({"-i", "--capitalise", m_dir.string()});
    EXPECT_EQ(r.m_nStatus, 0) << r.m_sErr;
    EXPECT_EQ(ReadFile(changed), "SELECT 1 FROM dual\n");
    struct stat st;
    ASSERT_EQ(::stat(changed.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    ASSERT_EQ(::stat(same.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000) << "an unchanged file is not rewritten";
    for (const auto& entry : fs::directory_iterator(m_dir))
        EXPECT_EQ(entry.path().filename().string().find(".quillmark-"), std::string::npos)
            << "no temporary file left: " << entry.path();
}

TEST_F(EndToEnd, CheckPassesRightAfterInPlace)
{
    // Each of these moves again when a formatted result is formatted once more.
    WriteFile(m_dir / "comment.sql", "select a from t; -- c\n");
    WriteFile(m_dir / "hint.sql", "insert /*+ APPEND */ into t1 select * from t2;\n");
    const CRunResult first = Run({"-i", m_dir.string()});
    EXPECT_EQ(first.m_nStatus, 0) << first.m_sErr;
    EXPECT_EQ(first.m_sErr, "2 files reformatted, 0 unchanged, 0 refused\n");
    EXPECT_EQ(ReadFile(m_dir / "comment.sql"), "SELECT a\n  FROM t;\n -- c\n");
    const CRunResult check = Run({"--check", m_dir.string()});
    EXPECT_EQ(check.m_nStatus, 0) << check.m_sOut;
    // Standard output gives the same settled text.
    EXPECT_EQ(Run({}, "select a from t; -- c\n").m_sOut, ReadFile(m_dir / "comment.sql"));
}

TEST_F(EndToEnd, LinesFormatOnlyTheirUnits)
{
    const std::string script = "select a from t\r\n/\r\n\r\nselect b from u\r\n/\r\nprompt  done\r\n";
    struct
    {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string file; // afterwards
        std::string err;  // substring
    } rows[] = {
        {"SecondUnitInPlace", {"-i", "--lines", "4:4", "s.sql"}, 0,
         "select a from t\r\n/\r\n\r\nSELECT b\r\n  FROM u\r\n/\r\nprompt  done\r\n", ""},
        {"BothUnits", {"-i", "--lines", "1:1", "--lines", "4:6", "s.sql"}, 0,
         "SELECT a\r\n  FROM t\r\n/\r\n\r\nSELECT b\r\n  FROM u\r\n/\r\nprompt  done\r\n", ""},
        {"NoUnitThere", {"-i", "--lines", "6:9", "s.sql"}, 0, script, ""},
        {"OneFileAtATime", {"-i", "--lines", "1:1", "s.sql", "mixed.sql"}, 2, script,
         "--lines applies to one file at a time"},
        {"MixedLineEndingsRefused", {"-i", "--lines", "1:1", "mixed.sql"}, 2, script,
         "mixed.sql: has mixed line endings, which --lines would change"},
    };
    for (const auto& row : rows)
    {
        WriteFile(m_dir / "s.sql", script);
        WriteFile(m_dir / "mixed.sql", "select a from t\n/\r\nselect b from u\r\n");
        CRunRequest run;
        run.m_aArgs = row.args;
        run.m_sDir = m_dir.string();
        const CRunResult r = Run(run);
        EXPECT_EQ(r.m_nStatus, row.status) << row.name << ": " << r.m_sErr;
        EXPECT_EQ(ReadFile(m_dir / "s.sql"), row.file) << row.name;
        EXPECT_NE(r.m_sErr.find(row.err), std::string::npos) << row.name << ": " << r.m_sErr;
    }
    EXPECT_EQ(ReadFile(m_dir / "mixed.sql"), "select a from t\n/\r\nselect b from u\r\n");
}

TEST_F(EndToEnd, InPlaceEndsWithASummaryUnlessQuiet)
{
    struct
    {
        const char* name;
        std::vector<std::string> flags;
        std::string err; // exact
    } rows[] = {
        {"Summary", {}, "quillmark-format: " + P("c.sql") + ": is not valid UTF-8 text (some bytes would "
                        "be lost or changed); use --encoding NAME to read it\n"
                        "1 file reformatted, 1 unchanged, 1 refused\n"},
        {"QuietKeepsTheErrors", {"-q"}, "quillmark-format: " + P("c.sql") + ": is not valid UTF-8 text "
                        "(some bytes would be lost or changed); use --encoding NAME to read it\n"},
    };
    for (const auto& row : rows)
    {
        WriteFile(m_dir / "a.sql", "select 1\n");
        WriteFile(m_dir / "b.sql", "SELECT 1\n");
        WriteFile(m_dir / "c.sql", "select '\xE9'\n");
        std::vector<std::string> args = row.flags;
        args.insert(args.end(), {"-i", "--capitalise", P("a.sql"), P("b.sql"), P("c.sql")});
        const CRunResult r = Run(args);
        EXPECT_EQ(r.m_nStatus, 2) << row.name;
        EXPECT_EQ(r.m_sErr, row.err) << row.name;
        EXPECT_EQ(ReadFile(m_dir / "a.sql"), "SELECT 1\n") << row.name;
    }
}

TEST_F(EndToEnd, InPlaceThroughALinkRewritesItsTarget)
{
    const fs::path target = m_dir / "real.sql", link = m_dir / "link.sql";
    WriteFile(target, "select 1\n");
    fs::create_symlink(target, link);
    const CRunResult r = Run({"-i", "--capitalise", link.string()});
    EXPECT_EQ(r.m_nStatus, 0) << r.m_sErr;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(target), "SELECT 1\n");
}

// quillmark-format -i and the file system: each case from its own folder,
// run as nobody where the permissions are the point.
TEST_F(EndToEnd, InPlaceRespectsTheFileSystem)
{
    const bool root = ::geteuid() == 0;
    struct stat st;
    struct CCase
    {
        const char* name;
        bool asOther;   // run as another user
        bool needsRoot; // the set-up gives files away
        // Prepares the case's folder and returns the arguments after -i.
        std::function<std::vector<std::string>(const fs::path&)> prepare;
        int status;
        std::string error; // substring of standard error, after "<folder>/"
        std::function<void(const fs::path&)> check;
    };
    const CCase cases[] = {
        {"ReadOnlyFile", false, false,
         [](const fs::path& d) {
             WriteFile(d / "a.sql", "select 1\n");
             ::chmod((d / "a.sql").c_str(), 0444);
             return std::vector<std::string>{(d / "a.sql").string()};
         },
         2, "a.sql: cannot be rewritten: it is read-only",
         [](const fs::path& d) { EXPECT_EQ(ReadFile(d / "a.sql"), "select 1\n"); }},
        {"NotWritableForThisUser", true, true,
         [](const fs::path& d) {
             WriteFile(d / "a.sql", "select 1\n");
             ::chmod(d.c_str(), 0777);
             return std::vector<std::string>{(d / "a.sql").string()};
         },
         2, "a.sql: cannot be rewritten: it is read-only",
         [](const fs::path& d) { EXPECT_EQ(ReadFile(d / "a.sql"), "select 1\n"); }},
        {"FolderNotWritable", true, false,
         [](const fs::path& d) {
             WriteFile(d / "sub/a.sql", "select 1\n");
             ::chmod((d / "sub/a.sql").c_str(), 0666);
             ::chmod((d / "sub").c_str(), 0555);
             return std::vector<std::string>{(d / "sub/a.sql").string()};
         },
         2, "a.sql: cannot be rewritten: its folder ",
         [](const fs::path& d) {
             EXPECT_EQ(ReadFile(d / "sub/a.sql"), "select 1\n");
             ::chmod((d / "sub").c_str(), 0755);
         }},
        {"OwnerCannotBeKept", true, true,
         [](const fs::path& d) {
             WriteFile(d / "a.sql", "select 1\n");
             ::chmod((d / "a.sql").c_str(), 0666);
             ::chmod(d.c_str(), 0777);
             return std::vector<std::string>{(d / "a.sql").string()};
         },
         2, "a.sql: cannot be rewritten: its owner and group (0:0) cannot be kept",
         [&](const fs::path& d) {
             EXPECT_EQ(ReadFile(d / "a.sql"), "select 1\n");
             ASSERT_EQ(::stat((d / "a.sql").c_str(), &st), 0);
             EXPECT_EQ(st.st_uid, 0u);
         }},
        {"OwnerModeAndAttributesKept", false, true,
         [](const fs::path& d) {
             WriteFile(d / "a.sql", "select 1\n");
             ::chown((d / "a.sql").c_str(), 1234, 5678);
             ::chmod((d / "a.sql").c_str(), 0604);
             ::setxattr((d / "a.sql").c_str(), "user.origin", "team", 4, 0);
             return std::vector<std::string>{(d / "a.sql").string()};
         },
         0, "",
         [&](const fs::path& d) {
             EXPECT_EQ(ReadFile(d / "a.sql"), "SELECT 1\n");
             ASSERT_EQ(::stat((d / "a.sql").c_str(), &st), 0);
             EXPECT_EQ(st.st_uid, 1234u);
             EXPECT_EQ(st.st_gid, 5678u);
             EXPECT_EQ(st.st_mode & 07777, 0604u);
             char value[8] = {};
             EXPECT_EQ(::getxattr((d / "a.sql").c_str(), "user.origin", value, sizeof value), 4);
         }},
        {"HardLinksShareTheNewText", false, false,
         [](const fs::path& d) {
             WriteFile(d / "a.sql", "select 1\n");
             fs::create_hard_link(d / "a.sql", d / "b.sql");
             return std::vector<std::string>{(d / "a.sql").string()};
         },
         0, "",
         [](const fs::path& d) {
             EXPECT_EQ(ReadFile(d / "b.sql"), "SELECT 1\n");
             EXPECT_EQ(fs::hard_link_count(d / "a.sql"), 2u);
         }},
        {"LongestName", false, false,
         [](const fs::path& d) {
             const std::string name = std::string(251, 'n') + ".sql";
             WriteFile(d / name, "select 1\n");
             return std::vector<std::string>{(d / name).string()};
         },
         0, "",
         [](const fs::path& d) {
             EXPECT_EQ(ReadFile(d / (std::string(251, 'n') + ".sql")), "SELECT 1\n");
         }},
        {"NamedPipe", false, false,
         [](const fs::path& d) {
             ::mkfifo((d / "a.sql").c_str(), 0644);
             return std::vector<std::string>{(d / "a.sql").string()};
         },
         2, "a.sql: is not a regular file; nothing written", [](const fs::path&) {}},
        {"Device", false, false, [](const fs::path&) { return std::vector<std::string>{"/dev/null"}; },
         2, "/dev/null: is not a regular file", [](const fs::path&) {}},
        {"Socket", false, false,
         [](const fs::path& d) {
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             std::snprintf(address.sun_path, sizeof address.sun_path, "%s", (d / "s.sql").c_str());
             ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
             ::close(fd);
             return std::vector<std::string>{(d / "s.sql").string()};
         },
         2, "s.sql: is not a regular file; nothing written", [](const fs::path&) {}},
        {"WalkFollowsNoLink", false, false,
         [](const fs::path& d) {
             WriteFile(d / "outside.sql", "select 1\n");
             WriteFile(d / "tree/in.sql", "select 2\n");
             fs::create_symlink(d / "outside.sql", d / "tree/link.sql");
             fs::create_directory_symlink(d, d / "tree/up");
             return std::vector<std::string>{(d / "tree").string()};
         },
         0, "",
         [](const fs::path& d) {
             EXPECT_EQ(ReadFile(d / "outside.sql"), "select 1\n");
             EXPECT_EQ(ReadFile(d / "tree/in.sql"), "SELECT 2\n");
             EXPECT_TRUE(fs::is_symlink(d / "tree/link.sql"));
         }},
        {"LinkNamedIsFollowed", false, false,
         [](const fs::path& d) {
             WriteFile(d / "real.sql", "select 1\n");
             fs::create_symlink("real.sql", d / "link.sql");
             return std::vector<std::string>{(d / "link.sql").string()};
         },
         0, "",
         [](const fs::path& d) {
             EXPECT_TRUE(fs::is_symlink(d / "link.sql"));
             EXPECT_EQ(ReadFile(d / "real.sql"), "SELECT 1\n");
         }},
    };
    std::vector<std::string> skipped;
    for (const CCase& c : cases)
    {
        if (c.needsRoot && !root)
        {
            skipped.push_back(c.name);
            continue;
        }
        const fs::path folder = m_dir / c.name;
        fs::create_directories(folder);
        ::chmod(m_dir.c_str(), 0755); // others may reach the case folders
        CRunRequest run;
        run.m_aArgs = {"-i", "--capitalise"};
        for (const std::string& arg : c.prepare(folder))
            run.m_aArgs.push_back(arg);
        run.m_bAsOtherUser = c.asOther;
        run.m_nTimeLimit = 20;
        const CRunResult r = Run(run);
        EXPECT_EQ(r.m_nStatus, c.status) << c.name << ": " << r.m_sErr;
        EXPECT_NE(r.m_sErr.find(c.error), std::string::npos) << c.name << ": " << r.m_sErr;
        c.check(folder);
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            EXPECT_EQ(entry.path().filename().string().find(".quillmark-"), std::string::npos)
                << c.name << ": " << entry.path();
    }
    if (!skipped.empty())
        GTEST_SKIP() << "cases that need root to give files away were skipped: " << ::testing::PrintToString(skipped);
}

TEST_F(EndToEnd, ANamedPipeIsReadForStandardOutput)
{
    const std::string command = "bash -c '\"" + std::string(QUILLMARK_FORMAT_EXE) +
                                "\" --capitalise <(printf \"select 1\")' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[64] = {};
    const size_t n = std::fread(buffer, 1, sizeof buffer - 1, pipe);
    EXPECT_EQ(::pclose(pipe), 0);
    EXPECT_EQ(std::string(buffer, n), "SELECT 1");
}

TEST_F(EndToEnd, BadFilesAreReportedAndTheOthersStillFormatted)
{
    WriteFile(m_dir / "a.sql", "select '\xE9' from t\n"); // Latin-1 in a UTF-8 run
    WriteFile(m_dir / "b.sql", "select 1\n");
    const CRunResult r = Run({"-i", "--capitalise", P("a.sql"), P("missing.sql"), P("b.sql")});
    EXPECT_EQ(r.m_nStatus, 2);
    EXPECT_NE(r.m_sErr.find(P("a.sql") + ": is not valid UTF-8"), std::string::npos) << r.m_sErr;
    EXPECT_NE(r.m_sErr.find(P("missing.sql") + ": No such file"), std::string::npos) << r.m_sErr;
    EXPECT_EQ(ReadFile(m_dir / "a.sql"), "select '\xE9' from t\n") << "left alone";
    EXPECT_EQ(ReadFile(m_dir / "b.sql"), "SELECT 1\n");

    // Named, the encoding reads it.
    const CRunResult latin = Run({"-i", "--capitalise", "--encoding", "latin1", P("a.sql")});
    EXPECT_EQ(latin.m_nStatus, 0) << latin.m_sErr;
    EXPECT_EQ(ReadFile(m_dir / "a.sql"), "SELECT '\xE9' FROM t\n");
}

TEST_F(EndToEnd, MixedLineEndingsAroundALiteralAreRefused)
{
    const std::string spanning = "select 'a\nb' from t\r\nwhere 1 = 1\r\n";
    WriteFile(m_dir / "a.sql", spanning);
    WriteFile(m_dir / "b.sql", "select 1\r\nfrom t\n");
    const CRunResult r = Run({"-i", "--capitalise", P("a.sql"), P("b.sql")});
    EXPECT_EQ(r.m_nStatus, 2);
    EXPECT_NE(r.m_sErr.find("mixed line endings"), std::string::npos) << r.m_sErr;
    EXPECT_EQ(ReadFile(m_dir / "a.sql"), spanning);
    EXPECT_EQ(ReadFile(m_dir / "b.sql"), "SELECT 1\r\nFROM t\r\n") << "made uniform by the first";
}

TEST_F(EndToEnd, AFailedWriteLeavesTheFileWhole)
{
    // Larger than the file-size limit once rewritten; the small one still fits.
    std::string big;
    for (int i = 0; i < 400; ++i)
        big += "select a from t;\n";
    WriteFile(m_dir / "a.sql", big);
    WriteFile(m_dir / "b.sql", "select 1\n");
    WriteFile(m_dir / "c.sql", big);
    fs::create_hard_link(m_dir / "c.sql", m_dir / "c-link.sql");
    CRunRequest run;
    run.m_aArgs = {"-i", "--capitalise", P("a.sql"), P("b.sql"), P("c.sql")};
    run.m_nFileSizeLimit = 4096;
    const CRunResult r = Run(run);
    EXPECT_EQ(r.m_nStatus, 2) << "an error, not death by SIGXFSZ";
    EXPECT_NE(r.m_sErr.find(P("a.sql") + ": cannot be rewritten: File too large"), std::string::npos)
        << r.m_sErr;
    EXPECT_NE(r.m_sErr.find(P("c.sql") + ": cannot be rewritten: File too large"), std::string::npos)
        << r.m_sErr;
    EXPECT_EQ(ReadFile(m_dir / "a.sql"), big);
    EXPECT_EQ(ReadFile(m_dir / "c-link.sql"), big);
    EXPECT_EQ(ReadFile(m_dir / "b.sql"), "SELECT 1\n");
    for (const auto& entry : fs::directory_iterator(m_dir))
        EXPECT_EQ(entry.path().filename().string().find(".quillmark-"), std::string::npos);
}

// With no thread to be had, a run asked for two threads does the work on one.
TEST_F(EndToEnd, ThreadsTheSystemRefusesAreDoneWithout)
{
    std::string script; // long enough that its units go to threads
    while (script.size() < 600u << 10)
        script += "select a, b from t where x = 1;\n/\nprompt next\n";
    WriteFile(m_dir / "a.sql", script);
    WriteFile(m_dir / "b.sql", script);
    fs::permissions(m_dir, fs::perms::all);
    CRunRequest alone;
    alone.m_aArgs = {"-j", "1", P("a.sql"), P("b.sql")};
    const CRunResult expected = Run(alone);
    ASSERT_EQ(expected.m_nStatus, 0) << expected.m_sErr;
    for (const char* files : {"one", "two"})
    {
        CRunRequest run;
        run.m_aArgs = {"-j", "2", P("a.sql")};
        if (std::string(files) == "two")
            run.m_aArgs.push_back(P("b.sql"));
        run.m_nProcessLimit = 1;
        run.m_bAsOtherUser = true;
        // The leak checker needs a thread of its own at exit.
        run.m_aEnv = {"ASAN_OPTIONS=detect_leaks=0:abort_on_error=1"};
        const CRunResult r = Run(run);
        EXPECT_EQ(r.m_nStatus, 0) << files << ": " << r.m_sErr;
        const size_t half = expected.m_sOut.size() / 2;
        EXPECT_EQ(r.m_sOut, std::string(files) == "two" ? expected.m_sOut : expected.m_sOut.substr(0, half)) << files;
    }
}

TEST_F(EndToEnd, RunningOutOfMemoryOnOneFileSparesTheOthers)
{
#if defined(__SANITIZE_ADDRESS__) // GCC
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit allows";
#elif defined(__has_feature) // clang
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit allows";
#endif
#endif
    // 20 MB of SQL needs far more than 150 MB to format; a small file does not.
    std::string big;
    while (big.size() < 20u << 20)
        big += "select a, b, c from some_table where x = 1 and y = 'text';\n";
    WriteFile(m_dir / "big.sql", big);
    WriteFile(m_dir / "small.sql", "select 1\n");
    CRunRequest run;
    run.m_aArgs = {"-j", "1", "-i", P("big.sql"), P("small.sql")};
    run.m_nAddressSpaceLimit = 150u << 20;
    const CRunResult r = Run(run);
    EXPECT_EQ(r.m_nStatus, 2);
    EXPECT_NE(r.m_sErr.find(P("big.sql") + ": out of memory; nothing written"), std::string::npos) << r.m_sErr;
    EXPECT_EQ(ReadFile(m_dir / "small.sql"), "SELECT 1\n");
    EXPECT_EQ(ReadFile(m_dir / "big.sql"), big);
}

TEST_F(EndToEnd, InterruptedRewritesLeaveOldOrNewFilesAndNoTemporaryOnes)
{
    std::string text;
    while (text.size() < 4u << 20)
        text += "select a from t where x = 1;\n";
    std::string formatted;
    while (formatted.size() < text.size())
        formatted += "SELECT a FROM t WHERE x = 1;\n";
    // Signals at different moments of reading, formatting, writing, renaming.
    for (int delayMs : {0, 20, 60, 120, 250})
    {
        for (const char* name : {"a.sql", "b.sql"})
            WriteFile(m_dir / "in" / name, text);
        CRunRequest run;
        run.m_aArgs = {"-i", "--capitalise", "-j", "1", (m_dir / "in").string()};
        const pid_t pid = Start(run);
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        ::kill(pid, SIGTERM);
        const CRunResult r = Wait(pid);
        EXPECT_TRUE(r.m_nStatus == 0 || r.m_nStatus == 128 + SIGTERM) << r.m_nStatus << " " << r.m_sErr;
        for (const auto& entry : fs::directory_iterator(m_dir / "in"))
        {
            const std::string file = entry.path().filename().string();
            EXPECT_TRUE(file == "a.sql" || file == "b.sql") << "after " << delayMs << " ms: " << file;
            const std::string now = ReadFile(entry.path());
            EXPECT_TRUE(now == text || now == formatted) << file << " after " << delayMs << " ms";
        }
    }
}

TEST_F(EndToEnd, SafetyCheckRefusesATamperedResultInPlace)
{
    WriteFile(m_dir / "a.sql", "select a from t\n");
    CRunRequest run;
    run.m_aArgs = {"-i", P("a.sql")};
    run.m_aEnv = {"QUILLMARK_TEST_CORRUPT_RESULT=1"};
    run.m_sProgram = QUILLMARK_FAULT_INJECTION_EXE;
    const CRunResult r = Run(run);
    EXPECT_EQ(r.m_nStatus, 2);
    EXPECT_NE(r.m_sErr.find(P("a.sql") + ": safety check failed"), std::string::npos) << r.m_sErr;
    EXPECT_EQ(ReadFile(m_dir / "a.sql"), "select a from t\n");
}

// ---------------------------------------------------------------- check and diff

TEST_F(EndToEnd, CheckAndDiffWriteNothingAndSayWhatWouldChange)
{
    WriteFile(m_dir / "ok.sql", "SELECT 1 FROM dual\n");
    WriteFile(m_dir / "bad.sql", "select 1 from dual\n");
    WriteFile(m_dir / "mixed.sql", "SELECT 1\r\nFROM dual\n");
    const std::string badDiff = "--- a/bad.sql\n+++ b/bad.sql\n@@ -1 +1 @@\n-select 1 from dual\n+SELECT 1 FROM dual\n";
    struct
    {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string out;
    } rows[] = {
        {"CheckFormatted", {"--check", "ok.sql"}, 0, ""},
        {"CheckListsChanged", {"--check", "bad.sql", "ok.sql"}, 1, "bad.sql\n"},
        {"DiffAloneExitsZero", {"--diff", "bad.sql", "ok.sql"}, 0, badDiff},
        {"CheckWithDiff", {"--check", "--diff", "bad.sql"}, 1, badDiff},
        {"AbsolutePathBelowTheCurrentFolder", {"--diff", P("bad.sql")}, 0, badDiff},
        {"LineEndingsAloneShowAsChangedLines", {"--diff", "mixed.sql"}, 0,
         "--- a/mixed.sql\n+++ b/mixed.sql\n@@ -1,2 +1,2 @@\n SELECT 1\r\n-FROM dual\n+FROM dual\r\n"},
    };
    for (const auto& row : rows)
    {
        CRunRequest run;
        run.m_aArgs = row.args;
        run.m_aArgs.push_back("--capitalise");
        run.m_sDir = m_dir.string();
        const CRunResult r = Run(run);
        EXPECT_EQ(r.m_nStatus, row.status) << row.name << ": " << r.m_sErr;
        EXPECT_EQ(r.m_sOut, row.out) << row.name;
    }
    EXPECT_EQ(ReadFile(m_dir / "bad.sql"), "select 1 from dual\n") << "nothing written";
}

// Diffs that git apply and patch -p1 apply: the result equals what -i writes.
TEST_F(EndToEnd, DiffsApplyWithGitAndPatch)
{
    if (std::system("command -v git > /dev/null && command -v patch > /dev/null && command -v iconv > /dev/null") != 0)
        GTEST_SKIP() << "git, patch or iconv is not installed";
    auto wide = [](const std::string& utf8, const char* encoding, const std::string& mark) {
        WriteFile(fs::temp_directory_path() / "qmf-iconv-in", utf8);
        const std::string out = (fs::temp_directory_path() / "qmf-iconv-out").string();
        const std::string command = std::string("iconv -f UTF-8 -t ") + encoding + " < " +
                                    (fs::temp_directory_path() / "qmf-iconv-in").string() + " > " + out;
        EXPECT_EQ(std::system(command.c_str()), 0);
        return mark + ReadFile(out);
    };
    const std::vector<std::pair<std::string, std::string>> files = {
        {"plain.sql", "select a, b from t where x = 1;\nselect 2 from dual\n"},
        {"sub dir/with blanks.sql", "select a from t\n"},
        {"tab\tname.sql", "select a from t\n"},
        {"crlf.sql", "select a\r\nfrom t\r\n"},
        {"mixed.sql", "select 1\r\nfrom t\nwhere x=1"},
        {"no-break.sql", "select 1 from dual"},
        {"latin1.sql", "select '\xE9' from t\n"},
        {"wide-le.sql", wide("select a,\r\nb from t\r\n", "UTF-16LE", "\xFF\xFE")},
        {"wide-be.sql", wide("select a, b from t\n", "UTF-16BE", "\xFE\xFF")},
    };
    const fs::path applied = m_dir / "applied", rewritten = m_dir / "rewritten", patched = m_dir / "patched";
    for (const fs::path& root : {applied, rewritten, patched})
        for (const auto& [name, bytes] : files)
            WriteFile(root / name, bytes);
    auto run = [&](const fs::path& dir, std::vector<std::string> args) {
        CRunRequest request;
        request.m_aArgs = {"--encoding", "latin1"};
        request.m_aArgs.insert(request.m_aArgs.end(), args.begin(), args.end());
        request.m_sDir = dir.string();
        return Run(request);
    };
    std::vector<std::string> names;
    for (const auto& file : files)
        names.push_back(file.first);
    names.insert(names.begin(), "--diff");
    const CRunResult diff = run(applied, names);
    ASSERT_EQ(diff.m_nStatus, 0) << diff.m_sErr;
    WriteFile(m_dir / "all.diff", diff.m_sOut);
    names[0] = "-i";
    ASSERT_EQ(run(rewritten, names).m_nStatus, 0);

    const std::string gitApply = "cd '" + applied.string() + "' && git init -q . && git apply --whitespace=nowarn '" +
                                 (m_dir / "all.diff").string() + "' 2>&1";
    EXPECT_EQ(std::system(gitApply.c_str()), 0) << diff.m_sOut;
    for (const auto& [name, bytes] : files)
        EXPECT_EQ(ReadFile(applied / name), ReadFile(rewritten / name)) << "git apply: " << name;

    // patch -p1 reads every diff of a file with LF line ends in an ASCII-
    // compatible encoding; it takes CR LF patches for its own.
    const CRunResult lf = run(patched, {"--diff", "plain.sql", "sub dir/with blanks.sql", "tab\tname.sql",
                                        "no-break.sql", "latin1.sql"});
    WriteFile(m_dir / "lf.diff", lf.m_sOut);
    const std::string patch = "cd '" + patched.string() + "' && patch -s -p1 < '" + (m_dir / "lf.diff").string() + "'";
    EXPECT_EQ(std::system(patch.c_str()), 0) << lf.m_sOut;
    for (const std::string name : {"plain.sql", "sub dir/with blanks.sql", "tab\tname.sql", "no-break.sql", "latin1.sql"})
        EXPECT_EQ(ReadFile(patched / name), ReadFile(rewritten / name)) << "patch -p1: " << name;
}

// The corpus of real SQL, copied three times: a --diff of it applied with
// git apply, and for the UTF-8 files with LF line ends with patch -p1, gives
// exactly what -i writes. Files that are not UTF-8 are run with --encoding
// latin1.
TEST_F(EndToEnd, CorpusDiffsApplyAsInPlaceRewrites)
{
    const char* env = std::getenv("QUILLMARK_CORPUS_DIR");
    const fs::path corpus = env && *env ? fs::path(env) : fs::path(QUILLMARK_CORPUS_DIR);
    if (corpus.empty() || !fs::is_directory(corpus))
        GTEST_SKIP() << "no corpus at '" << corpus.string() << "' (set QUILLMARK_CORPUS_DIR)";
    if (std::system("command -v git > /dev/null && command -v patch > /dev/null") != 0)
        GTEST_SKIP() << "git or patch is not installed";
    const fs::path applied = m_dir / "applied", rewritten = m_dir / "rewritten", patched = m_dir / "patched";
    for (const fs::path& copy : {applied, rewritten, patched})
    {
        fs::copy(corpus, copy, fs::copy_options::recursive);
        // The corpus may be kept read-only; its copies are to be rewritten.
        fs::permissions(copy, fs::perms::owner_all, fs::perm_options::add);
        for (const auto& entry : fs::recursive_directory_iterator(copy))
            fs::permissions(entry.path(), fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
    }
    auto run = [&](const fs::path& dir, std::vector<std::string> args) {
        CRunRequest request;
        request.m_aArgs = std::move(args);
        request.m_sDir = dir.string();
        request.m_nTimeLimit = 300;
        return Run(request);
    };
    auto shell = [](const std::string& command) { return std::system(command.c_str()); };

    // The files that are not UTF-8 are named by the first run, one line each.
    const CRunResult diff = run(applied, {"--diff", "-q", "."});
    std::vector<std::string> latin1{"--diff", "--encoding", "latin1"};
    std::istringstream errors(diff.m_sErr);
    for (std::string line; std::getline(errors, line);)
    {
        const size_t end = line.find(": is not valid UTF-8");
        ASSERT_NE(end, std::string::npos) << line;
        latin1.push_back(line.substr(std::string("quillmark-format: ").size(),
                                     end - std::string("quillmark-format: ").size()));
    }
    const CRunResult latin1Diff = run(applied, latin1);
    ASSERT_EQ(latin1Diff.m_nStatus, 0) << latin1Diff.m_sErr;
    WriteFile(m_dir / "corpus.diff", diff.m_sOut + latin1Diff.m_sOut);
    ASSERT_EQ(shell("cd '" + applied.string() + "' && git init -q . && git apply --whitespace=nowarn '" +
                    (m_dir / "corpus.diff").string() + "'"),
              0);

    EXPECT_EQ(run(rewritten, {"-i", "-q", "."}).m_nStatus, latin1.size() > 3 ? 2 : 0);
    latin1[0] = "-i";
    EXPECT_EQ(run(rewritten, latin1).m_nStatus, 0);
    // Formatted once, every file is formatted for good.
    const CRunResult check = run(rewritten, {"--check", "-q", "."});
    EXPECT_EQ(check.m_sOut, "") << "files that -i left unsettled";
    latin1[0] = "--check";
    EXPECT_EQ(run(rewritten, latin1).m_nStatus, 0);
    ASSERT_EQ(shell("diff -r -q -x .git '" + applied.string() + "' '" + rewritten.string() + "'"), 0)
        << "git apply of the diffs gives what -i writes";

    // patch -p1, for the files in UTF-8 with LF line ends.
    std::vector<std::string> lf{"--diff"};
    for (const auto& entry : fs::recursive_directory_iterator(patched))
    {
        const std::string name = fs::relative(entry.path(), patched).string();
        if (!entry.is_regular_file() || !qmcli::IsSqlSourceName(entry.path().filename().string()) ||
            std::find(latin1.begin(), latin1.end(), "./" + name) != latin1.end())
            continue;
        const std::string bytes = ReadFile(entry.path());
        if (bytes.find('\r') == std::string::npos && bytes.rfind("\xEF\xBB\xBF", 0) != 0)
            lf.push_back(name);
    }
    const CRunResult lfDiff = run(patched, lf);
    WriteFile(m_dir / "lf.diff", lfDiff.m_sOut);
    ASSERT_EQ(shell("cd '" + patched.string() + "' && patch -s -p1 < '" + (m_dir / "lf.diff").string() + "'"), 0);
    size_t compared = 0;
    for (size_t i = 1; i < lf.size(); ++i, ++compared)
        if (ReadFile(patched / lf[i]) != ReadFile(rewritten / lf[i]))
            ADD_FAILURE() << "patch -p1 differs from -i: " << lf[i];
    EXPECT_GT(compared, 1000u);
}

TEST_F(EndToEnd, FoldersAreWalkedForSourceFilesInSortedOrder)
{
    for (const char* name : {"z.sql", "a/b.PKB", "a/c.txt", "a/d.trg", ".git/x.sql", "m.fnc", "n.sql~"})
        WriteFile(m_dir / name, "select 1\n");
    const CRunResult r = Run({"--check", "--capitalise", m_dir.string()});
    EXPECT_EQ(r.m_nStatus, 1) << r.m_sErr;
    EXPECT_EQ(r.m_sOut, P("a/b.PKB") + "\n" + P("a/d.trg") + "\n" + P("m.fnc") + "\n" + P("z.sql") + "\n");
}

TEST_F(EndToEnd, SeveralResultsOnStandardOutputStayOnLinesOfTheirOwn)
{
    WriteFile(m_dir / "a.sql", "select 1");
    WriteFile(m_dir / "b.sql", "select 2\r\nfrom t");
    WriteFile(m_dir / "c.sql", "select 3\n");
    const CRunResult r = Run({"--capitalise", P("a.sql"), P("b.sql"), P("c.sql")});
    EXPECT_EQ(r.m_nStatus, 0) << r.m_sErr;
    EXPECT_EQ(r.m_sOut, "SELECT 1\nSELECT 2\r\nFROM t\r\nSELECT 3\n");
    EXPECT_EQ(Run({"--capitalise", P("a.sql")}).m_sOut, "SELECT 1") << "one result stays exact";
}

TEST_F(EndToEnd, ParallelRunGivesTheSameOutputAsOneThread)
{
    std::string expectedOrder;
    for (int i = 0; i < 60; ++i)
    {
        std::string body;
        for (int k = 0; k <= i % 7; ++k)
            body += "select c" + std::to_string(k) + ", d from t" + std::to_string(i) + " where x = " +
                    std::to_string(k) + ";\n";
        char name[32];
        std::snprintf(name, sizeof name, "f%02d.sql", i);
        WriteFile(m_dir / name, body);
    }
    const CRunResult one = Run({"-j", "1", m_dir.string()});
    const CRunResult many = Run({"-j", "4", m_dir.string()});
    EXPECT_EQ(one.m_nStatus, 0) << one.m_sErr;
    EXPECT_EQ(many.m_nStatus, 0) << many.m_sErr;
    EXPECT_FALSE(one.m_sOut.empty());
    EXPECT_EQ(one.m_sOut, many.m_sOut);
    EXPECT_LT(one.m_sOut.find("t0"), one.m_sOut.find("t59")) << "input order";

    const CRunResult inPlace = Run({"-i", "-j", "4", m_dir.string()});
    EXPECT_EQ(inPlace.m_nStatus, 0) << inPlace.m_sErr;
    const CRunResult after = Run({"-j", "1", "--check", m_dir.string()});
    EXPECT_EQ(after.m_sErr, "");
}

// ---------------------------------------------------------------- options

TEST_F(EndToEnd, OptionsFileLayersOverDefaultsAndIsReadStrictly)
{
    WriteFile(m_dir / "team.ini", "[Options\\CCapitalisation]\nm_nKeywords=1\n");
    WriteFile(m_dir / "a.sql", "SELECT A FROM T\n");
    // The user's store says upper case and left-aligned; the options file wins.
    WriteFile(m_store, "[Options\\CGeneral]\nm_sStr=Str\n[Options\\CCapitalisation]\nm_nKeywords=0\nm_nOther=0\n");
    CRunResult r = Run({"--capitalise", "--options", P("team.ini"), P("a.sql")});
    EXPECT_EQ(r.m_nStatus, 0) << r.m_sErr;
    EXPECT_EQ(r.m_sOut, "select a from t\n") << "other words take the default, not the store";

    struct
    {
        const char* name;
        std::string text;
        std::string error;
    } bad[] = {
        {"UnknownSection", "[Options\\CKeywords]\nm_nKeywords=1\n", P("bad.ini") + ":1: unknown section"},
        {"UnknownField", "\n[Options\\CCapitalisation]\nm_nKeyword=1\n",
         P("bad.ini") + ":3: unknown key 'm_nKeyword'"},
        {"OutsideTheChoice", "[Options\\CCapitalisation]\nm_nKeywords=99\n",
         P("bad.ini") + ":2: capitalisation.keywords: '99' is not one of upper | lower | initcap"},
    };
    for (const auto& row : bad)
    {
        WriteFile(m_dir / "bad.ini", row.text);
        r = Run({"-i", "--options", P("bad.ini"), P("a.sql")});
        EXPECT_EQ(r.m_nStatus, 2) << row.name;
        EXPECT_EQ(r.m_sErr.rfind("quillmark-format: " + row.error, 0), 0u) << row.name << ": " << r.m_sErr;
        EXPECT_EQ(std::count(r.m_sErr.begin(), r.m_sErr.end(), '\n'), 1) << r.m_sErr;
        EXPECT_EQ(ReadFile(m_dir / "a.sql"), "SELECT A FROM T\n") << row.name << ": no file touched";
    }
    r = Run({"--options", P("nowhere.ini"), P("a.sql")});
    EXPECT_EQ(r.m_nStatus, 2);
    EXPECT_NE(r.m_sErr.find("nowhere.ini: cannot be read"), std::string::npos) << r.m_sErr;
    fs::create_directory(m_dir / "folder.ini");
    r = Run({"--options", P("folder.ini"), P("a.sql")});
    EXPECT_EQ(r.m_nStatus, 2);
    EXPECT_NE(r.m_sErr.find("folder.ini: is a folder"), std::string::npos) << r.m_sErr;
}

TEST_F(EndToEnd, NearestDiscoveredOptionsFileApplies)
{
    WriteFile(m_dir / ".quillmark.ini", "[Options\\CCapitalisation]\nm_nKeywords=1\n");
    WriteFile(m_dir / "sub/.quillmark.ini", "[Options\\CCapitalisation]\nm_nKeywords=2\n");
    WriteFile(m_dir / "top.sql", "SELECT x\n");
    WriteFile(m_dir / "sub/deep/q.sql", "SELECT x\n");
    CRunResult r = Run({"--capitalise", P("top.sql"), P("sub/deep/q.sql")});
    EXPECT_EQ(r.m_nStatus, 0) << r.m_sErr;
    EXPECT_EQ(r.m_sOut, "select x\nSelect x\n");

    // Standard input looks from the current folder, or from --stdin-path.
    CRunRequest run;
    run.m_aArgs = {"--capitalise"};
    run.m_sStdin = "SELECT x";
    run.m_sDir = m_dir.string();
    r = Run(run);
    EXPECT_EQ(r.m_sOut, "select x");
    run.m_aArgs = {"--capitalise", "--stdin-path", P("sub/q.sql")};
    r = Run(run);
    EXPECT_EQ(r.m_sOut, "Select x");

    // A bad options file anywhere stops the whole run before any file is touched.
    WriteFile(m_dir / "sub/deep/.quillmark.ini", "[Options\\CCase]\nm_nIdentThenFromWhen=far\n");
    r = Run({"-i", "--capitalise", m_dir.string()});
    EXPECT_EQ(r.m_nStatus, 2);
    EXPECT_NE(r.m_sErr.find(P("sub/deep/.quillmark.ini") + ":2: case.then-indent: 'far' is not a whole number"),
              std::string::npos)
        << r.m_sErr;
    EXPECT_EQ(ReadFile(m_dir / "top.sql"), "SELECT x\n");
}

TEST_F(EndToEnd, UserStoreIsReadButNeverWritten)
{
    const std::string store =
        "[Options\\CGeneral]\nm_sStr=Str\n[Options\\CCapitalisation]\nm_nKeywords=1\nnot a valid line\n";
    WriteFile(m_store, store);
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimensat(AT_FDCWD, m_store.c_str(), old, 0);
    const CRunResult r = Run({"--capitalise"}, "SELECT x");
    EXPECT_EQ(r.m_nStatus, 0) << r.m_sErr;
    // Loaded the store's lenient way: with the marker, a missing value is 0.
    EXPECT_EQ(r.m_sOut, "select X");
    EXPECT_EQ(ReadFile(m_store), store);
    struct stat st;
    ASSERT_EQ(::stat(m_store.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    EXPECT_FALSE(fs::exists(m_store.string() + ".bad"));

    // A store without the marker means defaults, and is still not written.
    fs::remove(m_store);
    const CRunResult fresh = Run({"--capitalise"}, "select x");
    EXPECT_EQ(fresh.m_sOut, "SELECT x");
    EXPECT_FALSE(fs::exists(m_store));
}

TEST_F(EndToEnd, DumpedOptionsReadBackAsAnOptionsFile)
{
    CRunResult r = Run({"--dump-options", "--set", "CSelect.m_nColumnListComma=0", "--left-margin", "2"});
    EXPECT_EQ(r.m_nStatus, 0) << r.m_sErr;
    EXPECT_NE(r.m_sOut.find("\n[select]\n# true | false: a stacked SELECT list aligns after DISTINCT\n"
                            "align-after-distinct = false\n# after | before | before-with-space\ncolumn-list-comma = after\n"),
              std::string::npos)
        << r.m_sOut;
    EXPECT_NE(r.m_sOut.find("\nleft-margin = 2\n"), std::string::npos);
    WriteFile(m_dir / "dump.ini", r.m_sOut);
    const CRunResult again = Run({"--dump-options", "--options", P("dump.ini")});
    EXPECT_EQ(again.m_nStatus, 0) << again.m_sErr;
    EXPECT_EQ(again.m_sOut.substr(again.m_sOut.find('\n')), r.m_sOut.substr(r.m_sOut.find('\n')));
}

} // namespace
