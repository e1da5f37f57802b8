// Internal to the PL/SQL layout: how the tokens of a PL/SQL unit are put on
// lines. The rules (PlsqlLayout.cpp) decide where a line starts and how far
// it is indented; this writer puts tokens on it spaced as the SQL rules space
// them, stacks an argument list that makes a line too long, keeps comments
// where they stood, and hands embedded SQL to the SQL layout writer. Every
// character goes through Emit, into the output the SQL writer shares.
#pragma once

#include "LayoutRules.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Token tests shared by the writer and the rules.
inline bool IsKeyword(const CBaseToken& token, int32_t code)
{
    return token.m_nKind == TK_KEYWORD && token.m_nCode == code;
}
inline bool IsDelimiter(const CBaseToken& token, char16_t c)
{
    return token.m_nKind == TK_DELIMITER && token.m_nLength == 1 && token.m_sText[0] == c;
}
inline bool IsComment(const CBaseToken& token)
{
    return token.m_nKind == TK_COMMENT;
}
// Where an operand of "||" ends and the next begins.
bool IsOperandBoundary(const CBaseToken& token);
// Whether a word's text is word (given in upper case), whatever its case.
bool IsWord(const CBaseToken& token, std::u16string_view word);

class CPlsqlLines
{
public:
    CPlsqlLines(CLayoutContext& ctx, int32_t step);

    size_t Count() const { return m_Tokens.size(); }
    const CTokenList& Tokens() const { return m_Tokens; }
    const CBaseToken& Token(size_t i) const { return m_Tokens[i]; }
    const COptions& Options() const { return m_Ctx.m_Options; }
    // One step of block indentation.
    int32_t Step() const { return m_nStep; }
    int32_t Column() const { return m_Ctx.Column(); }

    // Starts the line of a new item (statement, declaration, block word) at
    // column; text that follows on it is spaced from scratch.
    void StartLine(int64_t column);
    // An empty line between two items, kept as the input had it. The finish
    // must leave it alone, so its number goes with the lines inside literals.
    void BlankLine();

    // Writes tokens [begin, end) on the current line, spaced as the SQL rules
    // space them, with the comments among them. Parenthesised queries are laid
    // out by the SQL rules from where they open. With mayStack, a line that
    // would end beyond the right margin (or an argument list holding a
    // comment) has its outermost argument list stacked, one argument a line
    // under the first, with the comma placement of stacked lists; a long line
    // without one has its CASE expressions broken as the Case page says. A
    // long condition (after IF, ELSIF, WHILE, WHEN, RETURN or ":=") first
    // breaks before each AND and OR at its outermost level, under its first
    // word, and a CASE expression at that level whose list would be stacked
    // is broken instead; each part still too long then has its list stacked.
    void WriteFlat(size_t begin, size_t end, bool mayStack);
    // Writes the items of a list (tokens [begin, end) separated by commas at
    // their outermost level) one a line at column, with the comma placement
    // of stacked lists; each item is written as WriteFlat writes a line.
    void WriteStackedItems(size_t begin, size_t end, int64_t column);
    // Writes tokens [begin, end) with no separator between them (a label).
    void WriteJoined(size_t begin, size_t end);
    // Writes tokens [begin, end), a SQL statement or query, by the SQL rules
    // with its first token at the current position (after one space when the
    // line holds text already).
    void WriteSql(size_t begin, size_t end);
    // Writes the comment at i on a line of its own at column (a block comment
    // spanning lines keeps its lines, shifted as a whole).
    void WriteCommentAlone(size_t i, int64_t column);
    // Writes the comments from i on that stand on the line where the token
    // before i ends; returns the index after them.
    size_t WriteEndOfLineComments(size_t i);

