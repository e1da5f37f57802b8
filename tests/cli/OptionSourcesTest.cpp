// The tool in-process on a folder of files: which options source governs each
// file and what --verbose says about it, and which files a folder walk leaves
// out (exclude patterns, --exclude, what git ignores), with the encoding an
// options file names.
#include "FormatTool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace fs = std::filesystem;
using namespace qmcli;

namespace
{

void WriteFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

struct CToolRun
{
    int m_nStatus = -1;
    std::string m_sOut;
    std::string m_sErr;
};

class OptionSources : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "qmf-sources-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = fs::path(pattern);
        m_previous = fs::current_path();
        // --exclude is relative to the current folder.
        fs::current_path(m_dir);
    }
    void TearDown() override
    {
        fs::current_path(m_previous);
        fs::remove_all(m_dir);
    }

    CToolRun Run(const std::vector<std::string>& args)
    {
        std::ostringstream out, err;
        CToolEnvironment env;
        env.m_pOut = &out;
        env.m_pErr = &err;
        env.m_ReadStdin = [](std::string& bytes, std::string&) {
            bytes = "select a from t";
            return true;
        };
        env.m_sUserStorePath = (m_dir / "store.ini").string();
        CToolRun run;
        run.m_nStatus = RunFormatTool(args, env);
        run.m_sOut = out.str();
        run.m_sErr = err.str();
        return run;
    }

    fs::path m_dir;
    fs::path m_previous;
};

// ------------------------------------------------------------ options sources

struct CSourceCase
{
    const char* m_sName;
    std::vector<std::string> m_aArgs;
    const char* m_sOut;    // the capitalised "SELECT A" of q/a.sql
    const char* m_sSource; // what -v says after "q/a.sql: options from "
};

class OptionSourceTest : public OptionSources, public ::testing::WithParamInterface<CSourceCase>
{
};

TEST_P(OptionSourceTest, SaysWhichSourceApplies)
{
    const CSourceCase& c = GetParam();
    WriteFile(m_dir / "store.ini", "[Options\\CGeneral]\nm_sStr=Str\n[Options\\CCapitalisation]\nm_nKeywords=2\n");
    WriteFile(m_dir / "team.ini", "[capitalisation]\nkeywords = lower\n");
    WriteFile(m_dir / "q/a.sql", "SELECT A\n");
    WriteFile(m_dir / "d/.quillmark.ini", "[capitalisation]\nkeywords = lower\nother = upper\n");
    WriteFile(m_dir / "d/a.sql", "SELECT A\n");
    std::vector<std::string> args{"-v", "--capitalise"};
    args.insert(args.end(), c.m_aArgs.begin(), c.m_aArgs.end());
    const CToolRun r = Run(args);
    EXPECT_EQ(r.m_nStatus, EXIT_OK) << r.m_sErr;
    EXPECT_EQ(r.m_sOut, c.m_sOut);
    std::string source = c.m_sSource;
    for (const auto& [name, value] : {std::pair{"STORE", (m_dir / "store.ini").string()}, {"DIR", m_dir.string()}})
        if (const size_t at = source.find(name); at != std::string::npos)
            source.replace(at, std::string(name).size(), value);
    EXPECT_EQ(r.m_sErr, "quillmark-format: " + args.back() + ": options from " + source + "\n");
}

const CSourceCase kSourceCases[] = {
    // The store's absent values load as 0 (upper case), as the desktop app loads them.
    {"DesktopStore", {"q/a.sql"}, "Select A\n",
     "the desktop app's store STORE (no .quillmark.ini in the file's folder or above)"},
    {"Discovered", {"d/a.sql"}, "select A\n", "DIR/d/.quillmark.ini (the nearest .quillmark.ini)"},
    {"OptionsFlag", {"--options", "team.ini", "d/a.sql"}, "select a\n", "team.ini (--options)"},
    {"NoConfigSkipsTheStore", {"--no-config", "q/a.sql"}, "SELECT a\n", "built-in defaults (--no-config)"},
    {"NoConfigSkipsDiscovery", {"--no-config", "d/a.sql"}, "SELECT a\n", "built-in defaults (--no-config)"},
    {"NoConfigKeepsOptionsAndSet",
     {"--no-config", "--options", "team.ini", "--set", "capitalisation.other=initcap", "q/a.sql"},
     "select A\n", "team.ini (--options), then --set capitalisation.other=initcap"},
};

