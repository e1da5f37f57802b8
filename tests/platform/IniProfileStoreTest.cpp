// The settings store's file: loading whatever is there, saving atomically,
// merging with other processes, and failing loudly without losing the old file.
#include "IniProfileStore.h"
#include "Options.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class IniStore : public testing::Test
{
protected:
    std::string Ini() const { return m_folder.File("Quillmark.ini"); }
    CTempFolder m_folder;
};

TEST_F(IniStore, MissingFileIsAnEmptyStoreWithoutWarning)
{
    CIniProfileStore store(Ini());
    EXPECT_EQ(store.GetString("Options\\CGeneral", "m_sStr"), std::nullopt);
    EXPECT_TRUE(store.Warnings().empty());
    EXPECT_TRUE(store.Flush()); // nothing to write
    EXPECT_FALSE(fs::exists(Ini()));
}

TEST_F(IniStore, FlushCreatesMissingFolders)
{
    const std::string path = m_folder.File("a/b/Quillmark.ini");
    {
        CIniProfileStore store(path);
        store.WriteString("", "AppNameVer", "Quillmark v 1.1");
        ASSERT_TRUE(store.Flush()) << store.LastError();
    }
    EXPECT_EQ(ReadBytes(path), "AppNameVer=Quillmark v 1.1\n");
}

TEST_F(IniStore, OptionsRoundTripThroughTheFile)
{
    {
        CIniProfileStore store(Ini());
        COptions options(&store);
    } // the options save, then the store flushes
    const std::string text = ReadBytes(Ini());
    EXPECT_NE(text.find("[Options\\CParentheses]\nm_nSpace=1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Options\\CGeneral]\n"), std::string::npos);
    EXPECT_NE(text.find("m_sStr=Str\n"), std::string::npos);
    EXPECT_EQ(text.find("m_nRightMarginLength"), std::string::npos);
    {
        CIniProfileStore store(Ini());
        COptions options(&store);
        options.m_Commas.m_nStackedWrappedLength = 70;
        options.m_General.m_nLeftMargin = -1;
    }
    CIniProfileStore store(Ini());
    COptions options(&store);
    EXPECT_EQ(options.m_Commas.m_nStackedWrappedLength, 70);
    EXPECT_EQ(options.m_General.m_nLeftMargin, -1);
}

TEST_F(IniStore, HandEditedFileLoadsLeniently)
{
    WriteBytes(Ini(), "; mine\n[Options\\CGeneral]\nm_sStr=Str\nm_nTabSize=8x\n");
    CIniProfileStore store(Ini());
    COptions options(&store);
    EXPECT_EQ(options.m_General.m_nTabSize, 8);
    EXPECT_EQ(options.m_Commas.m_nStackedWrappedLength, 0); // absent: 0, not the default
    EXPECT_TRUE(store.Warnings().empty());
}

