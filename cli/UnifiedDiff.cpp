#include "UnifiedDiff.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unordered_map>

namespace qmcli
{

namespace
{

template <class Char>
std::vector<std::basic_string_view<Char>> SplitLinesOf(std::basic_string_view<Char> text)
{
    std::vector<std::basic_string_view<Char>> lines;
    size_t start = 0;
    while (start < text.size())
    {
        size_t end = text.find(Char('\n'), start);
        end = end == std::basic_string_view<Char>::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

} // namespace

std::vector<std::string_view> SplitLines(std::string_view text)
{
    return SplitLinesOf(text);
}

std::vector<std::u16string_view> SplitLines(std::u16string_view text)
{
    return SplitLinesOf(text);
}

namespace
{

// Lines are compared by index into a table of distinct lines, so the inner
// loops compare integers.
template <class Line>
struct CLineTable
{
    std::vector<uint32_t> m_aOld, m_aNew;

    CLineTable(const std::vector<Line>& oldLines, const std::vector<Line>& newLines)
    {
        std::unordered_map<Line, uint32_t> ids;
        auto id = [&](Line line) {
            return ids.emplace(line, static_cast<uint32_t>(ids.size())).first->second;
        };
        m_aOld.reserve(oldLines.size());
        m_aNew.reserve(newLines.size());
        for (auto line : oldLines)
            m_aOld.push_back(id(line));
        for (auto line : newLines)
            m_aNew.push_back(id(line));
    }
};

// Past this many edit steps the middle-snake search stops looking for the best
// split and takes the furthest point its forward search has reached.
constexpr int64_t kCostLimit = 2048;

struct CRange
{
    int64_t a0, a1, b0, b1;
};

class CMyers
{
public:
    CMyers(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b,
           std::vector<bool>& removed, std::vector<bool>& added)
        : m_a(a), m_b(b), m_removed(removed), m_added(added)
    {
    }

    void Run()
    {
        // An explicit stack: nesting is bounded by memory, not the call stack.
        std::vector<CRange> work{{0, static_cast<int64_t>(m_a.size()), 0,
                                  static_cast<int64_t>(m_b.size())}};
        while (!work.empty())
        {
            CRange r = work.back();
            work.pop_back();
            while (r.a0 < r.a1 && r.b0 < r.b1 && m_a[r.a0] == m_b[r.b0])
                ++r.a0, ++r.b0;
            while (r.a0 < r.a1 && r.b0 < r.b1 && m_a[r.a1 - 1] == m_b[r.b1 - 1])
                --r.a1, --r.b1;
            if (r.a0 == r.a1 || r.b0 == r.b1)
            {
                for (int64_t i = r.a0; i < r.a1; ++i)
                    m_removed[i] = true;
                for (int64_t j = r.b0; j < r.b1; ++j)
                    m_added[j] = true;
                continue;
            }
            auto [x, y] = Split(r);
            work.push_back({r.a0 + x, r.a1, r.b0 + y, r.b1});
            work.push_back({r.a0, r.a0 + x, r.b0, r.b0 + y});
        }
    }

private:
    // A point (x, y) on an edit path of the range, relative to its corner,
    // strictly inside so that both halves are smaller than the whole.
    std::pair<int64_t, int64_t> Split(const CRange& r)
    {
        const int64_t n = r.a1 - r.a0, m = r.b1 - r.b0;
        auto A = [&](int64_t i) { return m_a[r.a0 + i]; };
        auto B = [&](int64_t j) { return m_b[r.b0 + j]; };
        const int64_t maxD = (n + m + 1) / 2;
        // The search stops at the cost limit, so only the diagonals it can
        // reach by then need room: a huge range costs no huge arrays.
        const int64_t offset = std::min(maxD, kCostLimit + 1) + 1;
        std::vector<int64_t> vf(2 * offset + 2, -1), vb(2 * offset + 2, -1);
        vf[offset + 1] = 0;
        vb[offset + 1] = 0;
        const int64_t delta = n - m;
        const bool front = (delta & 1) != 0;
        int64_t k1start = 0, k1end = 0, k2start = 0, k2end = 0;
        int64_t bestX = 0, bestY = 0;

        for (int64_t d = 0; d < maxD; ++d)
        {
            if (d > kCostLimit)
                break;
            for (int64_t k1 = -d + k1start; k1 <= d - k1end; k1 += 2)
            {
                const int64_t i1 = offset + k1;
                int64_t x1 = (k1 == -d || (k1 != d && vf[i1 - 1] < vf[i1 + 1])) ? vf[i1 + 1]
                                                                                 : vf[i1 - 1] + 1;
                int64_t y1 = x1 - k1;
                while (x1 < n && y1 < m && A(x1) == B(y1))
                    ++x1, ++y1;
                vf[i1] = x1;
                if (x1 > n)
                    k1end += 2;
                else if (y1 > m)
                    k1start += 2;
                else
                {
                    if (x1 + y1 > bestX + bestY)
                        bestX = x1, bestY = y1;
                    if (front)
                    {
                        const int64_t i2 = offset + delta - k1;
                        if (i2 >= 0 && i2 < static_cast<int64_t>(vb.size()) && vb[i2] != -1 &&
                            x1 >= n - vb[i2])
                            return Inside(x1, y1, n, m);
                    }
                }
            }
            for (int64_t k2 = -d + k2start; k2 <= d - k2end; k2 += 2)
            {
                const int64_t i2 = offset + k2;
                int64_t x2 = (k2 == -d || (k2 != d && vb[i2 - 1] < vb[i2 + 1])) ? vb[i2 + 1]
                                                                                 : vb[i2 - 1] + 1;
                int64_t y2 = x2 - k2;
                while (x2 < n && y2 < m && A(n - x2 - 1) == B(m - y2 - 1))
                    ++x2, ++y2;
                vb[i2] = x2;
                if (x2 > n)
                    k2end += 2;
                else if (y2 > m)
                    k2start += 2;
                else if (!front)
                {
                    const int64_t i1 = offset + delta - k2;
                    if (i1 >= 0 && i1 < static_cast<int64_t>(vf.size()) && vf[i1] != -1)
                    {
                        const int64_t x1 = vf[i1];
                        const int64_t y1 = x1 - (i1 - offset);
                        if (x1 >= n - x2)
                            return Inside(x1, y1, n, m);
                    }
                }
            }
        }
        return Inside(bestX, bestY, n, m);
    }

    static std::pair<int64_t, int64_t> Inside(int64_t x, int64_t y, int64_t n, int64_t m)
    {
        // Both sides hold at least one line here, so this fallback is strictly inside.
        if ((x == 0 && y == 0) || (x == n && y == m) || x < 0 || y < 0 || x > n || y > m)
            return {(n + 1) / 2, m / 2};
        return {x, y};
    }

    const std::vector<uint32_t>& m_a;
    const std::vector<uint32_t>& m_b;
    std::vector<bool>& m_removed;
    std::vector<bool>& m_added;
};

void AppendRange(std::string& out, size_t start, size_t count)
{
    // An empty range names the line before it, as diff does.
    out += std::to_string(count == 0 ? start : start + 1);
    if (count != 1)
        out += ',' + std::to_string(count);
}

void AppendLine(std::string& out, char mark, std::string_view line)
{
    out += mark;
    out += line;
    if (line.empty() || line.back() != '\n')
        out += "\n\\ No newline at end of file\n";
}

// The lines of `side` whose ids also occur in `other`, and where each was.
void KeepMatchable(const std::vector<uint32_t>& side, const std::vector<uint32_t>& other,
                   std::vector<uint32_t>& kept, std::vector<size_t>& where)
{
    uint32_t ids = 0;
    for (uint32_t id : side)
        ids = std::max(ids, id + 1);
    for (uint32_t id : other)
        ids = std::max(ids, id + 1);
    std::vector<bool> inOther(ids, false);
    for (uint32_t id : other)
        inOther[id] = true;
    for (size_t i = 0; i < side.size(); ++i)
        if (inOther[side[i]])
        {
            kept.push_back(side[i]);
            where.push_back(i);
        }
}

template <class Line>
void DiffLineTable(const std::vector<Line>& oldLines, const std::vector<Line>& newLines,
                   std::vector<bool>& removed, std::vector<bool>& added)
{
    CLineTable<Line> table(oldLines, newLines);
    // A line that the other text does not hold is in no common subsequence:
    // it is removed (or added) whatever the rest is, and the search runs on
    // the lines that may match. After a re-layout most lines are new, so the
    // search is far smaller, and the result just as short.
    std::vector<uint32_t> oldKept, newKept;
    std::vector<size_t> oldWhere, newWhere;
    KeepMatchable(table.m_aOld, table.m_aNew, oldKept, oldWhere);
    KeepMatchable(table.m_aNew, table.m_aOld, newKept, newWhere);
    std::vector<bool> keptRemoved(oldKept.size(), false), keptAdded(newKept.size(), false);
    CMyers(oldKept, newKept, keptRemoved, keptAdded).Run();

    removed.assign(oldLines.size(), true);
    added.assign(newLines.size(), true);
    for (size_t k = 0; k < oldKept.size(); ++k)
        removed[oldWhere[k]] = keptRemoved[k];
    for (size_t k = 0; k < newKept.size(); ++k)
        added[newWhere[k]] = keptAdded[k];
}

} // namespace

void DiffLines(const std::vector<std::string_view>& oldLines,
               const std::vector<std::string_view>& newLines,
               std::vector<bool>& removed, std::vector<bool>& added)
{
    DiffLineTable(oldLines, newLines, removed, added);
}

void DiffLines(const std::vector<std::u16string_view>& oldLines,
               const std::vector<std::u16string_view>& newLines,
               std::vector<bool>& removed, std::vector<bool>& added)
{
    DiffLineTable(oldLines, newLines, removed, added);
}

std::string UnifiedDiff(std::string_view oldText, std::string_view newText,
                        const std::string& oldLabel, const std::string& newLabel, size_t context)
{
    if (oldText == newText)
        return {};
    const auto a = SplitLines(oldText);
    const auto b = SplitLines(newText);
    std::vector<bool> removed, added;
    DiffLines(a, b, removed, added);

    // Walk both sides in step; (i, j) is the next line of each.
    std::string out = "--- " + oldLabel + "\n+++ " + newLabel + "\n";
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size())
    {
        // Skip unchanged lines up to the next change.
        while (i < a.size() && j < b.size() && !removed[i] && !added[j])
            ++i, ++j;
        if (i >= a.size() && j >= b.size())
            break;
        // A hunk starts `context` lines before the change and grows while the
        // gap to the next change is at most twice the context.
        const size_t lead = std::min({context, i, j});
        size_t hi = i - lead, hj = j - lead;
        size_t ei = i, ej = j;
        for (;;)
        {
            while (ei < a.size() && removed[ei])
                ++ei;
            while (ej < b.size() && added[ej])
                ++ej;
            size_t gap = 0;
            while (ei + gap < a.size() && ej + gap < b.size() && !removed[ei + gap] &&
                   !added[ej + gap])
                ++gap;
            const bool more = ei + gap < a.size() || ej + gap < b.size();
            if (more && gap <= 2 * context)
            {
                ei += gap, ej += gap;
                continue;
            }
            const size_t trail = std::min(gap, context);
            std::string hunk = "@@ -";
            AppendRange(hunk, hi, ei + trail - hi);
            hunk += " +";
            AppendRange(hunk, hj, ej + trail - hj);
            hunk += " @@\n";
            out += hunk;
            size_t x = hi, y = hj;
            while (x < ei + trail || y < ej + trail)
            {
                if (x < a.size() && removed[x])
                    AppendLine(out, '-', a[x++]);
                else if (y < b.size() && added[y])
                    AppendLine(out, '+', b[y++]);
                else
                {
                    AppendLine(out, ' ', a[x]);
                    ++x, ++y;
                }
            }
            i = ei + gap;
            j = ej + gap;
            break;
        }
    }
    return out;
}

std::string GitPathLabel(char side, const std::string& path)
{
    namespace fs = std::filesystem;
    fs::path p(path);
    std::error_code ec;
    if (p.is_absolute())
    {
        const fs::path relative = p.lexically_relative(fs::current_path(ec));
        if (!ec && !relative.empty() && *relative.begin() != "..")
            p = relative;
    }
    std::string name = p.lexically_normal().generic_string();
    name.erase(0, std::min(name.find_first_not_of('/'), name.size()));
    name = std::string(1, side) + "/" + name;

    bool quote = false;
    for (unsigned char c : name)
        quote = quote || c < 0x20 || c == 0x7F || c == '"' || c == '\\';
    if (!quote)
        return name.find(' ') == std::string::npos ? name : name + "\t";
    std::string quoted = "\"";
    for (unsigned char c : name)
    {
        static constexpr const char* kEscapes[] = {"\\a", "\\b", "\\t", "\\n", "\\v", "\\f", "\\r"};
        if (c >= '\a' && c <= '\r')
            quoted += kEscapes[c - '\a'];
        else if (c == '"' || c == '\\')
            quoted += std::string("\\") + char(c);
        else if (c < 0x20 || c == 0x7F)
        {
            char octal[8];
            std::snprintf(octal, sizeof octal, "\\%03o", c);
            quoted += octal;
        }
        else
            quoted += char(c);
    }
    return quoted + "\"";
}

std::string ColourDiff(std::string_view diff)
{
    // Inside a hunk, a line is told by its first character; the hunk header's
    // counts say where the hunk ends, so a removed "-- comment" line is never
    // taken for a file header.
    auto count = [](std::string_view line, char side) -> long {
        const size_t at = line.find(side == '-' ? " -" : " +");
        if (at == std::string_view::npos)
            return 0;
        const size_t comma = line.find_first_of(", ", at + 2);
        if (comma == std::string_view::npos || line[comma] != ',')
            return 1;
        return std::strtol(std::string(line.substr(comma + 1)).c_str(), nullptr, 10);
    };
    std::string out;
    out.reserve(diff.size() + diff.size() / 4);
    long oldLeft = 0, newLeft = 0;
    for (std::string_view line : SplitLines(diff))
    {
        const char* colour = nullptr;
        const char first = line.empty() ? '\0' : line[0];
        if (oldLeft > 0 || newLeft > 0)
        {
            if (first == '-')
                colour = "\x1b[31m", --oldLeft;
            else if (first == '+')
                colour = "\x1b[32m", --newLeft;
            else if (first == ' ')
                --oldLeft, --newLeft;
        }
        else if (line.rfind("@@ ", 0) == 0)
        {
            colour = "\x1b[36m";
            oldLeft = count(line, '-');
            newLeft = count(line, '+');
        }
        else if (line.rfind("--- ", 0) == 0 || line.rfind("+++ ", 0) == 0)
            colour = "\x1b[1m";
        if (!colour)
        {
            out += line;
            continue;
        }
        // The colour ends before the line break, so a pager's line stays clean.
        const bool hasBreak = !line.empty() && line.back() == '\n';
        out += colour;
        out += line.substr(0, line.size() - (hasBreak ? 1 : 0));
        out += "\x1b[m";
        if (hasBreak)
            out += '\n';
    }
    return out;
}

} // namespace qmcli
