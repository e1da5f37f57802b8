// Reading and writing real files: failures that cannot be faked (a folder in
// the file's place, a file-size limit), the atomic replacement of an existing
// file, and the kinds of file that are not replaced (links, devices, pipes).
#include "FakeFile.h"
#include "PosixFile.h"
#include "TextFileRead.h"
#include "TextFileWrite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
class TextFileDisk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string sTemplate = (fs::temp_directory_path() / "quillmark-textfile-XXXXXX").string();
        ASSERT_NE(::mkdtemp(sTemplate.data()), nullptr);
        m_folder = sTemplate;
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_folder, ec);
    }

    fs::path PathOf(const std::string& sName) const { return m_folder / sName; }
    static void Put(const fs::path& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    static std::string Get(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Every name in the folder: a temporary file left behind shows up here.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> aNames;
        for (const auto& entry : fs::directory_iterator(m_folder))
            aNames.push_back(entry.path().filename().string());
        std::sort(aNames.begin(), aNames.end());
        return aNames;
    }
    static unsigned ModeOf(const fs::path& path)
    {
        struct stat st;
        return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    fs::path m_folder;
};

bool WriteFile(const fs::path& path, std::u16string_view text, TextEncoding nEncoding,
               std::string* pError = nullptr)
{
    CTextFileWrite file(path, nEncoding);
    const bool bWritten = file.Write(text);
    const bool bClosed = file.Close();
    if (pError)
        *pError = file.GetError();
    return bWritten && bClosed;
}

TEST_F(TextFileDisk, ReadsAndWritesThroughTheFileSystem)
{
    const fs::path path = PathOf("a.sql");
    ASSERT_TRUE(WriteFile(path, u"select 1\r\nfrom dual\u20AC\r\n", ENC_UTF16_LE));
    CTextFileRead file(path);
    std::u16string text;
    ASSERT_TRUE(file.ReadAll(text));
    EXPECT_EQ(file.GetEncoding(), ENC_UTF16_LE);
    EXPECT_EQ(text, u"select 1\r\nfrom dual\u20AC\r\n");
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.sql"}));
}

TEST_F(TextFileDisk, UnreadablePathsFailWithAReason)
{
    fs::create_directory(PathOf("folder.sql"));
    const struct
    {
        const char* pszName;
        fs::path path;
        const char* pszReason;
    } cases[] = {
        {"missing file", PathOf("missing.sql"), "No such file"},
        {"folder in the file's place", PathOf("folder.sql"), "Is a directory"},
        {"file as a folder", PathOf("folder.sql/../missing/x.sql"), "No such file"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        CTextFileRead file(c.path);
        std::u16string text = u"kept";
        EXPECT_FALSE(file.ReadAll(text));
        EXPECT_EQ(text, u"kept");
        EXPECT_NE(file.GetError().find(c.pszReason), std::string::npos) << file.GetError();
        EXPECT_NE(file.GetError().find(c.path.string()), std::string::npos) << file.GetError();
    }
}

TEST_F(TextFileDisk, UnwritablePathsFailAndLeaveNothingBehind)
{
    fs::create_directory(PathOf("folder.sql"));
    Put(PathOf("plain"), "a file");
    const struct
    {
        const char* pszName;
        fs::path path;
        const char* pszReason;
    } cases[] = {
        {"folder in the file's place", PathOf("folder.sql"), "Is a directory"},
        {"missing parent folder", PathOf("nowhere/x.sql"), "No such file"},
        {"a file as the parent", PathOf("plain/x.sql"), "Not a directory"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        std::string sError;
        EXPECT_FALSE(WriteFile(c.path, u"select 1", ENC_UTF8, &sError));
        EXPECT_NE(sError.find(c.pszReason), std::string::npos) << sError;
    }
    EXPECT_TRUE(fs::is_directory(PathOf("folder.sql")));
    EXPECT_TRUE(fs::is_empty(PathOf("folder.sql")));
    EXPECT_EQ(Names(), (std::vector<std::string>{"folder.sql", "plain"}));
    EXPECT_EQ(Get(PathOf("plain")), "a file");
}

// Writes text of nBytes to path in a child process whose files may not grow
// beyond nLimit bytes, with SIGXFSZ ignored so that the write fails with EFBIG.
// The child's exit status: 0 when the failure was reported, 1 when the writer
// claimed success, 2 when it could not set the limit.
int WriteUnderSizeLimit(const fs::path& path, std::size_t nBytes, rlim_t nLimit)
{
    const pid_t pid = ::fork();
    if (pid == 0)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{nLimit, nLimit};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(2);
        const bool bOk = WriteFile(path, std::u16string(nBytes, u'q'), ENC_ANSI);
        ::_exit(bOk ? 1 : 0);
    }
    int nStatus = 0;
    ::waitpid(pid, &nStatus, 0);
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : 100 + WTERMSIG(nStatus);
}

TEST_F(TextFileDisk, FileSizeLimitIsReportedAndTheOldFileKept)
{
    const struct
    {
        const char* pszName;
        std::size_t nBytes;
    } cases[] = {
        {"fails in the middle", 100000},
        {"fails on the last flush", 5000},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        const fs::path path = PathOf("limited.sql");
        Put(path, "the old text");
        EXPECT_EQ(WriteUnderSizeLimit(path, c.nBytes, 4096), 0);
        EXPECT_EQ(Get(path), "the old text");
        EXPECT_EQ(Names(), (std::vector<std::string>{"limited.sql"}));

        const fs::path fresh = PathOf("fresh.sql");
        EXPECT_EQ(WriteUnderSizeLimit(fresh, c.nBytes, 4096), 0);
        EXPECT_FALSE(fs::exists(fresh)) << "no half-written new file";
    }
}

TEST_F(TextFileDisk, ExistingFileIsReplacedOnlyAtClose)
{
    const fs::path path = PathOf("x.sql");
    Put(path, "old");
    ::chmod(path.c_str(), 0640);
    {
        CTextFileWrite file(path, ENC_UTF8);
        ASSERT_TRUE(file.Write(std::u16string(5000, u'n')));
        EXPECT_EQ(Get(path), "old") << "untouched while writing";
        ASSERT_TRUE(file.Close());
    }
    EXPECT_EQ(Get(path), "\xEF\xBB\xBF" + std::string(5000, 'n'));
    EXPECT_EQ(ModeOf(path), 0640u);
    EXPECT_EQ(Names(), (std::vector<std::string>{"x.sql"}));
}

TEST_F(TextFileDisk, KeepsPermissionBitsOrUsesTheUmask)
{
    for (unsigned nMode : {0600u, 0644u, 0755u, 0444u, 02775u})
    {
        SCOPED_TRACE(nMode);
        const fs::path path = PathOf("m.sql");
        Put(path, "old");
        ::chmod(path.c_str(), nMode);
        // A file without a write bit is refused, also for root.
        const bool bReadOnly = (nMode & 0222) == 0;
        std::string sError;
        EXPECT_EQ(WriteFile(path, u"new", ENC_ANSI, &sError), !bReadOnly);
        EXPECT_EQ(ModeOf(path), nMode);
        EXPECT_EQ(Get(path), bReadOnly ? "old" : "new");
        EXPECT_EQ(sError, bReadOnly ? path.string() + ": it is read-only" : "");
    }
    const mode_t nOldMask = ::umask(027);
    EXPECT_TRUE(WriteFile(PathOf("new.sql"), u"new", ENC_ANSI));
    ::umask(nOldMask);
    EXPECT_EQ(ModeOf(PathOf("new.sql")), 0640u);
}

TEST_F(TextFileDisk, SymbolicLinkIsKeptAndItsTargetReplaced)
{
    const fs::path target = PathOf("target.sql");
    const fs::path link = PathOf("link.sql");
    Put(target, "old");
    fs::create_symlink("target.sql", link);
    EXPECT_TRUE(WriteFile(link, u"new", ENC_ANSI));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Get(target), "new");
    EXPECT_EQ(Names(), (std::vector<std::string>{"link.sql", "target.sql"}));

    // A link to nothing yet creates the file it names.
    fs::create_symlink("later.sql", PathOf("dangling.sql"));
    EXPECT_TRUE(WriteFile(PathOf("dangling.sql"), u"made", ENC_ANSI));
    EXPECT_TRUE(fs::is_symlink(PathOf("dangling.sql")));
    EXPECT_EQ(Get(PathOf("later.sql")), "made");
}

TEST_F(TextFileDisk, DevicesAreWrittenInPlace)
{
    EXPECT_TRUE(WriteFile("/dev/null", u"discarded", ENC_UTF8));
    struct stat st;
    ASSERT_EQ(::stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(TextFileDisk, ReadsAPipeWithoutSeeking)
{
    for (std::string sBytes : {std::string("\xEF\xBB\xBF" "marked\n"), std::string("no mark\r\nx"),
                               std::string("\xEF\xBB" "!"), std::string(3000, 'p')})
    {
        SCOPED_TRACE(Hex(sBytes.substr(0, 20)));
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        ASSERT_EQ(::write(fds[1], sBytes.data(), sBytes.size()), static_cast<ssize_t>(sBytes.size()));
        ::close(fds[1]);
        CTextFileRead file(CPosixFile::Attach(fds[0], "<stdin>"), "<stdin>", kCodePageLatin1);
        std::u16string text;
        EXPECT_TRUE(file.ReadAll(text, u"\n"));
        std::u16string expected;
        const bool bMarked = sBytes.rfind("\xEF\xBB\xBF", 0) == 0;
        std::string sBody = bMarked ? sBytes.substr(3) : sBytes;
        for (std::size_t i = 0; i < sBody.size(); ++i)
            if (!(sBody[i] == '\r' && i + 1 < sBody.size() && sBody[i + 1] == '\n'))
                expected += static_cast<char16_t>(static_cast<unsigned char>(sBody[i]));
        EXPECT_EQ(text, expected);
        EXPECT_EQ(file.GetEncoding(), bMarked ? ENC_UTF8 : ENC_ANSI);
        file.Close();
        EXPECT_NE(::fcntl(fds[0], F_GETFD), -1) << "an attached descriptor stays open";
        ::close(fds[0]);
    }
}
} // namespace
