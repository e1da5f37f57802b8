// Format at the edges of its columns and texts, in both keyword alignments: a
// level anchor left of the first column, an empty layout given a left margin,
// and a statement keyword right after a first-item correction.
#include "LayoutTestSupport.h"

using namespace layout_test;

namespace
{

class BoundaryTest : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(BoundaryTest, Formats)
{
    ExpectFormat(GetParam().input, GetParam().expected, GetParam().setup);
}

// Parenthesis spacing 0 or 2 with "before comma with space" puts the top
// level's anchor at -2: set, so a comment on a line of its own in the input
// keeps a line of its own, at the first column.
Setup AnchorLeftOfLine(int parenSpace, bool right)
{
    return [=](COptions& o) {
        o.m_Parentheses.m_nSpace = parenSpace;
        o.m_Commas.m_nListComma = COMMA_BEFORE_SPACE;
        o.m_Alignment.m_bRight = right;
    };
}

Setup Margin(int columns, bool right, bool removeComments = false)
{
    return [=](COptions& o) {
        o.m_General.m_nLeftMargin = columns;
        o.m_Alignment.m_bRight = right;
        o.m_Comments.m_bRemoveComments = removeComments;
        o.m_Comments.m_bDontRemoveHints = false;
    };
}

const char* kLineComment = "select a from t where x = 1\n-- why\nand y = 2";
const char* kBlockComment = "select a from t where x = 1\n/* why */\nand y = 2";

INSTANTIATE_TEST_SUITE_P(
    Boundaries, BoundaryTest,
    ::testing::Values(
        FormatCase{"LineCommentAnchorMinus2Compact", kLineComment,
                   Lines({"SELECT a", "  FROM t", " WHERE x = 1", "-- why", "   AND y = 2"}), AnchorLeftOfLine(0, true)},
        FormatCase{"LineCommentAnchorMinus2Inside", kLineComment,
                   Lines({"SELECT a", "  FROM t", " WHERE x = 1", "-- why", "   AND y = 2"}), AnchorLeftOfLine(2, true)},
        FormatCase{"BlockCommentAnchorMinus2", kBlockComment,
                   Lines({"SELECT a", "  FROM t", " WHERE x = 1", "/* why */", "   AND y = 2"}),
                   AnchorLeftOfLine(0, true)},
        FormatCase{"LineCommentAnchorMinus2Left", kLineComment,
                   Lines({"SELECT a", "FROM   t", "WHERE  x = 1", "-- why", "AND    y = 2"}), AnchorLeftOfLine(0, false)},
        FormatCase{"BlockCommentAnchorMinus2Left", kBlockComment,
                   Lines({"SELECT a", "FROM   t", "WHERE  x = 1", "/* why */", "AND    y = 2"}),
                   AnchorLeftOfLine(2, false)},
        FormatCase{"BlankInputWithMargin", "  \n ", "", Margin(3, true)},
        FormatCase{"BlankInputWithMarginLeft", "  \n ", "", Margin(3, false)},
        FormatCase{"RemovedCommentsOnlyWithMargin", "-- gone\n/* gone */", "", Margin(3, true, true)},
        FormatCase{"RemovedCommentsOnlyWithMarginLeft", "-- gone\n/* gone */", "", Margin(3, false, true)},
        FormatCase{"StatementAfterWithCorrection", "with delete", "WITH DELETE", {}},
        FormatCase{"StatementAfterWithCorrectionLeft", "with delete", "WITH   DELETE", LeftAligned()},
        FormatCase{"StatementAfterSelectCorrection", "select update", "SELECT  UPDATE",
                   [](COptions& o) { o.m_Select.m_nAlignColumnListCorrection = 2; }},
        FormatCase{"StatementAfterSelectCorrectionLeft", "select update", "SELECT  UPDATE",
                   LeftAligned([](COptions& o) { o.m_Select.m_nAlignColumnListCorrection = 2; })}),
    CaseName);

} // namespace
