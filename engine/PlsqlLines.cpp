#include "PlsqlLines.h"

#include "TextFunc.h"
#include "WordLists.h"

#include <algorithm>

namespace
{

constexpr size_t kNone = static_cast<size_t>(-1);

bool SpacedInside(int32_t parenSpace)
{
    return parenSpace == PAREN_INSIDE || parenSpace == PAREN_BEFORE_INSIDE;
}

// A line comment's text without the line break that ends it: the writer ends
// the line itself.
std::u16string_view WithoutLineBreak(const CBaseToken& token)
{
    std::u16string_view text = token.m_sText;
    if (token.m_nCode == 1)
        while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r'))
            text.remove_suffix(1);
    return text;
}

// The line on which a token ends, and whether its text ends with a line
// feed (a line comment), after which the next token stands on a line of its own.
int32_t EndLine(const CBaseToken& token)
{
    if (TextLinesOf(token) == TEXT_ONE_LINE)
        return token.m_nLine;
    int32_t line = token.m_nLine;
    for (size_t at = FindLineFeed(token.m_sText, 0); at < token.m_sText.size();
         at = FindLineFeed(token.m_sText, at + 1))
        ++line;
    return line;
}

bool EndsWithLineFeed(const CBaseToken& token)
{
    return token.m_nKind == TK_COMMENT && !token.m_sText.empty() && token.m_sText.back() == u'\n';
}

// The lines after the first of a block comment moved right (delta > 0) or
// left (delta < 0, as far as their indentation allows); empty lines stay empty.
std::u16string ShiftLines(std::u16string_view text, int64_t delta)
{
    std::u16string out;
    out.reserve(text.size() + 16);
    size_t at = 0;
    for (size_t lineFeed = FindLineFeed(text, 0); lineFeed < text.size(); lineFeed = FindLineFeed(text, at))
    {
        out.append(text.substr(at, lineFeed + 1 - at));
        at = lineFeed + 1;
        if (delta > 0)
        {
            if (at < text.size() && text[at] != u'\n' && text[at] != u'\r')
                out.append(BlankRun(delta));
        }
        else
        {
            for (int64_t removed = 0; removed < -delta && at < text.size() && (text[at] == u' ' || text[at] == u'\t');
                 ++removed)
                ++at;
        }
    }
    out.append(text.substr(at));
    return out;
}

} // namespace

// Where an operand of "||" ends and the next begins: an assignment, a
// comparison, a comma, or a keyword that stands between expressions.
bool IsOperandBoundary(const CBaseToken& token)
{
    if (token.m_nKind == TK_ASSIGN || token.m_nKind == TK_COMPARE || IsDelimiter(token, u','))
        return true;
    if (token.m_nKind == TK_STDFUNCTION) // USING of EXECUTE IMMEDIATE is in that list
        return IsWord(token, u"USING");
    if (token.m_nKind != TK_KEYWORD)
        return false;
    switch (token.m_nCode)
    {
    case KW_RETURN:
    case KW_IMMEDIATE:
    case KW_THEN:
    case KW_ELSE:
    case KW_WHEN:
    case KW_INTO:
    case KW_AND:
    case KW_OR:
    case KW_NOT:
    case KW_IN:
    case KW_IS:
    case KW_LIKE:
        return true;
    default:
        return false;
    }
}

bool IsWord(const CBaseToken& token, std::u16string_view word)
{
    if (token.m_sText.size() != word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i)
    {
        char16_t c = token.m_sText[i];
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - 32);
        if (c != word[i])
            return false;
    }
    return true;
}

CPlsqlLines::CPlsqlLines(CLayoutContext& ctx, int32_t step)
    : m_Ctx(ctx), m_Tokens(ctx.m_Tokens), m_nStep(step), m_nUnitStart(ctx.m_sOutput.size())
{
    m_aGroups.emplace_back();
}

void CPlsqlLines::StartLine(int64_t column)
{
    m_aGroups.assign(1, CGroup{});
    m_bBreakPending = false;
    m_nItemColumn = std::max<int64_t>(0, column);
    NewLine(column);
}

