// Clause keywords and alignment: every clause keyword of a statement starts a
// line on the keyword column, right-aligned (each keyword ends where the
// statement's first keyword ended) or left-aligned (each starts where it
// started, filled out to six characters). Also CASE, BETWEEN, the set
// operators, the full stop, the semicolon and the concatenation operator.
#include "LayoutRules.h"
#include "WordLists.h"

namespace
{

// Keywords that start a line inside a clause (JOIN is not one of them).
bool IsLineBreakKeyword(int32_t code)
{
    switch (code)
    {
    case KW_AND:
    case KW_OR:
    case KW_ORDER:
    case KW_GROUP:
    case KW_BULK:
    case KW_INTO:
    case KW_SET:
    case KW_INNER:
    case KW_OUTER:
    case KW_LEFT:
    case KW_RIGHT:
    case KW_FULL:
    case KW_ON:
    case KW_VALUES:
    case KW_HAVING:
    case KW_START:
        return true;
    default:
        return false;
    }
}

bool IsStatementKeyword(int32_t code)
{
    return code == KW_INSERT || code == KW_DELETE || code == KW_UPDATE || code == KW_MERGE;
}

// A line break and the indentation that puts a keyword of the given length on
// the keyword column; the keyword itself follows without a separator.
void BreakToKeywordColumn(CLayoutContext& ctx, LevelState& level, int32_t length)
{
    ctx.WriteLineBreak(ctx.RightAligned() ? int64_t(level.m_nKeywordCol) - length : level.m_nKeywordCol);
    level.m_sSep.Clear();
}

// After SELECT or DISTINCT: the SELECT list (and the FROM list with it) is
// anchored at the current column, and its first item is still to come.
void SelectListRule(CLayoutContext& ctx, LevelState& level)
{
    if (level.m_nSelectListCol != -1)
        return;
    level.m_nSelectListCol = ctx.Column();
    level.m_nFromListCol = ctx.Column();
    level.m_bPendSelect = true;
}

// AND, OR, ON, the joins and their like start a line: under the end of the
// last BETWEEN, on the keyword column, or at the level's anchor, in that order
// of preference. Inside a SELECT list they stay on the line.
void LineBreakRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token)
{
    const int32_t code = token.m_nCode;
    const int32_t length = token.m_nLength;
    const bool inSelectList = level.m_nClause == KW_SELECT && code != KW_BULK && code != KW_INTO;
    if (!inSelectList)
    {
        if (level.m_nBetweenCol != -1)
        {
            ctx.Write(ctx.m_sNewLine, BlankRun(int64_t(level.m_nBetweenCol) - length), token.m_sText);
            level.m_bHandled = true;
            level.m_nBetweenCol = -1;
        }
        else if (level.m_nKeywordCol != -1)
        {
            BreakToKeywordColumn(ctx, level, length);
        }
        else if (level.m_nLevelCol != -1)
        {
            ctx.Write(ctx.m_sNewLine, BlankRun(int64_t(level.m_nLevelCol) + 1), token.m_sText);
            level.m_bHandled = true;
        }
    }
    if (code == KW_GROUP || code == KW_ORDER)
        level.m_nClause = code;
}

void WithRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token)
{
    const int64_t column = ctx.Column();
    level.m_nClause = KW_WITH;
    if (level.m_nWithListCol == -1)
        level.m_nWithListCol = ToColumn(token.m_nLength + column + 2);
    if (level.m_nKeywordCol == -1)
        level.m_nKeywordCol = ToColumn(column + level.m_nLevelOffset + (ctx.RightAligned() ? 6 : 0));
    if (ctx.RightAligned())
        level.m_sSep = u"  ";
    level.m_bPendWith = true;
}

// INSERT, DELETE, UPDATE, MERGE. They open their line, so they take no
// separator; where one follows other text of its level on the same line (a
// statement after BEGIN or THEN) a single space keeps the words apart. That
// space is decided when the keyword is written, after a first-item correction
// (after WITH, say) has written its blanks, so it never doubles them.
void StatementRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token)
{
    level.m_sSep.Clear();
    level.m_bSpaceIfJoined = true;
    level.m_nClause = token.m_nCode;
    if (level.m_nKeywordCol == -1)
        level.m_nKeywordCol = ToColumn(int64_t(ctx.Column()) + (ctx.RightAligned() ? 6 : 0));
}

void SelectRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token)
{
    const int32_t length = token.m_nLength;
    level.m_nClause = KW_SELECT;
    if (level.m_nTokens != 0 && level.m_nKeywordCol != -1)
        ctx.WriteLineBreak(ctx.RightAligned() ? int64_t(level.m_nKeywordCol) - length : level.m_nKeywordCol);
    // No separator, except after text of this level on the same line, as in
    // CREATE VIEW v AS SELECT.
    ctx.Write(ctx.LevelTextNeedsSpace(level) ? u" " : u"", token);
    level.m_bHandled = true;
    if (level.m_nKeywordCol == -1)
        level.m_nKeywordCol = ToColumn(ctx.RightAligned() ? int64_t(ctx.Column()) : int64_t(ctx.Column()) - length);
    SelectListRule(ctx, level);
}

void DistinctRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token)
{
    const COptions::CSelect& select = ctx.m_Options.m_Select;
    level.m_nClause = KW_SELECT;
    SelectListRule(ctx, level);
    if (select.m_bAlignColumnsAfterDistinct && !select.m_bSelectColumnListStyle)
    {
        level.m_sSep = u" ";
        ctx.Write(level.m_sSep, token);
        level.m_bHandled = true;
        level.m_nSelectListCol = ctx.Column();
    }
}

void FromWhereRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token)
{
    level.m_nClause = token.m_nCode;
    level.m_nSelectListCol = -1;
    if (level.m_nKeywordCol != -1)
        BreakToKeywordColumn(ctx, level, token.m_nLength);
    if (token.m_nCode == KW_FROM)
    {
        if (level.m_nFromListCol == -1)
            level.m_nFromListCol = ToColumn(int64_t(token.m_nLength) + ctx.Column());
        level.m_bPendFrom = true;
    }
}

// BY after GROUP or ORDER anchors that list just after itself.
void ByRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token)
{
    const int32_t anchor = ToColumn(int64_t(token.m_nLength) + ctx.Column() + 1);
    if (level.m_nClause == KW_ORDER)
    {
        if (level.m_nOrderByListCol == -1)
            level.m_nOrderByListCol = anchor;
        level.m_bPendOrderBy = true;
    }
    else if (level.m_nClause == KW_GROUP)
    {
        if (level.m_nGroupByListCol == -1)
            level.m_nGroupByListCol = anchor;
        level.m_bPendGroupBy = true;
    }
}

// UNION, MINUS, INTERSECT: on the keyword column, or, in a level without
// one, under the start of the last group (a set of parenthesised queries).
void SetOperatorRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token)
{
    if (level.m_nKeywordCol != -1)
    {
        BreakToKeywordColumn(ctx, level, token.m_nLength);
    }
    else if (level.m_nLastGroupCol != -1)
    {
        ctx.WriteLineBreak(ctx.RightAligned() ? int64_t(level.m_nLastGroupCol) - token.m_nLength
                                              : level.m_nLastGroupCol);
        level.m_sSep.Clear();
    }
}

void CaseRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token)
{
    ctx.Write(level.m_sSep, token);
    level.m_bHandled = true;
    if (level.m_nCaseCol == -1)
        level.m_nCaseCol = ToColumn(int64_t(ctx.Column()) - token.m_nLength);
}

// WHEN, THEN, ELSE and END of a CASE expression start their lines under its
// CASE (WHEN and ELSE indented, THEN further); END closes the expression, and
// an inner CASE's END closes the outer one too.
void CaseBranchRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token)
{
    const COptions::CCase& options = ctx.m_Options.m_Case;
    switch (token.m_nCode)
    {
    case KW_WHEN:
    case KW_ELSE:
        if (level.m_nCaseCol == -1)
            return;
        ctx.WriteLineBreak(level.m_nCaseCol, options.m_nIdentCaseFromSwitch);
        break;
    case KW_THEN:
        if (level.m_nCaseCol == -1 || options.m_bCaseWhenThenInSameLine)
            return;
        ctx.WriteLineBreak(level.m_nCaseCol, options.m_nIdentCaseFromSwitch, options.m_nIdentThenFromWhen);
        break;
    case KW_END:
        if (level.m_nCaseCol == -1)
            return;
        ctx.WriteLineBreak(level.m_nCaseCol);
        level.m_nCaseCol = -1;
        break;
    default:
        return;
    }
    level.m_sSep.Clear();
}

void BetweenRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token)
{
    ctx.Write(level.m_sSep, token);
    level.m_bHandled = true;
    if (level.m_nBetweenCol == -1)
        level.m_nBetweenCol = ctx.Column();
}

// CONNECT keeps its own separator after the indentation.
void ConnectRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token)
{
    if (level.m_nKeywordCol == -1)
        return;
    ctx.WriteLineBreak(ctx.RightAligned() ? int64_t(level.m_nKeywordCol)
                                          : int64_t(level.m_nKeywordCol) + token.m_nLength - 1);
}

bool IsFillKeyword(const LevelState& level, const COptions& options, const CBaseToken& token)
{
    const int32_t code = token.m_nCode;
    if (code == KW_FROM || code == KW_WHERE || IsLineBreakKeyword(code))
        return true;
    if (code == KW_WHEN)
        return level.m_nCaseCol == -1;
    if (code == KW_AS)
        return level.m_nClause == KW_WITH;
    if (code == KW_WITH)
        return level.m_bPendWith && options.m_Select.m_bNewLineBeforeAsKeyword;
    return false;
}

} // namespace

// The first matching rule applies; a keyword without a rule is a plain token.
void KeywordRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token)
{
    const int32_t code = token.m_nCode;
    if (code == KW_WITH && level.m_nTokens == 0)
        WithRule(ctx, level, token);
    else if (IsStatementKeyword(code))
        StatementRule(ctx, level, token);
    else if (code == KW_SELECT)
        SelectRule(ctx, level, token);
    else if (code == KW_DISTINCT)
        DistinctRule(ctx, level, token);
    else if (code == KW_FROM || code == KW_WHERE)
        FromWhereRule(ctx, level, token);
    else if (IsLineBreakKeyword(code) || (code == KW_WHEN && level.m_nCaseCol == -1) ||
             (code == KW_AS && level.m_nClause == KW_WITH && ctx.m_Options.m_Select.m_bNewLineBeforeAsKeyword))
        LineBreakRule(ctx, level, token);
    else if (code == KW_BY)
        ByRule(ctx, level, token);
    else if (code == KW_UNION || code == KW_MINUS || code == KW_INTERSECT)
        SetOperatorRule(ctx, level, token);
    else if (code == KW_CASE)
        CaseRule(ctx, level, token);
    else if (code == KW_WHEN || code == KW_THEN || code == KW_ELSE || code == KW_END)
        CaseBranchRule(ctx, level, token);
    else if (code == KW_BETWEEN)
        BetweenRule(ctx, level, token);
    else if (code == KW_CONNECT)
        ConnectRule(ctx, level, token);
}

// The names on both sides of a full stop are joined.
void DotRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token)
{
    ctx.Write(token.m_sText);
    level.m_bHandled = true;
    level.m_bGlue = true;
    level.m_sSep.Clear();
}

// A statement end: the next token starts a new line at the keyword column.
void SemicolonRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token)
{
    ctx.Write(token.m_sText, ctx.m_sNewLine, BlankRun(level.m_nKeywordCol));
    level.m_bHandled = true;
    level.m_sSep.Clear();
}

// "||" starts a line where the SELECT list's items (or the level's) start.
void ConcatBreak(CLayoutContext& ctx, LevelState& level, const CBaseToken&)
{
    if (level.m_nSelectListCol != -1)
        ctx.WriteLineBreak(level.m_nSelectListCol);
    else if (level.m_nLevelCol != -1)
        ctx.WriteLineBreak(int64_t(level.m_nLevelCol) + 1);
}

// Left-aligned: FROM, WHERE, AND and their like are filled out to six
// characters, so the text after them lines up with the text after SELECT.
void KeywordFill(CLayoutContext& ctx, LevelState& level, const CBaseToken& token)
{
    if (level.m_nClause == -1 || token.m_nKind != TK_KEYWORD)
        return;
    if (IsFillKeyword(level, ctx.m_Options, token))
        level.m_sSuffix = BlankRun(6 - int64_t(token.m_nLength));
}
