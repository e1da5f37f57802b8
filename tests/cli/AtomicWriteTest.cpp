// Replacing a file atomically: what is kept, and what is refused.
#include "AtomicWrite.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace qmcli;

namespace
{

class AtomicWriteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "qmf-aw-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    static void Write(const fs::path& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; }
    static std::string Read(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    size_t EntryCount() const
    {
        return static_cast<size_t>(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
    }

    fs::path m_dir;
};

TEST_F(AtomicWriteTest, ReplacesAndKeepsMode)
{
    const fs::path file = m_dir / "a.sql";
    Write(file, "old");
    ::chmod(file.c_str(), 0604);
    std::string error;
    ASSERT_TRUE(ReplaceFileAtomically(file.string(), "new text", StampOf(file.string()), error)) << error;
    EXPECT_EQ(Read(file), "new text");
    struct stat st;
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(EntryCount(), 1u) << "no temporary file left";
}

TEST_F(AtomicWriteTest, RefusesWhatCannotOrMustNotBeReplaced)
{
    struct
    {
        const char* name;
        std::function<fs::path(const fs::path&)> prepare; // returns the path to replace
        const char* error;
    } rows[] = {
        {"ChangedSinceRead",
         [](const fs::path& dir) {
             Write(dir / "c.sql", "longer text now");
             return dir / "c.sql";
         },
         "changed while it was being formatted"},
        {"FolderInItsPlace",
         [](const fs::path& dir) {
             fs::create_directory(dir / "d.sql");
             return dir / "d.sql";
         },
         "not a regular file"},
        {"Missing", [](const fs::path& dir) { return dir / "gone.sql"; }, "No such file"},
    };
    for (const auto& row : rows)
    {
        CFileStamp stamp;
        stamp.m_bValid = true; // a stamp that no longer matches anything
        stamp.m_nSize = 3;
        const fs::path path = row.prepare(m_dir);
        const size_t before = EntryCount();
        std::string error;
        EXPECT_FALSE(ReplaceFileAtomically(path.string(), "x", stamp, error)) << row.name;
        EXPECT_NE(error.find(row.error), std::string::npos) << row.name << ": " << error;
        EXPECT_EQ(EntryCount(), before) << row.name << ": no temporary file left";
    }
    EXPECT_EQ(Read(m_dir / "c.sql"), "longer text now");
}

} // namespace
