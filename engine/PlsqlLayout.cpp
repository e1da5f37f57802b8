// The PL/SQL layout rules. A unit is read item by item (a header, a block
// word, a declaration, a statement, a comment), and each item starts a line
// indented by the blocks open around it, which are kept on an explicit stack:
//
// 1. Blocks. DECLARE, BEGIN, EXCEPTION and END stand at the column of the
//    block they belong to (an anonymous block's first word, a subprogram's
//    header line); what they contain is one step further in. A header
//    (CREATE ... PROCEDURE|FUNCTION|PACKAGE [BODY]|TYPE BODY ... IS|AS, and
//    nested subprograms) is one line ending with IS or AS; past the right
//    margin its parameter list is stacked one parameter a line. A trigger's
//    clauses (timing and event, REFERENCING, FOR EACH ROW, WHEN, ...) each
//    start a line one step in. An object type's attributes and methods stand
//    one a line, one step in, between its header line and a line holding ")".
//    END keeps what follows it up to its ";" (END name; END IF; END LOOP l;).
// 2. Declarations: one a line. A cursor's query starts on its line and is
//    laid out by the SQL rules.
// 3. Control flow: IF ... THEN / ELSIF ... THEN / ELSE / END IF, [FOR ... |
//    WHILE ...] LOOP / END LOOP, CASE [selector] with WHEN ... THEN and ELSE
//    one step in and their statements two steps in, exception handlers WHEN
//    ... THEN one step inside EXCEPTION, FORALL with its statement on the
//    next line one step in. A condition starts on its keyword's line; one
//    too long for the right margin breaks before each AND and OR at its
//    outermost level, which stand under its first word.
// 4. SQL statements (SELECT, INSERT, UPDATE, DELETE, MERGE, WITH) and the
//    queries of cursors, OPEN ... FOR and parenthesised subqueries are laid
//    out by the SQL rules with their first word's column as left edge.
// 5. Every other statement stands on one line (PlsqlLines stacks its
//    argument list when it is too long).
// 6. Comments alone on their lines stay alone, indented with the items of
//    the block they stand in; end-of-line comments stay at the end of the line.
// 7. A blank line between two items of the input is kept (several become
//    one), but none after a line that opens a block and none before one that
//    closes or divides it.
//
// What the rules do not recognise (a header of another kind, a closing word
// without its opener, text after the unit's last END) is written by the SQL
// rules, statement by statement: every token is written once, in order.
#include "PlsqlLayout.h"

