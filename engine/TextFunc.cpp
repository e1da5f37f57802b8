#include "TextFunc.h"

#include "Options.h"
#include "Tokenizer.h"

#include <algorithm>
#include <limits>

namespace
{
// A tab is never narrower than nothing, whatever the option holds.
int64_t TabWidth(const CTextFunc& textFunc)
{
    return std::max<int64_t>(0, textFunc.m_pOptions.m_General.m_nTabSize);
}

// Walks the lines of a text, telling for each whether it begins inside a string
// literal.
class CLineWalk
{
public:
    explicit CLineWalk(const std::vector<int32_t>& literalLines) : m_aLiteralLines(literalLines) {}

    // Moves to the next line (the first call moves to line 1) and tells whether
    // it begins inside a literal.
    bool NextIsLiteral()
    {
        ++m_nLine;
        while (m_nNext < m_aLiteralLines.size() && m_aLiteralLines[m_nNext] < m_nLine)
            ++m_nNext;
        return m_nNext < m_aLiteralLines.size() && m_aLiteralLines[m_nNext] == m_nLine;
    }

private:
    const std::vector<int32_t>& m_aLiteralLines;
    size_t m_nNext = 0;
    int32_t m_nLine = 0;
};

// The smallest indentation of the lines that do not begin inside a literal.
int64_t MinIndentOutsideLiterals(std::u16string_view text, int64_t tabWidth,
                                 const std::vector<int32_t>& literalLines)
{
    if (text.empty())
        return 0;
    CLineWalk lines(literalLines);
    int64_t smallest = 1000000000;
    int64_t indent = 0;
    bool atLineStart = true;
    bool literal = lines.NextIsLiteral();
    for (char16_t c : text)
    {
        if (c == u'\n')
        {
            if (!literal)
            {
                smallest = std::min(smallest, indent);
                if (smallest == 0)
                    return 0;
            }
            indent = 0;
            atLineStart = true;
            literal = lines.NextIsLiteral();
        }
        else if (atLineStart)
        {
            if (c == u' ')
                indent += 1;
            else if (c == u'\t')
                indent += tabWidth;
            else
                atLineStart = false;
        }
    }
    return literal ? smallest : std::min(smallest, indent);
}

void StripIndentOutsideLiterals(std::u16string& text, int64_t tabWidth, int64_t columns,
                                const std::vector<int32_t>& literalLines, size_t from = 0)
{
    CLineWalk lines(literalLines);
    size_t w = from;
    size_t r = from;
    const size_t n = text.size();
    while (r <= n)
    {
        // At the start of a line.
        if (!lines.NextIsLiteral())
        {
            int64_t removed = 0;
            while (r < n && (text[r] == u' ' || text[r] == u'\t'))
            {
                const int64_t width = text[r] == u' ' ? 1 : tabWidth;
                if (removed + width > columns)
                    break;
                removed += width;
                ++r;
            }
        }
        while (r < n && text[r] != u'\n')
            text[w++] = text[r++];
        if (r == n)
            break;
        text[w++] = text[r++]; // the line feed
    }
    text.resize(w);
}
} // namespace

int32_t MinIndent(std::u16string_view text, const CTextFunc& textFunc)
{
    const int64_t indent = MinIndentOutsideLiterals(text, TabWidth(textFunc), {});
    return static_cast<int32_t>(std::min<int64_t>(indent, std::numeric_limits<int32_t>::max()));
}

void StripIndent(std::u16string& text, const CTextFunc& textFunc, int32_t columns)
{
    if (columns > 0)
        StripIndentOutsideLiterals(text, TabWidth(textFunc), columns, {});
}

std::vector<int32_t> LinesInsideLiterals(std::u16string_view text)
{
    std::vector<int32_t> lines;
    AppendLinesInsideLiterals(text, 1, lines);
    return lines;
}

