// Lists and commas: the named lists and the level list, stacked or wrapped,
// every comma position and spacing, the first-item corrections.
#include "LayoutTestSupport.h"

using namespace layout_test;

namespace
{

class ListTest : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(ListTest, LaysOut)
{
    ExpectLayout(GetParam().input, GetParam().expected, GetParam().setup);
}

const char* kSelectFrom = "select a, b from t1, t2";
const char* kOrderBy = "select a from t order by a desc, b";
const char* kGroupBy = "select a from t group by a, b";
const char* kWithTwo = "with x as (select 1 from dual), y as (select 2 from dual) select * from x, y";

INSTANTIATE_TEST_SUITE_P(
    Lists, ListTest,
    ::testing::Values(
        FormatCase{"SelectAndFromStacked", kSelectFrom, Lines({"SELECT a", "      ,b", "  FROM t1", "      ,t2"}), {}},
        FormatCase{"ColumnCommaAfter", "select a, b from t", Lines({"SELECT a,", "       b", "  FROM t"}),
                   [](COptions& o) { o.m_Select.m_nColumnListComma = 0; }},
        FormatCase{"ColumnCommaBeforeWithSpace", "select a, b from t", Lines({"SELECT  a", "      , b", "  FROM t"}),
                   [](COptions& o) { o.m_Select.m_nColumnListComma = 2; }},
        FormatCase{"ColumnCorrection", "select a, b from t", Lines({"SELECT   a", "        ,b", "  FROM t"}),
                   [](COptions& o) { o.m_Select.m_nAlignColumnListCorrection = 2; }},
        FormatCase{"ColumnCorrectionWithSpace", "select a, b from t", Lines({"SELECT    a", "        , b", "  FROM t"}),
                   [](COptions& o) {
                       o.m_Select.m_nAlignColumnListCorrection = 2;
                       o.m_Select.m_nColumnListComma = 2;
                   }},
        FormatCase{"ColumnListWrapped", "select a, b from t", Lines({"SELECT a, b", "  FROM t"}),
                   [](COptions& o) { o.m_Select.m_bSelectColumnListStyle = true; }},
        FormatCase{"FromListWrapped", kSelectFrom, Lines({"SELECT a", "      ,b", "  FROM t1, t2"}),
                   [](COptions& o) { o.m_Select.m_bFromClauseStyle = true; }},
        FormatCase{"FromCommaAfterWithCorrection", kSelectFrom, Lines({"SELECT a", "      ,b", "  FROM   t1,", "         t2"}),
                   [](COptions& o) {
                       o.m_Select.m_nFromListComma = 0;
                       o.m_Select.m_nAlignFromListCorrection = 2;
                   }},
        FormatCase{"FromListWithoutSelect", "delete from t1, t2", Lines({"DELETE", "  FROM t1", "      ,t2"}), {}},
        FormatCase{"GroupBy", kGroupBy, Lines({"SELECT a", "  FROM t", " GROUP BY a", "         ,b"}), {}},
        FormatCase{"GroupByWrapped", kGroupBy, Lines({"SELECT a", "  FROM t", " GROUP BY a, b"}),
                   [](COptions& o) { o.m_Select.m_bGroupByClauseStyle = true; }},
        FormatCase{"GroupByCommaWithSpaceAndCorrection", kGroupBy,
                   Lines({"SELECT a", "  FROM t", " GROUP BY    a", "           , b"}),
                   [](COptions& o) {
                       o.m_Select.m_nGroupByListComma = 2;
                       o.m_Select.m_nAlignGroupByListCorrection = 2;
                   }},
        FormatCase{"OrderBy", kOrderBy, Lines({"SELECT a", "  FROM t", " ORDER BY a DESC", "         ,b"}), {}},
        FormatCase{"OrderByWrapped", kOrderBy, Lines({"SELECT a", "  FROM t", " ORDER BY a DESC, b"}),
                   [](COptions& o) { o.m_Select.m_bOrderByClauseStyle = true; }},
        FormatCase{"OrderByCommaAfterCorrection", kOrderBy,
                   Lines({"SELECT a", "  FROM t", " ORDER BY  a DESC,", "           b"}),
                   [](COptions& o) {
                       o.m_Select.m_nOrderByListComma = 0;
                       o.m_Select.m_nAlignOrderByListCorrection = 1;
                   }},
        FormatCase{"OrderByLeftAligned", kOrderBy, Lines({"SELECT a", "FROM   t", "ORDER  BY a DESC", "         ,b"}),
                   LeftAligned()},
        FormatCase{"WithList", kWithTwo,
                   Lines({"  WITH  x", "    AS (SELECT 1", "          FROM dual)", "      , y", "    AS (SELECT 2",
                          "          FROM dual)", "SELECT *", "  FROM x", "      ,y"}),
                   {}},
        FormatCase{"WithListCommaBefore", kWithTwo,
                   Lines({"  WITH x", "    AS (SELECT 1", "          FROM dual)", "      ,y", "    AS (SELECT 2",
                          "          FROM dual)", "SELECT *", "  FROM x", "      ,y"}),
                   [](COptions& o) { o.m_Select.m_nWithListComma = 1; }},
        FormatCase{"DistinctAligned", "select distinct a, b from t",
                   Lines({"SELECT DISTINCT a", "               ,b", "  FROM t"}),
                   [](COptions& o) { o.m_Select.m_bAlignColumnsAfterDistinct = true; }},
        FormatCase{"DistinctNotAligned", "select distinct a, b from t",
                   Lines({"SELECT DISTINCT a", "      ,b", "  FROM t"}), {}},
        FormatCase{"DistinctCorrectionGoesAfterIt", "select distinct a, b from t",
                   Lines({"SELECT DISTINCT   a", "        ,b", "  FROM t"}),
                   [](COptions& o) { o.m_Select.m_nAlignColumnListCorrection = 2; }},
        FormatCase{"DistinctWithSpaceTakesCorrection", "select distinct a, b from t",
                   Lines({"SELECT  DISTINCT a", "      , b", "  FROM t"}),
                   [](COptions& o) { o.m_Select.m_nColumnListComma = 2; }},
        FormatCase{"CorrectionAfterLeadingGroup", "select (a), b from t",
                   Lines({"SELECT (a),", "           b", "  FROM t"}),
                   [](COptions& o) {
                       o.m_Select.m_nColumnListComma = 0;
                       o.m_Select.m_nAlignColumnListCorrection = 2;
                   }},
        FormatCase{"SetAssignments", "update t set a = 1, b = 2", Lines({"UPDATE t", "   SET a = 1,", " b = 2"}), {}},
        FormatCase{"LevelCommaBefore", "update t set a = 1, b = 2", Lines({"UPDATE t", "   SET a = 1", ",b = 2"}),
                   [](COptions& o) { o.m_Commas.m_nListComma = 1; }},
        FormatCase{"LevelCommaCorrection", "update t set a = 1, b = 2", Lines({"UPDATE t", "   SET a = 1,", "    b = 2"}),
                   [](COptions& o) { o.m_Commas.m_nListCommaCorrection = 3; }},
        FormatCase{"WrappedSpaceBefore", "select f(a, b) from t", Lines({"SELECT f (a ,b)", "  FROM t"}),
                   [](COptions& o) { o.m_Commas.m_nSpace = 1; }},
        FormatCase{"WrappedSpaceBoth", "select f(a, b) from t", Lines({"SELECT f (a , b)", "  FROM t"}),
                   [](COptions& o) { o.m_Commas.m_nSpace = 3; }},
        FormatCase{"WrappedSpaceOutOfRangeKeepsComma", "select f(a, b) from t", Lines({"SELECT f (a, b)", "  FROM t"}),
                   [](COptions& o) { o.m_Commas.m_nSpace = 9; }},
        FormatCase{"StackedPositionOutOfRangeKeepsComma", "select a, b from t", Lines({"SELECT a,", "       b", "  FROM t"}),
                   [](COptions& o) { o.m_Select.m_nColumnListComma = -4; }},
        FormatCase{"CommaAtLevelStart", "f(, a)", "f (, a)", {}},
        FormatCase{"CommaWithoutAnchor", ", a", ", a", {}},
        FormatCase{"WithListCorrection", kWithTwo,
                   Lines({"  WITH    x", "    AS (SELECT 1", "          FROM dual)", "        , y", "    AS (SELECT 2",
                          "          FROM dual)", "SELECT *", "  FROM x", "      ,y"}),
                   [](COptions& o) { o.m_Select.m_nAlignWithListCorrection = 2; }},
        FormatCase{"WithListLeft", kWithTwo,
                   Lines({"WITH    x", "AS     (SELECT 1", "        FROM   dual)", "      , y", "AS     (SELECT 2",
                          "        FROM   dual)", "SELECT *", "FROM   x", "      ,y"}),
                   LeftAligned()},
        FormatCase{"ColumnCommaBeforeWithSpaceLeft", "select a, b from t", Lines({"SELECT  a", "      , b", "FROM   t"}),
                   LeftAligned([](COptions& o) { o.m_Select.m_nColumnListComma = 2; })},
        FormatCase{"DistinctAlignedLeft", "select distinct a, b from t",
                   Lines({"SELECT DISTINCT a", "               ,b", "FROM   t"}),
                   LeftAligned([](COptions& o) { o.m_Select.m_bAlignColumnsAfterDistinct = true; })},
        FormatCase{"SetAssignmentsLeft", "update t set a = 1, b = 2", Lines({"UPDATE t", "SET    a = 1,", " b = 2"}),
                   LeftAligned()},
        FormatCase{"GroupByLeft", kGroupBy, Lines({"SELECT a", "FROM   t", "GROUP  BY a", "         ,b"}), LeftAligned()},
        FormatCase{"InList", "select a from t where a in (1, 2, 3)",
                   Lines({"SELECT a", "  FROM t", " WHERE a IN (1, 2, 3)"}), {}}),
    CaseName);

} // namespace
