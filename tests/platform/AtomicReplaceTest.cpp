// Replacing a file: what is kept, what is refused, and that nothing is ever
// left beside the file. The command's end-to-end tests run the same cases
// through quillmark-format -i, as another user where permissions matter.
#include "AtomicReplace.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

size_t EntryCount(const std::string& folder)
{
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

struct stat StatOf(const std::string& path)
{
    struct stat st{};
    ::stat(path.c_str(), &st);
    return st;
}

TEST(AtomicReplaceTest, KeepsWhatTheFileHad)
{
    CTempFolder folder;
    const std::string file = folder.File("a.sql");
    WriteBytes(file, "old");
    ::chmod(file.c_str(), 02640);
    if (::geteuid() == 0)
    {
        ASSERT_EQ(::chown(file.c_str(), 1234, 5678), 0);
        ::chmod(file.c_str(), 02640); // a change of owner clears the set-id bits
    }
    const bool attributes = ::setxattr(file.c_str(), "user.tag", "kept", 4, 0) == 0;
    const struct stat before = StatOf(file);

    std::string error;
    ASSERT_TRUE(ReplaceFileContents(file, "new text", StampOf(file), error)) << error;
    EXPECT_EQ(ReadBytes(file), "new text");
    const struct stat after = StatOf(file);
    EXPECT_EQ(after.st_mode & 07777, 02640u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    if (attributes)
    {
        char value[16] = {};
        EXPECT_EQ(::getxattr(file.c_str(), "user.tag", value, sizeof value), 4);
        EXPECT_STREQ(value, "kept");
    }
    EXPECT_EQ(EntryCount(folder.Path()), 1u) << "no temporary file left";
}

TEST(AtomicReplaceTest, HardLinkedFileIsRewrittenThroughItsInode)
{
    CTempFolder folder;
    const std::string file = folder.File("a.sql"), other = folder.File("b.sql");
    WriteBytes(file, "a longer old text");
    ASSERT_EQ(::link(file.c_str(), other.c_str()), 0);
    const ino_t inode = StatOf(file).st_ino;
    std::string error;
    ASSERT_TRUE(ReplaceFileContents(file, "new", StampOf(file), error)) << error;
    EXPECT_EQ(ReadBytes(other), "new");
    EXPECT_EQ(StatOf(file).st_ino, inode);
    EXPECT_EQ(StatOf(file).st_nlink, 2u);
    EXPECT_EQ(EntryCount(folder.Path()), 2u) << "no temporary file left";
}

TEST(AtomicReplaceTest, NamesUpToTheSystemLimit)
{
    CTempFolder folder;
    for (size_t length : {200u, 240u, 255u})
    {
        // Two-byte letters, so that shortening the name for the temporary
        // file must not cut one in half.
        std::string name;
        while (name.size() + 2 <= length - 4)
            name += "\xC3\xA9";
        name += std::string(length - 4 - name.size(), 'x') + ".sql";
        const std::string file = folder.File(name);
        WriteBytes(file, "old");
        std::string error;
        EXPECT_TRUE(ReplaceFileContents(file, "new", {}, error)) << length << ": " << error;
        EXPECT_EQ(ReadBytes(file), "new") << length;
        fs::remove(file);
    }
    EXPECT_EQ(EntryCount(folder.Path()), 0u);
}

TEST(AtomicReplaceTest, RefusesWhatMustNotBeReplaced)
{
    struct
    {
        const char* name;
        std::function<std::string(const CTempFolder&)> prepare; // returns the path to replace
        const char* error;
        bool stale = false; // the file changed since it was read
    } rows[] = {
        {"ChangedSinceRead",
         [](const CTempFolder& f) {
             WriteBytes(f.File("c.sql"), "longer text now");
             return f.File("c.sql");
         },
         "it changed since it was read", true},
        {"FolderInItsPlace",
         [](const CTempFolder& f) {
             fs::create_directory(f.File("d.sql"));
             return f.File("d.sql");
         },
         "Is a directory"},
        {"ReadOnly",
         [](const CTempFolder& f) {
             WriteBytes(f.File("r.sql"), "old");
             ::chmod(f.File("r.sql").c_str(), 0444);
             return f.File("r.sql");
         },
         "it is read-only"},
        {"Pipe",
         [](const CTempFolder& f) {
             ::mkfifo(f.File("p.sql").c_str(), 0644);
             return f.File("p.sql");
         },
         "it is not a regular file"},
        {"MissingFolder", [](const CTempFolder& f) { return f.File("gone/x.sql"); }, "No such file"},
    };
    for (const auto& row : rows)
    {
        CTempFolder folder;
        CFileStamp stamp;
        if (row.stale)
            stamp = {3, 0, 0, true};
        const std::string path = row.prepare(folder);
        const size_t before = EntryCount(folder.Path());
        std::string error;
        EXPECT_FALSE(ReplaceFileContents(path, "x", stamp, error)) << row.name;
        EXPECT_NE(error.find(row.error), std::string::npos) << row.name << ": " << error;
        EXPECT_EQ(EntryCount(folder.Path()), before) << row.name << ": no temporary file left";
    }
}

TEST(AtomicReplaceTest, AbandonedOrDroppedReplacementLeavesTheFile)
{
    CTempFolder folder;
    const std::string file = folder.File("a.sql");
    WriteBytes(file, "old");
    {
        CAtomicReplacement replacement;
        ASSERT_TRUE(replacement.Begin(file)) << replacement.GetError();
        ASSERT_TRUE(replacement.Write("new", 3));
        EXPECT_EQ(EntryCount(folder.Path()), 2u) << "the new text waits beside the file";
        replacement.Abandon();
        EXPECT_FALSE(replacement.IsActive());
        ASSERT_TRUE(replacement.Begin(file));
        ASSERT_TRUE(replacement.Write("new", 3));
    }
    EXPECT_EQ(ReadBytes(file), "old");
    EXPECT_EQ(EntryCount(folder.Path()), 1u);
}

} // namespace