// A line that holds nothing but blanks (what the SQL writer leaves after a
// comment that ends its text) is taken for the new line: its blanks go, and
// no empty line is left behind.
void CPlsqlLines::NewLine(int64_t column)
{
    m_bBreakPending = false;
    std::u16string& out = m_Ctx.m_sOutput;
    size_t k = out.size();
    while (k > m_nUnitStart && out[k - 1] == u' ')
        --k;
    if (k == m_nUnitStart || out[k - 1] == u'\n')
    {
        m_Ctx.m_Position.m_nColumn -= static_cast<int32_t>(out.size() - k);
        out.resize(k);
        m_Ctx.Write(BlankRun(column));
    }
    else
    {
        m_Ctx.WriteLineBreak(column);
    }
    m_bLineStart = true;
    m_bGlue = false;
}

void CPlsqlLines::BlankLine()
{
    NewLine(0);
    if (m_Ctx.m_sOutput.size() == m_nUnitStart)
        return; // nothing before it: no blank line opens a unit
    if (m_Ctx.m_Position.m_pLiteralLines)
        m_Ctx.m_Position.m_pLiteralLines->push_back(m_Ctx.m_Position.m_nLine);
    m_Ctx.Write(m_Ctx.m_sNewLine);
}

int64_t CPlsqlLines::ContinuationColumn() const
{
    for (auto it = m_aGroups.rbegin(); it != m_aGroups.rend(); ++it)
        if (it->m_bStacked)
            return it->m_nItemCol;
    return m_nItemColumn + m_nStep;
}

void CPlsqlLines::WriteText(std::u16string_view sep, std::u16string_view text, TextLines textLines)
{
    m_Ctx.Write(sep, text, {}, textLines);
    m_bLineStart = false;
}

// Before the next token: the line break a line comment asked for.
void CPlsqlLines::Separate(std::u16string_view sep)
{
    if (m_bBreakPending)
    {
        m_bBreakPending = false;
        NewLine(ContinuationColumn());
        return;
    }
    if (!m_bLineStart && !sep.empty())
        m_Ctx.Write(sep);
}

void CPlsqlLines::AfterToken()
{
    m_bLineStart = false;
    CGroup& group = m_aGroups.back();
    if (group.m_nTokens < INT32_MAX)
        ++group.m_nTokens;
}

std::u16string_view CPlsqlLines::SeparatorBefore(size_t i, const CGroup& group) const
{
    const CBaseToken& token = m_Tokens[i];
    const int32_t parenSpace = m_Ctx.m_Options.m_Parentheses.m_nSpace;
    if (m_bLineStart)
        return {};
    if (IsDelimiter(token, u'('))
    {
        switch (parenSpace)
        {
        case PAREN_COMPACT: return {};
        case PAREN_BEFORE: return group.m_nTokens > 0 ? u" " : u"";
        case PAREN_INSIDE: return group.m_nTokens > 0 ? u"" : u" ";
        default: return u" ";
        }
    }
    if (IsDelimiter(token, u')'))
        return SpacedInside(parenSpace) ? u" " : u"";
    if (m_bGlue || IsDelimiter(token, u'.') || IsDelimiter(token, u';'))
        return {};
    if (i > 0)
    {
        // "**" and the exponent of a number such as 1e-5 are one operator or
        // one number: spaced apart they would not be.
        const CBaseToken& before = m_Tokens[i - 1];
        const bool adjacent = before.m_nOffset + before.m_nLength == token.m_nOffset;
        if (adjacent && IsDelimiter(token, u'*') && IsDelimiter(before, u'*'))
            return {};
        if (adjacent && (IsDelimiter(token, u'-') || IsDelimiter(token, u'+')) &&
            (before.m_nKind == TK_WORD || before.m_nKind == TK_NUMBER) && before.m_sText[0] >= u'0' &&
            before.m_sText[0] <= u'9' && (before.m_sText.back() | 0x20) == u'e')
            return {};
        if (adjacent && before.m_nLength == 1 && (before.m_sText[0] == u'-' || before.m_sText[0] == u'+') &&
            before.m_nKind == TK_DELIMITER && i > 1 && token.m_nKind == TK_NUMBER)
        {
            const CBaseToken& mantissa = m_Tokens[i - 2];
            if (mantissa.m_nOffset + mantissa.m_nLength == before.m_nOffset && mantissa.m_sText[0] >= u'0' &&
                mantissa.m_sText[0] <= u'9' && (mantissa.m_sText.back() | 0x20) == u'e')
                return {};
        }
    }
    if (m_aGroups.size() > 1 && group.m_nTokens == 0)
        return SpacedInside(parenSpace) ? u" " : u"";
    return u" ";
}

