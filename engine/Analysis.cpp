#include "Analysis.h"

#include "Lexicon.h"
#include "TextFunc.h"
#include "WordLists.h"

#include <array>
#include <string>

namespace
{
// The characters after which InitCap raises a letter: the delimiter set, the
// double quotation mark, the blank, the apostrophe and the tab.
class CCaseSeparators
{
public:
    explicit CCaseSeparators(std::u16string_view delimiters) : m_sDelimiters(delimiters)
    {
        m_aAscii.fill(false);
        for (char16_t c : {u'"', u' ', u'\'', u'\t'})
            m_aAscii[c] = true;
        for (char16_t c : delimiters)
        {
            if (c < 128)
                m_aAscii[c] = true;
            else
                m_bWide = true;
            if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))
                m_bCaselessDelimiters = false;
        }
    }
    // Whether no delimiter is a letter, so that delimiter and operator tokens
    // never change case.
    bool CaselessDelimiters() const { return m_bCaselessDelimiters; }
    bool Has(char16_t c) const
    {
        if (c < 128)
            return m_aAscii[c];
        return m_bWide && m_sDelimiters.find(c) != std::u16string_view::npos;
    }

private:
    std::array<bool, 128> m_aAscii;
    std::u16string_view m_sDelimiters;
    bool m_bWide = false;
    bool m_bCaselessDelimiters = true;
};

// Switches the case of every letter first to first + 25 of p[0, n).
void SwitchCase(char16_t* p, size_t n, char16_t first)
{
    size_t i = 0;
    for (; i + 4 <= n; i += 4)
        StoreFourUnits(p + i, SwitchCaseOfFour(LoadFourUnits(p + i), first));
    for (; i < n; ++i)
        if (p[i] >= first && p[i] < first + 26)
            p[i] ^= 0x20;
}

void RaiseAll(char16_t* p, size_t n)
{
    SwitchCase(p, n, u'a');
}

void LowerAll(char16_t* p, size_t n)
{
    SwitchCase(p, n, u'A');
}

void InitCapText(char16_t* p, size_t n, bool eachWord, const CCaseSeparators& separators)
{
    LowerAll(p, n);
    bool atStart = true;
    for (size_t i = 0; i < n; ++i)
    {
        if (separators.Has(p[i]))
        {
            atStart = true;
        }
        else if (atStart)
        {
            atStart = false;
            if (p[i] >= u'a' && p[i] <= u'z')
                p[i] = static_cast<char16_t>(p[i] - 32);
            if (!eachWord)
                return;
        }
    }
}

// A bind variable made of a colon and a string literal or quoted identifier
// keeps the case of that literal or identifier.
bool BindsLiteral(std::u16string_view text)
{
    size_t i = 1; // after the colon
    while (i < text.size() && i < 3 && ((text[i] | 0x20) == u'n' || (text[i] | 0x20) == u'q'))
        ++i;
    if (i < text.size() && text[i] == u'\'')
        return true;
    return text.size() > 1 && text[1] == u'"';
}

int32_t CaseModeOf(const COptions::CCapitalisation& cap, const CBaseToken& token,
                   const CCaseSeparators& separators)
{
    switch (token.m_nKind)
    {
    // Digits and delimiters have no case: these tokens stay as they are under
    // every mode, so they are passed over.
    case TK_NUMBER: return CAP_NOCHANGE;
    case TK_DELIMITER:
    case TK_CONCAT:
    case TK_ASSIGN:
    case TK_COMPARE: return separators.CaselessDelimiters() ? CAP_NOCHANGE : cap.m_nOther;
    case TK_KEYWORD: return cap.m_nKeywords;
    case TK_DATATYPE: return cap.m_nDataTypes;
    case TK_FUNCTION: return cap.m_nFunctions;
    case TK_STDFUNCTION: return cap.m_nStFunctions;
    case TK_BINDVAR: return BindsLiteral(token.m_sText) ? CAP_NOCHANGE : cap.m_nBindVars;
    case TK_COMMENT: return cap.m_nComments;
    case TK_STRING:
    case TK_QUOTED: return CAP_NOCHANGE;
    default: return cap.m_nOther;
    }
}

