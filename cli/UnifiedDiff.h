// A unified diff of two texts, line by line, as `git apply` and `patch -p1`
// read it. The texts are bytes in any encoding: a line is what ends with a
// byte 0x0A, which is how both tools cut the file they patch. The
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

// A file's name in a diff header, as git writes it: "a/" or "b/" (side) and
// the path relative to the current folder when it lies below it (otherwise
// without its leading "/"), "./" and ".." steps resolved. A name holding a
// control character, a double quote or a backslash is C-quoted; a name holding
// a blank gets a tab after it, so that patch knows where it ends.
std::string GitPathLabel(char side, const std::string& path);

// The diff with terminal colours as git shows them: file headers bold, hunk
// headers cyan, removed lines red, added lines green.
std::string ColourDiff(std::string_view diff);

} // namespace qmcli
