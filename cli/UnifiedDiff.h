// A unified diff of two texts, line by line, as `patch -p0` reads it. The
// line matching is Myers' algorithm in linear space (divide at the middle
// snake); past a cost limit a split point is taken without proof of
// minimality, so a huge rewrite still diffs in bounded time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qmcli
{

// The lines of a text, each with its line feed (if any).
std::vector<std::string_view> SplitLines(std::string_view text);
std::vector<std::u16string_view> SplitLines(std::u16string_view text);

// Marks, for two sequences of lines, which lines of each are not in the other's
// common subsequence. removed.size() == oldLines.size(), added likewise.
void DiffLines(const std::vector<std::string_view>& oldLines,
               const std::vector<std::string_view>& newLines,
               std::vector<bool>& removed, std::vector<bool>& added);
void DiffLines(const std::vector<std::u16string_view>& oldLines,
               const std::vector<std::u16string_view>& newLines,
               std::vector<bool>& removed, std::vector<bool>& added);

// "--- oldLabel", "+++ newLabel" and hunks with `context` lines around each
// change; empty when the texts are equal. A last line without a line break is
// followed by "\ No newline at end of file".
std::string UnifiedDiff(std::string_view oldText, std::string_view newText,
                        const std::string& oldLabel, const std::string& newLabel,
                        size_t context = 3);

// The diff with terminal colours as git shows them: file headers bold, hunk
// headers cyan, removed lines red, added lines green.
std::string ColourDiff(std::string_view diff);

} // namespace qmcli