void CPlsqlLines::WriteToken(size_t i)
{
    const CBaseToken& token = m_Tokens[i];
    CGroup& group = m_aGroups.back();
    if (IsDelimiter(token, u','))
    {
        if (m_bBreakPending)
            Separate({});
        const COptions::CCommas& commas = m_Ctx.m_Options.m_Commas;
        if (group.m_bStacked)
        {
            switch (commas.m_nListComma)
            {
            case COMMA_BEFORE:
                NewLine(int64_t(group.m_nItemCol) - 1);
                WriteText({}, u",");
                m_bGlue = true;
                break;
            case COMMA_BEFORE_SPACE:
                NewLine(int64_t(group.m_nItemCol) - 2);
                WriteText({}, u", ");
                m_bGlue = true;
                break;
            default:
                WriteText({}, u",");
                m_bBreakPending = true; // after an end-of-line comment, if one follows
                break;
            }
        }
        else
        {
            switch (commas.m_nSpace)
            {
            case COMMASPACE_BEFORE:
                WriteText({}, u" ,");
                m_bGlue = true;
                break;
            case COMMASPACE_BOTH: WriteText({}, u" ,"); break;
            default: WriteText({}, u","); break;
            }
        }
        AfterToken();
        return;
    }
    std::u16string_view sep = SeparatorBefore(i, group);
    if (m_bBreakPending)
    {
        Separate({});
        sep = {};
    }
    WriteText(sep, token.m_sText, TextLinesOf(token));
    m_bGlue = false;
    if (token.m_nKind == TK_DELIMITER && token.m_nLength == 1)
    {
        switch (token.m_sText[0])
        {
        case u'(':
            m_aGroups.emplace_back();
            return;
        case u')':
            if (m_aGroups.size() > 1)
                m_aGroups.pop_back();
            break; // the group's "(" counts at the enclosing level now
        case u'.':
            m_bGlue = true;
            break;
        default:
            break;
        }
    }
    AfterToken();
}

int64_t CPlsqlLines::InputColumn(const CBaseToken& token) const
{
    const std::u16string& text = m_Tokens.Text();
    if (token.m_sText.data() < text.data() || token.m_sText.data() >= text.data() + text.size())
        return -1;
    const size_t at = static_cast<size_t>(token.m_sText.data() - text.data());
    size_t k = at;
    while (k > 0 && text[k - 1] != u'\n')
        --k;
    return static_cast<int64_t>(at - k);
}

// A comment inside an item: one that followed a token on its line stays on
// that line (a line break the item was about to make comes after it); one
// that stood alone gets a line of its own; after a line comment, or a comment
// alone whose next token stood on a later line, the item goes on on a new line.
void CPlsqlLines::WriteComment(size_t i)
{
    const CBaseToken& token = m_Tokens[i];
    if (Removes(token))
        return;
    const bool alone = StartsLine(i);
    if (alone && (!m_bLineStart || m_bBreakPending))
    {
        m_bBreakPending = false;
        NewLine(ContinuationColumn());
    }
    else if (!m_bLineStart)
    {
        m_Ctx.Write(u" ");
    }
    WriteCommentText(token);
    if (token.m_nCode == 1 || (alone && i + 1 < m_Tokens.size() && StartsLine(i + 1)))
        m_bBreakPending = true;
}

// A block comment that spans lines is shifted as a whole to where it now
// starts; its blank lines are its own, so the finish must leave them.
void CPlsqlLines::WriteCommentText(const CBaseToken& token)
{
    const std::u16string_view text = WithoutLineBreak(token);
    if (token.m_nCode != 0 || FindLineFeed(text, 0) == text.size())
    {
        WriteText({}, text, TEXT_NO_LITERAL);
        return;
    }
    const int64_t from = InputColumn(token);
    const std::u16string shifted = from >= 0 && from != Column() ? ShiftLines(text, int64_t(Column()) - from)
                                                                 : std::u16string(text);
    int32_t line = m_Ctx.m_Position.m_nLine;
    WriteText({}, shifted, TEXT_NO_LITERAL);
    if (std::vector<int32_t>* kept = m_Ctx.m_Position.m_pLiteralLines)
    {
        const std::u16string_view all = shifted;
        for (size_t at = FindLineFeed(all, 0); at < all.size(); at = FindLineFeed(all, at + 1))
        {
            ++line;
            const size_t next = FindLineFeed(all, at + 1);
            if (IsBlank(all.substr(at + 1, next - at - 1)))
                kept->push_back(line);
        }
    }
}

