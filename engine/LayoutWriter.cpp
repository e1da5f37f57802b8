// The layout writer's core: the per-token phases, parenthesised groups and
// the dispatch to the rule families.
//
// Every level of parenthesis nesting is a LevelState frame on an explicit
// stack. All levels write into the one output buffer: a group's opening
// parenthesis is written before its contents (which is where it ends up in the
// text anyway), so a group's text is never copied into its enclosing level,
// and one position serves every level.
#include "LayoutWriter.h"

#include "LayoutRules.h"
#include "TextFunc.h"
#include "WordLists.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <span>

namespace
{

// Moves column and line over text: a line feed starts the next line at column
// 0, every other character adds 1. Returns whether text holds a line feed.
inline bool Advance(std::u16string_view text, int64_t& column, int32_t& line)
{
    size_t lineFeed = FindLineFeed(text, 0);
    if (lineFeed == text.size())
    {
        column += static_cast<int64_t>(text.size());
        return false;
    }
    size_t lineStart = 0;
    for (; lineFeed < text.size(); lineFeed = FindLineFeed(text, lineFeed + 1))
    {
        ++line;
        lineStart = lineFeed + 1;
    }
    column = static_cast<int64_t>(text.size() - lineStart);
    return true;
}

// Whether piece views the buffer BlankRun hands out, so that it holds blanks
// only: indentation is much of the output, and needs no search for line feeds.
inline bool IsBlankRun(std::u16string_view piece)
{
    const std::less_equal<const char16_t*> notAfter;
    return notAfter(kBlankUnits.data(), piece.data()) &&
           notAfter(piece.data() + piece.size(), kBlankUnits.data() + kBlankUnits.size());
}

// Appends piece to output and moves column and line over it, as Advance does.
[[gnu::always_inline]] inline bool Append(std::u16string& output, std::u16string_view piece, int64_t& column, int32_t& line)
{
    // Most pieces are a separator, a parenthesis or a comma of one unit.
    if (piece.size() == 1)
    {
        output.push_back(piece[0]);
        if (piece[0] != u'\n')
        {
            ++column;
            return false;
        }
        ++line;
        column = 0;
        return true;
    }
    output.append(piece);
    if (IsBlankRun(piece))
    {
        column += static_cast<int64_t>(piece.size());
        return false;
    }
    return Advance(piece, column, line);
}

inline bool MayHoldLiteral(std::u16string_view text)
{
    for (char16_t c : text)
        if (c == u'\'' || c == u'"')
            return true;
    return false;
}

// Appends to lines the numbers of the lines that begin inside a literal of a
// text (a literal, or any text but a comment) written from line firstLine to
// line lastLine. Seldom needed, so kept out of the writing itself.
[[gnu::noinline]] void NoteLinesInsideLiterals(std::u16string_view text, TextLines textLines, int32_t firstLine,
                                               int32_t lastLine, std::vector<int32_t>& lines)
{
    if (textLines == TEXT_LITERAL)
    {
        const size_t from = lines.size();
        lines.resize(from + static_cast<size_t>(lastLine - firstLine));
        std::iota(lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end(), firstLine + 1);
    }
    else if (MayHoldLiteral(text))
        AppendLinesInsideLiterals(text, firstLine, lines);
}

// Emit's work. The writer's core writes most tokens, and has it inlined
// there; everything else writes through Emit.
[[gnu::always_inline]] inline void EmitPieces(std::u16string& output, std::u16string_view prefix,
                                              std::u16string_view text, std::u16string_view suffix,
                                              OutputPosition& position, TextLines textLines)
{
    int64_t column = position.m_nColumn;
    int32_t line = position.m_nLine;
    if (!prefix.empty())
        Append(output, prefix, column, line);
    if (textLines == TEXT_ONE_LINE)
    {
        output.append(text);
        column += static_cast<int64_t>(text.size());
    }
    else
    {
        // Only a token's text can hold a literal; one that spans lines holds
        // a line feed and an apostrophe or a double quotation mark (so not a
        // line break written as the text).
        const int32_t textLine = line;
        if (!text.empty() && Append(output, text, column, line) && text.size() > 1 && textLines != TEXT_NO_LITERAL &&
            position.m_pLiteralLines)
            NoteLinesInsideLiterals(text, textLines, textLine, line, *position.m_pLiteralLines);
    }
    if (!suffix.empty())
        Append(output, suffix, column, line);
    position.m_nColumn = ToColumn(column);
    position.m_nLine = line;
}

// The character of a one-character delimiter, else 0: the writer tells the
// delimiters it acts on apart with a single test of the token.
char16_t DelimiterChar(const CBaseToken& token)
{
    return token.m_nKind == TK_DELIMITER && token.m_nLength == 1 ? token.m_sText[0] : u'\0';
}

// One pass over tokens [begin, end) that measures every group and finds the
// deepest nesting: a stack of the groups still open holds, for each, the sum
// of token lengths up to its opening parenthesis; its closing parenthesis turns
// that into its length. Groups never closed run to the end of the range.
// open is room for that stack.
int64_t MeasureAllGroups(const CTokenList& tokens, size_t begin, size_t end, std::vector<int64_t>& lengths,
                         std::vector<size_t>& open, size_t& maxDepth)
{
    lengths.clear();
    open.clear();
    int64_t sum = 0;
    maxDepth = 0;
    for (const CBaseToken& token : std::span(tokens.m_aTokens).subspan(begin, end - begin))
    {
        sum += token.m_nLength;
        const char16_t delimiter = DelimiterChar(token);
        if (delimiter == u'(')
        {
            open.push_back(lengths.size());
            lengths.push_back(sum);
            maxDepth = std::max(maxDepth, open.size());
        }
        else if (delimiter == u')' && !open.empty())
        {
            lengths[open.back()] = sum - lengths[open.back()];
            open.pop_back();
        }
    }
    for (size_t group : open)
        lengths[group] = sum - lengths[group];
    return sum;
}

// Lays out a range of tokens into the context's output from its current
// position on. The levels and group lengths live in the context, so that the
// many short ranges of a PL/SQL unit reuse their memory.
class CLayoutWriter
{
public:
    // The context's stack, lengths and room for measuring are taken for the
    // given back after it, so that the run works on members of its own.
    explicit CLayoutWriter(CLayoutContext& ctx)
        : m_Ctx(ctx), m_Tokens(ctx.m_Tokens), m_aLevels(std::move(ctx.m_aLevels)),
          m_aGroupLengths(std::move(ctx.m_aGroupLengths)), m_aOpenGroups(std::move(ctx.m_aOpenGroups))
    {
    }
    ~CLayoutWriter()
    {
        m_Ctx.m_aLevels = std::move(m_aLevels);
        m_Ctx.m_aGroupLengths = std::move(m_aGroupLengths);
        m_Ctx.m_aOpenGroups = std::move(m_aOpenGroups);
    }
    CLayoutWriter(const CLayoutWriter&) = delete;
    CLayoutWriter& operator=(const CLayoutWriter&) = delete;