#include "PlsqlLines.h"
#include "PlsqlWords.h"
#include "TextFunc.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace
{

constexpr size_t kNone = static_cast<size_t>(-1);

enum class BlockKind : uint8_t
{
    Declarations, // after DECLARE, or a header's IS or AS
    Body,         // after BEGIN
    Handlers,     // after EXCEPTION
    Handler,      // after a handler's WHEN ... THEN
    If,
    Loop,
    Case,       // a CASE statement
    CaseBranch, // after its WHEN ... THEN or ELSE
    Count
};

struct CBlock
{
    BlockKind m_nKind;
    int32_t m_nColumn; // where the words that open, divide and close it stand
};

class CPlsqlLayout
{
public:
    CPlsqlLayout(CLayoutContext& ctx, int32_t step) : m_Lines(ctx, step) {}
    void Run();

private:
    const CBaseToken& Token(size_t i) const { return m_Lines.Token(i); }
    size_t Count() const { return m_Lines.Count(); }
    int32_t Step() const { return m_Lines.Step(); }

    // Where the items of the innermost block go.
    int64_t ItemColumn() const;
    void Push(BlockKind kind, int64_t column);
    void PopTo(size_t depth);
    // The innermost open block of one of the kinds, or kNone.
    size_t FindBlock(std::initializer_list<BlockKind> kinds) const;
    bool Removes(const CBaseToken& token) const;

    size_t Item(size_t i);
    size_t UnitStart(size_t i);
    size_t BodyItem(size_t i);
    size_t DeclarationItem(size_t i);
    size_t BlockWord(size_t i);
    bool IsBlockWord(size_t i) const;

    size_t Statement(size_t i);
    size_t SqlStatement(size_t i);
    size_t SqlFallback(size_t i);
    size_t Subprogram(size_t i);
    size_t Cursor(size_t i);
    size_t PackageHeader(size_t i);
    size_t TypeSpec(size_t i);
    size_t Trigger(size_t i);
    size_t KeywordLine(size_t i, int32_t endCode, BlockKind kind);
    size_t Forall(size_t i);
    size_t Open(size_t i);
    size_t Label(size_t i);
    size_t Directive(size_t i);
    size_t End(size_t i);

    // The next token from i on that is not a comment, or Count().
    size_t Significant(size_t i) const;
    // The index of the ";" that ends the statement at i, or Count().
    size_t StatementEnd(size_t i) const;
    size_t After(size_t end) const { return end < Count() ? end + 1 : end; }
    // The first token from i on, before the statement's ";", that stands
    // outside parentheses and CASE expressions and that match accepts.
    template <class Match>
    size_t FindAtTop(size_t i, Match match) const;
    // The IS or AS that ends a subprogram header from i, or the ";" that ends
    // a declaration without a body first; kNone for neither.
    size_t HeaderEnd(size_t i) const;
    // The keyword after CREATE [OR REPLACE] [EDITIONABLE|NONEDITIONABLE].
    size_t CreatedKind(size_t i) const;

    CPlsqlLines m_Lines;
    std::vector<CBlock> m_aBlocks;
    std::array<size_t, static_cast<size_t>(BlockKind::Count)> m_aOpen{}; // open blocks of each kind
    bool m_bAfterOpener = true; // the last line opened a block: no blank line follows
    bool m_bBlankSeen = false;  // the input had a blank line before what comes next
};

bool IsDirective(const CBaseToken& token)
{
    return token.m_nKind == TK_WORD && !token.m_sText.empty() && token.m_sText[0] == u'$';
}

bool IsLabelStart(const CTokenList& tokens, size_t i)
{
    return tokens[i].m_nKind == TK_COMPARE && tokens[i].m_sText == u"<<" && i + 2 < tokens.size() &&
           tokens[i + 2].m_nKind == TK_COMPARE && tokens[i + 2].m_sText == u">>";
}

bool IsSubprogramModifier(const CBaseToken& token)
{
    if (token.m_nKind != TK_KEYWORD)
        return false;
    switch (token.m_nCode)
    {
    case KW_MEMBER:
    case KW_STATIC:
    case KW_CONSTRUCTOR:
    case KW_MAP:
    case KW_ORDER:
    case KW_OVERRIDING:
    case KW_FINAL:
    case KW_INSTANTIABLE:
    case KW_NOT:
        return true;
    default:
        return false;
    }
}

bool IsSqlStatementStart(const CBaseToken& token)
{
    if (token.m_nKind != TK_KEYWORD)
        return false;
    switch (token.m_nCode)
    {
    case KW_SELECT:
    case KW_WITH:
    case KW_INSERT:
    case KW_UPDATE:
    case KW_DELETE:
    case KW_MERGE:
        return true;
    default:
        return false;
    }
}

int64_t CPlsqlLayout::ItemColumn() const
{
    return m_aBlocks.empty() ? 0 : int64_t(m_aBlocks.back().m_nColumn) + Step();
}

void CPlsqlLayout::Push(BlockKind kind, int64_t column)
{
    m_aBlocks.push_back(CBlock{kind, ToColumn(column)});
    ++m_aOpen[static_cast<size_t>(kind)];
}

void CPlsqlLayout::PopTo(size_t depth)
{
    while (m_aBlocks.size() > depth)
    {
        --m_aOpen[static_cast<size_t>(m_aBlocks.back().m_nKind)];
        m_aBlocks.pop_back();
    }
}

// The counts of open blocks make a search that would fail cost nothing, so
// closing words without their openers never walk a deep stack in vain; a
// search that succeeds pops what it walks over.
size_t CPlsqlLayout::FindBlock(std::initializer_list<BlockKind> kinds) const
{
    size_t open = 0;
    for (BlockKind kind : kinds)
        open += m_aOpen[static_cast<size_t>(kind)];
    if (open == 0)
        return kNone;
    for (size_t k = m_aBlocks.size(); k-- > 0;)
        for (BlockKind kind : kinds)
            if (m_aBlocks[k].m_nKind == kind)
                return k;
    return kNone;
}

bool CPlsqlLayout::Removes(const CBaseToken& token) const
{
    return m_Lines.Removes(token);
}

size_t CPlsqlLayout::Significant(size_t i) const
{
    while (i < Count() && IsComment(Token(i)))
        ++i;
    return i;
}

size_t CPlsqlLayout::StatementEnd(size_t i) const
{
    while (i < Count() && !IsDelimiter(Token(i), u';'))
        ++i;
    return i;
}

template <class Match>
size_t CPlsqlLayout::FindAtTop(size_t i, Match match) const
{
    size_t parens = 0;
    size_t cases = 0;
    for (; i < Count(); ++i)
    {
        const CBaseToken& token = Token(i);
        if (IsComment(token))
            continue;
        if (IsDelimiter(token, u';'))
            return kNone;
        if (parens == 0 && cases == 0 && match(token, i))
            return i;
        if (IsDelimiter(token, u'('))
            ++parens;
        else if (IsDelimiter(token, u')') && parens > 0)
            --parens;
        else if (IsKeyword(token, KW_CASE))
            ++cases;
        else if (IsKeyword(token, KW_END) && cases > 0)
            --cases;
    }
    return kNone;
}

size_t CPlsqlLayout::HeaderEnd(size_t i) const
{
    return FindAtTop(i, [&](const CBaseToken& token, size_t k) {
        if (IsKeyword(token, KW_IS))
            return true;
        if (IsKeyword(token, KW_AS)) // but not RETURN SELF AS RESULT
        {
            size_t before = k;
            while (before > i && IsComment(Token(before - 1)))
                --before;
            return before == i || !IsWord(Token(before - 1), u"SELF");
        }
        return IsKeyword(token, KW_BEGIN) || IsKeyword(token, KW_DECLARE) || IsKeyword(token, KW_END);
    });
}

size_t CPlsqlLayout::CreatedKind(size_t i) const
{
    size_t k = Significant(i + 1);
    if (k < Count() && IsKeyword(Token(k), KW_OR))
        k = Significant(Significant(k + 1) + 1); // OR REPLACE
    while (k < Count() && (IsKeyword(Token(k), KW_EDITIONABLE) || IsKeyword(Token(k), KW_NONEDITIONABLE)))
        k = Significant(k + 1);
    return k;
}

void CPlsqlLayout::Run()
{
    size_t i = 0;
    while (i < Count())
    {
        const CBaseToken& token = Token(i);
        if (IsComment(token) && !m_Lines.StartsLine(i))
        {
            i = m_Lines.WriteEndOfLineComments(i);
            continue;
        }
        m_bBlankSeen = m_bBlankSeen || m_Lines.BlankLineBefore(i);
        if (IsComment(token))
        {
            if (!Removes(token))
            {
                if (m_bBlankSeen && !m_bAfterOpener)
                    m_Lines.BlankLine();
                m_bBlankSeen = false;
                m_bAfterOpener = false;
                m_Lines.WriteCommentAlone(i, ItemColumn());
            }
            ++i;
            continue;
        }
        if (m_bBlankSeen && !m_bAfterOpener && !IsBlockWord(i))
            m_Lines.BlankLine();
        m_bBlankSeen = false;
        const size_t next = Item(i);
        i = m_Lines.WriteEndOfLineComments(std::max(next, i + 1));
    }
}

size_t CPlsqlLayout::Item(size_t i)
{
    if (IsBlockWord(i))
        return BlockWord(i);
    if (m_aBlocks.empty())
        return UnitStart(i);
    if (m_aBlocks.back().m_nKind == BlockKind::Declarations)
        return DeclarationItem(i);
    return BodyItem(i);
}

// A unit opens with a header, an anonymous block, or (after its last END)
// with what the SQL rules lay out.
size_t CPlsqlLayout::UnitStart(size_t i)
{
    const CBaseToken& token = Token(i);
    if (IsKeyword(token, KW_DECLARE) || IsKeyword(token, KW_BEGIN) || IsLabelStart(m_Lines.Tokens(), i) ||
        IsDirective(token))
        return BodyItem(i);
    // A subprogram without CREATE: a piece of a package body, as plug-ins and
    // snippets hold them.
    if (IsKeyword(token, KW_PROCEDURE) || IsKeyword(token, KW_FUNCTION))
        return Subprogram(i);
    if (!IsKeyword(token, KW_CREATE))
        return SqlFallback(i);
    const size_t kind = CreatedKind(i);
    if (kind >= Count())
        return SqlFallback(i);
    const CBaseToken& word = Token(kind);
    if (IsKeyword(word, KW_PROCEDURE) || IsKeyword(word, KW_FUNCTION))
        return Subprogram(i);
    if (IsKeyword(word, KW_PACKAGE))
        return PackageHeader(i);
    if (IsKeyword(word, KW_TYPE))
    {
        const size_t next = Significant(kind + 1);
        if (next < Count() && IsKeyword(Token(next), KW_BODY))
            return PackageHeader(i);
        return TypeSpec(i);
    }
    if (IsKeyword(word, KW_TRIGGER))
        return Trigger(i);
    if (IsKeyword(word, KW_LIBRARY))
        return Statement(i);
    return SqlFallback(i);
}

// Words that open, divide or close a block, when an open block takes them.
bool CPlsqlLayout::IsBlockWord(size_t i) const
{
    const CBaseToken& token = Token(i);
    if (token.m_nKind != TK_KEYWORD)
        return false;
    switch (token.m_nCode)
    {
    case KW_END:
        return !m_aBlocks.empty();
    case KW_ELSIF:
        return m_aOpen[size_t(BlockKind::If)] > 0;
    case KW_ELSE:
        return m_aOpen[size_t(BlockKind::If)] + m_aOpen[size_t(BlockKind::Case)] > 0;
    case KW_EXCEPTION:
        return m_aOpen[size_t(BlockKind::Body)] > 0;
    case KW_WHEN:
        return m_aOpen[size_t(BlockKind::Handlers)] + m_aOpen[size_t(BlockKind::Case)] > 0;
    case KW_BEGIN:
        return !m_aBlocks.empty() && m_aBlocks.back().m_nKind == BlockKind::Declarations;
    default:
        return false;
    }
}

size_t CPlsqlLayout::BlockWord(size_t i)
{
    const CBaseToken& token = Token(i);
    switch (token.m_nCode)
    {
    case KW_END:
        return End(i);
    case KW_BEGIN:
    {
        CBlock& block = m_aBlocks.back();
        --m_aOpen[size_t(block.m_nKind)];
        block.m_nKind = BlockKind::Body;
        ++m_aOpen[size_t(block.m_nKind)];
        m_Lines.StartLine(block.m_nColumn);
        m_Lines.WriteFlat(i, i + 1, false);
        m_bAfterOpener = true;
        return i + 1;
    }
    case KW_EXCEPTION:
    {
        const size_t k = FindBlock({BlockKind::Body});
        PopTo(k + 1);
        CBlock& block = m_aBlocks.back();
        --m_aOpen[size_t(block.m_nKind)];
        block.m_nKind = BlockKind::Handlers;
        ++m_aOpen[size_t(block.m_nKind)];
        m_Lines.StartLine(block.m_nColumn);
        m_Lines.WriteFlat(i, i + 1, false);
        m_bAfterOpener = true;
        return i + 1;
    }
    case KW_ELSIF:
    case KW_ELSE:
    {
        const size_t k = token.m_nCode == KW_ELSIF ? FindBlock({BlockKind::If})
                                                    : FindBlock({BlockKind::If, BlockKind::Case});
        PopTo(k + 1);
        const CBlock block = m_aBlocks.back();
        if (block.m_nKind == BlockKind::Case)
        {
            m_Lines.StartLine(int64_t(block.m_nColumn) + Step());
            m_Lines.WriteFlat(i, i + 1, false);
            Push(BlockKind::CaseBranch, int64_t(block.m_nColumn) + Step());
            m_bAfterOpener = true;
            return i + 1;
        }
        m_Lines.StartLine(block.m_nColumn);
        if (token.m_nCode == KW_ELSE)
        {
            m_Lines.WriteFlat(i, i + 1, false);
            m_bAfterOpener = true;
            return i + 1;
        }
        const size_t then = FindAtTop(i + 1, [](const CBaseToken& t, size_t) { return IsKeyword(t, KW_THEN); });
        const size_t end = then == kNone ? After(StatementEnd(i)) : then + 1;
        m_Lines.WriteFlat(i, end, true);
        m_bAfterOpener = then != kNone;
        return end;
    }
    case KW_WHEN:
    {
        const size_t k = FindBlock({BlockKind::Handlers, BlockKind::Case});
        PopTo(k + 1);
        const CBlock block = m_aBlocks.back();
        const int64_t column = int64_t(block.m_nColumn) + Step();
        m_Lines.StartLine(column);
        const size_t then = FindAtTop(i + 1, [](const CBaseToken& t, size_t) { return IsKeyword(t, KW_THEN); });
        if (then == kNone)
        {
            const size_t end = After(StatementEnd(i));
            m_Lines.WriteFlat(i, end, true);
            m_bAfterOpener = false;
            return end;
        }
        m_Lines.WriteFlat(i, then + 1, true);
        Push(block.m_nKind == BlockKind::Case ? BlockKind::CaseBranch : BlockKind::Handler, column);
        m_bAfterOpener = true;
        return then + 1;
    }
    default:
        return Statement(i);
    }
}

// END closes the innermost block its next word names (IF, LOOP, CASE) or,
// without one, the innermost block, declaration section or handler list;
// blocks left open inside it close with it. It keeps its label or name.
size_t CPlsqlLayout::End(size_t i)
{
    const size_t next = Significant(i + 1);
    const CBaseToken* word = next < Count() ? &Token(next) : nullptr;
    size_t k = kNone;
    if (word && IsKeyword(*word, KW_IF))
        k = FindBlock({BlockKind::If});
    else if (word && IsKeyword(*word, KW_LOOP))
        k = FindBlock({BlockKind::Loop});
    else if (word && IsKeyword(*word, KW_CASE))
        k = FindBlock({BlockKind::Case});
    else
        k = FindBlock({BlockKind::Body, BlockKind::Handlers, BlockKind::Declarations});
    if (k == kNone)
        return Statement(i);
    const int32_t column = m_aBlocks[k].m_nColumn;
    PopTo(k);
    // The words up to the ";": a name, a label, IF, LOOP, CASE, or a compound
    // trigger's timing point. Anything longer is not END's.
    size_t end = i + 1;
    for (size_t n = 0; end < Count() && n < 5; ++end, ++n)
    {
        const CBaseToken& t = Token(end);
        if (IsDelimiter(t, u';') || IsComment(t) ||
            !(t.m_nKind == TK_WORD || t.m_nKind == TK_KEYWORD || t.m_nKind == TK_QUOTED || IsDelimiter(t, u'.')))
            break;
    }
    if (end < Count() && IsDelimiter(Token(end), u';'))
        ++end;
    else
        end = word && (IsKeyword(*word, KW_IF) || IsKeyword(*word, KW_LOOP) || IsKeyword(*word, KW_CASE)) &&
                      next == i + 1
                  ? i + 2
                  : i + 1;
    m_Lines.StartLine(column);
    m_Lines.WriteFlat(i, end, false);
    m_bAfterOpener = false;
    return end;
}

size_t CPlsqlLayout::BodyItem(size_t i)
{
    const CBaseToken& token = Token(i);
    const int64_t column = ItemColumn();
    if (IsLabelStart(m_Lines.Tokens(), i))
        return Label(i);
    if (IsDirective(token))
        return Directive(i);
    if (token.m_nKind != TK_KEYWORD)
        return Statement(i);
    switch (token.m_nCode)
    {
    case KW_DECLARE:
    case KW_BEGIN:
        m_Lines.StartLine(column);
        m_Lines.WriteFlat(i, i + 1, false);
        Push(token.m_nCode == KW_DECLARE ? BlockKind::Declarations : BlockKind::Body, column);
        m_bAfterOpener = true;
        return i + 1;
    case KW_IF:
        return KeywordLine(i, KW_THEN, BlockKind::If);
    case KW_FOR:
    case KW_WHILE:
        return KeywordLine(i, KW_LOOP, BlockKind::Loop);
    case KW_LOOP:
        m_Lines.StartLine(column);
        m_Lines.WriteFlat(i, i + 1, false);
        Push(BlockKind::Loop, column);
        m_bAfterOpener = true;
        return i + 1;
    case KW_CASE:
        return KeywordLine(i, KW_WHEN, BlockKind::Case);
    case KW_FORALL:
        return Forall(i);
    case KW_OPEN:
        return Open(i);
    default:
        break;
    }
    if (IsSqlStatementStart(token))
        return SqlStatement(i);
    return Statement(i);
}

size_t CPlsqlLayout::DeclarationItem(size_t i)
{
    const CBaseToken& token = Token(i);
    if (IsDirective(token))
        return Directive(i);
    if (IsKeyword(token, KW_CURSOR))
        return Cursor(i);
    size_t k = i;
    while (k < Count() && (IsSubprogramModifier(Token(k)) || IsComment(Token(k))))
        ++k;
    if (k < Count() && (IsKeyword(Token(k), KW_PROCEDURE) || IsKeyword(Token(k), KW_FUNCTION)))
        return Subprogram(i);
    // A compound trigger's timing points: BEFORE STATEMENT IS ...
    if (IsKeyword(token, KW_BEFORE) || IsKeyword(token, KW_AFTER) || IsKeyword(token, KW_INSTEAD))
    {
        const size_t end = HeaderEnd(i + 1);
        if (end != kNone && IsKeyword(Token(end), KW_IS))
            return Subprogram(i);
    }
    return Statement(i);
}

// One statement or declaration on a line of its own.
size_t CPlsqlLayout::Statement(size_t i)
{
    const size_t end = After(StatementEnd(i));
    m_Lines.StartLine(ItemColumn());
    m_Lines.WriteFlat(i, end, true);
    m_bAfterOpener = false;
    return end;
}

size_t CPlsqlLayout::SqlStatement(size_t i)
{
    const size_t end = StatementEnd(i);
    m_Lines.StartLine(ItemColumn());
    m_Lines.WriteSql(i, end);
    m_Lines.WriteFlat(end, After(end), false);
    m_bAfterOpener = false;
    return After(end);
}

// Text the rules do not know: laid out as the SQL rules lay it out, up to the
// end of its statement.
size_t CPlsqlLayout::SqlFallback(size_t i)
{
    return SqlStatement(i);
}

// A subprogram's header: one line to its IS or AS (the LANGUAGE or EXTERNAL
// clause of a subprogram written in another language goes on on it), then its
// declarations; or a declaration without a body, ending with ";".
size_t CPlsqlLayout::Subprogram(size_t i)
{
    const int64_t column = ItemColumn();
    const size_t end = HeaderEnd(i + 1);
    if (end != kNone && IsKeyword(Token(end), KW_BEGIN) && end > i + 1)
    {
        // IS or AS left out: the header still opens the block.
        m_Lines.StartLine(column);
        m_Lines.WriteFlat(i, end, true);
        Push(BlockKind::Declarations, column);
        m_bAfterOpener = true;
        return end;
    }
    if (end == kNone || IsDelimiter(Token(end), u';') || !(IsKeyword(Token(end), KW_IS) || IsKeyword(Token(end), KW_AS)))
        return Statement(i);
    m_Lines.StartLine(column);
    m_Lines.WriteFlat(i, end + 1, true);
    const size_t next = Significant(end + 1);
    if (next < Count() && (IsKeyword(Token(next), KW_LANGUAGE) || IsKeyword(Token(next), KW_EXTERNAL)))
    {
        const size_t last = After(StatementEnd(next));
        m_Lines.WriteFlat(end + 1, last, false);
        m_bAfterOpener = false;
        return last;
    }
    Push(BlockKind::Declarations, column);
    m_bAfterOpener = true;
    return end + 1;
}

size_t CPlsqlLayout::PackageHeader(size_t i)
{
    const size_t end = HeaderEnd(i + 1);
    if (end == kNone || !(IsKeyword(Token(end), KW_IS) || IsKeyword(Token(end), KW_AS)))
        return SqlFallback(i);
    m_Lines.StartLine(0);
    m_Lines.WriteFlat(i, end + 1, true);
    Push(BlockKind::Declarations, 0);
    m_bAfterOpener = true;
    return end + 1;
}

size_t CPlsqlLayout::Cursor(size_t i)
{
    const size_t is = FindAtTop(i + 1, [](const CBaseToken& t, size_t) { return IsKeyword(t, KW_IS); });
    if (is == kNone)
        return Statement(i);
    const size_t end = StatementEnd(is);
    m_Lines.StartLine(ItemColumn());
    m_Lines.WriteFlat(i, is + 1, true);
    const size_t query = Significant(is + 1);
    if (query < end && IsSqlStatementStart(Token(query)))
        m_Lines.WriteSql(is + 1, end);
    else
        m_Lines.WriteFlat(is + 1, end, true);
    m_Lines.WriteFlat(end, After(end), false);
    m_bAfterOpener = false;
    return After(end);
}

// An object type's attributes and methods stand one a line between its
// header line, which ends with "(", and a line that starts with ")".
size_t CPlsqlLayout::TypeSpec(size_t i)
{
    const size_t open = FindAtTop(i + 1, [&](const CBaseToken& t, size_t k) {
        if (!IsDelimiter(t, u'('))
            return false;
        size_t before = k;
        while (before > i && IsComment(Token(before - 1)))
            --before;
        if (before <= i)
            return false;
        const CBaseToken& word = Token(before - 1);
        if (IsKeyword(word, KW_OBJECT))
            return true;
        size_t under = before - 1;
        while (under > i && IsComment(Token(under - 1)))
            --under;
        return under > i && IsKeyword(Token(under - 1), KW_UNDER);
    });
    if (open == kNone) // a collection type, or one declared ahead
    {
        const size_t end = After(StatementEnd(i));
        m_Lines.StartLine(0);
        m_Lines.WriteFlat(i, end, true);
        m_bAfterOpener = false;
        return end;
    }
    m_Lines.StartLine(0);
    m_Lines.WriteFlat(i, open + 1, false);
    const size_t close = m_Lines.CloseOf(open, Count());
    m_Lines.WriteStackedItems(open + 1, close, Step());
    if (close >= Count())
        return close;
    const size_t end = After(StatementEnd(close));
    m_Lines.StartLine(0);
    m_Lines.WriteFlat(close, end, false);
    m_bAfterOpener = false;
    return end;
}

// CREATE TRIGGER name, then each clause on a line one step in; the body
// (DECLARE or BEGIN) follows at the header's column as an anonymous block,
// a compound trigger's declarations one step in.
size_t CPlsqlLayout::Trigger(size_t i)
{
    auto clauseStart = [&](size_t k) {
        const CBaseToken& t = Token(k);
        if (t.m_nKind != TK_KEYWORD)
            return IsWord(t, u"CALL");
        switch (t.m_nCode)
        {
        case KW_BEFORE:
        case KW_AFTER:
        case KW_INSTEAD:
        case KW_FOR:
        case KW_REFERENCING:
        case KW_FOLLOWS:
        case KW_PRECEDES:
        case KW_ENABLE:
        case KW_DISABLE:
        case KW_WHEN:
            return true;
        default:
            return false;
        }
    };
    auto bodyStart = [&](size_t k) {
        const CBaseToken& t = Token(k);
        return IsKeyword(t, KW_DECLARE) || IsKeyword(t, KW_BEGIN) || IsKeyword(t, KW_COMPOUND) ||
               IsLabelStart(m_Lines.Tokens(), k) || IsDelimiter(t, u';');
    };
    // Scans at the top level from k to the next clause or the body.
    auto nextStop = [&](size_t k) {
        size_t parens = 0;
        for (; k < Count(); ++k)
        {
            const CBaseToken& t = Token(k);
            if (IsComment(t))
                continue;
            if (parens == 0 && (clauseStart(k) || bodyStart(k)))
                return k;
            if (IsDelimiter(t, u'('))
                ++parens;
            else if (IsDelimiter(t, u')') && parens > 0)
                --parens;
        }
        return k;
    };
    m_Lines.StartLine(0);
    size_t k = nextStop(CreatedKind(i) + 1);
    m_Lines.WriteFlat(i, k, false);
    while (k < Count() && clauseStart(k))
    {
        const size_t stop = nextStop(k + 1);
        m_Lines.StartLine(Step());
        if (IsWord(Token(k), u"CALL"))
        {
            const size_t end = After(StatementEnd(k));
            m_Lines.WriteFlat(k, end, true);
            m_bAfterOpener = false;
            return end;
        }
        m_Lines.WriteFlat(k, stop, true);
        k = stop;
    }
    if (k < Count() && IsKeyword(Token(k), KW_COMPOUND))
    {
        const size_t end = std::min(Count(), Significant(k + 1) + 1); // COMPOUND TRIGGER
        m_Lines.WriteFlat(k, end, false);
        Push(BlockKind::Declarations, 0);
        m_bAfterOpener = true;
        return end;
    }
    m_bAfterOpener = true;
    return k;
}

// A line from the keyword at i to the keyword that ends its head (IF ...
// THEN, FOR ... LOOP, CASE ... up to its first WHEN), which opens a block.
size_t CPlsqlLayout::KeywordLine(size_t i, int32_t endCode, BlockKind kind)
{
    const size_t stop = FindAtTop(i + 1, [&](const CBaseToken& t, size_t) { return IsKeyword(t, endCode); });
    if (stop == kNone)
        return Statement(i);
    const int64_t column = ItemColumn();
    // A CASE statement's line ends before its first WHEN, which comes next.
    const size_t end = kind == BlockKind::Case ? stop : stop + 1;
    m_Lines.StartLine(column);
    m_Lines.WriteFlat(i, end, true);
    Push(kind, column);
    m_bAfterOpener = true;
    return end;
}

size_t CPlsqlLayout::Forall(size_t i)
{
    const size_t dml = FindAtTop(i + 1, [](const CBaseToken& t, size_t) {
        return IsKeyword(t, KW_INSERT) || IsKeyword(t, KW_UPDATE) || IsKeyword(t, KW_DELETE) ||
               IsKeyword(t, KW_MERGE) || IsKeyword(t, KW_EXECUTE);
    });
    if (dml == kNone)
        return Statement(i);
    const int64_t column = ItemColumn();
    m_Lines.StartLine(column);
    m_Lines.WriteFlat(i, dml, false);
    const size_t end = StatementEnd(dml);
    m_Lines.StartLine(column + Step());
    if (IsKeyword(Token(dml), KW_EXECUTE))
    {
        m_Lines.WriteFlat(dml, After(end), true);
    }
    else
    {
        m_Lines.WriteSql(dml, end);
        m_Lines.WriteFlat(end, After(end), false);
    }
    m_bAfterOpener = false;
    return After(end);
}

// OPEN c FOR query: the query by the SQL rules, on OPEN's line.
size_t CPlsqlLayout::Open(size_t i)
{
    const size_t forWord = FindAtTop(i + 1, [](const CBaseToken& t, size_t) { return IsKeyword(t, KW_FOR); });
    const size_t query = forWord == kNone ? kNone : Significant(forWord + 1);
    if (query == kNone || query >= Count() || !IsSqlStatementStart(Token(query)))
        return Statement(i);
    const size_t end = StatementEnd(query);
    m_Lines.StartLine(ItemColumn());
    m_Lines.WriteFlat(i, forWord + 1, false);
    m_Lines.WriteSql(forWord + 1, end);
    m_Lines.WriteFlat(end, After(end), false);
    m_bAfterOpener = false;
    return After(end);
}

// <<label>> on a line of its own, before the loop or block it names.
size_t CPlsqlLayout::Label(size_t i)
{
    m_Lines.StartLine(ItemColumn());
    m_Lines.WriteJoined(i, i + 3);
    m_bAfterOpener = true;
    return i + 3;
}

// Conditional compilation: $IF ... $THEN, $ELSIF ... $THEN, $ELSE, $END and
// $ERROR ... $END each on a line of their own at the items' column.
size_t CPlsqlLayout::Directive(size_t i)
{
    const CBaseToken& token = Token(i);
    size_t end = i + 1;
    const bool toThen = IsWord(token, u"$IF") || IsWord(token, u"$ELSIF");
    const bool toEnd = IsWord(token, u"$ERROR");
    if (toThen || toEnd)
    {
        size_t k = i + 1;
        while (k < Count() && !IsWord(Token(k), toThen ? u"$THEN" : u"$END") && !IsDelimiter(Token(k), u';'))
            ++k;
        end = k < Count() && !IsDelimiter(Token(k), u';') ? k + 1 : i + 1;
    }
    m_Lines.StartLine(ItemColumn());
    m_Lines.WriteFlat(i, end, false);
    m_bAfterOpener = toThen || IsWord(token, u"$ELSE");
    return end;
}

} // namespace