void CPlsqlLines::WriteCommentAlone(size_t i, int64_t column)
{
    if (Removes(m_Tokens[i]))
        return;
    StartLine(column);
    WriteComment(i);
    m_bBreakPending = false;
}

size_t CPlsqlLines::WriteEndOfLineComments(size_t i)
{
    while (i < m_Tokens.size() && IsComment(m_Tokens[i]) && !StartsLine(i))
    {
        const bool lineComment = m_Tokens[i].m_nCode == 1;
        if (!Removes(m_Tokens[i]))
        {
            m_Ctx.Write(u" ");
            WriteCommentText(m_Tokens[i]);
        }
        ++i;
        if (lineComment)
            break;
    }
    m_bBreakPending = false;
    return i;
}

bool CPlsqlLines::StartsLine(size_t i) const
{
    if (i == 0)
        return true;
    const CBaseToken& before = m_Tokens[i - 1];
    return EndsWithLineFeed(before) || m_Tokens[i].m_nLine > EndLine(before);
}

bool CPlsqlLines::BlankLineBefore(size_t i) const
{
    if (i == 0 || i >= m_Tokens.size())
        return false;
    const CBaseToken& before = m_Tokens[i - 1];
    return int64_t(m_Tokens[i].m_nLine) - EndLine(before) >= (EndsWithLineFeed(before) ? 1 : 2);
}

size_t CPlsqlLines::CloseOf(size_t open, size_t end) const
{
    size_t depth = 0;
    for (size_t k = open; k < end; ++k)
    {
        if (IsDelimiter(m_Tokens[k], u'('))
            ++depth;
        else if (IsDelimiter(m_Tokens[k], u')') && --depth == 0)
            return k;
    }
    return end;
}

bool CPlsqlLines::HoldsQuery(size_t open, size_t end) const
{
    for (size_t k = open + 1; k < end; ++k)
    {
        const CBaseToken& token = m_Tokens[k];
        if (IsComment(token) || IsDelimiter(token, u'('))
            continue;
        return IsKeyword(token, KW_SELECT) || IsKeyword(token, KW_WITH);
    }
    return false;
}

namespace
{

// Words after which a condition starts: its AND and OR may break a long line.
bool OpensCondition(const CBaseToken& token)
{
    if (token.m_nKind == TK_ASSIGN)
        return true;
    if (token.m_nKind != TK_KEYWORD)
        return false;
    switch (token.m_nCode)
    {
    case KW_IF:
    case KW_ELSIF:
    case KW_WHILE:
    case KW_WHEN:
    case KW_RETURN:
        return true;
    default:
        return false;
    }
}

} // namespace