    // Tokens [begin, end) as a whole list: all tokens, or one statement.
    void Run(size_t begin, size_t end);
    // The group that opens at tokens[open], in the middle of a line; returns
    // the index after its closing parenthesis (end if it is never closed).
    size_t RunGroup(size_t open, size_t end, bool afterText);

private:
    void Measure(size_t begin, size_t end);
    size_t WriteLevels(size_t start, size_t end, size_t baseDepth);
    void Handler(LevelState& level, const CBaseToken& token, char16_t delimiter, size_t index);
    void OpenGroup(LevelState& level);
    void CloseGroup();
    void WriteToken(LevelState& level, const CBaseToken& token);
    [[gnu::always_inline]] void AfterToken(LevelState& level, bool isComment, int32_t length);
    void CopyRemaining(size_t from, size_t end);

    CLayoutContext& m_Ctx;
    const CTokenList& m_Tokens;
    std::vector<LevelState> m_aLevels;
    std::vector<int64_t> m_aGroupLengths; // MeasureGroup of each "(" of the range, in token order
    std::vector<size_t> m_aOpenGroups;    // room for the measuring
    size_t m_nNextGroup = 0;
};

void CLayoutWriter::Measure(size_t begin, size_t end)
{
    size_t maxDepth = 0;
    const int64_t tokenLength = MeasureAllGroups(m_Tokens, begin, end, m_aGroupLengths, m_aOpenGroups, maxDepth);
    m_nNextGroup = 0;
    m_aLevels.clear();
    m_aLevels.reserve(maxDepth + 2);
    // The whole list: its tokens and a separator each are most of what the
    // output will hold. (A range's caller sizes the output for all ranges.)
    if (begin == 0 && end == m_Tokens.size())
    {
        const size_t wanted = m_Ctx.m_sOutput.size() + static_cast<size_t>(tokenLength) + (end - begin) + 16;
        if (m_Ctx.m_sOutput.capacity() < wanted)
            m_Ctx.m_sOutput.reserve(std::max(wanted, m_Ctx.m_sOutput.capacity() * 2));
    }
}

void CLayoutWriter::Run(size_t begin, size_t end)
{
    Measure(begin, end);
    m_aLevels.emplace_back(0, std::u16string_view(), false, m_Ctx.m_sOutput.size());
    const size_t result = WriteLevels(begin, end, 1);
    if (result != END_OF_TOKENS)
        CopyRemaining(result + 1, end); // a closing parenthesis that closes nothing ends the layout
}

size_t CLayoutWriter::RunGroup(size_t open, size_t end, bool afterText)
{
    Measure(open, end);
    // The level the parenthesis stands in: after text, it takes the separator
    // it takes after a word.
    m_aLevels.emplace_back(0, u" ", false, m_Ctx.m_sOutput.size());
    m_aLevels.back().m_nTokens = afterText ? 1 : 0;
    OpenGroup(m_aLevels.back());
    const size_t result = WriteLevels(open + 1, end, 2);
    return result == END_OF_TOKENS ? end : result + 1;
}

// The levels from start on, each group a frame pushed at its opening and
// popped at its closing parenthesis. Returns the index of the closing
// parenthesis that takes the stack below baseDepth frames (one that closes
// nothing at the top level, or that of the group laid out on its own), or
// END_OF_TOKENS when the range runs out.
size_t CLayoutWriter::WriteLevels(size_t start, size_t end, size_t baseDepth)
{
    for (size_t i = start; i < end; ++i)
    {
        const CBaseToken& token = m_Tokens[i];
        LevelState& level = m_aLevels.back();
        const char16_t delimiter = DelimiterChar(token);
        if (delimiter == u'(')
        {
            OpenGroup(level);
            continue;
        }
        if (delimiter == u')')
        {
            CloseGroup();
            if (m_aLevels.size() == 1)
                return i;
            m_aLevels.pop_back();
            if (m_aLevels.size() < baseDepth)
                return i;
            // The group's opening parenthesis finishes at its own level only now.
            AfterToken(m_aLevels.back(), false, 1);
            continue;
        }
        // The five phases: handler, first-item corrections, concatenation
        // break, normal writing, and what follows every token.
        Handler(level, token, delimiter, i);
        if (level.AnyPending()) // seldom: only the first item of a named list
            PendingCorrections(m_Ctx, level, token);
        if (token.m_nKind == TK_CONCAT)
            ConcatBreak(m_Ctx, level, token);
        if (!level.m_bHandled)
            WriteToken(level, token);
        AfterToken(level, token.m_nKind == TK_COMMENT, token.m_nLength);
    }
    // Out of tokens: every level still open, the top level included, ends here,
    // and each has already written all it holds.
    return END_OF_TOKENS;
}

// delimiter is DelimiterChar of the token.
void CLayoutWriter::Handler(LevelState& level, const CBaseToken& token, char16_t delimiter, size_t index)
{
    switch (token.m_nKind)
    {
    case TK_KEYWORD:
        KeywordRule(m_Ctx, level, token);
        break;
    case TK_COMMENT:
        CommentRule(m_Ctx, level, token, index);
        break;
    case TK_DELIMITER:
        if (delimiter == u',')
            CommaRule(m_Ctx, level, token);
        else if (delimiter == u'.')
            DotRule(m_Ctx, level, token);
        else if (delimiter == u';')
            SemicolonRule(m_Ctx, level, token);
        break;
    default:
        break;
    }
}

// The parenthesis, its separator and the group's leading separator follow the
// parenthesis spacing; the group is wrapped when it is short and opens left of
// the right margin, stacked otherwise.
void CLayoutWriter::OpenGroup(LevelState& level)
{
    std::u16string_view inner;
    switch (m_Ctx.m_Options.m_Parentheses.m_nSpace)
    {
    case PAREN_COMPACT:
        level.m_sSep.Clear();
        break;
    case PAREN_BEFORE:
        level.m_sSep = level.m_nTokens > 0 ? u" " : u"";
        break;
    case PAREN_INSIDE:
        level.m_sSep = level.m_nTokens > 0 ? u"" : u" ";
        inner = u" ";
        break;
    case PAREN_BEFORE_INSIDE:
        level.m_sSep = u" ";
        inner = u" ";
        break;
    default: // outside the value list: the separator of a plain token
        break;
    }
    const COptions::CCommas& commas = m_Ctx.m_Options.m_Commas;
    const int64_t length = m_aGroupLengths[m_nNextGroup++];
    const bool wrapped = length < commas.m_nStackedWrappedLength && m_Ctx.Column() < commas.m_nRightMarginLength;

    m_Ctx.Write(level.m_sSep, u"(");
    level.m_nLastGroupCol = m_Ctx.Column();
    // level is not used past this point: the new frame may move the stack.
    m_aLevels.emplace_back(2, inner, wrapped, m_Ctx.m_sOutput.size());
}

// The closing parenthesis belongs to the group's own text.
void CLayoutWriter::CloseGroup()
{
    const int32_t space = m_Ctx.m_Options.m_Parentheses.m_nSpace;
    const bool spaced = space == PAREN_INSIDE || space == PAREN_BEFORE_INSIDE;
    m_Ctx.Write(spaced ? u" " : u"", u")");
}

void CLayoutWriter::WriteToken(LevelState& level, const CBaseToken& token)
{
    if (level.m_bSpaceIfJoined)
    {
        level.m_sSep = m_Ctx.LevelTextNeedsSpace(level) ? u" " : u"";
        level.m_bSpaceIfJoined = false;
    }
    if (!m_Ctx.RightAligned())
        KeywordFill(m_Ctx, level, token);
    if (!level.m_bWrapped && m_Ctx.m_Options.m_Commas.m_nListComma == COMMA_BEFORE_SPACE && level.m_nTokens == 0)
        level.m_sSep.Append(u" ");
    EmitPieces(m_Ctx.m_sOutput, level.m_sSep, token.m_sText, level.m_sSuffix, m_Ctx.m_Position, TextLinesOf(token));
    level.m_bGlue = false;
}

// Phase 5: whatever a handler asked for the current token, the next one starts
// with a single space (none after glue); the level's first non-comment token
// gives the level its list anchor.
inline void CLayoutWriter::AfterToken(LevelState& level, bool isComment, int32_t length)
{
    level.m_bHandled = false;
    level.m_sSep = u" ";
    if (level.m_bGlue)
    {
        level.m_bGlue = false;
        level.m_sSep.Clear();
    }
    level.m_sSuffix.Clear();
    if (isComment)
        return;
    if (level.m_nTokens == 0 && level.m_nLevelCol == -1)
    {
        int64_t column = int64_t(m_Ctx.Column()) - length - 1;
        const int32_t parenSpace = m_Ctx.m_Options.m_Parentheses.m_nSpace;
        if (parenSpace == PAREN_BEFORE || parenSpace == PAREN_BEFORE_INSIDE)
            ++column;
        if (!level.m_bWrapped && m_Ctx.m_Options.m_Commas.m_nListComma == COMMA_BEFORE_SPACE)
            --column;
        level.m_nLevelCol = ToColumn(column);
    }
    if (level.m_nTokens < INT32_MAX)
        ++level.m_nTokens;
}

// After an unmatched ")" at the top level: the rest of the tokens, one space
// before each, with no layout.
void CLayoutWriter::CopyRemaining(size_t from, size_t end)
{
    for (size_t i = from; i < end; ++i)
        m_Ctx.Write(u" ", m_Tokens[i]);
}

} // namespace

