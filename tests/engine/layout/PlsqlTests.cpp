// The PL/SQL layout, construct by construct: blocks and headers, declarations,
// control flow, SQL inside PL/SQL, long statements, comments and blank lines,
// and text the rules do not know. Every case also keeps its tokens and formats
// its own output unchanged (ExpectPlsql).
#include "LayoutTestSupport.h"

#include <sstream>

using namespace layout_test;

namespace
{

Setup CommaPlacement(int commaPos)
{
    return [commaPos](COptions& o) { o.m_Commas.m_nListComma = commaPos; };
}

Setup BlockIndent(int indent)
{
    return [indent](COptions& o) { o.m_Plsql.m_nBlockIndent = indent; };
}

// Cases whose output holds no SQL statement and no stacked list: the keyword
// alignment and the comma placement must not change them.
struct PlsqlCase
{
    FormatCase c;
    bool sameForAlignmentsAndCommas;
};

std::ostream& operator<<(std::ostream& os, const PlsqlCase& p) { return os << p.c.name; }

const char* kPackageBody = R"(create or replace package body ut_ansiconsole_helper as
  gc_red     constant varchar2(7) := chr(27) || '[31m';
  g_enabled  boolean := false;

  procedure color_enabled(a_enabled boolean) is
  begin
    g_enabled := a_enabled;
  end;

  function add_color(a_text varchar2, a_color varchar2 := gc_reset) return varchar2 is
    l_count pls_integer;
  begin
    select count(*) into l_count from user_objects where object_name = a_text;

    if g_enabled and a_text is not null then
      return a_color||a_text||gc_reset;
    elsif l_count > 0 then
      for r in (select object_name from user_objects) loop
        dbms_output.put_line(r.object_name);
      end loop;
    else
      return a_text;
    end if;
  exception
    when no_data_found then
      return null;
  end add_color;
end;)";

const char* kPackageBodyHead = R"(CREATE OR REPLACE PACKAGE BODY ut_ansiconsole_helper AS
  gc_red CONSTANT VARCHAR2 (7) := CHR (27) || '[31m';
  g_enabled BOOLEAN := FALSE;

  PROCEDURE color_enabled (a_enabled BOOLEAN) IS
  BEGIN
    g_enabled := a_enabled;
  END;

  FUNCTION add_color (a_text VARCHAR2, a_color VARCHAR2 := gc_reset) RETURN VARCHAR2 IS
    l_count PLS_INTEGER;
  BEGIN
)";

const char* kPackageBodyTail = R"(    IF g_enabled AND a_text IS NOT NULL THEN
      RETURN a_color || a_text || gc_reset;
    ELSIF l_count > 0 THEN
)";

const char* kPackageBodyEnd = R"(        dbms_output.put_line (r.object_name);
      END LOOP;
    ELSE
      RETURN a_text;
    END IF;
  EXCEPTION
    WHEN no_data_found THEN
      RETURN NULL;
  END add_color;
END;)";

std::string PackageBody(const char* select, const char* loop)
{
    return std::string(kPackageBodyHead) + select + "\n\n" + kPackageBodyTail + loop + "\n" + kPackageBodyEnd;
}

const char* kLongCall =
    "begin\n  raise_application_error(-20001, 'A message long enough to push the call past the margin: ' "
    "|| l_name);\nend;";

