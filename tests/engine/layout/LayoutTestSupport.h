// Shared helpers of the layout tests: run Format (or only the layout writer)
// on a text with some options changed, and check what must always hold.
#pragma once

#include "Analysis.h"
#include "Format.h"
#include "LayoutWriter.h"
#include "SQLParser.h"
#include "Tokenizer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace layout_test
{

using Setup = std::function<void(COptions&)>;

// Plain UTF-8 <-> UTF-16 for test texts (which are valid UTF-8).
std::u16string Wide(std::string_view utf8);
std::string Narrow(std::u16string_view utf16);

// Lines joined with line feeds: the way expected outputs are written.
std::string Lines(std::initializer_list<std::string_view> lines);

// The Format command end to end: text in, finished text out.
std::string Format(std::string_view input, const Setup& setup = {});
// Only the layout writer: tokens and analysis as in Format, then WriteLayout,
// without the left margin and blank-line removal that finish a result.
std::string Layout(std::string_view input, const Setup& setup = {});

// Every token of the input that Format keeps (all but removed comments) stands
// in the output in order; whitespace inside tokens (multi-line comments and
// literals) is ignored, since the finish may re-indent it.
::testing::AssertionResult KeepsTokensInOrder(const COptions& options, std::u16string_view input,
                                              std::u16string_view output);

// Format(input) with the options set by setup gives expected, and keeps the
// input's tokens in order.
void ExpectFormat(std::string_view input, std::string_view expected, const Setup& setup = {});
// The same for the layout writer's own output.
void ExpectLayout(std::string_view input, std::string_view expected, const Setup& setup = {});

// Format of a text through the engine's entry point, with the options as
// setup leaves them (the PL/SQL layout on by default).
std::string FormatText(std::string_view input, const Setup& setup = {});
// The text's tokens compared loosely: string literals exactly, everything else
// without whitespace and with a to z raised; comments left out with
// withoutComments.
std::vector<std::u16string> LooseTokens(std::u16string_view text, bool withoutComments = false);
// What TextLinesOf says of the token holds of its text: no line feed in one
// of TEXT_ONE_LINE, no line inside a literal in one of TEXT_NO_LITERAL, and
// every line after the first inside it in one of TEXT_LITERAL.
void ExpectTextLinesHold(const CBaseToken& token, const std::string& where);
// FormatText(input) of a PL/SQL unit gives expected, keeps every token in
// order (comments but the kept ones, if they are removed), and gives expected
// again when run on expected.
void ExpectPlsql(std::string_view input, std::string_view expected, const Setup& setup = {});

// A named case of a table-driven test.
struct FormatCase
{
    const char* name;
    std::string input;
    std::string expected;
    Setup setup;
};

inline std::ostream& operator<<(std::ostream& os, const FormatCase& c) { return os << c.name; }

inline std::string CaseName(const ::testing::TestParamInfo<FormatCase>& info) { return info.param.name; }

// Option setters for the tables.
inline Setup LeftAligned(Setup more = {})
{
    return [more](COptions& o) {
        o.m_Alignment.m_bRight = false;
        if (more)
            more(o);
    };
}

} // namespace layout_test