void Emit(std::u16string& output, std::u16string_view prefix, std::u16string_view text,
          std::u16string_view suffix, OutputPosition& position, TextLines textLines)
{
    EmitPieces(output, prefix, text, suffix, position, textLines);
}

int64_t MeasureGroup(const CTokenList& tokens, size_t start)
{
    int64_t sum = 0;
    size_t depth = 0;
    for (size_t i = start; i < tokens.size(); ++i)
    {
        const CBaseToken& token = tokens[i];
        sum += token.m_nLength;
        const char16_t delimiter = DelimiterChar(token);
        if (delimiter == u'(')
            ++depth;
        else if (delimiter == u')')
        {
            if (depth == 0)
                break;
            --depth;
        }
    }
    return sum;
}

std::vector<int64_t> MeasureGroups(const CTokenList& tokens)
{
    std::vector<int64_t> lengths;
    std::vector<size_t> open;
    size_t maxDepth = 0;
    MeasureAllGroups(tokens, 0, tokens.size(), lengths, open, maxDepth);
    return lengths;
}

void WriteSqlRange(CLayoutContext& ctx, size_t begin, size_t end)
{
    CLayoutWriter(ctx).Run(begin, std::min(end, ctx.m_Tokens.size()));
}

size_t WriteSqlGroup(CLayoutContext& ctx, size_t open, size_t end, bool afterText)
{
    return CLayoutWriter(ctx).RunGroup(open, std::min(end, ctx.m_Tokens.size()), afterText);
}

void WriteLayout(const COptions& options, std::u16string_view newLine, const CTokenList& tokens,
                 std::u16string& output, std::vector<int32_t>* literalLines)
{
    output.clear();
    AppendLayout(options, newLine, tokens, output, literalLines);
}

void AppendLayout(const COptions& options, std::u16string_view newLine, const CTokenList& tokens,
                  std::u16string& output, std::vector<int32_t>* literalLines)
{
    if (literalLines)
        literalLines->clear();
    CLayoutContext ctx(options, tokens, newLine, output);
    ctx.m_Position.m_pLiteralLines = literalLines;
    WriteSqlRange(ctx, 0, tokens.size());
}
