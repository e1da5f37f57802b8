// The property every result of the engine must keep: the output holds the
// input's tokens, in order. Both texts are cut into tokens by the engine's own
// lexical rules, written out again here on purpose so that a fault in the
// engine's tokenizer cannot hide itself; whitespace between tokens is free.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class LexKind { Word, Delimiter, Comment, String, Quoted };

struct LexToken
{
    LexKind kind;
    std::u16string_view text; // views the text that was cut
    size_t offset;            // 0-based index of the first character
};

// Cuts a text the way the engine's two token passes do: comments, string
// literals and quoted identifiers (each possibly unterminated at the end),
// then words and one-character delimiters; whitespace is space, tab, CR, LF.
std::vector<LexToken> CutTokens(std::u16string_view text);

struct TokenCompareRules
{
    // Comments may be missing from the output (the options remove them):
    // comments are then left out on both sides.
    bool bCommentsMayBeDropped = false;
};

// Compares the token sequences of input and output. Letters compare without
// regard to ASCII case except inside string literals and quoted identifiers,
// which must match exactly; comments compare without their whitespace. Returns nothing when the
// sequences agree, otherwise a one-line description of the first difference.
std::optional<std::string> FirstTokenDifference(std::u16string_view input,
                                                std::u16string_view output,
                                                const TokenCompareRules& rules = {});

// UTF-8 for messages; lone surrogates become U+FFFD, long texts are shortened.
std::string DescribeText(std::u16string_view text, size_t maxUnits = 40);
