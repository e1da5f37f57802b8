#include "TextEdits.h"

#include "UnifiedDiff.h"

namespace qmcli
{

std::vector<CTextEdit> LineEdits(std::u16string_view oldText, std::u16string_view newText)
{
    std::vector<CTextEdit> edits;
    if (oldText == newText)
        return edits;
    const auto a = SplitLines(oldText);
    const auto b = SplitLines(newText);
    std::vector<bool> removed, added;
    DiffLines(a, b, removed, added);

    // Walk both sides in step; the removed and added lines between two
    // common lines become one edit. Past the end of one side every line of
    // the other is in the edit.
    size_t i = 0, j = 0, offset = 0;
    while (i < a.size() || j < b.size())
    {
        if (i < a.size() && j < b.size() && !removed[i] && !added[j])
        {
            offset += a[i].size();
            ++i, ++j;
            continue;
        }
        CTextEdit edit;
        edit.m_nStart = offset;
        for (;;)
        {
            if (i < a.size() && (removed[i] || j == b.size()))
                offset += a[i++].size();
            else if (j < b.size() && (added[j] || i == a.size()))
                edit.m_sNewText += b[j++];
            else
                break;
        }
        edit.m_nEnd = offset;
        edits.push_back(std::move(edit));
    }
    return edits;
}

std::u16string ApplyEdits(std::u16string_view text, const std::vector<CTextEdit>& edits)
{
    std::u16string out;
    size_t next = 0;
    for (const CTextEdit& edit : edits)
    {
        out += text.substr(next, edit.m_nStart - next);
        out += edit.m_sNewText;
        next = edit.m_nEnd;
    }
    out += text.substr(next);
    return out;
}

} // namespace qmcli
