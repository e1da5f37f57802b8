#include "PlsqlWords.h"

#include "Options.h"

#include <array>
#include <string_view>

namespace
{

// Taken from what the PL/SQL of real packages, types and triggers uses. Words
// that are as often names (SELF, RESULT, NAME, NEW, OLD) are left out: a
// category applies to every occurrence of a word.
constexpr CPlsqlWord kPlsqlWords[] = {
    {u"BOOLEAN", TK_DATATYPE, 0},
    {u"PLS_INTEGER", TK_DATATYPE, 0},
    {u"BINARY_INTEGER", TK_DATATYPE, 0},
    {u"SIMPLE_INTEGER", TK_DATATYPE, 0},
    {u"SIMPLE_FLOAT", TK_DATATYPE, 0},
    {u"SIMPLE_DOUBLE", TK_DATATYPE, 0},
    {u"NATURAL", TK_DATATYPE, 0},
    {u"NATURALN", TK_DATATYPE, 0},
    {u"POSITIVE", TK_DATATYPE, 0},
    {u"POSITIVEN", TK_DATATYPE, 0},
    {u"SIGNTYPE", TK_DATATYPE, 0},
    {u"STRING", TK_DATATYPE, 0},
    {u"RECORD", TK_DATATYPE, 0},
    {u"REF", TK_DATATYPE, 0}, // REF CURSOR; SQL's REF function is cased alike by default
    {u"SYS_REFCURSOR", TK_DATATYPE, 0},
    {u"ACCESSIBLE", TK_KEYWORD, KW_ACCESSIBLE},
    {u"AFTER", TK_KEYWORD, KW_AFTER},
    {u"AUTHID", TK_KEYWORD, KW_AUTHID},
    {u"AUTONOMOUS_TRANSACTION", TK_KEYWORD, KW_AUTONOMOUS_TRANSACTION},
    {u"BEFORE", TK_KEYWORD, KW_BEFORE},
    {u"CLOSE", TK_KEYWORD, KW_CLOSE},
    {u"COMPOUND", TK_KEYWORD, KW_COMPOUND},
    {u"CONSTANT", TK_KEYWORD, KW_CONSTANT},
    {u"CONSTRUCTOR", TK_KEYWORD, KW_CONSTRUCTOR},
    {u"CONTINUE", TK_KEYWORD, KW_CONTINUE},
    {u"CURRENT_USER", TK_KEYWORD, KW_CURRENT_USER},
    {u"CURSOR", TK_KEYWORD, KW_CURSOR},
    {u"DEFINER", TK_KEYWORD, KW_DEFINER},
    {u"DETERMINISTIC", TK_KEYWORD, KW_DETERMINISTIC},
    {u"DISABLE", TK_KEYWORD, KW_DISABLE},
    {u"EACH", TK_KEYWORD, KW_EACH},
    {u"EDITIONABLE", TK_KEYWORD, KW_EDITIONABLE},
    {u"ENABLE", TK_KEYWORD, KW_ENABLE},
    {u"EXCEPTION_INIT", TK_KEYWORD, KW_EXCEPTION_INIT},
    {u"EXCEPTIONS", TK_KEYWORD, KW_EXCEPTIONS},
    {u"EXTERNAL", TK_KEYWORD, KW_EXTERNAL},
    {u"FETCH", TK_KEYWORD, KW_FETCH},
    {u"FINAL", TK_KEYWORD, KW_FINAL},
    {u"FOLLOWS", TK_KEYWORD, KW_FOLLOWS},
    {u"FORCE", TK_KEYWORD, KW_FORCE},
    {u"GOTO", TK_KEYWORD, KW_GOTO},
    {u"INDICES", TK_KEYWORD, KW_INDICES},
    {u"INLINE", TK_KEYWORD, KW_INLINE},
    {u"INSTANTIABLE", TK_KEYWORD, KW_INSTANTIABLE},
    {u"INSTEAD", TK_KEYWORD, KW_INSTEAD},
    {u"JAVA", TK_KEYWORD, KW_JAVA},
    {u"LANGUAGE", TK_KEYWORD, KW_LANGUAGE},
    {u"LIBRARY", TK_KEYWORD, KW_LIBRARY},
    {u"MAP", TK_KEYWORD, KW_MAP},
    {u"MEMBER", TK_KEYWORD, KW_MEMBER},
    {u"NOCOPY", TK_KEYWORD, KW_NOCOPY},
    {u"NONEDITIONABLE", TK_KEYWORD, KW_NONEDITIONABLE},
    {u"OBJECT", TK_KEYWORD, KW_OBJECT},
    {u"OF", TK_KEYWORD, KW_OF},
    {u"OUT", TK_KEYWORD, KW_OUT},
    {u"OVERRIDING", TK_KEYWORD, KW_OVERRIDING},
    {u"PARALLEL_ENABLE", TK_KEYWORD, KW_PARALLEL_ENABLE},
    {u"PIPE", TK_KEYWORD, KW_PIPE},
    {u"PIPELINED", TK_KEYWORD, KW_PIPELINED},
    {u"PRAGMA", TK_KEYWORD, KW_PRAGMA},
    {u"PRECEDES", TK_KEYWORD, KW_PRECEDES},
    {u"RAISE", TK_KEYWORD, KW_RAISE},
    {u"REFERENCING", TK_KEYWORD, KW_REFERENCING},
    {u"RELIES_ON", TK_KEYWORD, KW_RELIES_ON},
    {u"RESTRICT_REFERENCES", TK_KEYWORD, KW_RESTRICT_REFERENCES},
    {u"RESULT_CACHE", TK_KEYWORD, KW_RESULT_CACHE},
    {u"RETURNING", TK_KEYWORD, KW_RETURNING},
    {u"REVERSE", TK_KEYWORD, KW_REVERSE},
    {u"ROLLBACK", TK_KEYWORD, KW_ROLLBACK},
    {u"SAVE", TK_KEYWORD, KW_SAVE},
    {u"SAVEPOINT", TK_KEYWORD, KW_SAVEPOINT},
    {u"SERIALLY_REUSABLE", TK_KEYWORD, KW_SERIALLY_REUSABLE},
    {u"STATIC", TK_KEYWORD, KW_STATIC},
    {u"SUBTYPE", TK_KEYWORD, KW_SUBTYPE},
    {u"TRIGGER", TK_KEYWORD, KW_TRIGGER},
    {u"UNDER", TK_KEYWORD, KW_UNDER},
    {u"VARRAY", TK_KEYWORD, KW_VARRAY},
};

constexpr std::u16string_view kAttributes[] = {u"TYPE",     u"ROWTYPE",  u"FOUND",         u"NOTFOUND",
                                               u"ISOPEN",   u"ROWCOUNT", u"BULK_ROWCOUNT", u"BULK_EXCEPTIONS"};

bool IsAttribute(std::u16string_view text)
{
    for (std::u16string_view attribute : kAttributes)
    {
        if (attribute.size() != text.size())
            continue;
        size_t k = 0;
        while (k < text.size() && (text[k] & ~0x20) == attribute[k])
            ++k;
        if (k == text.size())
            return true;
    }
    return false;
}

bool IsRecasing(int32_t keywordCase)
{
    return keywordCase == CAP_UPPER || keywordCase == CAP_LOWER || keywordCase == CAP_INITCAP ||
           keywordCase == CAP_INITCAP_EACH;
}

// The letters of text[from, to) in the case of keywords: the first one upper
// for the initial-capital modes.
void RecaseLetters(char16_t* text, size_t from, size_t to, int32_t keywordCase)
{
    for (size_t k = from; k < to; ++k)
    {
        const char16_t c = text[k];
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
            continue;
        const bool upper = keywordCase == CAP_UPPER || (k == from && keywordCase != CAP_LOWER);
        text[k] = upper ? static_cast<char16_t>(c & ~0x20) : static_cast<char16_t>(c | 0x20);
    }
}

bool IsWordText(const CBaseToken& token, std::u16string_view upper)
{
    if (token.m_sText.size() != upper.size())
        return false;
    for (size_t k = 0; k < upper.size(); ++k)
    {
        const char16_t c = token.m_sText[k];
        if ((c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c) != upper[k])
            return false;
    }
    return token.m_nKind != TK_STRING && token.m_nKind != TK_QUOTED;
}

} // namespace

