// The edits that turn a document's text into its formatted text, as an editor
// applies them: each replaces a run of whole lines of the old text by a run of
// lines of the new one. Lines that did not change are left out of every edit,
// so an editor keeps its cursor, marks and undo history on them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qmcli
{

struct CTextEdit
{
    size_t m_nStart = 0; // UTF-16 offsets into the old text
    size_t m_nEnd = 0;
    std::u16string m_sNewText;
};

// The line diff of the two texts as edits, in order and disjoint; none when
// the texts are equal. Lines end after each line feed.
std::vector<CTextEdit> LineEdits(std::u16string_view oldText, std::u16string_view newText);

// The text with the edits (in order, disjoint, within it) applied.
std::u16string ApplyEdits(std::u16string_view text, const std::vector<CTextEdit>& edits);

} // namespace qmcli
