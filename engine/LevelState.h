// The state the layout writer keeps per nesting level, shared by the writer's
// core and its rule families (keywords, lists, comments).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// What has been written so far: the column at which the next character will
// stand, 0 for the first column, and its line, 1 for the first. The writer
// keeps a single position for its one output buffer; a group's level starts
// where its opening parenthesis ended, and its enclosing level continues where
// the group's text ended.
//
// When m_pLiteralLines is set, the numbers of the lines that begin inside a
// string literal or quoted identifier of the written texts are appended to it
// (in ascending order, as LinesInsideLiterals finds them in the whole output),
// so that the finishing step need not scan the output again.
struct OutputPosition
{
    int32_t m_nColumn = 0;
    int32_t m_nLine = 1;
    std::vector<int32_t>* m_pLiteralLines = nullptr;
};

// A separator or suffix: never more than a handful of blanks (two for WITH,
// one more for the first item of a "before comma with space" list, five of
// keyword fill). Held inline so that a level costs no heap memory, which
// matters when a million levels are open at once.
class CShortText
{
public:
    static constexpr size_t kCapacity = 7;

    CShortText() = default;
    CShortText(std::u16string_view text) { Assign(text); }
    CShortText& operator=(std::u16string_view text)
    {
        Assign(text);
        return *this;
    }
    void Append(std::u16string_view text)
    {
        for (char16_t c : text)
            if (m_nLength < kCapacity)
                m_aText[m_nLength++] = c;
    }
    void Clear() { m_nLength = 0; }
    bool Empty() const { return m_nLength == 0; }
    size_t Length() const { return m_nLength; }
    std::u16string_view View() const { return {m_aText, m_nLength}; }
    operator std::u16string_view() const { return View(); }

private:
    void Assign(std::u16string_view text)
    {
        m_nLength = 0;
        Append(text);
    }

    char16_t m_aText[kCapacity] = {};
    uint8_t m_nLength = 0;
};

// One nesting level: the top level, or the contents of one parenthesised group.
// Columns count from 0; -1 means unset.
struct LevelState
{
    // Set up for the level that starts at the token after an opening
    // parenthesis (or at the first token for the top level).
    LevelState(int32_t levelOffset, std::u16string_view leadingSep, bool wrapped, size_t textStart)
        : m_sSep(leadingSep), m_nLevelOffset(levelOffset), m_bWrapped(wrapped), m_nTextStart(textStart)
    {
    }

    // Per token: what goes before and after it, and whether a handler wrote it.
    CShortText m_sSep;
    CShortText m_sSuffix;
    bool m_bHandled = false;
    bool m_bGlue = false; // the next token gets no separator
    // The separator is chosen only when the token is written: a space if the
    // text before it would run into it, else none.
    bool m_bSpaceIfJoined = false;

    // Pending first-item corrections of the named lists.
    bool m_bPendSelect = false;
    bool m_bPendFrom = false;
    bool m_bPendGroupBy = false;
    bool m_bPendOrderBy = false;
    bool m_bPendWith = false;
    bool AnyPending() const { return m_bPendSelect || m_bPendFrom || m_bPendGroupBy || m_bPendOrderBy || m_bPendWith; }

    int32_t m_nTokens = 0;        // non-comment tokens processed at this level
    int32_t m_nLevelCol = -1;     // list anchor of the level, from its first token
    int32_t m_nLastGroupCol = -1; // first column inside the last group opened here

    // Clause keywords and alignment.
    int32_t m_nClause = -1; // code of the clause keyword the level is in
    int32_t m_nKeywordCol = -1;
    int32_t m_nCaseCol = -1;
    int32_t m_nBetweenCol = -1;

    // Anchors of the named lists.
    int32_t m_nSelectListCol = -1;
    int32_t m_nFromListCol = -1;
    int32_t m_nGroupByListCol = -1;
    int32_t m_nOrderByListCol = -1;
    int32_t m_nWithListCol = -1;

    // Fixed for the level's whole run.
    int32_t m_nLevelOffset = 0; // 0 at the top level, 2 in every group
    bool m_bWrapped = false;    // the group was short enough to be wrapped
    size_t m_nTextStart = 0;    // where this level's own text begins in the output
};