void ApplyAttributeCase(CTokenList& tokens, int32_t keywordCase)
{
    if (!IsRecasing(keywordCase))
        return;
    for (const CBaseToken& token : tokens)
    {
        if (token.m_nKind != TK_WORD || token.m_nLength < 5)
            continue;
        // Every word of a unit comes here: look for "%" only where an
        // attribute ending in the word's last letter would have it.
        const std::u16string_view word = token.m_sText;
        const size_t n = word.size();
        auto percentAt = [&](size_t length) { return n > length && word[n - length - 1] == u'%' ? n - length - 1 : 0; };
        size_t percent = 0;
        switch (word.back() | 0x20)
        {
        case u'e': percent = percentAt(4) + percentAt(7); break;   // TYPE, ROWTYPE
        case u'd': percent = percentAt(5) + percentAt(8); break;   // FOUND, NOTFOUND
        case u'n': percent = percentAt(6); break;                  // ISOPEN
        case u't': percent = percentAt(8) + percentAt(13); break;  // ROWCOUNT, BULK_ROWCOUNT
        case u's': percent = percentAt(15); break;                 // BULK_EXCEPTIONS
        default: break;
        }
        if (percent == 0 || !IsAttribute(word.substr(percent + 1)))
            continue;
        char16_t* text = tokens.MutableText(token);
        RecaseLetters(text, percent + 1, token.m_sText.size(), keywordCase);
    }
}

