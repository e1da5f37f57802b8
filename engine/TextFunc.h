// Whole-text operations around the token passes: the indentation all lines
// share, re-indenting to the left margin, and removing blank lines.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

class COptions;

class CTextFunc
{
public:
    explicit CTextFunc(const COptions& options) : m_pOptions(options) {}
    virtual ~CTextFunc() = default;

    const COptions& m_pOptions; // read for the tab width
};

// The upper bound of every indentation the engine builds: the left margin's own
// upper bound. Keeps output linear in the input whatever an option holds.
inline constexpr int32_t kMaxBlanks = 1000;

// The smallest indentation among the lines of text: blanks count 1 column and
// tabs the tab width each, up to the line's first other character.
int32_t MinIndent(std::u16string_view text, const CTextFunc& textFunc);
// Removes leading blanks and tabs of every line up to a width of columns; a tab
// that would reach beyond that width stays.
void StripIndent(std::u16string& text, const CTextFunc& textFunc, int32_t columns);
// Re-indents text so that its least indented line starts with margin blanks;
// -1 leaves the text alone. Lines that begin inside a string literal or a
// quoted identifier keep their text exactly and take no part in measuring the
// common indentation.
void ApplyLeftMargin(int32_t margin, const CTextFunc& textFunc, std::u16string& text);
// Removes every line made only of blanks, tabs and carriage returns, with the
// line feed in front of it, unless the line begins inside a string literal or
// a quoted identifier.
void RemoveBlankLines(std::u16string& text);

// The numbers (1-based, ascending) of the lines of text that begin inside a
// string literal or a quoted identifier, found by the tokenizer's scan.
std::vector<int32_t> LinesInsideLiterals(std::u16string_view text);
// The same for a text whose first line is line firstLine, appended to lines.
void AppendLinesInsideLiterals(std::u16string_view text, int32_t firstLine, std::vector<int32_t>& lines);
// The two operations above with the lines inside literals already known, on
// the text that starts at start (the lines count from there, and what stands
// before it is left alone).
void ApplyLeftMargin(int32_t margin, const CTextFunc& textFunc, std::u16string& text,
                     const std::vector<int32_t>& literalLines, size_t start = 0);
void RemoveBlankLines(std::u16string& text, const std::vector<int32_t>& literalLines, size_t start = 0);
bool IsBlank(std::u16string_view text);

// Whether some 16-bit unit of x is zero.
inline bool HasZeroUnit(uint64_t x)
{
    constexpr uint64_t kOnes = 0x0001000100010001u;
    constexpr uint64_t kHighBits = 0x8000800080008000u;
    return ((x - kOnes) & ~x & kHighBits) != 0;
}

// The index of the first unit c in text at or after from, or text.size().
// Reads four units at a time: line feeds are rare among the characters of a
// line, and apostrophes among those of a literal, and the writer and the
// finishing step look for line feeds in all they touch.
inline size_t FindUnit(std::u16string_view text, size_t from, char16_t c)
{
    const uint64_t pattern = 0x0001000100010001u * c;
    const char16_t* p = text.data();
    const size_t n = text.size();
    size_t i = from;
    for (; i + 4 <= n; i += 4)
    {
        uint64_t block;
        std::memcpy(&block, p + i, sizeof block);
        if (HasZeroUnit(block ^ pattern)) // a unit c becomes a zero unit
            break;
    }
    while (i < n && p[i] != c)
        ++i;
    return i;
}

// The index of the first unit a or b in text at or after from, or text.size().
// Reads four units at a time, as FindUnit does.
inline size_t FindEither(std::u16string_view text, size_t from, char16_t a, char16_t b)
{
    const uint64_t patternA = 0x0001000100010001u * a;
    const uint64_t patternB = 0x0001000100010001u * b;
    const char16_t* p = text.data();
    const size_t n = text.size();
    size_t i = from;
    for (; i + 4 <= n; i += 4)
    {
        uint64_t block;
        std::memcpy(&block, p + i, sizeof block);
        if (HasZeroUnit(block ^ patternA) || HasZeroUnit(block ^ patternB))
            break;
    }
    while (i < n && p[i] != a && p[i] != b)
        ++i;
    return i;
}

// The index at or after from where four blanks in a row end: indentation
// is passed four units at a time, and what is left of it is the caller's.
inline size_t SkipFourBlanks(std::u16string_view text, size_t from)
{
    constexpr uint64_t kFourBlanks = 0x0020002000200020u;
    size_t i = from;
    for (; i + 4 <= text.size(); i += 4)
    {
        uint64_t block;
        std::memcpy(&block, text.data() + i, sizeof block);
        if (block != kFourBlanks)
            break;
    }
    return i;
}

inline size_t FindLineFeed(std::u16string_view text, size_t from)
{
    return FindUnit(text, from, u'\n');
}
// count blanks, none for count <= 0, at most kMaxBlanks.
std::u16string Blanks(int64_t count);