// One pass over the line's tokens: how wide it would be written on one line,
// the first argument list at its outermost level, whether that list holds a
// comment that ends a line, and the AND and OR of a condition at that level.
CPlsqlLines::CPlan CPlsqlLines::PlanLine(size_t begin, size_t end)
{
    CPlan plan;
    m_aOperandWidths.clear();
    m_nNextOperand = 0;
    m_aLogicalBreaks.clear();
    m_aStackOpens.clear();
    // Most lines are short: one space a token at most, and no comment.
    int64_t bound = Column();
    bool comments = false;
    for (size_t k = begin; k < end; ++k)
    {
        bound += m_Tokens[k].m_nLength + 1;
        comments = comments || m_Tokens[k].m_nKind == TK_COMMENT;
    }
    if (!comments && bound <= m_Ctx.m_Options.m_Commas.m_nRightMarginLength)
        return plan;
    const int32_t parenSpace = m_Ctx.m_Options.m_Parentheses.m_nSpace;
    int64_t width = Column();
    bool lineStart = m_bLineStart;
    bool glue = m_bGlue;
    size_t depth = 0;
    m_aOpenGroups.clear(); // the "(" of each group open now
    size_t list = kNone;   // the first group with commas at the outermost level that has any
    size_t listDepth = kNone;
    bool anyCase = false;
    size_t concatDepth = kNone;
    bool inOperand = false; // the tokens go to the width of the operand after a "||"
    // The condition: where it starts, and its parts at the outermost level.
    size_t condition = kNone;
    int64_t conditionColumn = 0;
    bool conditionNext = false; // the next token starts a condition
    size_t cases = 0;           // CASE expressions open at the outermost level
    bool between = false;       // the next AND is BETWEEN's
    bool listInCase = false;    // the list stands in a CASE expression at the outermost level
    int64_t caseColumn = 0;     // of the outermost CASE at the outermost level
    const COptions::CCase& caseOptions = m_Ctx.m_Options.m_Case;
    m_aSegments.assign(1, CSegment{width, width});
    m_aCaseSegments.assign(1, CSegment{width, width});
    // A part ends before the token at k, and the next starts there at column.
    auto cut = [&](std::vector<CSegment>& parts, int64_t sep, int64_t column) {
        parts.back().m_nEnd = width;
        parts.push_back(CSegment{width + sep, column});
    };
    for (size_t k = begin; k < end; ++k)
    {
        const CBaseToken& token = m_Tokens[k];
        if (IsComment(token))
            continue;
        if (IsDelimiter(token, u'(') && HoldsQuery(k, end))
        {
            // Laid out by the SQL rules: not measured, not a list to stack.
            const size_t close = CloseOf(k, end);
            k = close < end ? close : end - 1;
            lineStart = false;
            glue = false;
            continue;
        }
        int64_t sep = lineStart || glue ? 0 : 1;
        if (IsDelimiter(token, u'('))
        {
            sep = lineStart ? 0 : (parenSpace == PAREN_COMPACT ? 0 : 1);
            ++depth;
            m_aOpenGroups.push_back(k);
        }
        else if (IsDelimiter(token, u')'))
        {
            sep = SpacedInside(parenSpace) ? 1 : 0;
            if (depth > 0)
            {
                --depth;
                m_aOpenGroups.pop_back();
            }
        }
        else if (IsDelimiter(token, u','))
        {
            sep = 0;
            if (depth > 0 && depth < listDepth)
            {
                list = m_aOpenGroups.back();
                listDepth = depth;
                listInCase = cases > 0;
            }
            for (CSegment* part : {&m_aSegments.back(), &m_aCaseSegments.back()})
                if (depth > 0 && depth < part->m_nDepth)
                {
                    part->m_nList = m_aOpenGroups.back();
                    part->m_nDepth = depth;
                }
        }
        else if (IsDelimiter(token, u'.') || IsDelimiter(token, u';'))
        {
            sep = 0;
        }
        anyCase = anyCase || IsKeyword(token, KW_CASE);
        if (depth == 0)
        {
            if (IsKeyword(token, KW_CASE) && cases++ == 0)
            {
                caseColumn = width + sep;
            }
            else if (IsKeyword(token, KW_END) && cases > 0)
            {
                if (--cases == 0)
                    cut(m_aCaseSegments, sep, caseColumn);
            }
            else if (cases == 1 && (IsKeyword(token, KW_WHEN) || IsKeyword(token, KW_ELSE)))
            {
                cut(m_aCaseSegments, sep, caseColumn + caseOptions.m_nIdentCaseFromSwitch);
            }
            else if (cases == 1 && IsKeyword(token, KW_THEN) && !caseOptions.m_bCaseWhenThenInSameLine)
            {
                cut(m_aCaseSegments, sep,
                    caseColumn + caseOptions.m_nIdentCaseFromSwitch + caseOptions.m_nIdentThenFromWhen);
            }
            else if (IsKeyword(token, KW_BETWEEN))
            {
                between = true;
            }
            else if ((IsKeyword(token, KW_AND) || IsKeyword(token, KW_OR)) && cases == 0 && condition != kNone &&
                     !(between && IsKeyword(token, KW_AND)))
            {
                cut(m_aSegments, sep, conditionColumn);
                m_aLogicalBreaks.push_back(k);
            }
            else if (IsKeyword(token, KW_AND))
            {
                between = false;
            }
        }
        if (conditionNext && condition == kNone)
        {
            condition = k;
            conditionColumn = width + sep;
        }
        conditionNext = depth == 0 && cases == 0 && OpensCondition(token);
        glue = IsDelimiter(token, u'.');
        lineStart = false;
        if (TextLinesOf(token) != TEXT_ONE_LINE && FindLineFeed(token.m_sText, 0) < token.m_sText.size())
            width = static_cast<int64_t>(token.m_sText.size() - token.m_sText.rfind(u'\n') - 1);
        else
            width += sep + token.m_nLength;
        // The "||" of the outermost level that has any, and the operands after them.
        const size_t level = IsDelimiter(token, u'(') ? depth - 1 : depth;
        if (token.m_nKind == TK_CONCAT && (concatDepth == kNone || level <= concatDepth))
        {
            if (level < concatDepth || concatDepth == kNone)
                m_aOperandWidths.clear();
            concatDepth = level;
            m_aOperandWidths.push_back(0);
            inOperand = true;
        }
        else if (inOperand)
        {
            if (level < concatDepth || (level == concatDepth && IsOperandBoundary(token)))
                inOperand = false;
            else
                m_aOperandWidths.back() += sep + token.m_nLength;
        }
    }
    // A comment that ends its line inside the list stacks it, whatever its length.
    bool listComment = false;
    for (size_t k = list, close = list == kNone ? 0 : CloseOf(list, end); list != kNone && k < close; ++k)
        if (IsComment(m_Tokens[k]) && !Removes(m_Tokens[k]) && (m_Tokens[k].m_nCode == 1 || StartsLine(k)))
            listComment = true;
    const int64_t margin = m_Ctx.m_Options.m_Commas.m_nRightMarginLength;
    const size_t commented = listComment ? list : kNone;
    bool tooLong = width > margin;
    m_aSegments.back().m_nEnd = width;
    m_aCaseSegments.back().m_nEnd = width;
    if (tooLong && !m_aLogicalBreaks.empty())
    {
        // Each part of the condition on a line of its own: a part still too
        // long stacks its outermost list.
        plan.m_nCondition = condition;
        tooLong = StackLongParts(m_aSegments);
    }
    else if (tooLong && (listInCase || list == kNone) && m_aCaseSegments.size() > 1 && commented == kNone)
    {
        // A CASE expression on the lines of the Case page, whose lines still
        // too long stack their outermost lists.
        m_aLogicalBreaks.clear();
        plan.m_bBreakCase = true;
        StackLongParts(m_aCaseSegments);
    }
    else
    {
        m_aLogicalBreaks.clear();
        if (list != kNone && tooLong)
            m_aStackOpens.push_back(list);
        else if (commented != kNone)
            m_aStackOpens.push_back(commented);
        else if (tooLong && anyCase)
            plan.m_bBreakCase = true;
    }
    if (tooLong)
        plan.m_nConcatDepth = concatDepth;
    return plan;
}