const PlsqlCase kCases[] = {
    {{"PackageBodyRight", kPackageBody,
      PackageBody("    SELECT COUNT (*)\n      INTO l_count\n      FROM user_objects\n     WHERE object_name = a_text;",
                  "      FOR r IN (SELECT object_name\n                  FROM user_objects) LOOP"),
      {}},
     false},
    {{"PackageBodyLeft", kPackageBody,
      PackageBody("    SELECT COUNT (*)\n    INTO   l_count\n    FROM   user_objects\n    WHERE  object_name = a_text;",
                  "      FOR r IN (SELECT object_name\n                FROM   user_objects) LOOP"),
      LeftAligned()},
     false},
    {{"LabelsLoopsCaseInLoopInIf",
      "declare l_total number := 0; begin <<depts>> for d in 1 .. 3 loop if d > 1 then loop case when l_total > 9 "
      "then exit depts; when l_total is null then continue; else l_total := l_total + d; end case; end loop; end "
      "if; end loop depts; while l_total > 0 loop l_total := l_total - 1; end loop; goto done; <<done>> null; end;",
      Lines({"DECLARE", "  l_total NUMBER := 0;", "BEGIN", "  <<depts>>", "  FOR d IN 1..3 LOOP", "    IF d > 1 THEN",
             "      LOOP", "        CASE", "          WHEN l_total > 9 THEN", "            EXIT depts;",
             "          WHEN l_total IS NULL THEN", "            CONTINUE;", "          ELSE",
             "            l_total := l_total + d;", "        END CASE;", "      END LOOP;", "    END IF;",
             "  END LOOP depts;", "  WHILE l_total > 0 LOOP", "    l_total := l_total - 1;", "  END LOOP;",
             "  GOTO done;", "  <<done>>", "  NULL;", "END;"}),
      {}},
     true},
    {{"NestedBlocksAndHandlers",
      "begin declare x number; begin x := 1; exception when no_data_found or too_many_rows then null; when "
      "others then raise; end; if a then b; elsif c then d; else e; end if; case x when 1 then y; else z; end "
      "case; end;",
      Lines({"BEGIN", "  DECLARE", "    x NUMBER;", "  BEGIN", "    x := 1;", "  EXCEPTION",
             "    WHEN no_data_found OR too_many_rows THEN", "      NULL;", "    WHEN OTHERS THEN", "      RAISE;",
             "  END;", "  IF a THEN", "    b;", "  ELSIF c THEN", "    d;", "  ELSE", "    e;", "  END IF;",
             "  CASE x", "    WHEN 1 THEN", "      y;", "    ELSE", "      z;", "  END CASE;", "END;"}),
      {}},
     true},
    {{"CursorForLoopWithCaseExpression",
      "begin for d in (select deptno, case when loc = 'X' then 1 else 0 end flag from dept) loop null; end loop; "
      "end;",
      Lines({"BEGIN", "  FOR d IN (SELECT deptno", "                  ,CASE", "                     WHEN loc = 'X'",
             "                     THEN 1", "                     ELSE 0", "                   END flag",
             "              FROM dept) LOOP", "    NULL;", "  END LOOP;", "END;"}),
      {}},
     false},
    {{"Trigger",
      "create or replace trigger trg before insert or update of sal, comm on emp referencing new as n old as o "
      "for each row when (n.sal > 0) declare l_user varchar2(30) := user; begin l_user := null; end trg;",
      Lines({"CREATE OR REPLACE TRIGGER trg", "  BEFORE INSERT OR UPDATE OF sal, comm ON emp",
             "  REFERENCING new AS n old AS o", "  FOR EACH ROW", "  WHEN (n.sal > 0)", "DECLARE",
             "  l_user VARCHAR2 (30) := USER;", "BEGIN", "  l_user := NULL;", "END trg;"}),
      {}},
     true},
    {{"TypeSpec",
      "create or replace type t force under base_t (a number, -- the a\n b varchar2(10), member function f(x "
      "number) return number, constructor function t return self as result) not final;",
      Lines({"CREATE OR REPLACE TYPE t FORCE UNDER base_t (", "  a NUMBER, -- the a", "  b VARCHAR2 (10),",
             "  MEMBER FUNCTION f (x NUMBER) RETURN NUMBER,", "  CONSTRUCTOR FUNCTION t RETURN self AS result",
             ") NOT FINAL;"}),
      {}},
     false},
    {{"TypeSpecBeforeComma", "create type t as object (a number, b number)",
      Lines({"CREATE TYPE t AS OBJECT (", "  a NUMBER", " ,b NUMBER", ")"}), CommaPlacement(COMMA_BEFORE)},
     false},
    {{"TypeBody",
      "create or replace type body t as constructor function t return self as result is begin return; end; "
      "member function f(x number) return number is begin return x; end; end;",
      Lines({"CREATE OR REPLACE TYPE BODY t AS", "  CONSTRUCTOR FUNCTION t RETURN self AS result IS", "  BEGIN",
             "    RETURN;", "  END;", "  MEMBER FUNCTION f (x NUMBER) RETURN NUMBER IS", "  BEGIN",
             "    RETURN x;", "  END;", "END;"}),
      {}},
     true},
    {{"PackageSpecStackedHeaders",
      "create or replace package pkg authid current_user as procedure long_procedure_name(p_first_parameter in "
      "varchar2, p_second_parameter in out nocopy number, p_third date default sysdate); function f return "
      "boolean deterministic; pragma serially_reusable; end pkg;",
      Lines({"CREATE OR REPLACE PACKAGE pkg AUTHID CURRENT_USER AS",
             "  PROCEDURE long_procedure_name (p_first_parameter IN VARCHAR2,",
             "                                 p_second_parameter IN OUT NOCOPY NUMBER,",
             "                                 p_third DATE DEFAULT SYSDATE);",
             "  FUNCTION f RETURN BOOLEAN DETERMINISTIC;", "  PRAGMA SERIALLY_REUSABLE;", "END pkg;"}),
      {}},
     false},
    {{"CallSpecAndCursorDeclaration",
      "create function f return number as language java name 'a.b() return int';",
      "CREATE FUNCTION f RETURN NUMBER AS LANGUAGE JAVA name 'a.b() return int';", {}},
     true},
    {{"ForallOpenFetchDirectives",
      "begin forall i in indices of l_tab save exceptions update t set a = 1 where id = l_tab(i); open c for "
      "select 1 from dual; open c for l_sql using a; fetch c bulk collect into l limit 100; close c; $if $$trace and a "
      "$then x; $else y; $end end;",
      Lines({"BEGIN", "  FORALL i IN INDICES OF l_tab SAVE EXCEPTIONS", "    UPDATE t", "       SET a = 1",
             "     WHERE id = l_tab (i);", "  OPEN c FOR SELECT 1", "               FROM dual;",
             "  OPEN c FOR l_sql USING a;", "  FETCH c BULK COLLECT INTO l LIMIT 100;", "  CLOSE c;",
             "  $IF $$trace AND a $THEN", "  x;", "  $ELSE", "  y;", "  $END", "END;"}),
      {}},
     false},
    {{"LongCallAfterComma", kLongCall,
      Lines({"BEGIN", "  raise_application_error (- 20001,",
             "                           'A message long enough to push the call past the margin: ' || "
             "l_name);",
             "END;"}),
      {}},
     false},
    {{"LongCallBeforeComma", kLongCall,
      Lines({"BEGIN", "  raise_application_error (- 20001",
             "                          ,'A message long enough to push the call past the margin: ' || "
             "l_name);",
             "END;"}),
      CommaPlacement(COMMA_BEFORE)},
     false},
    {{"LongCallBeforeCommaWithSpace", kLongCall,
      Lines({"BEGIN", "  raise_application_error (- 20001",
             "                         , 'A message long enough to push the call past the margin: ' || "
             "l_name);",
             "END;"}),
      CommaPlacement(COMMA_BEFORE_SPACE)},
     false},
    {{"LongConcatenationFilledLikeText",
      "begin dbms_output.put_line('DESSERT! With Chocolate? ' || contains_chocolate || ' created in ' || "
      "self.year_created || chr(10) || '...which is a...'); end;",
      Lines({"BEGIN", "  dbms_output.put_line ('DESSERT! With Chocolate? ' || contains_chocolate || ' created in '",
             "                        || self.year_created || CHR (10) || '...which is a...');", "END;"}),
      {}},
     true},
    {{"LongCaseExpressionOnCasePageLines",
      "begin l_result := case when a_quote_char is not null then a_quote_char || a_value || a_quote_char else "
      "a_value end; end;",
      Lines({"BEGIN", "  l_result := CASE", "                WHEN a_quote_char IS NOT NULL THEN a_quote_char || a_value "
             "|| a_quote_char",
             "                ELSE a_value", "              END;", "END;"}),
      [](COptions& o) { o.m_Case.m_bCaseWhenThenInSameLine = true; }},
     true},
    {{"LongConditionsBreakBeforeAndOr",
      "begin if l_first_flag_is_set and (l_a < l_b or l_b is null) and l_c between 1 and 10 and case when x then 1 end "
      "= 1 then null; elsif l_first_value_is_really_rather_long_indeed > 0 or l_second_value_is_also_rather_long > 0 then null; end "
      "if; while l_first_counter_is_here > 0 and l_second_counter_is_there > 0 and l_third_one_is_also_here > 0 loop "
      "exit when l_first_counter_is_here > 10 and l_second_counter_is_there > 10 and l_third_is_also > 10; end loop; "
      "l_done := l_first_counter_is_here > 0 or l_second_counter_is_there > 0 or l_third_one_is_also_here > 0; end;",
      Lines({"BEGIN", "  IF l_first_flag_is_set", "     AND (l_a < l_b OR l_b IS NULL)",
             "     AND l_c BETWEEN 1 AND 10", "     AND CASE WHEN x THEN 1 END = 1 THEN", "    NULL;",
             "  ELSIF l_first_value_is_really_rather_long_indeed > 0", "        OR l_second_value_is_also_rather_long > 0 THEN",
             "    NULL;", "  END IF;", "  WHILE l_first_counter_is_here > 0",
             "        AND l_second_counter_is_there > 0", "        AND l_third_one_is_also_here > 0 LOOP",
             "    EXIT WHEN l_first_counter_is_here > 10", "              AND l_second_counter_is_there > 10",
             "              AND l_third_is_also > 10;", "  END LOOP;", "  l_done := l_first_counter_is_here > 0",
             "            OR l_second_counter_is_there > 0", "            OR l_third_one_is_also_here > 0;", "END;"}),
      {}},
     true},
    {{"LongConditionPartStacksItsList",
      "begin if l_short is null or l_type_code in (dbms_types.typecode_table, dbms_types.typecode_varray, "
      "dbms_types.typecode_object) then null; end if; end;",
      Lines({"BEGIN", "  IF l_short IS NULL", "     OR l_type_code IN (dbms_types.typecode_table,",
             "                        dbms_types.typecode_varray,",
             "                        dbms_types.typecode_object) THEN", "    NULL;", "  END IF;", "END;"}),
      {}},
     false},
    {{"LongCaseExpressionBreaksBeforeItsList",
      "begin self.rollback_type := case when a_force then a_rollback_type else coalesce(self.rollback_type, "
      "a_rollback_type) end; end;",
      Lines({"BEGIN", "  self.rollback_type := CASE", "                          WHEN a_force",
             "                          THEN a_rollback_type",
             "                          ELSE COALESCE (self.rollback_type, a_rollback_type)", "                        END;",
             "END;"}),
      {}},
     true},
    {{"LongCaseBranchesStackTheirLists",
      "begin l_exec := case l_count when 1 then ut_executable(a_owner, a_package_name, l_components_list(1), "
      "a_event_name) else ut_executable(l_components_list(1), l_components_list(2), l_components_list(3), "
      "a_event_name) end; end;",
      Lines({"BEGIN", "  l_exec := CASE l_count", "              WHEN 1",
             "              THEN ut_executable (a_owner, a_package_name, l_components_list (1), a_event_name)",
             "              ELSE ut_executable (l_components_list (1),", "                                  l_components_list (2),",
             "                                  l_components_list (3),", "                                  a_event_name)",
             "            END;", "END;"}),
      {}},
     false},
    {{"CommentsAndBlankLines",
      "create or replace procedure p is -- after IS\n  /* block\n     comment */\n  l_a number; -- a\n\n\n  "
      "l_b number;\nbegin   -- begin note\n\n  -- first\n  x := 1;   /* inline */   y := 2;\n  foo(a, -- first "
      "arg\n      b);\n    /* two\n         lines */\n  z := 3;\n\n  -- at the end\nend p;",
      Lines({"CREATE OR REPLACE PROCEDURE p IS -- after IS", "  /* block", "     comment */", "  l_a NUMBER; -- a",
             "", "  l_b NUMBER;", "BEGIN -- begin note", "  -- first", "  x := 1; /* inline */", "  y := 2;",
             "  foo (a, -- first arg", "       b);", "  /* two", "       lines */", "  z := 3;", "",
             "  -- at the end", "END p;"}),
      {}},
     false},
    {{"RemoveComments",
      "begin -- note\n  x := 1; /*+ hint */ /* gone */\n  -- gone\n  y := 2;\nend;",
      Lines({"BEGIN", "  x := 1; /*+ hint */", "  y := 2;", "END;"}),
      [](COptions& o) { o.m_Comments.m_bRemoveComments = true; }},
     true},
    {{"BlockIndentFour", "begin if a then b; end if; end;", Lines({"BEGIN", "    IF a THEN", "        b;", "    END IF;", "END;"}),
      BlockIndent(4)},
     true},
    {{"BlockIndentOutOfRangeIsClamped", "begin if a then b; end if; end;",
      Lines({"BEGIN", "IF a THEN", "b;", "END IF;", "END;"}), BlockIndent(-3)},
     true},
    {{"Vocabulary",
      "declare subtype t_flag is pls_integer range 0 .. 1; l_row emp%rowtype; l_sal emp.sal%type; "
      "l_ok boolean; pragma autonomous_transaction; begin if c%notfound or sql%rowcount = 0 then raise; end if; "
      "end;",
      Lines({"declare", "  subtype t_flag is Pls_integer range 0..1;", "  l_row emp%rowtype;", "  l_sal emp.sal%type;",
             "  l_ok Boolean;", "  pragma autonomous_transaction;", "begin",
             "  if c%notfound or sql%rowcount = 0 then", "    raise;", "  end if;", "end;"}),
      [](COptions& o) {
          o.m_Capitalisation.m_nKeywords = CAP_LOWER;
          o.m_Capitalisation.m_nDataTypes = CAP_INITCAP;
      }},
     true},
    {{"TimeZoneWordsInDataTypeCase",
      "declare l_a timestamp with time zone; l_b timestamp(6) with local time zone; time number; zone varchar2(9); "
      "begin time := 1; end;",
      Lines({"DECLARE", "  l_a Timestamp WITH Time Zone;", "  l_b Timestamp (6) WITH Local Time Zone;",
             "  time Number;", "  zone Varchar2 (9);", "BEGIN", "  time := 1;", "END;"}),
      [](COptions& o) { o.m_Capitalisation.m_nDataTypes = CAP_INITCAP; }},
     true},
    {{"AttributesInKeywordCase", "declare l_row emp%rowtype; begin exit when c%NotFound; end;",
      Lines({"DECLARE", "  l_row emp%ROWTYPE;", "BEGIN", "  EXIT WHEN c%NOTFOUND;", "END;"}), {}},
     true},
    // Text the rules do not know: every token kept, in order.
    {{"MissingEndIf", "begin if x then y := 1; end;", Lines({"BEGIN", "  IF x THEN", "    y := 1;", "END;"}), {}},
     true},
    {{"ClosingWordsWithoutOpeners", "begin end if; else x; elsif y then z; end;",
      Lines({"BEGIN", "  END IF;", "  ELSE x;", "  ELSIF y THEN z;", "END;"}), {}},
     true},
    {{"UnbalancedParentheses", "begin x := f(1, 2; y := (3)); end",
      Lines({"BEGIN", "  x := f (1, 2;", "  y := (3));", "END"}), {}},
     true},
    {{"Library", "create or replace library mylib as '/tmp/x.so';", "CREATE OR REPLACE LIBRARY mylib AS '/tmp/x.so';",
      {}},
     true},
    {{"TextAfterTheLastEndBySqlRules", "begin null; end; grant execute on p to x;",
      Lines({"BEGIN", "  NULL;", "END;", "GRANT EXECUTE", " ON p TO x;"}), {}},
     true},
    // A bind variable of a literal that spans lines is measured from its last
    // line on, as the literal alone is: the list after it stays on that line.
    {{"BindVariableOfLiteralOverLines",
      "begin v := f(:'first line is long enough to matter here and longer than the margin\nsecond', "
      "a_rather_long_argument_name, another_long_argument); end;",
      Lines({"BEGIN", "  v := f (:'first line is long enough to matter here and longer than the margin",
             "second', a_rather_long_argument_name, another_long_argument);", "END;"}),
      {}},
     false},
};

