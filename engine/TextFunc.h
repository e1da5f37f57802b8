// Whole-text operations around the token passes: the indentation all lines
// share, re-indenting to the left margin, and removing blank lines.
#pragma once

#include <bit>
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
// The removal of blank lines also tells whether a line left holds only "/" or
// "." among blanks, a line that would end a unit of a script: the check that
// a laid-out unit stays one unit rides on this walk of its lines.
bool RemoveBlankLines(std::u16string& text, const std::vector<int32_t>& literalLines, size_t start = 0);
bool IsBlank(std::u16string_view text);

// A block of four units as memory holds it, turned so that the first unit is
// in the lowest 16 bits whatever the machine's byte order (and back: the turn
// is its own inverse).
inline uint64_t UnitsInOrder(uint64_t block)
{
    if constexpr (std::endian::native == std::endian::big)
    {
        block = (block >> 32) | (block << 32);
        block = ((block >> 16) & 0x0000FFFF0000FFFFu) | ((block & 0x0000FFFF0000FFFFu) << 16);
    }
    return block;
}

// Four units of text from p, the first in the lowest 16 bits: searches read
// four units at a time.
inline uint64_t LoadFourUnits(const char16_t* p)
{
    uint64_t block;
    std::memcpy(&block, p, sizeof block);
    return UnitsInOrder(block);
}

// Stores four units as LoadFourUnits reads them.
inline void StoreFourUnits(char16_t* p, uint64_t block)
{
    block = UnitsInOrder(block);
    std::memcpy(p, &block, sizeof block);
}

// The high bit of each 16-bit unit of x that is zero, and maybe of some units
// above the first such one (a borrow runs up from it); so a mask of four units
// is empty when none is zero, and its lowest bit marks the first zero unit.
inline uint64_t ZeroUnits(uint64_t x)
{
    constexpr uint64_t kOnes = 0x0001000100010001u;
    constexpr uint64_t kHighBits = 0x8000800080008000u;
    return (x - kOnes) & ~x & kHighBits;
}

// Whether some 16-bit unit of x is zero.
inline bool HasZeroUnit(uint64_t x)
{
    return ZeroUnits(x) != 0;
}

// The place, in a block LoadFourUnits read, of the first unit that has a bit
// set in mask (a mask ZeroUnits made, for one).
inline size_t FirstMarkedUnit(uint64_t mask)
{
    return static_cast<size_t>(std::countr_zero(mask)) / 16;
}

// Four copies of the unit c, one per 16 bits.
constexpr uint64_t FourTimes(char16_t c)
{
    return 0x0001000100010001u * c;
}

// Switches the case of the letters first to first + 25 (A to Z, or a to z)
// among four units read by LoadFourUnits: each such unit gets the bit that
// tells the two cases apart flipped. The test runs on the low 15 bits of each
// unit, where adding the bias carries into no other unit, and units with the
// top bit set are no letters at all.
inline uint64_t SwitchCaseOfFour(uint64_t block, char16_t first)
{
    constexpr uint64_t kTopBits = FourTimes(0x8000);
    const uint64_t low = block & ~kTopBits;
    const uint64_t atLeastFirst = low + FourTimes(static_cast<char16_t>(0x8000 - first));
    const uint64_t pastLast = low + FourTimes(static_cast<char16_t>(0x8000 - first - 26));
    const uint64_t letters = atLeastFirst & ~pastLast & ~block & kTopBits;
    return block ^ (letters >> 10); // the top bit of a unit down to its 0x20 bit
}

// Whether two texts hold the same units, compared as blocks of memory (the
// standard comparison of UTF-16 texts goes unit by unit).
inline bool SameUnits(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0);
}

// The index of the first unit c in text at or after from, or text.size().
// Reads four units at a time: line feeds are rare among the characters of a
// line, and apostrophes among those of a literal, and the writer and the
// finishing step look for line feeds in all they touch.
inline size_t FindUnit(std::u16string_view text, size_t from, char16_t c)
{
    const uint64_t pattern = FourTimes(c);
    const char16_t* p = text.data();
    const size_t n = text.size();
    size_t i = from;
    // Eight units a turn while they last: one test of the two blocks' marks
    // for the long stretches without c (a unit c becomes a zero unit).
    for (; i + 8 <= n; i += 8)
    {
        const uint64_t first = ZeroUnits(LoadFourUnits(p + i) ^ pattern);
        const uint64_t second = ZeroUnits(LoadFourUnits(p + i + 4) ^ pattern);
        if (first | second)
            return i + (first ? FirstMarkedUnit(first) : 4 + FirstMarkedUnit(second));
    }
    for (; i + 4 <= n; i += 4)
        if (const uint64_t found = ZeroUnits(LoadFourUnits(p + i) ^ pattern))
            return i + FirstMarkedUnit(found);
    while (i < n && p[i] != c)
        ++i;
    return i;
}

// The index of the first unit a or b in text at or after from, or text.size().
// Reads four units at a time, as FindUnit does.
inline size_t FindEither(std::u16string_view text, size_t from, char16_t a, char16_t b)
{
    const uint64_t patternA = FourTimes(a);
    const uint64_t patternB = FourTimes(b);
    const char16_t* p = text.data();
    const size_t n = text.size();
    size_t i = from;
    for (; i + 4 <= n; i += 4)
    {
        const uint64_t block = LoadFourUnits(p + i);
        if (const uint64_t found = ZeroUnits(block ^ patternA) | ZeroUnits(block ^ patternB))
            return i + FirstMarkedUnit(found);
    }
    while (i < n && p[i] != a && p[i] != b)
        ++i;
    return i;
}

// The index of the first unit at or after from that is not a blank, a tab or
// a carriage return, or text.size(). Four units at a time: formatted text is
// deeply indented, with blanks only.
inline size_t SkipLineBlanks(std::u16string_view text, size_t from)
{
    const char16_t* p = text.data();
    const size_t n = text.size();
    size_t i = from;
    for (; i + 4 <= n; i += 4)
    {
        // Each unit that is not a blank keeps a bit set; the lowest set bit is
        // in the first of them.
        if (const uint64_t other = LoadFourUnits(p + i) ^ FourTimes(u' '))
        {
            i += FirstMarkedUnit(other);
            break;
        }
    }
    while (i < n && (p[i] == u' ' || p[i] == u'\t' || p[i] == u'\r'))
        ++i;
    return i;
}

inline size_t FindLineFeed(std::u16string_view text, size_t from)
{
    return FindUnit(text, from, u'\n');
}
// count blanks, none for count <= 0, at most kMaxBlanks.
std::u16string Blanks(int64_t count);