void WritePlsqlLayout(const COptions& options, std::u16string_view newLine, const CTokenList& tokens,
                      std::u16string& output, std::vector<int32_t>* keptLines)
{
    output.clear();
    AppendPlsqlLayout(options, newLine, tokens, output, keptLines);
}

void AppendPlsqlLayout(const COptions& options, std::u16string_view newLine, const CTokenList& tokens,
                       std::u16string& output, std::vector<int32_t>* keptLines)
{
    if (keptLines)
        keptLines->clear();
    // About what the SQL rules' indentation adds to a unit's text.
    const size_t wanted = output.size() + tokens.Text().size() + tokens.Text().size() / 2 + 16;
    if (output.capacity() < wanted)
        output.reserve(std::max(wanted, output.capacity() * 2));
    CLayoutContext ctx(options, tokens, newLine, output);
    ctx.m_Position.m_pLiteralLines = keptLines;
    const int32_t step = std::clamp(options.m_Plsql.m_nBlockIndent, 0, COptions::CPlsql::kMaxBlockIndent);
    CPlsqlLayout(ctx, step).Run();
}

bool IsJavaUnit(const CTokenList& tokens)
{
    // Up to eight words: CREATE OR REPLACE AND COMPILE NOFORCE JAVA.
    size_t words = 0;
    for (const CBaseToken& token : tokens)
    {
        if (token.m_nKind == TK_COMMENT)
            continue;
        if (words == 0 && !IsWord(token, u"CREATE"))
            return false;
        if (IsWord(token, u"JAVA"))
            return true;
        if (++words == 8 || !(IsWord(token, u"CREATE") || IsWord(token, u"OR") || IsWord(token, u"REPLACE") ||
                              IsWord(token, u"AND") || IsWord(token, u"RESOLVE") || IsWord(token, u"COMPILE") ||
                              IsWord(token, u"NOFORCE")))
            return false;
    }
    return false;
}

std::vector<int32_t> KeptLinesOfLaidOutUnit(std::u16string_view text)
{
    const std::vector<int32_t> literal = LinesInsideLiterals(text);
    std::vector<int32_t> empty;
    int32_t line = 1;
    size_t start = 0;
    for (size_t lineFeed = FindLineFeed(text, 0);; lineFeed = FindLineFeed(text, start))
    {
        const size_t end = lineFeed > start && text[lineFeed - 1] == u'\r' ? lineFeed - 1 : lineFeed;
        if (end == start && lineFeed < text.size())
            empty.push_back(line);
        if (lineFeed >= text.size())
            break;
        start = lineFeed + 1;
        ++line;
    }
    std::vector<int32_t> kept;
    kept.reserve(literal.size() + empty.size());
    std::merge(literal.begin(), literal.end(), empty.begin(), empty.end(), std::back_inserter(kept));
    kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
    return kept;
}
