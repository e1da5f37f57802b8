// The layout writer of the Format command: lays the analysed tokens out into
// lines, keyword columns and lists.
//
// One pass over the tokens. Parenthesised groups nest as levels on an explicit
// stack (never on the call stack), all levels write into the one output buffer,
// and every group is measured once, so time and memory are linear in input
// plus output whatever the nesting depth.
#pragma once

#include "BaseToken.h"
#include "LevelState.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class COptions;

// What the writing of the levels returns when it ran out of tokens (rather
// than meeting a closing parenthesis that closes nothing).
inline constexpr size_t END_OF_TOKENS = static_cast<size_t>(-1);

// Replaces output with the laid-out text of tokens, with the options and the
// line break given. With literalLines, also replaces its contents with the
// numbers of the output's lines that begin inside a string literal or quoted
// identifier: what LinesInsideLiterals finds in the output, as long as the
// line break holds no character but carriage returns and line feeds.
void WriteLayout(const COptions& options, std::u16string_view newLine, const CTokenList& tokens,
                 std::u16string& output, std::vector<int32_t>* literalLines = nullptr);
// The same, appending to output as a text of its own that starts a line: its
// columns and the lines in literalLines count from its own start.
void AppendLayout(const COptions& options, std::u16string_view newLine, const CTokenList& tokens,
                  std::u16string& output, std::vector<int32_t>* literalLines = nullptr);

// What the writer knows of a text it writes: whether it may hold line feeds,
// and whether a line may begin inside a literal of it.
enum TextLines
{
    TEXT_ANY_LINES = 0,
    TEXT_ONE_LINE = 1,   // holds no line feed, so none is looked for
    TEXT_NO_LITERAL = 2, // a comment: may span lines, none of them inside a literal
    TEXT_LITERAL = 3,    // a literal or quoted identifier: every line after its first is inside it
};

// TEXT_ONE_LINE for the tokens whose text never holds a line feed: words,
// numbers, delimiters and operators are cut at every blank. Comments,
// literals, quoted identifiers and bind variables (a colon joined with
// whatever token follows it) can span lines.
inline TextLines TextLinesOf(const CBaseToken& token)
{
    switch (token.m_nKind)
    {
    case TK_COMMENT: return TEXT_NO_LITERAL;
    case TK_STRING:
    case TK_QUOTED: return TEXT_LITERAL;
    case TK_WORD:
    case TK_KEYWORD:
    case TK_DELIMITER:
    case TK_NUMBER:
    case TK_DATATYPE:
    case TK_FUNCTION:
    case TK_STDFUNCTION:
    case TK_CONCAT:
    case TK_ASSIGN:
    case TK_COMPARE: return TEXT_ONE_LINE;
    default: return TEXT_ANY_LINES;
    }
}

// Appends prefix, text and suffix to output and advances the position over
// them: a line feed sets the column to 0 and starts the next line, every other
// character adds 1. The lines inside literals of text are noted if the
// position asks for them.
void Emit(std::u16string& output, std::u16string_view prefix, std::u16string_view text,
          std::u16string_view suffix, OutputPosition& position, TextLines textLines = TEXT_ANY_LINES);

// The length of the group whose opening parenthesis stands just before start:
// the characters of its tokens up to and including its closing parenthesis
// (or to the end of the tokens if it is never closed), nested groups included.
int64_t MeasureGroup(const CTokenList& tokens, size_t start);

// MeasureGroup of every opening parenthesis, in token order, in one pass.
std::vector<int64_t> MeasureGroups(const CTokenList& tokens);