void ApplyDirectiveCase(CTokenList& tokens, int32_t keywordCase)
{
    if (!IsRecasing(keywordCase))
        return;
    for (const CBaseToken& token : tokens)
    {
        if (token.m_nKind != TK_WORD || token.m_nLength < 3 || token.m_sText[0] != u'$' || token.m_sText[1] == u'$')
            continue;
        for (const std::u16string_view word : {u"$IF", u"$THEN", u"$ELSIF", u"$ELSE", u"$END", u"$ERROR"})
            if (IsWordText(token, word))
            {
                RecaseLetters(tokens.MutableText(token), 1, token.m_sText.size(), keywordCase);
                break;
            }
    }
}

void ApplyTimeZoneCase(CTokenList& tokens, int32_t keywordCase)
{
    if (!IsRecasing(keywordCase))
        return;
    for (size_t i = 0; i < tokens.size(); ++i)
    {
        const CBaseToken& token = tokens[i];
        // Few words are ZONE: the words before it are looked at only then.
        if (token.m_nLength != 4 || token.m_nKind == TK_COMMENT || !IsWordText(token, u"ZONE"))
            continue;
        // The last four words or symbols before it, outside comments.
        std::array<const CBaseToken*, 4> before{};
        for (size_t k = i, found = 0; k > 0 && found < before.size();)
            if (const CBaseToken& earlier = tokens[--k]; earlier.m_nKind != TK_COMMENT)
                before[found++] = &earlier;
        if (!before[0] || !IsWordText(*before[0], u"TIME"))
            continue;
        const bool local = before[1] && IsWordText(*before[1], u"LOCAL");
        const CBaseToken* with = before[local ? 2 : 1];
        const CBaseToken* type = before[local ? 3 : 2];
        if (with && IsWordText(*with, u"WITH") && type &&
            (IsWordText(*type, u"TIMESTAMP") || (type->m_nLength == 1 && type->m_sText[0] == u')')))
        {
            for (const CBaseToken* word : {&token, before[0], local ? before[1] : nullptr})
                if (word)
                    RecaseLetters(tokens.MutableText(*word), 0, word->m_sText.size(), keywordCase);
        }
    }
}

std::span<const CPlsqlWord> PlsqlWords()
{
    return kPlsqlWords;
}

const CWordIndex& StandardPlsqlWordIndex()
{
    static const CWordIndex index = PlsqlWordIndex(StandardWordIndex());
    return index;
}

CWordIndex PlsqlWordIndex(const CWordIndex& sqlWords)
{
    CWordIndex index = sqlWords;
    for (const CPlsqlWord& word : kPlsqlWords)
        index.Add(word.m_pWord, word.m_nKind, word.m_nCode);
    return index;
}
