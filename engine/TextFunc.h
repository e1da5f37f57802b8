// Whole-text operations around the token passes: the indentation all lines
// share, re-indenting to the left margin, and removing blank lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

int32_t MinIndent(std::u16string_view text, const CTextFunc& textFunc);
void StripIndent(std::u16string& text, const CTextFunc& textFunc, int32_t columns);
void ApplyLeftMargin(int32_t margin, const CTextFunc& textFunc, std::u16string& text);
void RemoveBlankLines(std::u16string& text);
bool IsBlank(std::u16string_view text);
// count blanks, none for count <= 0, at most kMaxBlanks.
std::u16string Blanks(int64_t count);