// Rewrites the token's text in the case mode given.
void Recase(CBaseToken& token, int32_t mode, const CCaseSeparators& separators)
{
    // Case changes keep the length, so the text is rewritten where it stands
    // (the list's working copy of the input, or its pool).
    char16_t* p = const_cast<char16_t*>(token.m_sText.data());
    const size_t n = token.m_sText.size();
    switch (mode)
    {
    case CAP_UPPER: RaiseAll(p, n); break;
    case CAP_LOWER: LowerAll(p, n); break;
    case CAP_INITCAP: InitCapText(p, n, false, separators); break;
    case CAP_INITCAP_EACH: InitCapText(p, n, true, separators); break;
    default: break;
    }
}

void ApplyCaseWith(const COptions::CCapitalisation& cap, CBaseToken& token,
                   const CCaseSeparators& separators)
{
    Recase(token, CaseModeOf(cap, token, separators), separators);
}

// CaseModeOf for a whole run, looked up by kind: the analysis asks for the
// mode of every token.
class CCaseModes
{
public:
    CCaseModes(const COptions::CCapitalisation& cap, const CCaseSeparators& separators)
        : m_Cap(cap), m_Separators(separators)
    {
        for (size_t kind = 0; kind < m_aByKind.size(); ++kind)
        {
            CBaseToken token;
            token.m_nKind = static_cast<int16_t>(kind);
            m_aByKind[kind] = CaseModeOf(cap, token, separators);
        }
    }

    int32_t Of(const CBaseToken& token) const
    {
        const size_t kind = static_cast<uint16_t>(token.m_nKind);
        // A bind variable's mode depends on its text.
        if (kind < m_aByKind.size() && kind != TK_BINDVAR)
            return m_aByKind[kind];
        return CaseModeOf(m_Cap, token, m_Separators);
    }

private:
    std::array<int32_t, TK_COMPARE + 1> m_aByKind;
    const COptions::CCapitalisation& m_Cap;
    const CCaseSeparators& m_Separators;
};

bool IsDelimiter(const CBaseToken& token, char16_t c)
{
    return token.m_nKind == TK_DELIMITER && token.m_sText.size() == 1 && token.m_sText[0] == c;
}

bool IsCompareChar(char16_t c)
{
    return c == u'=' || c == u'>' || c == u'<' || c == u'!';
}

// Whether the word at i is followed by "(" that is not followed by "+".
bool IsCalled(const std::vector<CBaseToken>& a, size_t i)
{
    if (i + 1 >= a.size() || !IsDelimiter(a[i + 1], u'('))
        return false;
    return i + 2 >= a.size() || a[i + 2].m_sText != u"+";
}
} // namespace

void MarkFunctions(CTokenList& tokens)
{
    std::vector<CBaseToken>& a = tokens.m_aTokens;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].m_nKind == TK_WORD && IsCalled(a, i))
            a[i].m_nKind = TK_FUNCTION;
}

