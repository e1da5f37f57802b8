// Unified diffs: exact hunks for small cases, and for random edits a diff that
// patches the old text into the new one.
#include "UnifiedDiff.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace qmcli;

namespace
{

struct CDiffCase
{
    const char* m_sName;
    const char* m_sOld;
    const char* m_sNew;
    const char* m_sDiff; // without the two header lines
};

class UnifiedDiffTest : public ::testing::TestWithParam<CDiffCase>
{
};

TEST_P(UnifiedDiffTest, Hunks)
{
    const CDiffCase& c = GetParam();
    const std::string diff = UnifiedDiff(c.m_sOld, c.m_sNew, "a.sql", "a.sql", 1);
    if (*c.m_sDiff == '\0')
    {
        EXPECT_EQ(diff, "");
        return;
    }
    EXPECT_EQ(diff, std::string("--- a.sql\n+++ a.sql\n") + c.m_sDiff);
}

// One line of context, so that the hunk boundaries show.
const CDiffCase kCases[] = {
    {"Equal", "a\nb\n", "a\nb\n", ""},
    {"OneLineChanged", "a\nb\nc\n", "a\nB\nc\n", "@@ -1,3 +1,3 @@\n a\n-b\n+B\n c\n"},
    {"InsertIntoEmpty", "", "x\n", "@@ -0,0 +1 @@\n+x\n"},
    {"DeleteEverything", "x\ny\n", "", "@@ -1,2 +0,0 @@\n-x\n-y\n"},
    {"TwoHunksFarApart", "1\n2\n3\n4\n5\n6\n7\n", "X\n2\n3\n4\n5\n6\nY\n",
     "@@ -1,2 +1,2 @@\n-1\n+X\n 2\n@@ -6,2 +6,2 @@\n 6\n-7\n+Y\n"},
    {"CloseChangesShareAHunk", "1\n2\n3\n4\n", "X\n2\n3\nY\n",
     "@@ -1,4 +1,4 @@\n-1\n+X\n 2\n 3\n-4\n+Y\n"},
    {"MissingFinalLineBreak", "a\nb", "a\nc",
     "@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+c\n\\ No newline at end of file\n"},
    {"OnlyFinalLineBreakAdded", "a", "a\n",
     "@@ -1 +1 @@\n-a\n\\ No newline at end of file\n+a\n"},
    {"CrLfLinesKeepTheirCr", "a\r\nb\r\n", "a\r\nc\r\n", "@@ -1,2 +1,2 @@\n a\r\n-b\r\n+c\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, UnifiedDiffTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

// Applies a unified diff the way patch does, strictly: every context and
// removed line must match.
std::string ApplyPatch(const std::string& oldText, const std::string& diff)
{
    const auto oldLines = SplitLines(oldText);
    const auto lines = SplitLines(diff);
    std::string out;
    size_t next = 0; // next old line to copy
    for (size_t k = 2; k < lines.size(); ++k)
    {
        std::string_view line = lines[k];
        if (line.substr(0, 2) == "@@")
        {
            size_t start = std::stoul(std::string(line.substr(4)));
            size_t comma = line.find(',');
            size_t space = line.find(' ', 4);
            size_t count = comma != std::string_view::npos && comma < space
                               ? std::stoul(std::string(line.substr(comma + 1)))
                               : 1;
            size_t first = count == 0 ? start : start - 1;
            EXPECT_GE(first, next);
            for (; next < first; ++next)
                out += oldLines[next];
            continue;
        }
        std::string text(line.substr(1));
        if (k + 1 < lines.size() && lines[k + 1].substr(0, 1) == "\\")
        {
            text.pop_back(); // the line break the diff added
            ++k;
        }
        if (line[0] == ' ' || line[0] == '-')
        {
            EXPECT_LT(next, oldLines.size());
            if (next < oldLines.size())
            {
                EXPECT_EQ(std::string(oldLines[next]), text);
            }
            ++next;
        }
        if (line[0] == ' ' || line[0] == '+')
            out += text;
    }
    for (; next < oldLines.size(); ++next)
        out += oldLines[next];
    return out;
}

TEST(UnifiedDiffProperty, PatchingTheOldTextGivesTheNewOne)
{
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round)
    {
        std::vector<std::string> oldLines;
        const int n = random() % 40;
        for (int i = 0; i < n; ++i)
            oldLines.push_back(std::string(1, static_cast<char>('a' + random() % 5)) + "\n");
        std::vector<std::string> newLines = oldLines;
        const int edits = random() % 8;
        for (int e = 0; e < edits; ++e)
        {
            const size_t at = newLines.empty() ? 0 : random() % (newLines.size() + 1);
            switch (random() % 3)
            {
            case 0: newLines.insert(newLines.begin() + at, "new\n"); break;
            case 1:
                if (at < newLines.size())
                    newLines.erase(newLines.begin() + at);
                break;
            default:
                if (at < newLines.size())
                    newLines[at] = "changed\n";
            }
        }
        std::string oldText, newText;
        for (auto& l : oldLines)
            oldText += l;
        for (auto& l : newLines)
            newText += l;
        if (random() % 4 == 0 && !newText.empty())
            newText.pop_back();
        const std::string diff = UnifiedDiff(oldText, newText, "x", "x");
        EXPECT_EQ(ApplyPatch(oldText, diff), newText) << "round " << round << "\n" << diff;
    }
}

TEST(UnifiedDiffProperty, ALargeRewriteFinishesAndPatches)
{
    // Every line differs: far past the cost limit of the exact search.
    std::string oldText, newText;
    for (int i = 0; i < 20000; ++i)
    {
        oldText += "old " + std::to_string(i) + "\n";
        newText += "new " + std::to_string(i) + "\n";
        if (i % 7 == 0)
            newText += "old " + std::to_string(i) + "\n";
    }
    const std::string diff = UnifiedDiff(oldText, newText, "x", "x");
    EXPECT_EQ(ApplyPatch(oldText, diff), newText);
}

TEST(DiffLinesTest, FindsAShortestScriptForASmallCase)
{
    // abcabba -> cbabac: the classic example, 5 edits at least.
    auto split = [](const std::string& s) {
        std::vector<std::string_view> v;
        for (size_t i = 0; i < s.size(); ++i)
            v.push_back(std::string_view(s).substr(i, 1));
        return v;
    };
    const std::string a = "abcabba", b = "cbabac";
    std::vector<bool> removed, added;
    DiffLines(split(a), split(b), removed, added);
    const auto edits = std::count(removed.begin(), removed.end(), true) +
                       std::count(added.begin(), added.end(), true);
    EXPECT_EQ(edits, 5);
}

} // namespace

namespace
{

TEST(ColourDiffTest, ColoursByPlaceNotByLookAlone)
{
    // A removed "-- x" and an added "++ y" inside a hunk read like file headers.
    const std::string diff = UnifiedDiff("-- x\n++ y\nz\n", "++ y\n-- x\nz\n", "a.sql", "a.sql", 0);
    const std::string coloured = ColourDiff(diff);
    EXPECT_EQ(coloured, "\x1b[1m--- a.sql\x1b[m\n\x1b[1m+++ a.sql\x1b[m\n"
                        "\x1b[36m@@ -1 +0,0 @@\x1b[m\n\x1b[31m--- x\x1b[m\n"
                        "\x1b[36m@@ -2,0 +2 @@\x1b[m\n\x1b[32m+-- x\x1b[m\n");
}

} // namespace

namespace
{

TEST(GitPathLabelTest, NamesAsGitWritesThem)
{
    const std::string here = std::filesystem::current_path().string();
    struct
    {
        const char* name;
        std::string path;
        std::string label;
    } rows[] = {
        {"Relative", "q.sql", "a/q.sql"},
        {"StepsResolved", "./sub/../x/q.sql", "a/x/q.sql"},
        {"BelowTheCurrentFolder", here + "/sub/q.sql", "a/sub/q.sql"},
        {"ElsewhereWithoutItsSlash", "/nowhere-else/q.sql", "a/nowhere-else/q.sql"},
        {"BlankGetsATab", "my file.sql", "a/my file.sql\t"},
        {"ControlCharactersQuoted", "tab\tname\n.sql", "\"a/tab\\tname\\n.sql\""},
        {"QuoteAndBackslashQuoted", "it\"s\\x \x01.sql", "\"a/it\\\"s\\\\x \\001.sql\""},
        {"OtherLettersAsTheyAre", "caf\xC3\xA9.sql", "a/caf\xC3\xA9.sql"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(GitPathLabel('a', row.path), row.label) << row.name;
}

// Below the cost limit the diff is a shortest one: as many lines kept as the
// longest common subsequence holds, found here by the textbook table.
TEST(DiffLinesProperty, KeepsALongestCommonSubsequence)
{
    std::mt19937 random(5);
    const std::string_view alphabet[] = {"a\n", "b\n", "c\n", "d\n", "e\n", "f\n", "g\n"};
    for (int round = 0; round < 300; ++round)
    {
        std::vector<std::string_view> a, b;
        // Some letters only on one side, as after a re-layout.
        for (int n = random() % 30; n > 0; --n)
            a.push_back(alphabet[random() % 5]);
        for (int n = random() % 30; n > 0; --n)
            b.push_back(alphabet[2 + random() % 5]);
        std::vector<std::vector<int>> lcs(a.size() + 1, std::vector<int>(b.size() + 1, 0));
        for (size_t i = a.size(); i-- > 0;)
            for (size_t j = b.size(); j-- > 0;)
                lcs[i][j] = a[i] == b[j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
        std::vector<bool> removed, added;
        DiffLines(a, b, removed, added);
        const auto kept = static_cast<int>(std::count(removed.begin(), removed.end(), false));
        EXPECT_EQ(kept, lcs[0][0]) << "round " << round;
        EXPECT_EQ(std::count(added.begin(), added.end(), false), kept) << "round " << round;
        // The kept lines pair up equal, in order.
        size_t j = 0;
        for (size_t i = 0; i < a.size(); ++i)
        {
            if (removed[i])
                continue;
            while (j < b.size() && added[j])
                ++j;
            ASSERT_LT(j, b.size());
            EXPECT_EQ(a[i], b[j++]) << "round " << round;
        }
    }
}

} // namespace
