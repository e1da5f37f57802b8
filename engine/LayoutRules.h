// Internal to the layout writer: the context every rule works in and the rule
// families that the writer's core dispatches to, one family per file:
// LayoutKeywords.cpp (clause keywords, full stop, semicolon, concatenation,
// keyword fill), LayoutLists.cpp (commas and first-item corrections) and
// LayoutComments.cpp (comments).
#pragma once

#include "BaseToken.h"
#include "LayoutWriter.h"
#include "LevelState.h"
#include "Options.h"
#include "TextFunc.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Clamps a column computed in 64 bits into the 32-bit fields of LevelState.
// Real columns never come near the bound; the clamp only keeps absurd input
// (a single line of more than a thousand million characters) defined.
inline int32_t ToColumn(int64_t value)
{
    constexpr int64_t kLimit = int64_t(1) << 30;
    return static_cast<int32_t>(std::clamp<int64_t>(value, -kLimit, kLimit));
}

// The blanks BlankRun views.
inline constexpr std::array<char16_t, kMaxBlanks> kBlankUnits = [] {
    std::array<char16_t, kMaxBlanks> blanks{};
    blanks.fill(u' ');
    return blanks;
}();

// n blanks as a view of a constant buffer: none for n <= 0, at most kMaxBlanks,
// so no option value or nesting depth makes indentation unbounded.
inline std::u16string_view BlankRun(int64_t count)
{
    if (count <= 0)
        return {};
    return std::u16string_view(kBlankUnits.data(), static_cast<size_t>(std::min<int64_t>(count, kMaxBlanks)));
}

// What every rule needs besides the level: the options, the tokens, the one
// output buffer and its position. All writing goes through Emit.
class CLayoutContext
{
public:
    CLayoutContext(const COptions& options, const CTokenList& tokens, std::u16string_view newLine,
                   std::u16string& output)
        : m_Options(options), m_Tokens(tokens), m_sNewLine(newLine), m_sOutput(output),
          m_nCommaSpace(options.m_Commas.m_nSpace)
    {
    }

    int32_t Column() const { return m_Position.m_nColumn; }
    bool RightAligned() const { return m_Options.m_Alignment.m_bRight; }

    void Write(std::u16string_view prefix, std::u16string_view text, std::u16string_view suffix = {},
               TextLines textLines = TEXT_ANY_LINES)
    {
        Emit(m_sOutput, prefix, text, suffix, m_Position, textLines);
    }
    void Write(std::u16string_view text) { Emit(m_sOutput, {}, text, {}, m_Position); }
    // A token's text, which is looked through for line feeds only if it can hold one.
    void Write(std::u16string_view prefix, const CBaseToken& token, std::u16string_view suffix = {})
    {
        Emit(m_sOutput, prefix, token.m_sText, suffix, m_Position, TextLinesOf(token));
    }
    // A line break followed by the given runs of blanks.
    void WriteLineBreak(int64_t blanks, int64_t moreBlanks = 0, int64_t evenMoreBlanks = 0)
    {
        Emit(m_sOutput, m_sNewLine, BlankRun(blanks), BlankRun(moreBlanks), m_Position);
        if (evenMoreBlanks > 0)
            Write(BlankRun(evenMoreBlanks));
    }

    // Whether the text this level has written so far would run straight into
    // the next word: it is not empty and ends with neither a blank nor a line feed.
    bool LevelTextNeedsSpace(const LevelState& level) const
    {
        if (m_sOutput.size() <= level.m_nTextStart)
            return false;
        char16_t last = m_sOutput.back();
        return last != u' ' && last != u'\n';
    }

    const COptions& m_Options;
    const CTokenList& m_Tokens;
    std::u16string_view m_sNewLine;
    std::u16string& m_sOutput;
    OutputPosition m_Position;
    int32_t m_nCommaSpace; // the wrapped comma spacing every level receives

    // The writer's stack of levels, the lengths of the groups of the range it
    // lays out and the groups still open while it measures them, kept here so
    // that laying out many ranges reuses them.
    std::vector<LevelState> m_aLevels;
    std::vector<int64_t> m_aGroupLengths;
    std::vector<size_t> m_aOpenGroups;
};

// Lays out tokens [begin, end) by the SQL rules from the current position on,
// as WriteLayout lays out a whole token list: the range's first token opens
// the top level where the position stands, so every column the rules set is
// taken from there (a SELECT at column 4 has its keyword river 4 further
// right than one at column 0). A closing parenthesis that closes nothing ends
// the layout, and the rest of the range follows one space apart.
void WriteSqlRange(CLayoutContext& ctx, size_t begin, size_t end);
// Lays out the group whose opening parenthesis is tokens[open] as the SQL
// rules lay out a group: its separator (as after a word when afterText, else
// as at the start of a level), the stacked-or-wrapped decision and its
// contents. Returns the index after its closing parenthesis, or end when it
// is not closed before end.
size_t WriteSqlGroup(CLayoutContext& ctx, size_t open, size_t end, bool afterText);

// Clause keywords and alignment (LayoutKeywords.cpp).
void KeywordRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token);
void DotRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token);
void SemicolonRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token);
void ConcatBreak(CLayoutContext& ctx, LevelState& level, const CBaseToken& token);
void KeywordFill(CLayoutContext& ctx, LevelState& level, const CBaseToken& token);

// Lists and commas (LayoutLists.cpp).
void CommaRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token);
void StackedComma(CLayoutContext& ctx, LevelState& level, int32_t anchor, int32_t correction, int32_t commaPos);
void WrappedComma(CLayoutContext& ctx, LevelState& level, int32_t commaSpace);
void PendingCorrections(CLayoutContext& ctx, LevelState& level, const CBaseToken& token);

// Comments (LayoutComments.cpp). index is the comment's place in the token list.
void CommentRule(CLayoutContext& ctx, LevelState& level, const CBaseToken& token, size_t index);
bool IsHint(const CBaseToken& token);