class PlsqlLayoutTest : public ::testing::TestWithParam<PlsqlCase>
{
};

TEST_P(PlsqlLayoutTest, LaysOut)
{
    const FormatCase& c = GetParam().c;
    ExpectPlsql(c.input, c.expected, c.setup);
    if (!GetParam().sameForAlignmentsAndCommas)
        return;
    const layout_test::Setup commaBefore = [&](COptions& o) {
        if (c.setup)
            c.setup(o);
        o.m_Commas.m_nListComma = COMMA_BEFORE;
    };
    EXPECT_EQ(FormatText(c.input, LeftAligned(c.setup)), c.expected) << "left-aligned";
    EXPECT_EQ(FormatText(c.input, commaBefore), c.expected) << "before comma";
}

INSTANTIATE_TEST_SUITE_P(Constructs, PlsqlLayoutTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<PlsqlCase>& info) { return std::string(info.param.c.name); });

// 10,000 nested blocks and IFs: the stack is explicit, so they format, and
// each END stands under its opener (indentation stops at its bound).
TEST(PlsqlLayout, DeepNesting)
{
    constexpr int kDepth = 10000;
    std::string input;
    for (int i = 0; i < kDepth; ++i)
        input += i % 2 ? "if a then " : "begin ";
    input += "null;";
    for (int i = kDepth; i-- > 0;)
        input += i % 2 ? " end if;" : " end;";
    const std::string output = FormatText(input, BlockIndent(1));
    std::istringstream lines(output);
    std::string line;
    std::vector<std::string> all;
    while (std::getline(lines, line))
        all.push_back(line);
    ASSERT_EQ(all.size(), 2u * kDepth + 1);
    EXPECT_EQ(all.front(), "BEGIN");
    EXPECT_EQ(all.back(), "END;");
    EXPECT_EQ(all[1], " IF a THEN");
    EXPECT_EQ(all[all.size() - 2], " END IF;");
}

} // namespace

