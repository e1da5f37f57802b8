// Lists and commas: the SELECT, FROM, GROUP BY, ORDER BY and WITH lists and
// the list of the current level, each stacked (one item per line on its
// anchor) or wrapped (items on the running line), with the comma placed and
// spaced as the options say, and the first item shifted by the list's
// correction.
#include "LayoutRules.h"
#include "WordLists.h"

namespace
{

using CSelect = COptions::CSelect;

// A list with a name: the clause that selects it, the keyword that opens it,
// its anchor and pending flag in the level, and its options.
struct CNamedList
{
    int32_t m_nClause;
    int32_t m_nOpenedBy;
    int32_t LevelState::*m_pAnchor;
    bool LevelState::*m_pPending;
    bool CSelect::*m_pWrappedStyle; // none: the list is always stacked
    int32_t CSelect::*m_pCommaPos;
    int32_t CSelect::*m_pCorrection;
};

// In the order in which pending corrections are tested.
constexpr CNamedList kNamedLists[] = {
    {KW_SELECT, KW_SELECT, &LevelState::m_nSelectListCol, &LevelState::m_bPendSelect,
     &CSelect::m_bSelectColumnListStyle, &CSelect::m_nColumnListComma, &CSelect::m_nAlignColumnListCorrection},
    {KW_FROM, KW_FROM, &LevelState::m_nFromListCol, &LevelState::m_bPendFrom, &CSelect::m_bFromClauseStyle,
     &CSelect::m_nFromListComma, &CSelect::m_nAlignFromListCorrection},
    {KW_GROUP, KW_BY, &LevelState::m_nGroupByListCol, &LevelState::m_bPendGroupBy, &CSelect::m_bGroupByClauseStyle,
     &CSelect::m_nGroupByListComma, &CSelect::m_nAlignGroupByListCorrection},
    {KW_ORDER, KW_BY, &LevelState::m_nOrderByListCol, &LevelState::m_bPendOrderBy, &CSelect::m_bOrderByClauseStyle,
     &CSelect::m_nOrderByListComma, &CSelect::m_nAlignOrderByListCorrection},
    {KW_WITH, KW_WITH, &LevelState::m_nWithListCol, &LevelState::m_bPendWith, nullptr, &CSelect::m_nWithListComma,
     &CSelect::m_nAlignWithListCorrection},
};

const CNamedList* FindNamedList(int32_t clause)
{
    for (const CNamedList& list : kNamedLists)
        if (list.m_nClause == clause)
            return &list;
    return nullptr;
}

bool IsKeyword(const CBaseToken& token, int32_t code)
{
    return token.m_nKind == TK_KEYWORD && token.m_nCode == code;
}

} // namespace

// The level's clause picks the list; a named list is stacked only once its
// anchor is set, the level's own list whenever the level is not wrapped.
void CommaRule(CLayoutContext& ctx, LevelState& level, const CBaseToken&)
{
    const CSelect& select = ctx.m_Options.m_Select;
    if (const CNamedList* list = FindNamedList(level.m_nClause))
    {
        const int32_t anchor = level.*list->m_pAnchor;
        const bool wrappedStyle = list->m_pWrappedStyle && select.*list->m_pWrappedStyle;
        if (anchor != -1 && !wrappedStyle)
            StackedComma(ctx, level, anchor, select.*list->m_pCorrection, select.*list->m_pCommaPos);
        else
            WrappedComma(ctx, level, ctx.m_nCommaSpace);
    }
    else if (!level.m_bWrapped)
    {
        const COptions::CCommas& commas = ctx.m_Options.m_Commas;
        StackedComma(ctx, level, level.m_nLevelCol, commas.m_nListCommaCorrection, commas.m_nListComma);
    }
    else
    {
        WrappedComma(ctx, level, ctx.m_nCommaSpace);
    }
    level.m_bHandled = true;
}

// The lead is the line break and indentation of the next item; the comma
// goes after the item before it or before the next. A position outside the
// value list acts as "after", so the comma is never lost.
void StackedComma(CLayoutContext& ctx, LevelState& level, int32_t anchor, int32_t correction, int32_t commaPos)
{
    const bool lead = anchor != -1;
    const std::u16string_view newLine = lead ? ctx.m_sNewLine : std::u16string_view();
    const std::u16string_view blanks = lead ? BlankRun(int64_t(anchor) + correction) : std::u16string_view();
    switch (commaPos)
    {
    case COMMA_BEFORE:
        ctx.Write(newLine, blanks, u",");
        level.m_bGlue = true;
        break;
    case COMMA_BEFORE_SPACE:
        ctx.Write(newLine, blanks, u", ");
        level.m_bGlue = true;
        break;
    case COMMA_AFTER:
    default:
        ctx.Write(u",", newLine, blanks);
        break;
    }
}

// A spacing outside the value list acts as "space after".
void WrappedComma(CLayoutContext& ctx, LevelState& level, int32_t commaSpace)
{
    switch (commaSpace)
    {
    case COMMASPACE_BEFORE:
        ctx.Write(u" ,");
        level.m_bGlue = true;
        break;
    case COMMASPACE_BOTH:
        ctx.Write(u" ,");
        break;
    case COMMASPACE_AFTER:
    default:
        ctx.Write(u",");
        break;
    }
}

// The first item of a named list gets the list's correction (plus a space
// with "before comma with space"), so that it lines up with the items after
// the commas. Comments and the keyword that opened the list do not take it;
// DISTINCT passes it on to the token after it unless the list aligns on
// SELECT with "before comma with space".
void PendingCorrections(CLayoutContext& ctx, LevelState& level, const CBaseToken& token)
{
    if (!level.AnyPending() || token.m_nKind == TK_COMMENT)
        return;
    const CSelect& select = ctx.m_Options.m_Select;
    for (const CNamedList& list : kNamedLists)
    {
        if (!(level.*list.m_pPending) || IsKeyword(token, list.m_nOpenedBy))
            continue;
        if (list.m_nClause == KW_SELECT && IsKeyword(token, KW_DISTINCT) &&
            !(!select.m_bAlignColumnsAfterDistinct && select.m_nColumnListComma == COMMA_BEFORE_SPACE))
            continue;
        const int32_t commaPos = select.*list.m_pCommaPos;
        ctx.Write(BlankRun(select.*list.m_pCorrection), commaPos == COMMA_BEFORE_SPACE ? u" " : u"");
        level.*list.m_pPending = false;
    }
}
