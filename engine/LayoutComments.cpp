// Comments in the layout: kept, moved onto lines of their own or removed as
// the options say, without touching the layout state of the statement around
// them (they are not counted, take no correction and set no anchor).
#include "LayoutRules.h"

#include <optional>

namespace
{

// The column a comment on a line of its own is indented to: under the SELECT
// list's items, else one right of the level's anchor; none when neither is
// set. A level anchor of -2 is set and gives the column -1, which still puts
// the comment on a line of its own (with no indentation), so "none" cannot be
// told by the column's value.
std::optional<int64_t> IndentColumn(const LevelState& level)
{
    if (level.m_nSelectListCol != -1)
        return int64_t(level.m_nSelectListCol) + 1;
    if (level.m_nLevelCol != -1)
        return int64_t(level.m_nLevelCol) + 1;
    return std::nullopt;
}

} // namespace

// "/*+ ... */" and "--+ ...": optimizer hints.
bool IsHint(const CBaseToken& token)
{
    return token.m_sText.size() >= 3 && token.m_sText[2] == u'+';
}

void CommentRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token, size_t index)
{
    level.m_bHandled = true;
    const COptions::CComments& options = ctx.m_Options.m_Comments;
    if (options.m_bRemoveComments && !(options.m_bDontRemoveHints && IsHint(token)))
        return;

    const CTokenList& tokens = ctx.m_Tokens;
    const bool likeInput = options.m_bCommentsOnNewLineLikeInInputSQL;
    const std::optional<int64_t> indent = IndentColumn(level);

    std::u16string_view leadingBreak;
    std::u16string_view leadingText;
    if (index > 0)
    {
        const bool breakBefore =
            (likeInput && token.m_nLine != tokens[index - 1].m_nLine) || options.m_bCommentsOnNewLineBefore;
        if (breakBefore && indent)
        {
            leadingBreak = ctx.m_sNewLine;
            leadingText = BlankRun(*indent);
        }
        else
        {
            leadingText = u" ";
        }
    }

    std::u16string_view trailing;
    const bool blockComment = token.m_nCode == 0;
    if (blockComment && index + 1 < tokens.size())
    {
        const bool breakAfter =
            (likeInput && tokens[index + 1].m_nLine != token.m_nLine) || options.m_bCommentsOnNewLineAfter;
        trailing = breakAfter ? ctx.m_sNewLine : std::u16string_view(u" ");
    }

    ctx.Write(leadingBreak, leadingText);
    ctx.Write({}, token, trailing);

    // A comment that ended its line: the next token continues under the
    // SELECT list's items or one right of the level's anchor.
    const bool endsLine = !trailing.empty() ? trailing.back() == u'\n'
                                            : !token.m_sText.empty() && token.m_sText.back() == u'\n';
    if (endsLine && indent)
        ctx.Write(BlankRun(level.m_nSelectListCol != -1 ? int64_t(level.m_nSelectListCol) : *indent));
}
