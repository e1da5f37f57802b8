#include "Lexicon.h"

#include "Tokenizer.h"
#include "WordLists.h"

const CLexicon& StandardLexicon()
{
    static const CLexicon lexicon{CTokenScanner::kStandardDelimiters, u"\n", &StandardWordIndex()};
    return lexicon;
}