TEST_F(IniStore, UnchangedStoreIsNotRewritten)
{
    {
        CIniProfileStore store(Ini());
        COptions options(&store);
    }
    struct stat before;
    ASSERT_EQ(::stat(Ini().c_str(), &before), 0);
    {
        CIniProfileStore store(Ini());
        COptions options(&store);
    }
    struct stat after;
    ASSERT_EQ(::stat(Ini().c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino); // no rename happened
}

struct MalformedCase
{
    const char* label;
    std::string bytes;
    const char* goodSection; // a value of a good line that must be used, if any
    const char* goodName;
    const char* goodValue;
};

class IniStoreMalformed : public IniStore, public testing::WithParamInterface<MalformedCase>
{
};

TEST_P(IniStoreMalformed, UsesGoodLinesWarnsAndKeepsABadCopy)
{
    const MalformedCase& c = GetParam();
    WriteBytes(Ini(), c.bytes);
    std::vector<std::string> told;
    {
        CIniProfileStore store(Ini(), [&told](const std::string& w) { told.push_back(w); });
        if (c.goodSection)
        {
            EXPECT_EQ(store.GetString(c.goodSection, c.goodName), std::optional<std::string>(c.goodValue));
        }
        ASSERT_EQ(told.size(), 1u);
        EXPECT_NE(told[0].find(Ini()), std::string::npos) << told[0];
        EXPECT_FALSE(fs::exists(Ini() + ".bad")); // nothing is written yet
        store.WriteString("S", "n", "v");
        ASSERT_TRUE(store.Flush()) << store.LastError();
    }
    EXPECT_EQ(ReadBytes(Ini() + ".bad"), c.bytes);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_NE(told[1].find(".bad"), std::string::npos) << told[1];
    CIniParseResult reread = ParseIni(ReadBytes(Ini()));
    EXPECT_TRUE(reread.Clean());
    CIniDocument doc(reread);
    EXPECT_EQ(*doc.Find("S", "n"), "v");
    if (c.goodSection)
    {
        EXPECT_EQ(*doc.Find(c.goodSection, c.goodName), c.goodValue);
    }
}

const MalformedCase kMalformedCases[] = {
    {"StrayWord", "[Options\\CGeneral]\nm_sStr=Str\noops\nm_nTabSize=3\n", "Options\\CGeneral", "m_nTabSize",
     "3"},
    {"Truncated", "[Options\\CGeneral]\nm_nTabSize=3\n[Options\\CCa", "Options\\CGeneral", "m_nTabSize", "3"},
    {"Binary", std::string("\x7F" "ELF\x02\x01\x01\0\0\0\xFF\xFE\n\x01\x02=\x03\n", 19), nullptr, nullptr,
     nullptr},
    {"Latin1", "[S]\nname=caf\xE9\nok=1\n", "S", "ok", "1"},
};

INSTANTIATE_TEST_SUITE_P(Cases, IniStoreMalformed, testing::ValuesIn(kMalformedCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(IniStore, MalformedFileIsLeftAloneWhenNothingChanges)
{
    WriteBytes(Ini(), "junk\n");
    {
        CIniProfileStore store(Ini());
        CReadOnlyProfileStore readOnly(store);
        COptions options(&readOnly);
    }
    EXPECT_EQ(ReadBytes(Ini()), "junk\n");
    EXPECT_FALSE(fs::exists(Ini() + ".bad"));
}

TEST_F(IniStore, TwoStoresKeepEachOthersValues)
{
    WriteBytes(Ini(), "[Shared]\nkeep=1\n");
    CIniProfileStore first(Ini());
    CIniProfileStore second(Ini());
    first.WriteString("Shared", "a", "from first");
    second.WriteString("Shared", "b", "from second");
    second.WriteString("Other", "c", "3");
    ASSERT_TRUE(first.Flush()) << first.LastError();
    ASSERT_TRUE(second.Flush()) << second.LastError();
    CIniDocument doc(ParseIni(ReadBytes(Ini())));
    EXPECT_EQ(*doc.Find("Shared", "keep"), "1");
    EXPECT_EQ(*doc.Find("Shared", "a"), "from first");
    EXPECT_EQ(*doc.Find("Shared", "b"), "from second");
    EXPECT_EQ(*doc.Find("Other", "c"), "3");
    // After its flush a store sees what the other one saved.
    EXPECT_EQ(second.GetString("Shared", "a"), "from first");
}

TEST_F(IniStore, SavingUntouchedOptionsKeepsAnotherProcesssChange)
{
    {
        CIniProfileStore store(Ini());
        COptions options(&store);
    }
    CIniProfileStore app(Ini());
    auto appOptions = std::make_unique<COptions>(&app);
    {
        // A second process changes one option and saves while the app runs.
        CIniProfileStore other(Ini());
        COptions options(&other);
        options.m_Capitalisation.m_nKeywords = CAP_LOWER;
    }
    appOptions->m_Case.m_nIdentThenFromWhen = 6; // the app's own change
    appOptions.reset();
    ASSERT_TRUE(app.Flush()) << app.LastError();
    CIniProfileStore check(Ini());
    COptions options(&check);
    EXPECT_EQ(options.m_Capitalisation.m_nKeywords, CAP_LOWER);
    EXPECT_EQ(options.m_Case.m_nIdentThenFromWhen, 6);
}

TEST_F(IniStore, DeletedSectionMergesAsDeletion)
{
    WriteBytes(Ini(), "AppNameVer=old\n\n[Workspace]\nApplicationLook=215\n\n[Settings]\nLineNumbers=1\n");
    CIniProfileStore store(Ini());
    store.DeleteSection("Workspace");
    store.WriteString("", "AppNameVer", "Quillmark v 1.1");
    EXPECT_EQ(store.GetString("Workspace", "ApplicationLook"), std::nullopt);
    {
        CIniProfileStore other(Ini());
        other.WriteString("Settings", "SelMargin", "0");
    }
    ASSERT_TRUE(store.Flush()) << store.LastError();
    EXPECT_EQ(ReadBytes(Ini()),
              "AppNameVer=Quillmark v 1.1\n\n[Settings]\nLineNumbers=1\nSelMargin=0\n");
}

TEST_F(IniStore, WriteAfterDeleteRecreatesTheSection)
{
    WriteBytes(Ini(), "[Workspace]\nA=1\nB=2\n");
    CIniProfileStore store(Ini());
    store.DeleteSection("Workspace");
    store.WriteString("Workspace", "A", "1"); // same text as before the deletion
    ASSERT_TRUE(store.Flush()) << store.LastError();
    EXPECT_EQ(ReadBytes(Ini()), "[Workspace]\nA=1\n");
}

TEST_F(IniStore, NamesTheFileCannotHoldAreRefused)
{
    CIniProfileStore store(Ini());
    store.WriteString("S", "a=b", "1");
    store.WriteString("S\nT", "a", "1");
    EXPECT_EQ(store.Warnings().size(), 2u);
    EXPECT_FALSE(store.HasPendingChanges());
    store.WriteString("S", "multi", "1\n2");
    EXPECT_EQ(store.GetString("S", "multi"), "1 2"); // what the file will give back
}

TEST_F(IniStore, FolderInTheFilesPlaceFailsAndKeepsChanges)
{
    fs::create_directory(Ini());
    std::vector<std::string> told;
    {
        CIniProfileStore store(Ini(), [&told](const std::string& w) { told.push_back(w); });
        ASSERT_EQ(told.size(), 1u); // unreadable: defaults, and the user is told
        store.WriteString("S", "a", "1");
        EXPECT_FALSE(store.Flush());
        EXPECT_NE(store.LastError().find(Ini()), std::string::npos) << store.LastError();
        EXPECT_TRUE(fs::is_directory(Ini()));
        EXPECT_TRUE(store.HasPendingChanges());

        fs::remove(Ini());
        ASSERT_TRUE(store.Flush()) << store.LastError();
        EXPECT_EQ(ReadBytes(Ini()), "[S]\na=1\n");

        fs::remove(Ini());
        fs::create_directory(Ini());
        store.WriteString("S", "a", "2");
    } // the destructor's failed flush reaches the sink
    ASSERT_EQ(told.size(), 2u);
    EXPECT_NE(told[1].find("not saved"), std::string::npos) << told[1];
}

struct WriteFailureCase
{
    const char* label;
    std::string folderAt; // made as a folder, below the test folder
    std::string fileAt;   // made as a file, below the test folder
    std::string ini;      // the store's file, below the test folder
    std::string iniBytes; // written into the store's file first, when not empty
};

class IniStoreWriteFailure : public IniStore, public testing::WithParamInterface<WriteFailureCase>
{
};

TEST_P(IniStoreWriteFailure, IsReportedAndChangesNothing)
{
    const WriteFailureCase& c = GetParam();
    if (!c.folderAt.empty())
        fs::create_directories(m_folder.File(c.folderAt));
    if (!c.fileAt.empty())
        WriteBytes(m_folder.File(c.fileAt), "x");
    const std::string ini = m_folder.File(c.ini);
    if (!c.iniBytes.empty())
        WriteBytes(ini, c.iniBytes);
    CIniProfileStore store(ini);
    store.WriteString("S", "a", "new");
    EXPECT_FALSE(store.Flush());
    EXPECT_FALSE(store.LastError().empty());
    EXPECT_TRUE(store.HasPendingChanges());
    if (!c.iniBytes.empty())
    {
        EXPECT_EQ(ReadBytes(ini), c.iniBytes);
    }
    if (!c.folderAt.empty())
    {
        EXPECT_TRUE(fs::is_directory(m_folder.File(c.folderAt)));
    }
}

const WriteFailureCase kWriteFailureCases[] = {
    {"FolderInTheFilesPlace", "Quillmark.ini", "", "Quillmark.ini", ""},
    {"FileInTheFoldersPlace", "", "Quillmark", "Quillmark/Quillmark.ini", ""},
    {"FolderInTheLockFilesPlace", "Quillmark.ini.lock", "", "Quillmark.ini", "[S]\na=old\n"},
    {"FolderInTheBadCopysPlace", "Quillmark.ini.bad", "", "Quillmark.ini", "[S]\na=old\njunk\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, IniStoreWriteFailure, testing::ValuesIn(kWriteFailureCases),
                         [](const auto& info) { return std::string(info.param.label); });

struct QuietLoadCase
{
    const char* label;
    std::string bytes;
};

class IniStoreQuietLoad : public IniStore, public testing::WithParamInterface<QuietLoadCase>
{
};

// Files without a malformed line load without a warning and give the options
// their defaults on a first run.
TEST_P(IniStoreQuietLoad, LoadsWithoutWarning)
{
    WriteBytes(Ini(), GetParam().bytes);
    {
        CIniProfileStore store(Ini());
        COptions options(&store);
        EXPECT_EQ(options.m_Commas.m_nStackedWrappedLength, 50);
        EXPECT_TRUE(store.Warnings().empty());
    }
    EXPECT_FALSE(fs::exists(Ini() + ".bad"));
    EXPECT_TRUE(ParseIni(ReadBytes(Ini())).Clean());
}

const QuietLoadCase kQuietLoadCases[] = {
    {"Empty", ""},
    {"OnlyByteOrderMark", "\xEF\xBB\xBF"},
    {"OnlyComments", "; a\n# b\n"},
    {"CrLf", "AppNameVer=Quillmark v 1.1\r\n[Workspace]\r\nApplicationLook=215\r\n"},
    {"NoFinalLineBreak", "[Settings]\nLineNumbers=1"},
};

INSTANTIATE_TEST_SUITE_P(Cases, IniStoreQuietLoad, testing::ValuesIn(kQuietLoadCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(IniStore, FifoInTheFilesPlaceDoesNotHang)
{
    ASSERT_EQ(::mkfifo(Ini().c_str(), 0600), 0);
    CIniProfileStore store(Ini());
    EXPECT_EQ(store.Warnings().size(), 1u);
    store.WriteString("S", "a", "1");
    EXPECT_FALSE(store.Flush());
}

TEST_F(IniStore, FileSizeLimitLeavesTheOldFileIntact)
{
    const std::string old = "[S]\nold=1\n";
    WriteBytes(Ini(), old);
    // In a child, so the limit and the ignored signal stay there.
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        CIniProfileStore store(Ini());
        store.WriteString("S", "big", std::string(4096, 'x'));
        const bool ok = store.Flush();
        const bool told = store.LastError().find(Ini()) != std::string::npos;
        // A second failure from the destructor is expected; leave quietly.
        ::_exit(!ok && told ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the flush did not report the failure";
    EXPECT_EQ(ReadBytes(Ini()), old);
    for (const auto& entry : fs::directory_iterator(m_folder.Path()))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST_F(IniStore, SymbolicLinkIsKeptAndItsTargetReplaced)
{
    const std::string real = m_folder.File("real.ini");
    WriteBytes(real, "[S]\na=1\n");
    fs::create_symlink(real, Ini());
    {
        CIniProfileStore store(Ini());
        EXPECT_EQ(store.GetString("S", "a"), "1");
        store.WriteString("S", "a", "2");
        ASSERT_TRUE(store.Flush()) << store.LastError();
    }
    EXPECT_TRUE(fs::is_symlink(Ini()));
    EXPECT_EQ(ReadBytes(real), "[S]\na=2\n");
}

TEST_F(IniStore, PermissionsOfTheOldFileAreKept)
{
    WriteBytes(Ini(), "[S]\na=1\n");
    ::chmod(Ini().c_str(), 0640);
    {
        CIniProfileStore store(Ini());
        store.WriteString("S", "a", "2");
    }
    struct stat st;
    ASSERT_EQ(::stat(Ini().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(IniStore, LockHeldTooLongFailsInsteadOfHanging)
{
    WriteBytes(Ini(), "[S]\na=1\n");
    CIniProfileStore store(Ini());
    store.SetLockTimeout(std::chrono::milliseconds(50));
    store.WriteString("S", "a", "2");
    int holder = ::open((Ini() + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    EXPECT_FALSE(store.Flush());
    EXPECT_NE(store.LastError().find("lock"), std::string::npos) << store.LastError();
    EXPECT_EQ(ReadBytes(Ini()), "[S]\na=1\n");
    ::close(holder);
    EXPECT_TRUE(store.Flush()) << store.LastError();
    EXPECT_EQ(ReadBytes(Ini()), "[S]\na=2\n");
}

TEST_F(IniStore, NoPathMeansMemoryOnly)
{
    CIniProfileStore store(std::string{});
    store.WriteString("S", "a", "1");
    EXPECT_EQ(store.GetString("S", "a"), "1");
    EXPECT_FALSE(store.Flush());
    EXPECT_FALSE(store.LastError().empty());
}

} // namespace