namespace
{
// MergeOperators as one walk that rebuilds the array in place. prepare(r) runs
// on the token at r when it is read, before its kind is looked at, and may
// look at the tokens after it, which are not moved yet; finish(token) runs on
// every token when it takes its final place.
template <class Prepare, class Finish>
void MergeInPlace(CTokenList& tokens, Prepare&& prepare, Finish&& finish)
{
    enum class Pending { None, Bar, Colon, Compare };

    std::vector<CBaseToken>& a = tokens.m_aTokens;
    const size_t n = a.size();
    size_t w = 0; // the rebuilt array grows at the front of the old one
    Pending pending = Pending::None;
    CBaseToken held;

    auto append = [&](const CBaseToken& token) {
        a[w] = token;
        finish(a[w]);
        ++w;
    };
    auto joinAndAppend = [&](const CBaseToken& t) {
        const std::u16string_view first = held.m_sText;
        if (first.data() + first.size() == t.m_sText.data())
        {
            held.m_sText = std::u16string_view(first.data(), first.size() + t.m_sText.size());
        }
        else
        {
            std::u16string joined;
            joined.reserve(first.size() + t.m_sText.size());
            joined.append(first).append(t.m_sText);
            held.m_sText = tokens.Keep(std::move(joined));
        }
        held.m_nLength = static_cast<int32_t>(held.m_sText.size());
        append(held);
    };

    for (size_t r = 0; r < n; ++r)
    {
        prepare(r);
        // Most tokens are neither held nor joined: they only move up.
        if (pending == Pending::None && a[r].m_nKind != TK_DELIMITER)
        {
            if (w != r)
                a[w] = a[r];
            finish(a[w]);
            ++w;
            continue;
        }
        const CBaseToken t = a[r];
        switch (pending)
        {
        case Pending::Bar:
            pending = Pending::None;
            if (IsDelimiter(t, u'|'))
            {
                held.m_nKind = TK_CONCAT;
                joinAndAppend(t);
                continue;
            }
            append(held);
            break;
        case Pending::Colon:
            pending = Pending::None;
            held.m_nKind = IsDelimiter(t, u'=') ? TK_ASSIGN : TK_BINDVAR;
            joinAndAppend(t);
            continue;
        case Pending::Compare:
            pending = Pending::None;
            held.m_nKind = TK_COMPARE;
            if (t.m_nKind == TK_DELIMITER && t.m_sText.size() == 1 && IsCompareChar(t.m_sText[0]))
            {
                joinAndAppend(t);
                continue;
            }
            append(held);
            break;
        case Pending::None:
            break;
        }

        if (t.m_nKind == TK_DELIMITER && r + 1 < n && t.m_sText.size() == 1)
        {
            const char16_t c = t.m_sText[0];
            if (c == u'|')
                pending = Pending::Bar;
            else if (c == u':')
                pending = Pending::Colon;
            else if (IsCompareChar(c))
                pending = Pending::Compare;
            if (pending != Pending::None)
            {
                held = t;
                continue;
            }
        }
        append(t);
    }
    a.resize(w);
}
} // namespace

void MergeOperators(CTokenList& tokens)
{
    MergeInPlace(tokens, [](size_t) {}, [](CBaseToken&) {});
}

void ApplyCase(std::u16string_view delimiters, const COptions::CCapitalisation& cap, CBaseToken& token)
{
    ApplyCaseWith(cap, token, CCaseSeparators(delimiters));
}

void InitCap(std::u16string_view delimiters, std::span<char16_t> text, bool eachWord)
{
    InitCapText(text.data(), text.size(), eachWord, CCaseSeparators(delimiters));
}

// Every token of a unit passes through this walk: the steps it runs are
// inlined into it.
[[gnu::flatten]] void Analyse(const CLexicon& lexicon, const COptions::CCapitalisation& cap, CTokenList& tokens,
                              bool format)
{
    std::vector<CBaseToken>& a = tokens.m_aTokens;
    const CCaseSeparators separators(lexicon.m_sDelimiters);
    const CWordIndex& words = *lexicon.m_pWords;
    const CCaseModes modes(cap, separators);

    // The four steps in one walk. Classifying a word and marking it as a call
    // look only at the word and at the tokens after it, which neither step
    // changes but for words; merging takes a token only after it is
    // classified; and the case of a token depends only on its final kind and
    // text, so it is applied when the token takes its final place.
    auto prepare = [&](size_t i) {
        CBaseToken& token = a[i];
        if (token.m_nKind != TK_WORD) // only words are classified or called
            return;
        ClassifyWord(token, words);
        if (token.m_nKind == TK_WORD && IsCalled(a, i))
            token.m_nKind = TK_FUNCTION;
    };
    auto finish = [&](CBaseToken& token) {
        if (const int32_t mode = modes.Of(token); mode != CAP_NOCHANGE)
            Recase(token, mode, separators);
    };

    if (format)
    {
        MergeInPlace(tokens, prepare, finish);
        return;
    }
    for (size_t i = 0; i < a.size(); ++i)
    {
        prepare(i);
        finish(a[i]);
    }
}