INSTANTIATE_TEST_SUITE_P(Cases, OptionSourceTest, ::testing::ValuesIn(kSourceCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

// ------------------------------------------------------------ folder walks

struct CWalkCase
{
    const char* m_sName;
    std::vector<std::string> m_aArgs; // after --check
    int m_nStatus;
    const char* m_sOut; // the files --check lists
};

class WalkTest : public OptionSources, public ::testing::WithParamInterface<CWalkCase>
{
protected:
    // A work tree whose files all need formatting: some ignored by git, some
    // excluded by the options file at the top, one Latin-1 file.
    void MakeTree()
    {
        const std::string sql = "select 1 from t\n";
        WriteFile(m_dir / ".gitignore", "build/\n*.gen.sql\n");
        WriteFile(m_dir / ".quillmark.ini",
                  "[quillmark-format]\nencoding = latin1 ; old files\nexclude = vendor/ /top-only.sql\n");
        WriteFile(m_dir / "a.sql", "select 'caf\xE9' from t\n");
        WriteFile(m_dir / "build/b.sql", sql);
        WriteFile(m_dir / "c.gen.sql", sql);
        WriteFile(m_dir / "vendor/v.sql", sql);
        WriteFile(m_dir / "top-only.sql", sql);
        WriteFile(m_dir / "deep/top-only.sql", sql);
        WriteFile(m_dir / "sub/.quillmark.ini", "[quillmark-format]\nrespect-gitignore = no\n");
        WriteFile(m_dir / "sub/s.gen.sql", sql);
    }
};

TEST_P(WalkTest, LeavesOutWhatIsExcludedOrIgnored)
{
    if (std::system("git --version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "git is not installed";
    ASSERT_EQ(std::system(("git init -q '" + m_dir.string() + "'").c_str()), 0);
    MakeTree();
    const CWalkCase& c = GetParam();
    std::vector<std::string> args{"--check"};
    args.insert(args.end(), c.m_aArgs.begin(), c.m_aArgs.end());
    const CToolRun r = Run(args);
    EXPECT_EQ(r.m_nStatus, c.m_nStatus) << r.m_sErr;
    EXPECT_EQ(r.m_sOut, c.m_sOut) << r.m_sErr;
}

const CWalkCase kWalkCases[] = {
    {"ExcludedAndIgnoredLeftOut", {"."}, EXIT_CHANGES, "./a.sql\n./deep/top-only.sql\n./sub/s.gen.sql\n"},
    {"CommandLineExcludeAdds", {"--exclude", "deep/", "."}, EXIT_CHANGES, "./a.sql\n./sub/s.gen.sql\n"},
    {"CommandLineExcludeTakesBack", {"--exclude", "*.sql", "--exclude", "!a.sql", "."}, EXIT_CHANGES, "./a.sql\n"},
    {"NamedFilesAreAlwaysFormatted", {"build/b.sql", "vendor/v.sql", "c.gen.sql"}, EXIT_CHANGES,
     "build/b.sql\nvendor/v.sql\nc.gen.sql\n"},
    {"NamedIgnoredFolderIsWalked", {"build"}, EXIT_CHANGES, "build/b.sql\n"},
    {"NamedExcludedFolderIsWalked", {"vendor/"}, EXIT_CHANGES, "vendor/v.sql\n"},
    {"NoConfigDropsExcludesAndEncoding", {"--no-config", "--exclude", "a.sql", "."}, EXIT_CHANGES,
     "./deep/top-only.sql\n./top-only.sql\n./vendor/v.sql\n"},
    {"NoConfigStillDecodesStrictly", {"--no-config", "a.sql"}, EXIT_ERROR, ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, WalkTest, ::testing::ValuesIn(kWalkCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

TEST_F(WalkTest, VerboseSaysWhatWasLeftOutAndHowFilesAreRead)
{
    if (std::system("git --version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "git is not installed";
    ASSERT_EQ(std::system(("git init -q '" + m_dir.string() + "'").c_str()), 0);
    MakeTree();
    const CToolRun r = Run({"-vv", "--check", "."});
    const std::string ini = (m_dir / ".quillmark.ini").string();
    for (const std::string& line :
         {std::string("quillmark-format: ./build/: skipped, git ignores it\n"),
          "quillmark-format: ./vendor/: skipped, excluded by 'vendor/' (" + ini + ":3)\n",
          "quillmark-format: ./a.sql: options from " + ini + " (the nearest .quillmark.ini)\n",
          "quillmark-format: ./a.sql: text without a byte-order mark read as latin1 (encoding in " + ini + ")\n",
          std::string("quillmark-format: ./sub/s.gen.sql: text without a byte-order mark read in the "
                      "locale's character set\n")})
        EXPECT_NE(r.m_sErr.find(line), std::string::npos) << line << "in:\n" << r.m_sErr;
}

} // namespace