bool CPlsqlLines::StackLongParts(const std::vector<CSegment>& parts)
{
    const int64_t margin = m_Ctx.m_Options.m_Commas.m_nRightMarginLength;
    bool tooLong = false;
    for (const CSegment& part : parts)
    {
        if (part.m_nColumn + part.m_nEnd - part.m_nFrom <= margin)
            continue;
        tooLong = true;
        if (part.m_nList != kNone)
            m_aStackOpens.push_back(part.m_nList);
    }
    return tooLong;
}

// In a line too long with a CASE expression, its WHEN, THEN, ELSE and END
// start lines under its CASE as the Case page says.
void CPlsqlLines::BreakBeforeCaseWord(const CBaseToken& token)
{
    if (m_aCases.empty() || m_aCases.back().m_nDepth != m_aGroups.size() || token.m_nKind != TK_KEYWORD)
        return;
    const COptions::CCase& options = m_Ctx.m_Options.m_Case;
    const int64_t column = m_aCases.back().m_nColumn;
    switch (token.m_nCode)
    {
    case KW_WHEN:
    case KW_ELSE:
        NewLine(column + options.m_nIdentCaseFromSwitch);
        break;
    case KW_THEN:
        if (!options.m_bCaseWhenThenInSameLine)
            NewLine(column + options.m_nIdentCaseFromSwitch + options.m_nIdentThenFromWhen);
        break;
    case KW_END:
        NewLine(column);
        m_aCases.pop_back();
        break;
    default:
        break;
    }
}

