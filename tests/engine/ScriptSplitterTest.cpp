// Scripts: how a text is cut into units and pieces kept as they are, and what
// Format and Capitalise make of a script.
#include "CorpusFiles.h"
#include "EngineTestHelpers.h"

#include "Format.h"
#include "ScriptSplitter.h"
#include "Tokenizer.h"

#include <random>

namespace
{

// The pieces as "kind:text", blank gaps left out.
std::vector<std::string> Describe(std::u16string_view text)
{
    static const char* const kNames[] = {"sql", "plsql", "cmd", "end", "off", "kept"};
    std::vector<std::string> out;
    for (const CScriptPiece& piece : SplitScript(text))
    {
        std::u16string_view raw = text.substr(piece.m_nStart, piece.m_nLength);
        if (piece.m_nKind == PIECE_VERBATIM)
        {
            const size_t first = raw.find_first_not_of(u" \t\r\n");
            if (first == std::u16string_view::npos)
                continue;
            raw = raw.substr(first, raw.find_last_not_of(u" \t\r\n") + 1 - first);
        }
        out.push_back(std::string(kNames[piece.m_nKind]) + ":" + N(std::u16string(raw)));
    }
    return out;
}

struct SplitCase
{
    const char* name;
    std::string text;
    std::vector<std::string> pieces;
};

class ScriptSplitTest : public ::testing::TestWithParam<SplitCase>
{
};

TEST_P(ScriptSplitTest, CutsPieces)
{
    // Leading line feeds change nothing but where each character falls in
    // the blocks of four the searches read.
    for (size_t shift = 0; shift < 4; ++shift)
        EXPECT_EQ(Describe(std::u16string(shift, u'\n') + U(GetParam().text)), GetParam().pieces) << "shift " << shift;
}

const SplitCase kSplitCases[] = {
    {"Script",
     "set serveroutput on\nprompt Drop the table\ndrop table t;\ncreate or replace procedure p is\nbegin\n"
     "  null;\nend;\n/\nselect 1 from dual\n/\nspool off\n",
     {"cmd:set serveroutput on", "cmd:prompt Drop the table", "sql:drop table t;",
      "plsql:create or replace procedure p is\nbegin\n  null;\nend;", "end:/", "sql:select 1 from dual", "end:/",
      "cmd:spool off"}},
    {"ShortestAbbreviation", "pro it's\npr x", {"cmd:pro it's", "sql:pr x"}},
    {"AbbreviationNoLongerThanTheWord", "descr t\ndescribes t", {"cmd:descr t", "sql:describes t"}},
    {"CommandWordStandsAlone", "exit;\nset_x := 1", {"cmd:exit;", "sql:set_x := 1"}},
    {"SetStatementsAreSql", "set transaction read only;\nset role all;\nset constraints all deferred;\nset echo on",
     {"sql:set transaction read only;\nset role all;\nset constraints all deferred;", "cmd:set echo on"}},
    {"Continuation", "column a format a10 -\n  heading 'A'\nselect 1 from dual",
     {"cmd:column a format a10 -\n  heading 'A'", "sql:select 1 from dual"}},
    {"HostAndStart", "@@sub.sql\n  @ other\n!ls\nselect 1 from dual", {"cmd:@@sub.sql", "cmd:  @ other", "cmd:!ls", "sql:select 1 from dual"}},
    {"SlashInsideLiteral", "select 'a\n/\nb' from dual\n/", {"sql:select 'a\n/\nb' from dual", "end:/"}},
    {"SlashInsideQQuote", "select q'[it's\n/\n]' from dual\n/", {"sql:select q'[it's\n/\n]' from dual", "end:/"}},
    {"SlashInsideComment", "select 1 /* x\n/\n*/ from dual", {"sql:select 1 /* x\n/\n*/ from dual"}},
    {"SlashInsideQuotedName", "select \"a\n/\" from t", {"sql:select \"a\n/\" from t"}},
    {"CommandWordInsideStatement", "select\nprompt\nfrom t;\nupdate t\nset a = 1;\nset echo off",
     {"sql:select\nprompt\nfrom t;\nupdate t\nset a = 1;", "cmd:set echo off"}},
    {"PlsqlSemicolonsEndNothing", "begin\n  a;\n  b;\nend;\nset echo off\n/\nset echo on",
     {"plsql:begin\n  a;\n  b;\nend;\nset echo off", "end:/", "cmd:set echo on"}},
    {"UnterminatedLastUnit", "declare\n x int;\nbegin\n null;\nend;", {"plsql:declare\n x int;\nbegin\n null;\nend;"}},
    {"DotEndsABlock", "<<outer>>\nbegin null; end;\n.\n", {"plsql:<<outer>>\nbegin null; end;", "end:."}},
    {"CreateOverSeveralLines", "drop table t;\ncreate or replace\n  editionable package body p as\nend;\n/",
     {"sql:drop table t;", "plsql:create or replace\n  editionable package body p as\nend;", "end:/"}},
    {"CreateViewIsSql", "drop view v;\ncreate or replace view v as select 1 x from dual;\nprompt done",
     {"sql:drop view v;\ncreate or replace view v as select 1 x from dual;", "cmd:prompt done"}},
    {"CrLf", "set echo on\r\nselect 1 from dual\r\n/\r\n", {"cmd:set echo on", "sql:select 1 from dual", "end:/"}},
    {"CommentsGoWithTheNextUnit", "select 1 from dual;\n-- next\ncreate package p as\nend;\n/",
     {"sql:select 1 from dual;", "plsql:-- next\ncreate package p as\nend;", "end:/"}},
    {"CommentsBeforeACommandStay", "select 1 from dual;\n-- about to spool\nspool x",
     {"sql:select 1 from dual;", "kept:-- about to spool", "cmd:spool x"}},
    {"CommentsBeforeATerminatorGoWithTheUnit", "select 1 from dual;\n-- done\n/",
     {"sql:select 1 from dual;\n-- done", "end:/"}},
    {"OnlyComments", "prompt x\n-- a note", {"cmd:prompt x", "sql:-- a note"}},
    {"OffRegion", "select 1 from dual;\n  -- quillmark: off\nselect   2\n-- QUILLMARK:ON\nselect 3 from dual",
     {"sql:select 1 from dual;", "off:  -- quillmark: off\nselect   2\n-- QUILLMARK:ON", "sql:select 3 from dual"}},
    {"OffRegionsDoNotNest", "/* fmt: off */\na\n-- quillmark: off\nb\n-- fmt: on\nc",
     {"off:/* fmt: off */\na\n-- quillmark: off\nb\n-- fmt: on", "sql:c"}},
    {"OffWithoutOn", "select 1;\n-- quillmark: off\nx   y\n\n", {"sql:select 1;", "off:-- quillmark: off\nx   y"}},
    {"OnInsideLiteralIsNoSwitch", "-- fmt: off\nx := 'a\n-- fmt: on\n';\n-- fmt: on\ny",
     {"off:-- fmt: off\nx := 'a\n-- fmt: on\n';\n-- fmt: on", "sql:y"}},
    {"NoScriptLines", "select a\n  from t\n where x = 1", {"sql:select a\n  from t\n where x = 1"}},
};

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptSplitTest, ::testing::ValuesIn(kSplitCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The pieces cover the text exactly and in order, their lines are those of
// their first and last characters, and each unit starts where the tokenizer
// would start a token: its tokens are those the whole text has there.
void ExpectSoundPieces(const std::u16string& text, const std::string& label)
{
    const std::vector<CScriptPiece> pieces = SplitScript(text);
    std::vector<int32_t> lines(text.size() + 1, 1); // the line of each character
    for (size_t i = 1; i <= text.size(); ++i)
        lines[i] = lines[i - 1] + (text[i - 1] == u'\n');
    const auto lineOf = [&](size_t i) { return lines[i]; };
    size_t at = 0;
    bool hasCommand = false;
    for (const CScriptPiece& piece : pieces)
    {
        ASSERT_EQ(piece.m_nStart, at) << label;
        ASSERT_GT(piece.m_nLength, 0u) << label;
        EXPECT_EQ(piece.m_nFirstLine, lineOf(piece.m_nStart)) << label << " piece at " << at;
        EXPECT_EQ(piece.m_nLastLine, lineOf(piece.m_nStart + piece.m_nLength - 1)) << label << " piece at " << at;
        hasCommand = hasCommand || piece.m_nKind == PIECE_COMMAND;
        at += piece.m_nLength;
    }
    ASSERT_EQ(at, text.size()) << label;
    if (hasCommand)
        return; // a command line is not SQL: the whole text's tokens differ there
    CTokenList whole, part;
    Tokenize(text, whole);
    std::vector<std::u16string> expected, actual;
    for (const CBaseToken& t : whole)
        expected.emplace_back(t.m_sText);
    for (const CScriptPiece& piece : pieces)
    {
        Tokenize(std::u16string_view(text).substr(piece.m_nStart, piece.m_nLength), part);
        for (const CBaseToken& t : part)
            actual.emplace_back(t.m_sText);
    }
    // Chunks of plain text may be cut at a piece's end; compare without blanks.
    auto join = [](const std::vector<std::u16string>& texts) {
        std::u16string all;
        for (const std::u16string& t : texts)
            for (char16_t c : t)
                if (c != u' ' && c != u'\n' && c != u'\r' && c != u'\t')
                    all += c;
        return all;
    };
    EXPECT_EQ(join(actual), join(expected)) << label;
    // A piece ends before its line break, which a line comment (or a literal
    // left open) would otherwise end with.
    auto trimmed = [](std::u16string_view t) {
        while (!t.empty() && (t.back() == u'\n' || t.back() == u'\r'))
            t.remove_suffix(1);
        return std::u16string(t);
    };
    std::vector<std::u16string> literals[2];
    for (const CBaseToken& t : whole)
        if (t.m_nKind != TK_WORD)
            literals[0].push_back(trimmed(t.m_sText));
    for (const CScriptPiece& piece : pieces)
    {
        Tokenize(std::u16string_view(text).substr(piece.m_nStart, piece.m_nLength), part);
        for (const CBaseToken& t : part)
            if (t.m_nKind != TK_WORD)
                literals[1].push_back(trimmed(t.m_sText));
    }
    EXPECT_EQ(literals[1], literals[0]) << label << ": literals and comments cut differently";
}

TEST(ScriptSplitter, PiecesOfRandomScriptsAreSound)
{
    static const char* const kFragments[] = {
        "select a", " from t", ";", "'", "''", "\"", "/*", "*/", "--", " -- x", "q'[", "]'", "nq'<", ">'", "q'",
        "begin", "end;", "declare", "create or replace package p", "prompt x", "set echo on", "/", ".", " ",
        "<<l>>", "-- quillmark: off", "-- fmt: on", "\r", "x -", "@f", "n'a'"};
    std::mt19937 random(20261209);
    for (int round = 0; round < 3000; ++round)
    {
        std::string text;
        const int lines = 1 + static_cast<int>(random() % 12);
        for (int line = 0; line < lines; ++line)
        {
            const int parts = static_cast<int>(random() % 4);
            for (int part = 0; part < parts; ++part)
                text += kFragments[random() % std::size(kFragments)];
            if (line + 1 < lines || random() % 2)
                text += '\n';
        }
        ExpectSoundPieces(U(text), text);
        if (HasFailure())
            return;
    }
}

TEST(ScriptSplitter, PiecesOfTheCorpusAreSound)
{
    const std::vector<std::filesystem::path> files = corpus::SqlFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus at " << corpus::Dir();
    for (const std::filesystem::path& path : files)
    {
        ExpectSoundPieces(corpus::ReadText(path), path.string());
        if (HasFailure())
            return;
    }
}

struct ScriptFormatCase
{
    const char* name;
    std::string text;
    std::string expected;
    int mode = MODE_FORMAT;
    void (*setOptions)(COptions&) = nullptr;
};

void CommentsOnLinesOfTheirOwn(COptions& options)
{
    options.m_Comments.m_bCommentsOnNewLineBefore = true;
    options.m_Comments.m_bCommentsOnNewLineAfter = true;
}

class ScriptFormatTest : public ::testing::TestWithParam<ScriptFormatCase>
{
};

TEST_P(ScriptFormatTest, FormatsUnitsApart)
{
    COptions options;
    if (GetParam().setOptions)
        GetParam().setOptions(options);
    EXPECT_EQ(N(Format(U(GetParam().text), options, GetParam().mode).m_sText), GetParam().expected);
}

const ScriptFormatCase kScriptFormatCases[] = {
    {"Script",
     "set serveroutput on\nprompt Drop the table\ndrop table t;\n/\n\nselect 1 from dual\n/\nspool off\n",
     "set serveroutput on\nprompt Drop the table\nDROP TABLE t;\n/\n\nSELECT 1\n  FROM dual\n/\nspool off\n"},
    {"CapitaliseKeepsCommands", "prompt select it\nselect 1 from dual\n/\n", "prompt select it\nSELECT 1 FROM dual\n/\n",
     MODE_CAPITALISE},
    {"MarginPerUnit", "  select 1 from dual\n/\n    select 2\n    from dual\n/", "  SELECT 1\n    FROM dual\n/\n  SELECT 2\n    FROM dual\n/",
     MODE_FORMAT, [](COptions& o) { o.m_General.m_nLeftMargin = 2; }},
    {"DetectedMarginPerUnit", "    select 1\n    from dual\n/\n  select 2 from dual",
     "    SELECT 1\n      FROM dual\n/\n  SELECT 2\n    FROM dual", MODE_FORMAT,
     [](COptions& o) { o.m_General.m_bAutoDetectLeftMargin = true; }},
    {"RemovedCommentsLeaveNoEmptyLine", "-- only a comment\n/\nselect 1 from dual", "/\nSELECT 1\n  FROM dual",
     MODE_FORMAT, [](COptions& o) { o.m_Comments.m_bRemoveComments = true; }},
    {"OffRegionKept", "select a,b from t;\n-- fmt: off\nselect   a ,  b\n  from t;\n-- fmt: on\nselect c from t;",
     "SELECT a\n      ,b\n  FROM t;\n-- fmt: off\nselect   a ,  b\n  from t;\n-- fmt: on\nSELECT c\n  FROM t;"},
    // A text of one unit runs whole, as it always has: with its final line
    // break the common indentation stays.
    {"SingleUnitRunsWhole", "  select 1;\n  select 2;\n", "  SELECT 1;\n  SELECT 2;\n", MODE_CAPITALISE},
    // Laid out, "prompt hi" would start a line after the ";" and be a command.
    {"LayoutThatMakesACommandOnlyCapitalises", "select 1 from dual; prompt hi", "SELECT 1 FROM dual; prompt hi"},
    // Comments on lines of their own would leave the "/" or "." alone on its
    // line, where it would end the unit.
    {"LayoutThatMakesATerminatorOnlyCapitalises", "select 1 from dual\n/\nselect 1 -- c\n/ -- d\n2 from dual\n/\n",
     "SELECT 1\n  FROM dual\n/\nSELECT 1 -- c\n/ -- d\n2 FROM dual\n/\n", MODE_FORMAT, CommentsOnLinesOfTheirOwn},
    {"LayoutThatMakesADotLineOnlyCapitalises", "select t -- c\n. -- d\nx from t", "SELECT t -- c\n. -- d\nx FROM t",
     MODE_FORMAT, CommentsOnLinesOfTheirOwn},
};

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptFormatTest, ::testing::ValuesIn(kScriptFormatCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ScriptFormat, FilterChoosesTheUnits)
{
    const std::u16string text = u"select 1 from dual\n/\nselect 2 from dual\n/\nselect 3 from dual";
    const CFormatResult result =
        Format(text, COptions(), MODE_FORMAT, [](const CScriptPiece& unit, size_t index) {
            return index == 1 && unit.m_nFirstLine == 3;
        });
    EXPECT_EQ(N(result.m_sText), "select 1 from dual\n/\nSELECT 2\n  FROM dual\n/\nselect 3 from dual");
}

TEST(ScriptFormat, NamesTheUnitsNotLaidOut)
{
    const std::u16string text = u"prompt x\nselect 1 from dual; l\n/\nselect 2 from dual\n/\nselect 3 from t; del";
    const CFormatResult result = Format(text, COptions(), MODE_FORMAT);
    EXPECT_EQ(N(result.m_sText), "prompt x\nSELECT 1 FROM dual; l\n/\nSELECT 2\n  FROM dual\n/\nSELECT 3 FROM t; del");
    EXPECT_EQ(result.m_aUnitsNotLaidOut, (std::vector<int32_t>{2, 6}));
}

TEST(ScriptFormat, MarginReappliedToUnitsOnly)
{
    COptions options;
    EXPECT_EQ(N(ReapplyLeftMargin(u"SELECT 1\n\n  FROM dual\n/\n\nprompt  x\n", options, 3)),
              "   SELECT 1\n     FROM dual\n/\n\nprompt  x\n");
}

} // namespace
