// The analysis passes that run between the tokenizer and the writers: word
// categories, calls of user functions, operators, and the case of every token.
#pragma once

#include "BaseToken.h"
#include "Options.h"

#include <span>
#include <string_view>

struct CLexicon;

// Runs ClassifyWord on every token (with the lexicon's word index),
// MarkFunctions, MergeOperators when format is true (a Format run), and
// ApplyCase on every token.
void Analyse(const CLexicon& lexicon, const COptions::CCapitalisation& cap, CTokenList& tokens, bool format);

// Makes a TK_WORD that is followed directly by "(" a TK_FUNCTION, unless the
// "(" is followed by "+" (the outer-join marker).
void MarkFunctions(CTokenList& tokens);

// Joins "|" "|" into TK_CONCAT, ":" "=" into TK_ASSIGN, ":" and any token into
// TK_BINDVAR, and one or two of = > < ! into TK_COMPARE. The array is rebuilt
// in place in one pass; a joined text that does not stand contiguously in the
// input is kept in the list's pool.
void MergeOperators(CTokenList& tokens);

// Rewrites the token's text in place in the case its kind's option asks for.
// String literals and quoted identifiers are never changed.
void ApplyCase(std::u16string_view delimiters, const COptions::CCapitalisation& cap, CBaseToken& token);

// Lowers the ASCII letters of text and raises the first letter after the start
// or a separator (a delimiter, double quotation mark, blank, apostrophe or
// tab): only the first of the whole text unless eachWord is set.
void InitCap(std::u16string_view delimiters, std::span<char16_t> text, bool eachWord);