    // Whether the comment at i stands alone: on a later line than the token
    // before it (or first in the unit).
    bool StartsLine(size_t i) const;
    // Whether the input holds an empty line between the token before i and i.
    bool BlankLineBefore(size_t i) const;
    // Whether "Remove comments" drops the comment.
    bool Removes(const CBaseToken& comment) const;
    // The index of the ")" that closes the "(" at open, or end.
    size_t CloseOf(size_t open, size_t end) const;

private:
    struct CGroup
    {
        int32_t m_nTokens = 0;   // tokens written at this level, as the SQL writer counts them
        bool m_bStacked = false; // the argument list this line stacks
        int32_t m_nItemCol = 0;  // where its arguments start
        bool m_bOperandStart = true; // the next token starts an operand
        int32_t m_nOperandCol = -1;  // where the last operand at this level started
    };

    // A new line at column within the current item: groups stay open.
    void NewLine(int64_t column);
    void WriteToken(size_t i);
    void WriteComment(size_t i);
    void WriteCommentText(const CBaseToken& comment);
    void WriteText(std::u16string_view sep, std::u16string_view text, TextLines textLines = TEXT_ANY_LINES);
    void Separate(std::u16string_view sep);
    void AfterToken();
    // Where the text goes on after a line break inside the item.
    int64_t ContinuationColumn() const;
    // The separator the SQL rules put before token i, and whether the token
    // after it is glued to it.
    std::u16string_view SeparatorBefore(size_t i, const CGroup& group) const;
    // Whether the group opening at open holds a query.
    bool HoldsQuery(size_t open, size_t end) const;
    void BreakBeforeCaseWord(const CBaseToken& token);
    void DropBlanksBeforeLineBreaks(size_t from, int32_t fromLine);
    // The column at which the token starts in the input.
    int64_t InputColumn(const CBaseToken& token) const;

    // A part of a long line that a line break will start: measured on the
    // line written flat, from where its first token would stand to where its
    // last ends, and written from column.
    struct CSegment
    {
        int64_t m_nFrom;
        int64_t m_nColumn;
        int64_t m_nEnd = 0;
        size_t m_nList = static_cast<size_t>(-1); // "(" of its outermost list with commas
        size_t m_nDepth = static_cast<size_t>(-1); // the level of that list
    };
    struct CPlan
    {
        bool m_bBreakCase = false;                        // break CASE expressions into lines
        size_t m_nConcatDepth = static_cast<size_t>(-1); // the level whose "||" may break the line
        size_t m_nCondition = static_cast<size_t>(-1);   // first token of the condition m_aLogicalBreaks divide
    };
    // Fills m_aOperandWidths for the plan's "||", m_aLogicalBreaks and
    // m_aStackOpens.
    CPlan PlanLine(size_t begin, size_t end);
    // The outermost list of each part too long for the right margin, into
    // m_aStackOpens; whether any part is too long.
    bool StackLongParts(const std::vector<CSegment>& parts);
    // Before a "||" of a line too long: a line break under the first operand
    // when the operand after it would pass the right margin.
    void WrapBeforeConcat();

    CLayoutContext& m_Ctx;
    const CTokenList& m_Tokens;
    const int32_t m_nStep;
    std::vector<CGroup> m_aGroups; // the statement level, then each open "("
    struct CCase
    {
        int32_t m_nColumn; // of its CASE
        size_t m_nDepth;   // m_aGroups' size where it stands
    };
    std::vector<CCase> m_aCases; // the CASE expressions open on a line broken at them
    std::vector<int64_t> m_aOperandWidths; // of the operand after each "||" that may break, in order
    std::vector<size_t> m_aOpenGroups;     // PlanLine's stack of open "("
    std::vector<size_t> m_aLogicalBreaks;  // the AND and OR that start lines of a long condition
    std::vector<size_t> m_aStackOpens;     // the "(" of the lists to stack, in order
    std::vector<CSegment> m_aSegments;     // the parts of a condition, between its AND and OR
    std::vector<CSegment> m_aCaseSegments; // the lines of a CASE expression broken as the Case page says
    size_t m_nNextOperand = 0;
    bool m_bLineStart = true;      // nothing but indentation on the line yet
    bool m_bGlue = false;          // the next token follows without a separator
    bool m_bBreakPending = false;  // a line comment ended the line
    int64_t m_nItemColumn = 0;     // where the current item's line started
    const size_t m_nUnitStart;     // where the unit's text begins in the output
};
