// Exclude patterns read as in .gitignore, relative to their base folder.
#include "ExcludePatterns.h"

#include <gtest/gtest.h>

using namespace qmcli;

namespace
{

struct CExcludeCase
{
    const char* m_sName;
    std::vector<std::string> m_aPatterns; // all relative to /repo
    const char* m_sPath;                  // below /repo
    bool m_bFolder;
    bool m_bExcluded;
};

class ExcludeTest : public ::testing::TestWithParam<CExcludeCase>
{
};

TEST_P(ExcludeTest, Decides)
{
    const CExcludeCase& c = GetParam();
    std::vector<CExcludePattern> patterns;
    for (const std::string& text : c.m_aPatterns)
        patterns.emplace_back(text, "/repo", "test");
    const CExcludePattern* found =
        ExcludingPattern(patterns, std::string("/repo/") + c.m_sPath, c.m_bFolder);
    EXPECT_EQ(found != nullptr, c.m_bExcluded) << (found ? found->Text() : "");
}

const CExcludeCase kCases[] = {
    {"NameAtAnyDepth", {"gen.sql"}, "a/b/gen.sql", false, true},
    {"StarStaysInName", {"*.tmp.sql"}, "a/x.tmp.sql", false, true},
    {"StarDoesNotCrossFolders", {"a/*.sql"}, "a/b/x.sql", false, false},
    {"StarInItsFolder", {"a/*.sql"}, "a/x.sql", false, true},
    {"AnchoredByMiddleSlash", {"a/x.sql"}, "b/a/x.sql", false, false},
    {"AnchoredByLeadingSlash", {"/x.sql"}, "b/x.sql", false, false},
    {"LeadingSlashAtTop", {"/x.sql"}, "x.sql", false, true},
    {"DoubleStarLeading", {"**/gen/*.sql"}, "a/b/gen/x.sql", false, true},
    {"DoubleStarLeadingZeroFolders", {"**/gen/*.sql"}, "gen/x.sql", false, true},
    {"DoubleStarMiddle", {"a/**/x.sql"}, "a/b/c/x.sql", false, true},
    {"DoubleStarMiddleZeroFolders", {"a/**/x.sql"}, "a/x.sql", false, true},
    {"DoubleStarTrailing", {"vendor/**"}, "vendor/p/q.sql", false, true},
    {"DoubleStarTrailingNotTheFolder", {"vendor/**"}, "vendor", true, false},
    {"DoubleStarInNameIsStar", {"a**b.sql"}, "a/b.sql", false, false},
    {"FolderOnlyPattern", {"build/"}, "build", true, true},
    {"FolderOnlyNotAFile", {"build/"}, "build", false, false},
    {"BelowExcludedFolder", {"build/"}, "x/build/deep/q.sql", false, true},
    {"QuestionMark", {"q?.sql"}, "q1.sql", false, true},
    {"QuestionMarkNotSlash", {"a?b.sql"}, "a/b.sql", false, false},
    {"Class", {"v[0-9].sql"}, "v7.sql", false, true},
    {"NegatedClass", {"v[!0-9].sql"}, "v7.sql", false, false},
    {"EscapedStar", {"\\*.sql"}, "x.sql", false, false},
    {"EscapedStarItself", {"\\*.sql"}, "*.sql", false, true},
    {"CaseMatters", {"*.SQL"}, "x.sql", false, false},
    {"NegationTakesBack", {"*.sql", "!keep.sql"}, "keep.sql", false, false},
    {"LastMatchWins", {"!keep.sql", "*.sql"}, "keep.sql", false, true},
    {"NoTakingBackBelowExcludedFolder", {"build/", "!build/keep.sql"}, "build/keep.sql", false, true},
    {"UnrelatedPattern", {"*.tmp"}, "x.sql", false, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, ExcludeTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

TEST(ExcludePatternTest, AppliesOnlyBelowItsBase)
{
    const std::vector<CExcludePattern> patterns{CExcludePattern("*.sql", "/repo/sub", "test")};
    EXPECT_TRUE(ExcludingPattern(patterns, "/repo/sub/x.sql", false));
    EXPECT_FALSE(ExcludingPattern(patterns, "/repo/x.sql", false));
    EXPECT_FALSE(ExcludingPattern(patterns, "/repo/subway/x.sql", false));
}

TEST(ExcludePatternTest, TheWalkedFolderItselfIsNotLeftOut)
{
    const std::vector<CExcludePattern> patterns{CExcludePattern("build/", "/r", "test"),
                                                CExcludePattern("tmp/", "/r", "test")};
    EXPECT_TRUE(ExcludingPattern(patterns, "/r/build/gen/x.sql", false, "/r"));
    EXPECT_FALSE(ExcludingPattern(patterns, "/r/build/gen/x.sql", false, "/r/build"));
    EXPECT_FALSE(ExcludingPattern(patterns, "/r/build/gen/x.sql", false, "/r/build/gen"));
    EXPECT_TRUE(ExcludingPattern(patterns, "/r/build/tmp/x.sql", false, "/r/build")) << "below it still counts";
}

TEST(ExcludePatternTest, SplitsOnBlanksKeepingEscapedOnes)
{
    EXPECT_EQ(SplitPatterns("  build/ \t*.tmp.sql  my\\ file.sql "),
              (std::vector<std::string>{"build/", "*.tmp.sql", "my\\ file.sql"}));
    const std::vector<CExcludePattern> patterns{CExcludePattern("my\\ file.sql", "/r", "test")};
    EXPECT_TRUE(ExcludingPattern(patterns, "/r/my file.sql", false));
}

} // namespace