void AppendLinesInsideLiterals(std::u16string_view text, int32_t firstLine, std::vector<int32_t>& lines)
{
    CTokenScanner::Scan(text, [&](int32_t kind, int32_t, size_t start, size_t length,
                                  CTextPosition position) {
        if (kind != TK_STRING && kind != TK_QUOTED) // both keep their text as it stands
            return;
        int32_t line = firstLine - 1 + position.m_nLine;
        const std::u16string_view upToEnd = text.substr(0, start + length);
        for (size_t i = FindLineFeed(upToEnd, start); i < upToEnd.size(); i = FindLineFeed(upToEnd, i + 1))
            lines.push_back(++line);
    });
}

void ApplyLeftMargin(int32_t margin, const CTextFunc& textFunc, std::u16string& text,
                     const std::vector<int32_t>& literalLines, size_t start)
{
    if (margin == -1)
        return;
    const int64_t tabWidth = TabWidth(textFunc);
    const int64_t common = MinIndentOutsideLiterals(std::u16string_view(text).substr(start), tabWidth, literalLines);
    if (common > 0)
        StripIndentOutsideLiterals(text, tabWidth, common, literalLines, start);
    if (margin <= 0)
        return;

    const std::u16string blanks = Blanks(margin);
    const size_t lineCount = static_cast<size_t>(std::count(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(), u'\n')) + 1;
    std::u16string result;
    result.reserve(text.size() - start + (lineCount - literalLines.size()) * blanks.size());
    CLineWalk lines(literalLines);
    size_t from = start;
    while (true)
    {
        if (!lines.NextIsLiteral())
            result += blanks;
        const size_t end = text.find(u'\n', from);
        if (end == std::u16string::npos)
        {
            result.append(text, from, std::u16string::npos);
            break;
        }
        result.append(text, from, end + 1 - from);
        from = end + 1;
    }
    text.resize(start);
    text += result;
}

void ApplyLeftMargin(int32_t margin, const CTextFunc& textFunc, std::u16string& text)
{
    if (margin != -1)
        ApplyLeftMargin(margin, textFunc, text, LinesInsideLiterals(text));
}

bool RemoveBlankLines(std::u16string& text, const std::vector<int32_t>& literalLines, size_t start)
{
    // Piece by piece: the first line alone, then each line feed with the line
    // after it. A blank piece is dropped; the kept text between two dropped
    // pieces moves to the front in one go.
    CLineWalk lines(literalLines);
    char16_t* const p = text.data();
    const size_t n = text.size();
    size_t w = start;        // the kept text so far is text[start, w)
    size_t keptFrom = start; // kept text not moved yet starts here
    size_t from = start;     // the piece's start: start, then each line feed
    bool firstPiece = true;
    bool terminatorLine = false;
    while (true)
    {
        const bool literal = lines.NextIsLiteral();
        // A piece is blank when nothing but blanks, tabs and carriage returns
        // follow its line feed up to the next one; the walk stops at the first
        // other character, and the search for the line end goes on from there.
        size_t end = SkipLineBlanks(text, firstPiece ? from : from + 1);
        firstPiece = false;
        const bool blank = end == n || p[end] == u'\n';
        if (!blank && (p[end] == u'/' || p[end] == u'.'))
        {
            end = SkipLineBlanks(text, end + 1);
            terminatorLine = terminatorLine || end == n || p[end] == u'\n';
        }
        end = FindLineFeed(text, end);
        if (blank && !literal)
        {
            std::copy(p + keptFrom, p + from, p + w);
            w += from - keptFrom;
            keptFrom = end;
        }
        if (end == n)
            break;
        from = end;
    }
    std::copy(p + keptFrom, p + n, p + w);
    w += n - keptFrom;
    text.resize(w);
    return terminatorLine;
}

void RemoveBlankLines(std::u16string& text)
{
    RemoveBlankLines(text, LinesInsideLiterals(text));
}

bool IsBlank(std::u16string_view text)
{
    for (char16_t c : text)
        if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n')
            return false;
    return true;
}

std::u16string Blanks(int64_t count)
{
    if (count <= 0)
        return {};
    return std::u16string(static_cast<size_t>(std::min<int64_t>(count, kMaxBlanks)), u' ');
}
