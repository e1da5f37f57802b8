// Comments in the layout: kept on their lines or moved, removed with or
// without hints, and the indentation of the text after them.
#include "LayoutTestSupport.h"

#include "LayoutRules.h"

using namespace layout_test;

namespace
{

class CommentTest : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(CommentTest, LaysOut)
{
    ExpectLayout(GetParam().input, GetParam().expected, GetParam().setup);
}

Setup Comments(bool remove, bool keepHints, bool before, bool after, bool likeInput, bool left = false)
{
    return [=](COptions& o) {
        o.m_Comments.m_bRemoveComments = remove;
        o.m_Comments.m_bDontRemoveHints = keepHints;
        o.m_Comments.m_bCommentsOnNewLineBefore = before;
        o.m_Comments.m_bCommentsOnNewLineAfter = after;
        o.m_Comments.m_bCommentsOnNewLineLikeInInputSQL = likeInput;
        o.m_Alignment.m_bRight = !left;
    };
}

const Setup kRemove = Comments(true, true, false, false, true);
const Setup kRemoveAll = Comments(true, false, false, false, true);
const Setup kAllOff = Comments(false, true, false, false, false);
const Setup kBefore = Comments(false, true, true, false, false);
const Setup kAfter = Comments(false, true, false, true, false);

INSTANTIATE_TEST_SUITE_P(
    Comments, CommentTest,
    ::testing::Values(
        FormatCase{"OwnLineInSelect", "select a\n/* the table */\nfrom t",
                   Lines({"SELECT a", "       /* the table */", "      ", "  FROM t"}), {}},
        FormatCase{"OwnLineInSelectLeft", "select a\n/* the table */\nfrom t",
                   Lines({"SELECT a", "       /* the table */", "      ", "FROM   t"}),
                   Comments(false, true, false, false, true, true)},
        FormatCase{"Removed", "select a /* x */ from t", Lines({"SELECT a", "  FROM t"}), kRemove},
        FormatCase{"HintKept", "select /*+ index(t) */ a from t", Lines({"SELECT /*+ index(t) */  a", "  FROM t"}),
                   kRemove},
        FormatCase{"HintRemoved", "select /*+ index(t) */ a from t", Lines({"SELECT a", "  FROM t"}), kRemoveAll},
        FormatCase{"LineHintKept", "select a --+x\nfrom t", Lines({"SELECT a --+x", "      ", "  FROM t"}), kRemove},
        FormatCase{"BareLineHintKept", "select a --+", "SELECT a --+", kRemove},
        FormatCase{"UnterminatedHintKept", "select a /*+", "SELECT a /*+", kRemove},
        FormatCase{"DashesNotHint", "select a --\nfrom t", Lines({"SELECT a", "  FROM t"}), kRemove},
        FormatCase{"EmptyBlockNotHint", "select /**/x from t", Lines({"SELECT x", "  FROM t"}), kRemove},
        FormatCase{"RemovedCommentDoesNotGlue", "select t./* c */b from t", Lines({"SELECT t. b", "  FROM t"}), kRemove},
        FormatCase{"LineCommentAfterComma", "select a, -- note\nb from t",
                   Lines({"SELECT a", "      , -- note", "       b", "  FROM t"}), {}},
        FormatCase{"AllOffStaysOnLine", "select a\n-- c\nfrom t", Lines({"SELECT a -- c", "      ", "  FROM t"}), kAllOff},
        FormatCase{"AllOffBlockStaysOnLine", "select a\n/* c */\nb from t", Lines({"SELECT a /* c */  b", "  FROM t"}),
                   kAllOff},
        FormatCase{"BeforeForcesBreak", "select a /* c */ b from t",
                   Lines({"SELECT a", "       /* c */  b", "  FROM t"}), kBefore},
        FormatCase{"AfterForcesBreak", "select a /* c */ b from t",
                   Lines({"SELECT a /* c */", "       b", "  FROM t"}), kAfter},
        FormatCase{"FirstTokenNoSpaceBefore", "/* c */ select 1", "/* c */ SELECT 1", {}},
        FormatCase{"LastTokenNoSpaceAfter", "select 1 /* c */", "SELECT 1 /* c */", {}},
        FormatCase{"OnlyComment", "-- only", "-- only", {}},
        FormatCase{"NoIndentColumnNoBreak", "/* a */\n/* b */", "/* a */\n /* b */", {}},
        FormatCase{"InGroupUsesLevelAnchor", "f(a,\n-- c\nb)", Lines({"f (a,", "    -- c", "     b)"}), {}},
        FormatCase{"LeadingLineCommentInGroup", "f(-- c\na)", Lines({"f ( -- c", " a)"}), {}},
        FormatCase{"NotCounted", "/* c */ a, b", Lines({"/* c */  a,", "          b"}), {}},
        FormatCase{"NoCorrectionOnComment", "select /* c */ a, b from t",
                   Lines({"SELECT /* c */    a", "        ,b", "  FROM t"}),
                   [](COptions& o) { o.m_Select.m_nAlignColumnListCorrection = 2; }}),
    CaseName);

TEST(CommentHintTest, RecognisesHints)
{
    struct Row
    {
        const char16_t* text;
        bool hint;
    };
    const Row rows[] = {
        {u"--+x", true}, {u"--+", true}, {u"/*+", true}, {u"/*+ a */", true},
        {u"--", false},  {u"/**/", false}, {u"-- +", false}, {u"/* + */", false},
    };
    for (const Row& row : rows)
    {
        CBaseToken token;
        token.m_nKind = TK_COMMENT;
        token.m_sText = row.text;
        token.m_nLength = static_cast<int32_t>(token.m_sText.size());
        EXPECT_EQ(IsHint(token), row.hint) << Narrow(row.text);
    }
}

// The finished text: lines of blanks left by comments are removed.
TEST(CommentFinishTest, BlankLinesAreRemoved)
{
    ExpectFormat("select a\n/* the table */\nfrom t", Lines({"SELECT a", "       /* the table */", "  FROM t"}));
    ExpectFormat("select a\n-- c\nfrom t", Lines({"SELECT a -- c", "  FROM t"}), kAllOff);
}

} // namespace