// Long concatenations are filled like text: a "||" starts a line under the
// chain's first operand only when what follows it would pass the margin.
void CPlsqlLines::WrapBeforeConcat()
{
    if (m_nNextOperand >= m_aOperandWidths.size())
        return;
    const int64_t operand = m_aOperandWidths[m_nNextOperand++];
    const int32_t column = m_aGroups.back().m_nOperandCol;
    if (column < 0 || m_bBreakPending || Column() <= column)
        return;
    if (int64_t(Column()) + 3 + operand > m_Ctx.m_Options.m_Commas.m_nRightMarginLength)
        NewLine(column);
}

// Most tokens of a PL/SQL unit are written by this walk: what it calls in
// this file is inlined into it.
[[gnu::flatten]] void CPlsqlLines::WriteFlat(size_t begin, size_t end, bool mayStack)
{
    end = std::min(end, m_Tokens.size());
    if (!mayStack)
    {
        m_aLogicalBreaks.clear();
        m_aStackOpens.clear();
    }
    const CPlan plan = mayStack ? PlanLine(begin, end) : CPlan{};
    m_aCases.clear();
    const size_t baseLevel = m_aGroups.size() - 1;
    size_t nextBreak = 0;
    size_t nextStack = 0;
    int64_t conditionColumn = 0;
    for (size_t i = begin; i < end; ++i)
    {
        const CBaseToken& token = m_Tokens[i];
        if (IsComment(token))
        {
            WriteComment(i);
            continue;
        }
        if (nextBreak < m_aLogicalBreaks.size() && i == m_aLogicalBreaks[nextBreak])
        {
            ++nextBreak;
            NewLine(conditionColumn);
        }
        if (IsDelimiter(token, u'(') && HoldsQuery(i, end))
        {
            if (m_bBreakPending)
                Separate({});
            if (i == plan.m_nCondition)
                conditionColumn = int64_t(Column()) + (m_bLineStart ? 0 : 1);
            i = WriteSqlGroup(m_Ctx, i, end, !m_bLineStart) - 1;
            m_bLineStart = false;
            m_bGlue = false;
            AfterToken();
            continue;
        }
        if (plan.m_bBreakCase)
            BreakBeforeCaseWord(token);
        const size_t level = m_aGroups.size() - 1;
        if (token.m_nKind == TK_CONCAT && level - baseLevel == plan.m_nConcatDepth)
            WrapBeforeConcat();
        const bool startsOperand = m_aGroups[level].m_bOperandStart && token.m_nKind != TK_CONCAT;
        WriteToken(i);
        if (i == plan.m_nCondition)
            conditionColumn = int64_t(Column()) - token.m_nLength;
        if (level < m_aGroups.size())
        {
            CGroup& group = m_aGroups[level];
            if (startsOperand)
            {
                group.m_nOperandCol = ToColumn(int64_t(Column()) - token.m_nLength);
                group.m_bOperandStart = false;
            }
            if (IsOperandBoundary(token))
                group.m_bOperandStart = true;
        }
        if (plan.m_bBreakCase && IsKeyword(token, KW_CASE))
            m_aCases.push_back(CCase{ToColumn(int64_t(Column()) - token.m_nLength), m_aGroups.size()});
        while (nextStack < m_aStackOpens.size() && m_aStackOpens[nextStack] < i)
            ++nextStack;
        if (nextStack < m_aStackOpens.size() && m_aStackOpens[nextStack] == i && IsDelimiter(token, u'('))
        {
            CGroup& group = m_aGroups.back();
            group.m_bStacked = true;
            group.m_nItemCol = Column() + (SpacedInside(m_Ctx.m_Options.m_Parentheses.m_nSpace) ? 1 : 0);
        }
    }
}

