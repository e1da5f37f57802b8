// What a run reads besides the text and the options: the delimiter set the
// tokenizer cuts words at, the line break the layout writer writes, and the
// index of the word lists. The standard lexicon is built once and shared
// read-only by every run and every thread.
#pragma once

#include <string_view>

class CWordIndex;

struct CLexicon
{
    std::u16string_view m_sDelimiters;
    std::u16string_view m_sNewLine;
    const CWordIndex* m_pWords = nullptr;
};

const CLexicon& StandardLexicon();
