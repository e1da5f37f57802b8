// Clause keywords and alignment, in both keyword alignments: statement and
// clause keywords, CASE, BETWEEN, set operators, joins, WITH, CONNECT BY,
// statement ends, concatenation and the keyword fill.
#include "LayoutTestSupport.h"

using namespace layout_test;

namespace
{

class KeywordTest : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(KeywordTest, LaysOut)
{
    ExpectLayout(GetParam().input, GetParam().expected, GetParam().setup);
}

Setup CaseOptions(bool sameLine, int whenIndent, int thenIndent, bool left = false)
{
    return [=](COptions& o) {
        o.m_Case.m_bCaseWhenThenInSameLine = sameLine;
        o.m_Case.m_nIdentCaseFromSwitch = whenIndent;
        o.m_Case.m_nIdentThenFromWhen = thenIndent;
        o.m_Alignment.m_bRight = !left;
    };
}

const char* kSelectWhere = "select a, b from t where x = 1 and y = 2";
const char* kCase = "select case when a = 1 then 'x' else 'y' end c from t";
const char* kWith = "with x as (select 1 from dual) select * from x";

INSTANTIATE_TEST_SUITE_P(
    RightAligned, KeywordTest,
    ::testing::Values(
        FormatCase{"SelectWhereAnd", kSelectWhere,
                   Lines({"SELECT a", "      ,b", "  FROM t", " WHERE x = 1", "   AND y = 2"}), {}},
        FormatCase{"Case", kCase,
                   Lines({"SELECT CASE", "         WHEN a = 1", "         THEN 'x'", "         ELSE 'y'", "       END c",
                          "  FROM t"}),
                   {}},
        FormatCase{"CaseWhenThenSameLine", kCase,
                   Lines({"SELECT CASE", "         WHEN a = 1 THEN 'x'", "         ELSE 'y'", "       END c", "  FROM t"}),
                   CaseOptions(true, 2, 0)},
        FormatCase{"CaseIndents", kCase,
                   Lines({"SELECT CASE", "           WHEN a = 1", "              THEN 'x'", "           ELSE 'y'",
                          "       END c", "  FROM t"}),
                   CaseOptions(false, 4, 3)},
        FormatCase{"NestedCaseEndClearsOuter", "select case when a then case when b then 1 end else 2 end from t",
                   Lines({"SELECT CASE", "         WHEN a", "         THEN CASE", "         WHEN b", "         THEN 1",
                          "       END ELSE 2 END", "  FROM t"}),
                   {}},
        FormatCase{"Between", "select a from t where x between 1 and 2",
                   Lines({"SELECT a", "  FROM t", " WHERE x BETWEEN 1", "             AND 2"}), {}},
        FormatCase{"BetweenThenAnd", "select a from t where x between 1 and 2 and y = 3",
                   Lines({"SELECT a", "  FROM t", " WHERE x BETWEEN 1", "             AND 2", "   AND y = 3"}), {}},
        FormatCase{"Union", "select a from t union select b from u",
                   Lines({"SELECT a", "  FROM t", " UNION", "SELECT b", "  FROM u"}), {}},
        FormatCase{"UnionAllMinusIntersect", "select a from t union all select b from u minus select c from v",
                   Lines({"SELECT a", "  FROM t", " UNION ALL", "SELECT b", "  FROM u", " MINUS", "SELECT c",
                          "  FROM v"}),
                   {}},
        FormatCase{"UnionOfGroups", "(select a from t) union (select b from u)",
                   Lines({"(SELECT a", "   FROM t)", "UNION (SELECT b", "         FROM u)"}), {}},
        FormatCase{"With", kWith,
                   Lines({"  WITH  x", "    AS (SELECT 1", "          FROM dual)", "SELECT *", "  FROM x"}), {}},
        FormatCase{"WithAsOnSameLine", kWith,
                   Lines({"  WITH  x AS (SELECT 1", "                FROM dual)", "SELECT *", "  FROM x"}),
                   [](COptions& o) { o.m_Select.m_bNewLineBeforeAsKeyword = false; }},
        FormatCase{"Concat", "select a || b from t", Lines({"SELECT a", "       || b", "  FROM t"}), {}},
        FormatCase{"ConcatInGroupUsesLevelAnchor", "x(a || b)", Lines({"x (a", "     || b)"}), {}},
        FormatCase{"LeftOuterJoin", "select a from t left outer join u on t.k = u.k",
                   Lines({"SELECT a", "  FROM t", "  LEFT", " OUTER JOIN u", "    ON t.k = u.k"}), {}},
        FormatCase{"Update", "update t set a = 1", Lines({"UPDATE t", "   SET a = 1"}), {}},
        FormatCase{"DeleteWhere", "delete from t where a = 1", Lines({"DELETE", "  FROM t", " WHERE a = 1"}), {}},
        FormatCase{"InsertValues", "insert into t (a, b) values (1, 2)",
                   Lines({"INSERT", "  INTO t (a, b)", "VALUES (1, 2)"}), {}},
        FormatCase{"InsertSelect", "insert into t select a from u",
                   Lines({"INSERT", "  INTO t", "SELECT a", "  FROM u"}), {}},
        FormatCase{"Semicolon", "select 1 from dual; select 2 from dual",
                   Lines({"SELECT 1", "  FROM dual;", "      ", "SELECT 2", "  FROM dual"}), {}},
        FormatCase{"SecondStatementKeepsKeywordColumn", "insert into t values (1); insert into u values (2)",
                   Lines({"INSERT", "  INTO t", "VALUES (1);", "      INSERT", "  INTO u", "VALUES (2)"}), {}},
        FormatCase{"SemicolonWithoutKeywordColumn", "a; b", Lines({"a;", " b"}), {}},
        FormatCase{"OrderByGroupByHaving", "select a from t group by a having count(*) > 1 order by a",
                   Lines({"SELECT a", "  FROM t", " GROUP BY a", "HAVING COUNT (*) > 1", " ORDER BY a"}), {}},
        FormatCase{"AndOrInSelectListStayOnLine", "select a and b, c or d from t",
                   Lines({"SELECT a AND b", "      ,c OR d", "  FROM t"}), {}},
        FormatCase{"BulkCollectIntoBreaksInSelect", "select a bulk collect into x from t",
                   Lines({"SELECT a", "  BULK COLLECT", "  INTO x", "  FROM t"}), {}},
        FormatCase{"AndInGroupWithoutKeywordColumn", "where (a = 1 and b = 2)",
                   Lines({"WHERE (a = 1", "        AND b = 2)"}), {}},
        FormatCase{"AndInGroupCompact", "where (a = 1 and b = 2)", Lines({"WHERE(a = 1", "      AND b = 2)"}),
                   [](COptions& o) { o.m_Parentheses.m_nSpace = 0; }},
        FormatCase{"ConnectBy", "select a from t connect by prior a = b start with c = 1",
                   Lines({"SELECT a", "  FROM t", "       CONNECT BY PRIOR a = b", " START WITH c = 1"}), {}},
        FormatCase{"ConnectWithoutKeywordColumn", "x connect by y", "x CONNECT BY y", {}},
        FormatCase{"MergeWhenMatched", "merge into t using u on (t.a = u.a) when matched then update set b = 1",
                   Lines({"MERGE", "  INTO t USING u", "    ON (t.a = u.a)", "  WHEN matched THEN UPDATE", "   SET b = 1"}),
                   {}},
        FormatCase{"SelectAfterTextGetsSpace", "create view v as select a from t",
                   Lines({"CREATE view v AS SELECT a", "                   FROM t"}), {}},
        FormatCase{"StatementAfterTextGetsSpace", "begin update t set x = 1; end;",
                   Lines({"BEGIN UPDATE t", "        SET x = 1;", "            END;", "           "}), {}},
        FormatCase{"SelectInGroupNoSpace", "x in (select a from t)", Lines({"x IN (SELECT a", "        FROM t)"}), {}},
        FormatCase{"PlsqlWordsPlain", "declare x number; begin null; end;",
                   Lines({"DECLARE x NUMBER;", " BEGIN NULL;", " END;", ""}), {}}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    LeftAligned, KeywordTest,
    ::testing::Values(
        FormatCase{"SelectWhereAnd", kSelectWhere,
                   Lines({"SELECT a", "      ,b", "FROM   t", "WHERE  x = 1", "AND    y = 2"}), LeftAligned()},
        FormatCase{"Case", kCase,
                   Lines({"SELECT CASE", "         WHEN a = 1", "         THEN 'x'", "         ELSE 'y'", "       END c",
                          "FROM   t"}),
                   LeftAligned()},
        FormatCase{"CaseIndents", kCase,
                   Lines({"SELECT CASE", "       WHEN a = 1 THEN 'x'", "       ELSE 'y'", "       END c", "FROM   t"}),
                   CaseOptions(true, 0, 5, true)},
        FormatCase{"Between", "select a from t where x between 1 and 2",
                   Lines({"SELECT a", "FROM   t", "WHERE  x BETWEEN 1", "             AND 2"}), LeftAligned()},
        FormatCase{"Union", "select a from t union select b from u",
                   Lines({"SELECT a", "FROM   t", "UNION", "SELECT b", "FROM   u"}), LeftAligned()},
        FormatCase{"UnionOfGroups", "(select a from t) union (select b from u)",
                   Lines({"(SELECT a", " FROM   t)", " UNION (SELECT b", "        FROM   u)"}), LeftAligned()},
        FormatCase{"With", kWith,
                   Lines({"WITH    x", "AS     (SELECT 1", "        FROM   dual)", "SELECT *", "FROM   x"}),
                   LeftAligned()},
        FormatCase{"Concat", "select a || b from t", Lines({"SELECT a", "       || b", "FROM   t"}), LeftAligned()},
        FormatCase{"LeftOuterJoin", "select a from t left outer join u on t.k = u.k",
                   Lines({"SELECT a", "FROM   t", "LEFT  ", "OUTER  JOIN u", "ON     t.k = u.k"}), LeftAligned()},
        FormatCase{"Update", "update t set a = 1", Lines({"UPDATE t", "SET    a = 1"}), LeftAligned()},
        FormatCase{"OrderByGroupBy", "select a from t group by a order by a",
                   Lines({"SELECT a", "FROM   t", "GROUP  BY a", "ORDER  BY a"}), LeftAligned()},
        FormatCase{"Semicolon", "select 1 from dual; select 2 from dual",
                   Lines({"SELECT 1", "FROM   dual;", "", "SELECT 2", "FROM   dual"}), LeftAligned()},
        FormatCase{"ConnectBy", "select a from t connect by prior a = b start with c = 1",
                   Lines({"SELECT a", "FROM   t", "       CONNECT BY PRIOR a = b", "START  WITH c = 1"}),
                   LeftAligned()},
        FormatCase{"NoFillOutsideClause", "(a and b)", Lines({"(a", "  AND b)"}), LeftAligned()},
        FormatCase{"FillInsideSelectList", "select a and b from t", Lines({"SELECT a AND    b", "FROM   t"}),
                   LeftAligned()},
        FormatCase{"SelectAfterTextGetsSpace", "create view v as select a from t",
                   Lines({"CREATE view v AS SELECT a", "                 FROM   t"}), LeftAligned()}),
    CaseName);

// The finished text: the line of blanks after a statement end is removed.
TEST(KeywordFinishTest, BlankLineAfterSemicolonIsRemoved)
{
    ExpectFormat("select 1 from dual; select 2 from dual",
                 Lines({"SELECT 1", "  FROM dual;", "SELECT 2", "  FROM dual"}));
}

} // namespace