// Blanks that end the lines written since from (whose line was fromLine),
// but not where a literal goes on on the next line.
void CPlsqlLines::DropBlanksBeforeLineBreaks(size_t from, int32_t fromLine)
{
    const std::vector<int32_t>* kept = m_Ctx.m_Position.m_pLiteralLines;
    if (!kept)
        return;
    std::u16string& out = m_Ctx.m_sOutput;
    auto keptLine = std::lower_bound(kept->begin(), kept->end(), fromLine + 1);
    int32_t line = fromLine;
    size_t write = from;
    size_t read = from;
    for (size_t lineFeed = FindLineFeed(out, read); lineFeed < out.size(); lineFeed = FindLineFeed(out, read))
    {
        ++line;
        while (keptLine != kept->end() && *keptLine < line)
            ++keptLine;
        size_t end = lineFeed;
        if (keptLine == kept->end() || *keptLine != line)
            while (end > read && out[end - 1] == u' ')
                --end;
        std::copy(out.begin() + static_cast<ptrdiff_t>(read), out.begin() + static_cast<ptrdiff_t>(end),
                  out.begin() + static_cast<ptrdiff_t>(write));
        write += end - read;
        out[write++] = u'\n';
        read = lineFeed + 1;
    }
    std::copy(out.begin() + static_cast<ptrdiff_t>(read), out.end(), out.begin() + static_cast<ptrdiff_t>(write));
    write += out.size() - read;
    out.resize(write);
}

void CPlsqlLines::WriteStackedItems(size_t begin, size_t end, int64_t column)
{
    end = std::min(end, m_Tokens.size());
    const int32_t commaPos = m_Ctx.m_Options.m_Commas.m_nListComma;
    bool commaLine = false; // a line that starts with a comma waits for its item
    size_t i = begin;
    while (i < end)
    {
        if (IsComment(m_Tokens[i]))
        {
            if (StartsLine(i) && !commaLine)
                WriteCommentAlone(i, column);
            else
                WriteComment(i);
            ++i;
            continue;
        }
        size_t itemEnd = i;
        for (size_t depth = 0; itemEnd < end; ++itemEnd)
        {
            const CBaseToken& token = m_Tokens[itemEnd];
            if (IsDelimiter(token, u'('))
                ++depth;
            else if (IsDelimiter(token, u')') && depth > 0)
                --depth;
            else if (depth == 0 && IsDelimiter(token, u','))
                break;
        }
        if (!commaLine || m_bBreakPending)
            StartLine(column);
        commaLine = false;
        WriteFlat(i, itemEnd, true);
        if (itemEnd >= end)
            break;
        if (commaPos == COMMA_BEFORE || commaPos == COMMA_BEFORE_SPACE)
        {
            StartLine(column - (commaPos == COMMA_BEFORE ? 1 : 2));
            WriteText({}, commaPos == COMMA_BEFORE ? u"," : u", ");
            m_bGlue = true;
            commaLine = true;
        }
        else
        {
            Separate({});
            WriteText({}, u",");
        }
        i = itemEnd + 1;
    }
}

void CPlsqlLines::WriteJoined(size_t begin, size_t end)
{
    Separate({});
    for (size_t i = begin; i < std::min(end, m_Tokens.size()); ++i)
        WriteText({}, m_Tokens[i].m_sText);
    AfterToken();
}

bool CPlsqlLines::Removes(const CBaseToken& comment) const
{
    const COptions::CComments& options = m_Ctx.m_Options.m_Comments;
    return options.m_bRemoveComments && !(options.m_bDontRemoveHints && IsHint(comment));
}

void CPlsqlLines::WriteSql(size_t begin, size_t end)
{
    if (m_bBreakPending)
        Separate({});
    else if (!m_bLineStart)
        m_Ctx.Write(u" ");
    end = std::min(end, m_Tokens.size());
    const size_t from = m_Ctx.m_sOutput.size();
    const int32_t fromLine = m_Ctx.m_Position.m_nLine;
    WriteSqlRange(m_Ctx, begin, end);
    // A block comment the SQL rules keep on its line is followed by a blank,
    // which a line break after it leaves at the end of the line.
    for (size_t i = begin; i < end; ++i)
        if (IsComment(m_Tokens[i]) && m_Tokens[i].m_nCode == 0)
        {
            DropBlanksBeforeLineBreaks(from, fromLine);
            break;
        }
    m_bLineStart = false;
    m_bGlue = false;
    AfterToken();
}