// Through the engine's entry point: a PL/SQL unit among SQL*Plus lines, the
// layout switched off (the SQL rules alone, and SQL's words), Java source,
// Capitalise, and the margin box's re-indentation.
struct ScriptCase
{
    const char* name;
    std::string input;
    std::string expected;
    int mode;
    Setup setup;
};

std::ostream& operator<<(std::ostream& os, const ScriptCase& c) { return os << c.name; }

class PlsqlScriptTest : public ::testing::TestWithParam<ScriptCase>
{
};

TEST_P(PlsqlScriptTest, FormatsTheUnitsOfAScript)
{
    COptions options;
    if (GetParam().setup)
        GetParam().setup(options);
    EXPECT_EQ(Narrow(Format(Wide(GetParam().input), options, GetParam().mode).m_sText), GetParam().expected);
}

const char* kJava = "create or replace and compile java source named \"Hello\" as\npublic class Hello {\n"
                    "  // says hello\n  public static String hi() { return \"Hi\"; }\n}\n/";

INSTANTIATE_TEST_SUITE_P(
    Scripts, PlsqlScriptTest,
    ::testing::Values(
        ScriptCase{"AnonymousBlockAmongCommandLines",
                   "set serveroutput on\ndeclare l_ok boolean; begin\n\n null; end;\n/\nprompt done\n",
                   "set serveroutput on\nDECLARE\n  l_ok BOOLEAN;\nBEGIN\n  NULL;\nEND;\n/\nprompt done\n", MODE_FORMAT,
                   {}},
        ScriptCase{"LayoutOffIsTheSqlRulesAlone", "declare l_ok boolean; begin if a then b; end if; end;",
                   "DECLARE l_ok boolean;\n BEGIN IF a THEN b;\n END IF;\n END;", MODE_FORMAT,
                   [](COptions& o) { o.m_Plsql.m_bLayoutBlocks = false; }},
        ScriptCase{"JavaSourceKept", kJava, kJava, MODE_FORMAT, {}},
        ScriptCase{"JavaSourceKeptByCapitalise", kJava, kJava, MODE_CAPITALISE, {}},
        ScriptCase{"CapitaliseCasesPlsqlWordsLikeFormat", "declare l_ok boolean;\n  r emp%rowtype;\nbegin null; end;",
                   "DECLARE l_ok BOOLEAN;\n  r emp%ROWTYPE;\nBEGIN NULL; END;", MODE_CAPITALISE, {}}),
    [](const ::testing::TestParamInfo<ScriptCase>& info) { return std::string(info.param.name); });

// The margin box gives the output a new margin and drops blank lines, but
// not the blank lines a PL/SQL unit's layout kept.
TEST(PlsqlLayout, MarginBoxKeepsTheBlankLinesOfTheLayout)
{
    COptions options;
    const std::u16string once = Format(u"begin\n  a;\n\n  b;\nend;", options, MODE_FORMAT).m_sText;
    EXPECT_EQ(Narrow(once), Lines({"BEGIN", "  a;", "", "  b;", "END;"}));
    EXPECT_EQ(Narrow(ReapplyLeftMargin(once, options, 2)), Lines({"  BEGIN", "    a;", "", "    b;", "  END;"}));
}
